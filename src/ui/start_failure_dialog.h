#pragma once

// What a start that cannot read the user's database shows in place of ending: why, and the three
// ways on: read it again, restore a backup over it (the newest automatic one or a file the user
// chooses), or quit.
#include <QDialog>
#include <QString>

class QRadioButton;

namespace tessarin {

class CStringTable;

enum class StartFailureChoice { TryAgain, RestoreNewest, RestoreOther, Quit };

class CStartFailureDialog : public QDialog {
    Q_OBJECT
public:
    // `why`: what went wrong, as the load said it. `newest`: the newest automatic backup's name and
    // when it was written; empty when there is none, and then `backupFolder` is where none was
    // found.
    CStartFailureDialog(const CStringTable& strings, const QString& why, const QString& newest,
                        const QString& written, const QString& backupFolder,
                        QWidget* parent = nullptr);

    // What the user chose; Quit when the dialog was closed.
    StartFailureChoice Choice() const { return m_choice; }

private:
    void Choose(StartFailureChoice choice);

    QRadioButton* m_newest = nullptr;
    StartFailureChoice m_choice = StartFailureChoice::Quit;
};

}  // namespace tessarin
