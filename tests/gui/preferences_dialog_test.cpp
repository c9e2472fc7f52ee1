// The Preferences dialog: what it shows, what it writes, what the administrator fixed, and what
// the program does with the settings (the clipboard, the desktop's lock and suspend), also after a
// restart.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "app/session_lock.h"
#include "gui/shell_program_fixture.h"
#include "resources/command_table_data.h"
#include "resources/string_table.h"
#include "store/preference_store.h"
#include "store/preferences.h"
#include "ui/clipboard_commands.h"
#include "ui/command_table.h"
#include "ui/desktop_view.h"
#include "ui/preferences_dialog.h"

namespace tessarin {
namespace {

constexpr const char* kUser = " - Alice";
constexpr const char* kGlobal = "Preferences";

// The controls as the user finds them: check boxes by their text, number fields by their name.
template <typename T>
T* Control(QWidget& dialog, const QString& wanted, QString (*read)(const T&)) {
    for (T* control : dialog.findChildren<T*>())
        if (read(*control) == wanted)
            return control;
    ADD_FAILURE() << "no control " << wanted.toStdString();
    return nullptr;
}
QCheckBox* Check(QWidget& dialog, const QString& text) {
    return Control<QCheckBox>(dialog, text, [](const QCheckBox& box) { return box.text(); });
}
QSpinBox* Number(QWidget& dialog, const QString& name) {
    return Control<QSpinBox>(dialog, name,
                             [](const QSpinBox& field) { return field.accessibleName(); });
}
// A click on the box itself (a check box may be wider than its text).
void Toggle(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}
void TypeNumber(QSpinBox* field, int value) {
    field->selectAll();
    QTest::keyClicks(field, QString::number(value));
}
void Press(QWidget& dialog, const QString& text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>())
        if (button->text() == text) {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    ADD_FAILURE() << "no button " << text.toStdString();
}
// The explaining lines the user can read now.
QStringList Lines(QWidget& dialog) {
    QStringList lines;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        if (label->isVisibleTo(&dialog) && label->wordWrap())
            lines << label->text();
    return lines;
}

const QString kAutoLock = QStringLiteral("&Lock Tessarin when it has not been used for");
const QString kScreenLock = QStringLiteral("Lock when the &screen locks");
const QString kSuspend = QStringLiteral("Lock when the computer goes to slee&p");
const QString kMinimizedLock = QStringLiteral("Lock when the window is minimi&zed");
const QString kUnmasked = QStringLiteral("Clear copied &unmasked values and notes too");
const QString kStartMinimized = QStringLiteral("Start minimized to the &tray");
const QString kToTray = QStringLiteral("&Minimize to the tray");
const QString kMinutes = QStringLiteral("Minutes before the lock");
const QString kSeconds = QStringLiteral("Seconds before the clipboard is cleared");
const QString kBackups = QStringLiteral("Automatic backups kept");
const QString kAdministrator =
    QStringLiteral("Settings shown dimmed were set by your administrator.");

class PreferencesDialog : public ::testing::Test {
protected:
    PreferencesDialog() { m_preferences.SetUserName("Alice"); }
    std::unique_ptr<CPreferencesDialog> Open(bool passwordSet = true, bool tray = true) {
        auto dialog = std::make_unique<CPreferencesDialog>(m_strings, m_messages, m_preferences,
                                                           passwordSet, tray);
        dialog->show();
        return dialog;
    }

    CStringTable m_strings;
    test::CAnsweringMessages m_messages;
    CMemoryPreferenceStore m_store;
    CPreferences m_preferences{m_store};
};

TEST_F(PreferencesDialog, ShowsTheSettingsAndWritesWhatTheUserChangedOnOkOnly) {
    auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Preferences"));
    EXPECT_EQ(dialog->accessibleName(), QStringLiteral("Preferences"));
    // The defaults; the minutes wait for the lock to be turned on.
    EXPECT_FALSE(Check(*dialog, kAutoLock)->isChecked());
    EXPECT_EQ(Number(*dialog, kMinutes)->value(), 15);
    EXPECT_FALSE(Number(*dialog, kMinutes)->isEnabled());
    EXPECT_TRUE(Check(*dialog, kScreenLock)->isChecked());
    EXPECT_TRUE(Check(*dialog, kSuspend)->isChecked());
    EXPECT_EQ(Number(*dialog, kSeconds)->value(), 10);
    EXPECT_EQ(Number(*dialog, kBackups)->value(), 5);
    for (const QString& off : {kMinimizedLock, kUnmasked, kStartMinimized, kToTray})
        EXPECT_FALSE(Check(*dialog, off)->isChecked()) << off.toStdString();
    EXPECT_TRUE(Lines(*dialog).isEmpty()) << Lines(*dialog).join('|').toStdString();

    Toggle(Check(*dialog, kAutoLock));
    EXPECT_TRUE(Number(*dialog, kMinutes)->isEnabled());
    TypeNumber(Number(*dialog, kMinutes), 25);
    TypeNumber(Number(*dialog, kSeconds), 45);
    TypeNumber(Number(*dialog, kBackups), 12);
    for (const QString& toggled :
         {kScreenLock, kSuspend, kMinimizedLock, kUnmasked, kStartMinimized, kToTray})
        Toggle(Check(*dialog, toggled));

    // Cancel keeps what was stored.
    auto cancelled = Open();
    TypeNumber(Number(*cancelled, kSeconds), 99);
    Press(*cancelled, QStringLiteral("Cancel"));
    EXPECT_EQ(m_store.Size(), 0u);

    Press(*dialog, QStringLiteral("OK"));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const std::pair<const char*, uint32_t> stored[] = {
        {"Auto Lock", 1},
        {"Sleep Minutes", 25},
        {"Clipboard Clear Seconds", 45},
        {"Auto Backups Kept", 12},
        {"Lock On Screen Lock", 0},
        {"Lock On Suspend", 0},
        {"Lock When Minimized", 1},
        {"Clipboard Clear Unmasked", 1},
        {"Start Minimized", 1},
        {"Minimize To Tray", 1},
    };
    for (const auto& [name, value] : stored)
        EXPECT_EQ(m_store.ReadNumber(kUser, name), std::optional(value)) << name;
    EXPECT_TRUE(m_messages.shown.empty());

    // Opened again, it shows them.
    auto again = Open();
    EXPECT_TRUE(Check(*again, kAutoLock)->isChecked());
    EXPECT_EQ(Number(*again, kMinutes)->value(), 25);
    EXPECT_EQ(Number(*again, kSeconds)->value(), 45);
    EXPECT_EQ(Number(*again, kBackups)->value(), 12);
    EXPECT_FALSE(Check(*again, kSuspend)->isChecked());
    EXPECT_TRUE(Check(*again, kToTray)->isChecked());
}

TEST_F(PreferencesDialog, TheAdministratorsValuesAreDimmedWithALineThatSaysWhoSetThem) {
    m_store.WriteNumber(kGlobal, "Max Sleep Minutes", 30);
    m_store.WriteNumber(kGlobal, "Clipboard Clear Seconds", 20);
    m_store.WriteNumber(kGlobal, "Lock On Suspend", 0);
    m_preferences.WriteNumber(Pref::SleepMinutes, 45);
    auto dialog = Open();
    // Below an hour the lock is on, and the minutes stop at the maximum.
    EXPECT_TRUE(Check(*dialog, kAutoLock)->isChecked());
    EXPECT_FALSE(Check(*dialog, kAutoLock)->isEnabled());
    QSpinBox* minutes = Number(*dialog, kMinutes);
    EXPECT_TRUE(minutes->isEnabled());
    EXPECT_EQ(minutes->value(), 30);
    EXPECT_EQ(minutes->maximum(), 30);
    EXPECT_EQ(Number(*dialog, kSeconds)->value(), 20);
    EXPECT_FALSE(Number(*dialog, kSeconds)->isEnabled());
    EXPECT_FALSE(Check(*dialog, kSuspend)->isChecked());
    EXPECT_FALSE(Check(*dialog, kSuspend)->isEnabled());
    EXPECT_TRUE(Check(*dialog, kScreenLock)->isEnabled());
    EXPECT_EQ(Lines(*dialog),
              QStringList({"Your administrator requires the automatic lock. Your administrator "
                           "allows at most 30 minutes before the lock.",
                           kAdministrator}));

    TypeNumber(minutes, 20);
    Press(*dialog, QStringLiteral("OK"));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_store.ReadNumber(kUser, "Sleep Minutes"), std::optional(20u));
    // What the administrator fixed is not written for the user.
    EXPECT_FALSE(m_store.ReadNumber(kUser, "Clipboard Clear Seconds"));
    EXPECT_FALSE(m_store.ReadNumber(kUser, "Lock On Suspend"));
    EXPECT_EQ(m_store.ReadNumber(kUser, "Lock On Screen Lock"), std::optional(1u));
}

TEST_F(PreferencesDialog, SaysWhenNothingLocksAndWhenTheDesktopHasNoTray) {
    auto dialog = Open(false, false);
    EXPECT_EQ(Lines(*dialog),
              QStringList({"Tessarin locks only when the database has a password (File > Set "
                           "Password...).",
                           "The desktop shows no tray: Tessarin minimizes to the task bar."}));
    EXPECT_FALSE(Check(*dialog, kToTray)->isEnabled());
    EXPECT_TRUE(Check(*dialog, kStartMinimized)->isEnabled());
}

// The program around the dialog.
class Preferences : public test::ShellProgram {
protected:
    void SetUp() override { MakeDatabase({"Mail"}); }
    // Edit > Preferences..., changed by `change`, then OK.
    void ChangePreferences(CTessarinDesktopApp& app,
                           std::function<void(CPreferencesDialog&)> change) {
        bool opened = false;
        test::OnNextDialog<CPreferencesDialog>([&](CPreferencesDialog& dialog) {
            opened = true;
            change(dialog);
            Press(dialog, QStringLiteral("OK"));
        });
        EXPECT_TRUE(app.Frame()->Commands().Run(cmd::kPreferences));
        EXPECT_TRUE(opened);
    }
};

TEST_F(Preferences, WhatIsChangedHoldsAfterARestartAndTheClipboardFollowsIt) {
    auto app = Start();
    ChangePreferences(*app, [](CPreferencesDialog& dialog) {
        TypeNumber(Number(dialog, kSeconds), 30);
        Toggle(Check(dialog, kUnmasked));
    });
    // Field 1 of the record is not masked: it is a secret on the clipboard now.
    QGuiApplication::clipboard()->clear();
    ASSERT_TRUE(app->Frame()->Commands().Run(cmd::kCopyField1));
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    EXPECT_EQ(copied->text(), QStringLiteral("Mail"));
    EXPECT_TRUE(copied->hasFormat(kPasswordManagerHint));
    app->Frame()->close();
    app->ExitInstance();

    auto again = Start();
    ChangePreferences(*again, [](CPreferencesDialog& dialog) {
        EXPECT_EQ(Number(dialog, kSeconds)->value(), 30);
        EXPECT_TRUE(Check(dialog, kUnmasked)->isChecked());
        Toggle(Check(dialog, kUnmasked));
    });
    ASSERT_TRUE(again->Frame()->Commands().Run(cmd::kCopyField1));
    EXPECT_FALSE(QGuiApplication::clipboard()->mimeData()->hasFormat(kPasswordManagerHint));
}

TEST_F(Preferences, TheDesktopsLockAndSuspendLockOnlyWhenTheUserWantsIt) {
    m_store.WriteNumber(" - <Standalone>", "Lock On Screen Lock", 0);
    m_watchSession = true;
    auto app = Start();
    CSessionLockWatcher* watcher = app->SessionWatcher();
    ASSERT_NE(watcher, nullptr);
    const int dialogs = m_prompts.passwordDialogs;
    watcher->OnScreenSaverActive(true);
    test::SettleLock(*app->LockController());
    EXPECT_EQ(m_prompts.passwordDialogs, dialogs);
    EXPECT_FALSE(app->View()->IsLocked());
    m_prompts.passwords = {kPassword};
    watcher->OnPrepareForSleep(true);
    test::SettleLock(*app->LockController());
    EXPECT_EQ(m_prompts.passwordDialogs, dialogs + 1);
}

}  // namespace
}  // namespace tessarin
