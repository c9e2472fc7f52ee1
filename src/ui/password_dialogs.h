#pragma once

// The dialogs that ask for or set the database password: "Enter Password" (login and unlock),
// "Set Password" with and without the old password, "Welcome to Tessarin" (a password the
// administrator's requirements accept), and the "Auto-Lock" preference.
#include <functional>
#include <optional>

#include <QStringList>

#include "base/secure_memory.h"
#include "security/password_rules.h"
#include "ui/dialog_base.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tessarin {

class CPreferences;
class IMessageSink;

// "Enter Password": the password field, the users (disabled for an unlock), "OK" and "Quit". OK
// asks `check` with the chosen user and the typed password; a wrong one gives message 139 and the
// dialog stays with the field selected.
class CPasswordDialog : public CDialogBase {
    Q_OBJECT
public:
    using CheckFunction = std::function<bool(int user, const CSecret& password)>;
    // `forUser`: the text of the dialog for a choice among several users.
    CPasswordDialog(const CStringTable& strings, IMessageSink& messages, bool forUser,
                    const QStringList& users, int selected, bool usersEnabled, CheckFunction check,
                    QWidget* parent = nullptr);
    int SelectedUser() const;
    // The password the check accepted.
    const CSecret& Password() const { return m_password; }

    void accept() override;

private:
    IMessageSink& m_messages;
    CheckFunction m_check;
    QLineEdit* m_field;
    QComboBox* m_users;
    CSecret m_password;
};

// "Set Password" (with or without the old password) and "Welcome to Tessarin". OK runs the checks
// in their order; after a message the dialog stays as typed.
class CSetPasswordDialog : public CDialogBase {
    Q_OBJECT
public:
    enum class Kind { Change, First, Welcome };
    // `oldIsRight` checks the old password (Change only).
    CSetPasswordDialog(const CStringTable& strings, IMessageSink& messages,
                       const CPreferences& preferences, Kind kind,
                       std::function<bool(const CSecret&)> oldIsRight = {},
                       QWidget* parent = nullptr);
    const CSecret& NewPassword() const { return m_password; }

    void accept() override;

private:
    IMessageSink& m_messages;
    const CPreferences& m_preferences;
    Kind m_kind;
    std::function<bool(const CSecret&)> m_oldIsRight;
    QLineEdit* m_old = nullptr;
    QLineEdit* m_new;
    QLineEdit* m_confirm;
    CSecret m_password;
};

// "Auto-Lock": the effective setting, the minutes from 1 to "Max Sleep Minutes"; the check box
// cannot be cleared while that maximum is below 60. OK writes both values.
class CAutoLockDialog : public CDialogBase {
    Q_OBJECT
public:
    CAutoLockDialog(const CStringTable& strings, IMessageSink& messages, CPreferences& preferences,
                    QWidget* parent = nullptr);
    void accept() override;

private:
    IMessageSink& m_messages;
    CPreferences& m_preferences;
    QCheckBox* m_check;
    QLineEdit* m_minutes;
    uint32_t m_max;
};

}  // namespace tessarin
