#pragma once

// "Preferences" (Edit > Preferences...): what a user may set of the lock, the clipboard, the
// automatic backups and the main window. The rules are the core's (store/user_settings.h): the
// dialog shows the settings as they hold, dims what the administrator fixed with a line that says
// so, and writes through the preferences on OK.
#include <QDialog>

#include "store/user_settings.h"

class QCheckBox;
class QLabel;
class QSpinBox;

namespace tessarin {

class CStringTable;
class IMessageSink;

class CPreferencesDialog : public QDialog {
    Q_OBJECT
public:
    // `passwordSet`: the database has a password (else a line says that nothing locks);
    // `trayAvailable`: the desktop shows a tray (else a line says the window minimizes to the task
    // bar, and minimizing to the tray is dimmed).
    CPreferencesDialog(const CStringTable& strings, IMessageSink& messages,
                       CPreferences& preferences, bool passwordSet, bool trayAvailable,
                       QWidget* parent = nullptr);

    // The settings as the controls show them now.
    CUserSettings Shown() const;
    // Writes them; a number outside its limits gets the range message, its field the focus, and
    // the dialog stays.
    void accept() override;

private:
    void UpdateEnabled();
    QSpinBox* NumberField(int name, CNumberLimits limits, uint32_t value, bool fixed);
    QCheckBox* Check(int text, Pref id, bool checked);

    const CStringTable& m_strings;
    IMessageSink& m_messages;
    CPreferences& m_preferences;
    CFixedSettings m_fixed;
    QCheckBox* m_autoLock;
    QSpinBox* m_minutes;
    QCheckBox* m_lockOnScreenLock;
    QCheckBox* m_lockOnSuspend;
    QCheckBox* m_lockWhenMinimized;
    QSpinBox* m_seconds;
    QCheckBox* m_clearUnmasked;
    QSpinBox* m_backups;
    QCheckBox* m_startMinimized;
    QCheckBox* m_minimizeToTray;
};

}  // namespace tessarin
