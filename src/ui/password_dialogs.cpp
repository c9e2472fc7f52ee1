#include "ui/password_dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/messages.h"
#include "platform/qt_text.h"
#include "resources/string_ids.h"
#include "security/password_strength.h"
#include "store/password_preferences.h"
#include "store/preferences.h"
#include "ui/cp1252_edits.h"
#include "ui/password_field.h"
#include "ui/strength_meter.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

inline constexpr int kMaxPasswordLength = 32;

CPasswordField* PasswordField(const CStringTable& strings, QWidget* parent) {
    return new CPasswordField(strings, kMaxPasswordLength, parent);
}

// Asks for the field's text as Windows-1252; none after a message when it cannot be.
std::optional<CSecret> Typed(QLineEdit* field, IMessageSink& messages) {
    std::optional<CSecret> secret = SecretFromField(field->text());
    if (!secret) {
        messages.Show({str::kPasswordNotWindows1252, {}, MessageIcon::Exclamation});
        field->selectAll();
        field->setFocus();
    }
    return secret;
}

}  // namespace

CPasswordDialog::CPasswordDialog(const CStringTable& strings, IMessageSink& messages, bool forUser,
                                 const QStringList& users, int selected, bool usersEnabled,
                                 CheckFunction check, QWidget* parent)
    : CDialogBase(strings, str::kEnterPasswordTitle, parent),
      m_messages(messages),
      m_check(std::move(check)) {
    CPasswordField* field = PasswordField(strings, this);
    m_field = field->Edit();
    m_users = new QComboBox(this);
    m_users->addItems(users);
    m_users->setCurrentIndex(selected);
    m_users->setEnabled(usersEnabled);
    auto* layout = new QGridLayout(this);
    layout->addWidget(Label(forUser ? str::kEnterPasswordForUser : str::kEnterPassword, m_field), 0,
                      0, 1, 2);
    layout->addWidget(field, 1, 0, 1, 2);
    layout->addWidget(new QLabel(UiText(strings, str::kPasswordCaseSensitive), this), 2, 0, 1, 2);
    layout->addWidget(Label(str::kUserLabel, m_users), 3, 0);
    layout->addWidget(m_users, 3, 1);
    layout->addWidget(OkButtons(str::kQuitButton), 4, 0, 1, 2);
    m_field->setFocus();
}

int CPasswordDialog::SelectedUser() const {
    return m_users->currentIndex();
}

void CPasswordDialog::accept() {
    std::optional<CSecret> typed = Typed(m_field, m_messages);
    if (!typed)
        return;
    if (!m_check(SelectedUser(), *typed)) {
        m_messages.Show({str::kWrongPassword, {}, MessageIcon::Exclamation});
        m_field->selectAll();
        m_field->setFocus();
        return;
    }
    m_password = std::move(*typed);
    m_field->clear();
    QDialog::accept();
}

CSetPasswordDialog::CSetPasswordDialog(const CStringTable& strings, IMessageSink& messages,
                                       const CPreferences& preferences, Kind kind,
                                       std::function<bool(const CSecret&)> oldIsRight,
                                       QWidget* parent)
    : CDialogBase(strings, kind == Kind::Welcome ? str::kWelcomeTitle : str::kSetPasswordTitle,
                  parent),
      m_messages(messages),
      m_preferences(preferences),
      m_kind(kind),
      m_oldIsRight(std::move(oldIsRight)) {
    // Made in the order the fields are filled in: the order Tab goes through them.
    CPasswordField* old = kind == Kind::Change ? PasswordField(strings, this) : nullptr;
    CPasswordField* fresh = PasswordField(strings, this);
    CPasswordField* confirm = PasswordField(strings, this);
    m_new = fresh->Edit();
    m_confirm = confirm->Edit();
    const bool welcome = kind == Kind::Welcome;
    auto* layout = new QGridLayout(this);
    int row = 0;
    if (welcome) {
        auto* text = new QLabel(UiText(strings, str::kWelcomeText), this);
        text->setWordWrap(true);
        layout->addWidget(text, row++, 0, 1, 2);
        const std::string custom = preferences.ReadText(Pref::PasswordRequirementsMessage);
        auto* line = new QLabel(custom.empty() ? UiText(strings, str::kWelcomeRequirementsLine)
                                               : Cp1252ToQString(custom),
                                this);
        line->setWordWrap(true);
        layout->addWidget(line, row++, 0, 1, 2);
    }
    // Each label stands at its field's top line, above the Caps Lock warning's place.
    if (old) {
        m_old = old->Edit();
        layout->addWidget(Label(str::kOldPasswordLabel, m_old), row, 0, Qt::AlignTop);
        layout->addWidget(old, row++, 1);
    }
    layout->addWidget(Label(str::kNewPasswordLabel, m_new), row, 0, Qt::AlignTop);
    layout->addWidget(fresh, row++, 1);
    // How hard the new password is to guess, as it is typed.
    auto* meter = new CStrengthMeter(strings, this);
    connect(m_new, &QLineEdit::textChanged, meter,
            [meter](const QString& text) { meter->SetBits(TypedEntropy(QStringToCp1252(text))); });
    layout->addWidget(meter, row++, 1);
    layout->addWidget(Label(str::kConfirmPasswordLabel, m_confirm), row, 0, Qt::AlignTop);
    layout->addWidget(confirm, row++, 1);
    layout->addWidget(OkButtons(welcome ? str::kQuitButton : str::kCancelButton), row, 0, 1, 2);
    (m_old ? m_old : m_new)->setFocus();
}

void CSetPasswordDialog::accept() {
    std::optional<CSecret> fresh = Typed(m_new, m_messages);
    if (!fresh)
        return;
    std::optional<CSecret> confirm = Typed(m_confirm, m_messages);
    if (!confirm)
        return;
    const std::optional<CPasswordRequirements> requirements = ReadRequirements(m_preferences);
    CPasswordVerdict verdict;
    if (m_kind == Kind::Change) {
        std::optional<CSecret> old = Typed(m_old, m_messages);
        if (!old)
            return;
        verdict = CheckChangePassword(*fresh, *confirm, m_oldIsRight(*old), requirements);
    } else {
        verdict = CheckFirstPassword(*fresh, *confirm, requirements);
    }
    if (!verdict.Accepted()) {
        m_messages.Show({str::kPlainText,
                         {VerdictText(verdict, Strings(), m_preferences)},
                         MessageIcon::Exclamation});
        return;
    }
    m_password = std::move(*fresh);
    QDialog::accept();
}

CAutoLockDialog::CAutoLockDialog(const CStringTable& strings, IMessageSink& messages,
                                 CPreferences& preferences, QWidget* parent)
    : CDialogBase(strings, str::kAutoLockTitle, parent),
      m_messages(messages),
      m_preferences(preferences),
      m_check(new QCheckBox(UiText(strings, str::kAutoLockCheck), this)),
      m_minutes(new QLineEdit(this)),
      m_max(preferences.ReadNumber(Pref::MaxSleepMinutes)) {
    m_check->setChecked(preferences.EffectiveAutoLock());
    // Below an hour the administrator's maximum forces the lock on.
    m_check->setEnabled(m_max >= 60);
    m_minutes->setText(QString::number(preferences.EffectiveSleepMinutes()));
    m_minutes->setAccessibleName(UiText(strings, str::kMinutesFieldName));
    m_minutes->setMaximumWidth(m_minutes->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                               16);
    auto* minutes = new QLabel(UiText(strings, str::kAutoLockMinutes), this);
    minutes->setBuddy(m_minutes);
    auto* row = new QHBoxLayout;
    row->addWidget(m_minutes);
    row->addWidget(minutes);
    row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_check);
    layout->addLayout(row);
    layout->addWidget(OkButtons());
}

void CAutoLockDialog::accept() {
    bool ok = false;
    const qlonglong minutes = m_minutes->text().trimmed().toLongLong(&ok);
    if (!ok || minutes < 1 || static_cast<unsigned long long>(minutes) > m_max) {
        m_messages.Show(
            {str::kParseIntRange, {"1", std::to_string(m_max)}, MessageIcon::Exclamation});
        m_minutes->selectAll();
        m_minutes->setFocus();
        return;
    }
    m_preferences.WriteNumber(Pref::AutoLock, m_check->isChecked() ? 1 : 0);
    m_preferences.WriteNumber(Pref::SleepMinutes, static_cast<uint32_t>(minutes));
    QDialog::accept();
}

}  // namespace tessarin
