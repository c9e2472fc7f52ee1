// The password dialogs: what they check, in which order, and what they say.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "gui/shell_fixture.h"
#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "store/preference_store.h"
#include "store/preferences.h"
#include "ui/password_dialogs.h"

namespace tessarin {
namespace {

// The field whose label reads `label` (as a screen reader finds it).
template <typename T>
T* Field(QWidget& dialog, const QString& name) {
    for (T* widget : dialog.findChildren<T*>())
        if (widget->accessibleName() == name)
            return widget;
    return nullptr;
}

TEST(PasswordDialog, WrongPasswordSaysSoAndStaysRightOneCloses) {
    CStringTable strings;
    test::CAnsweringMessages messages;
    std::vector<int> checkedUsers;
    CPasswordDialog dialog(strings, messages, true, {"Ann", "Bob"}, 1, false,
                           [&](int user, const CSecret& password) {
                               checkedUsers.push_back(user);
                               return password.View() == "Right";
                           });
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Enter Password"));
    QLineEdit* field = Field<QLineEdit>(dialog, "Please enter the password for this user.");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    EXPECT_EQ(field->maxLength(), 32);
    QComboBox* users = dialog.findChild<QComboBox*>();
    EXPECT_FALSE(users->isEnabled());
    EXPECT_EQ(users->currentText(), QStringLiteral("Bob"));

    field->setText("right");
    dialog.accept();
    EXPECT_EQ(messages.Ids(), std::vector<int>{str::kWrongPassword});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(field->selectedText(), QStringLiteral("right"));

    field->setText("Right");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Password().View(), "Right");
    EXPECT_EQ(checkedUsers, (std::vector<int>{1, 1}));
    EXPECT_EQ(messages.shown.size(), 1u);

    CPasswordDialog single(strings, messages, false, {"Ann"}, 0, true,
                           [](int, const CSecret&) { return true; });
    EXPECT_NE(Field<QLineEdit>(single, "Please enter the password."), nullptr);
}

TEST(SetPasswordDialog, ChecksInOrderAndStaysOpenAfterEachMessage) {
    CStringTable strings;
    CMemoryPreferenceStore store;
    CPreferences preferences(store);
    using Kind = CSetPasswordDialog::Kind;
    struct Case {
        Kind kind;
        const char* old;
        const char* fresh;
        const char* confirm;
        int message;  // 0: accepted
    } cases[] = {
        {Kind::Change, "wrong", "ab", "ac", str::kPasswordConfirmMismatch},
        {Kind::Change, "wrong", "ab", "ab", str::kOldPasswordIncorrect},
        {Kind::Change, "old", "aa", "aa", str::kPasswordTooWeak},
        {Kind::Change, "old", "ab", "ab", 0},
        {Kind::Change, "old", "", "", 0},
        {Kind::First, "", "ab", "ba", str::kPasswordConfirmMismatch},
        {Kind::First, "", "x", "x", str::kPasswordTooWeak},
        {Kind::First, "", "xy", "xy", 0},
        {Kind::Welcome, "", "aa", "aa", str::kPasswordTooWeak},
    };
    for (const Case& c : cases) {
        test::CAnsweringMessages messages;
        CSetPasswordDialog dialog(strings, messages, preferences, c.kind,
                                  [](const CSecret& old) { return old.View() == "old"; });
        if (c.kind == Kind::Change)
            Field<QLineEdit>(dialog, "Old password")->setText(c.old);
        else
            EXPECT_EQ(Field<QLineEdit>(dialog, "Old password"), nullptr);
        Field<QLineEdit>(dialog, "New password")->setText(c.fresh);
        Field<QLineEdit>(dialog, "Confirm password")->setText(c.confirm);
        dialog.accept();
        if (c.message == 0) {
            EXPECT_TRUE(messages.shown.empty()) << c.fresh;
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(dialog.NewPassword().View(), c.fresh);
        } else {
            ASSERT_EQ(messages.shown.size(), 1u) << c.fresh;
            EXPECT_EQ(messages.shown[0].args.at(0), strings.Get(c.message));
            EXPECT_NE(dialog.result(), QDialog::Accepted);
        }
    }
}

TEST(SetPasswordDialog, WelcomeShowsTheAdministratorsLineAndRequirementsError) {
    CStringTable strings;
    CMemoryPreferenceStore store;
    CPreferences preferences(store);
    std::vector<uint8_t> requirements(32, 0);
    requirements[0] = 8;     // at least 8 characters
    requirements[1] = 0xFF;  // no maximum
    store.WriteBytes("Preferences", "Password requirements", requirements);
    store.WriteText("Preferences", "Password requirements message", "Eight or more, please.");
    store.WriteText("Preferences", "Password requirements error", "Too short for us.");
    test::CAnsweringMessages messages;
    CSetPasswordDialog dialog(strings, messages, preferences, CSetPasswordDialog::Kind::Welcome);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Welcome to Tessarin"));
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("Eight or more, please."));
    EXPECT_FALSE(texts.contains("Password must be at least 2 characters in length."));
    Field<QLineEdit>(dialog, "New password")->setText("short");
    Field<QLineEdit>(dialog, "Confirm password")->setText("short");
    dialog.accept();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].args.at(0), "Too short for us.");
    Field<QLineEdit>(dialog, "New password")->setText("longer one");
    Field<QLineEdit>(dialog, "Confirm password")->setText("longer one");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST(AutoLockDialog, MinutesWithinTheMaximumAndTheLockForcedBelowAnHour) {
    CStringTable strings;
    CMemoryPreferenceStore store;
    CPreferences preferences(store);
    store.WriteNumber("Preferences", "Max Sleep Minutes", 30);
    preferences.WriteNumber(Pref::SleepMinutes, 45);
    test::CAnsweringMessages messages;
    CAutoLockDialog dialog(strings, messages, preferences);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Auto-Lock"));
    QCheckBox* check = dialog.findChild<QCheckBox*>();
    EXPECT_TRUE(check->isChecked());
    EXPECT_FALSE(check->isEnabled());
    QLineEdit* minutes = Field<QLineEdit>(dialog, "Minutes");
    EXPECT_EQ(minutes->text(), QStringLiteral("30"));
    for (const char* bad : {"31", "0", "ten", ""}) {
        minutes->setText(bad);
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted);
    }
    ASSERT_EQ(messages.shown.size(), 4u);
    EXPECT_EQ(messages.shown[0].id, str::kParseIntRange);
    EXPECT_EQ(messages.shown[0].args, (std::vector<std::string>{"1", "30"}));
    EXPECT_EQ(preferences.ReadNumber(Pref::SleepMinutes), 45u);
    minutes->setText("20");
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(preferences.ReadNumber(Pref::SleepMinutes), 20u);
    EXPECT_EQ(preferences.ReadNumber(Pref::AutoLock), 1u);

    // With an hour or more allowed, the lock may be turned off.
    store.WriteNumber("Preferences", "Max Sleep Minutes", 60);
    CAutoLockDialog free(strings, messages, preferences);
    EXPECT_TRUE(free.findChild<QCheckBox*>()->isEnabled());
    free.findChild<QCheckBox*>()->setChecked(false);
    free.accept();
    EXPECT_EQ(preferences.ReadNumber(Pref::AutoLock), 0u);
}

}  // namespace
}  // namespace tessarin
