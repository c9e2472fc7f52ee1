#include "ui/preferences_dialog.h"

#include <algorithm>
#include <climits>
#include <string>

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "base/messages.h"
#include "resources/string_ids.h"
#include "ui/ui_text.h"

namespace tessarin {

namespace {

// A line that explains, in a smaller, wrapped text; hidden when it has nothing to say.
QLabel* NoteLine(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setVisible(!text.isEmpty());
    return label;
}

// The controls of one row, left to right, then the rest of the row empty.
QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets)
        row->addWidget(widget);
    row->addStretch();
    return row;
}

QGroupBox* Group(const QString& title, std::initializer_list<QLayout*> rows,
                 std::initializer_list<QWidget*> lines, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(group);
    for (QLayout* row : rows)
        layout->addLayout(row);
    for (QWidget* line : lines)
        layout->addWidget(line);
    return group;
}

}  // namespace

CPreferencesDialog::CPreferencesDialog(const CStringTable& strings, IMessageSink& messages,
                                       CPreferences& preferences, bool passwordSet,
                                       bool trayAvailable, QWidget* parent)
    : QDialog(parent),
      m_strings(strings),
      m_messages(messages),
      m_preferences(preferences),
      m_fixed(FixedSettings(preferences)) {
    const QString title = UiText(strings, str::kPreferencesTitle);
    setWindowTitle(title);
    setAccessibleName(title);
    const CUserSettings settings = ReadUserSettings(preferences);
    const auto label = [&](int text, QWidget* buddy = nullptr) {
        auto* widget = new QLabel(UiText(strings, text), this);
        widget->setBuddy(buddy);
        return widget;
    };

    // The lock.
    m_autoLock = Check(str::kPrefAutoLock, Pref::AutoLock, settings.autoLock);
    m_autoLock->setEnabled(!m_fixed.autoLock);
    m_minutes = NumberField(str::kPrefMinutesName, SleepMinutesLimits(preferences),
                            settings.sleepMinutes, m_fixed.sleepMinutes);
    QString administrator;
    if (m_fixed.autoLock)
        administrator = UiText(strings, str::kPrefAdministratorLock);
    if (preferences.Holds(Pref::MaxSleepMinutes))
        administrator = (administrator + QLatin1Char(' ') +
                         UiText(strings, str::kPrefAdministratorMinutes,
                                {std::to_string(preferences.ReadNumber(Pref::MaxSleepMinutes))}))
                            .trimmed();
    m_lockOnScreenLock =
        Check(str::kPrefLockOnScreenLock, Pref::LockOnScreenLock, settings.lockOnScreenLock);
    m_lockOnSuspend = Check(str::kPrefLockOnSuspend, Pref::LockOnSuspend, settings.lockOnSuspend);
    m_lockWhenMinimized =
        Check(str::kPrefLockWhenMinimized, Pref::LockWhenMinimized, settings.lockWhenMinimized);
    QGroupBox* lock = Group(
        UiText(strings, str::kPrefLockGroup),
        {Row({m_autoLock, m_minutes, label(str::kPrefMinutes)})},
        {NoteLine(administrator, this), m_lockOnScreenLock, m_lockOnSuspend, m_lockWhenMinimized,
         NoteLine(passwordSet ? QString() : UiText(strings, str::kPrefNoPassword), this)},
        this);

    // The clipboard.
    m_seconds =
        NumberField(str::kPrefSecondsName, kClipboardSecondsLimits, settings.clipboardClearSeconds,
                    preferences.SetByAdministrator(Pref::ClipboardClearSeconds));
    m_clearUnmasked =
        Check(str::kPrefClearUnmasked, Pref::ClipboardClearUnmasked, settings.clearUnmasked);
    QGroupBox* clipboard = Group(
        UiText(strings, str::kPrefClipboardGroup),
        {Row({label(str::kPrefClearSeconds, m_seconds), m_seconds, label(str::kPrefSeconds)})},
        {m_clearUnmasked}, this);

    // The automatic backups.
    m_backups = NumberField(str::kPrefBackupsName, kBackupsKeptLimits, settings.backupsKept,
                            preferences.SetByAdministrator(Pref::AutoBackupsKept));
    QGroupBox* backups =
        Group(UiText(strings, str::kPrefBackupsGroup),
              {Row({label(str::kPrefBackupsKept, m_backups), m_backups, label(str::kPrefBackups)})},
              {}, this);

    // The main window.
    m_startMinimized =
        Check(str::kPrefStartMinimized, Pref::StartMinimized, settings.startMinimized);
    m_minimizeToTray =
        Check(str::kPrefMinimizeToTray, Pref::MinimizeToTray, settings.minimizeToTray);
    if (!trayAvailable)
        m_minimizeToTray->setEnabled(false);
    QGroupBox* window =
        Group(UiText(strings, str::kPrefWindowGroup), {},
              {m_startMinimized, m_minimizeToTray,
               NoteLine(trayAvailable ? QString() : UiText(strings, str::kPrefNoTray), this)},
              this);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok =
        buttons->addButton(UiText(strings, str::kOkButton), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(UiText(strings, str::kCancelButton), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    for (QWidget* group : {lock, clipboard, backups, window})
        layout->addWidget(group);
    layout->addWidget(NoteLine(
        m_fixed.byAdministrator ? UiText(strings, str::kPrefSetByAdministrator) : QString(), this));
    layout->addWidget(buttons);

    connect(m_autoLock, &QCheckBox::toggled, this, &CPreferencesDialog::UpdateEnabled);
    UpdateEnabled();
}

QCheckBox* CPreferencesDialog::Check(int text, Pref id, bool checked) {
    auto* check = new QCheckBox(UiText(m_strings, text), this);
    check->setChecked(checked);
    check->setEnabled(!m_preferences.SetByAdministrator(id));
    return check;
}

QSpinBox* CPreferencesDialog::NumberField(int name, CNumberLimits limits, uint32_t value,
                                          bool fixed) {
    auto* field = new QSpinBox(this);
    field->setAccessibleName(UiText(m_strings, name));
    const auto shown = [](uint32_t number) {
        return static_cast<int>(std::min<uint32_t>(number, INT_MAX));
    };
    // A range that holds no number (the administrator allows none) shows the value alone.
    field->setRange(shown(std::min(limits.low, value)),
                    shown(limits.Empty() ? value : std::max(limits.high, value)));
    field->setValue(shown(value));
    field->setEnabled(!fixed);
    return field;
}

void CPreferencesDialog::UpdateEnabled() {
    m_minutes->setEnabled(!m_fixed.sleepMinutes && m_autoLock->isChecked());
}

CUserSettings CPreferencesDialog::Shown() const {
    CUserSettings settings;
    settings.autoLock = m_autoLock->isChecked();
    settings.sleepMinutes = static_cast<uint32_t>(m_minutes->value());
    settings.lockOnScreenLock = m_lockOnScreenLock->isChecked();
    settings.lockOnSuspend = m_lockOnSuspend->isChecked();
    settings.lockWhenMinimized = m_lockWhenMinimized->isChecked();
    settings.clipboardClearSeconds = static_cast<uint32_t>(m_seconds->value());
    settings.clearUnmasked = m_clearUnmasked->isChecked();
    settings.backupsKept = static_cast<uint32_t>(m_backups->value());
    settings.startMinimized = m_startMinimized->isChecked();
    settings.minimizeToTray = m_minimizeToTray->isChecked();
    return settings;
}

void CPreferencesDialog::accept() {
    const std::optional<COutOfLimits> refused = WriteUserSettings(m_preferences, Shown());
    if (refused) {
        m_messages.Show(
            {str::kParseIntRange,
             {std::to_string(refused->limits.low), std::to_string(refused->limits.high)},
             MessageIcon::Exclamation});
        QSpinBox* field = refused->id == Pref::SleepMinutes            ? m_minutes
                          : refused->id == Pref::ClipboardClearSeconds ? m_seconds
                                                                       : m_backups;
        field->selectAll();
        field->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace tessarin
