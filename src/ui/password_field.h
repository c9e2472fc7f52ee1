#pragma once

// A password field as people expect one today: the field itself (a line edit that a label names),
// a "Show"/"Hide" button beside it that shows what was typed or masks it again, and under it a
// warning that stays visible while Caps Lock is on. Every dialog that asks for a password uses it.
#include <functional>
#include <optional>

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tessarin {

class CStringTable;

class CPasswordField : public QWidget {
    Q_OBJECT
public:
    // `maxLength`: characters the field takes.
    CPasswordField(const CStringTable& strings, int maxLength, QWidget* parent = nullptr);

    QLineEdit* Edit() const { return m_edit; }
    QPushButton* Toggle() const { return m_toggle; }
    QLabel* CapsLockWarning() const { return m_capsWarning; }
    // Whether the warning is up (it shows with its dialog).
    bool CapsLockWarned() const;

    // Whether what is typed shows in clear.
    bool Shown() const;
    void SetShown(bool shown);

    // How Caps Lock is read: on, off, or none when the display cannot tell. The desktop program
    // sets the keyboard's indicator at start (tests set their own). Without one, or when it cannot
    // tell, the field judges from the letters typed: a capital without Shift, or a small letter
    // with it, means Caps Lock is on.
    using CapsLockReader = std::function<std::optional<bool>()>;
    static void SetCapsLockReader(CapsLockReader reader);
    // Reads the state again and shows or hides the warning.
    void UpdateCapsLock();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetCapsLock(bool on);

    const CStringTable& m_strings;
    QLineEdit* m_edit;
    QPushButton* m_toggle;
    QWidget* m_capsRow;
    QLabel* m_capsWarning;
};

}  // namespace tessarin
