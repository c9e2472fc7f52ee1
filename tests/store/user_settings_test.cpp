#include "store/user_settings.h"

#include <gtest/gtest.h>

namespace tessarin {
namespace {

constexpr const char* kUser = "Palm - Alice";
constexpr const char* kGlobal = "Preferences";

class UserSettings : public ::testing::Test {
protected:
    UserSettings() {
        prefs.SetPlatformName("Palm");
        prefs.SetUserName("Alice");
    }
    // Everything changed from its default.
    static CUserSettings Changed() {
        CUserSettings s;
        s.autoLock = true;
        s.sleepMinutes = 42;
        s.lockOnScreenLock = false;
        s.lockOnSuspend = false;
        s.lockWhenMinimized = true;
        s.clipboardClearSeconds = 0;
        s.clearUnmasked = true;
        s.backupsKept = 12;
        s.startMinimized = true;
        s.minimizeToTray = true;
        return s;
    }

    CMemoryPreferenceStore store;
    CPreferences prefs{store};
};

TEST_F(UserSettings, DefaultsAndWhatIsWrittenReadBackAndHoldInTheUsersSection) {
    EXPECT_EQ(ReadUserSettings(prefs), CUserSettings());
    EXPECT_EQ(WriteUserSettings(prefs, Changed()), std::nullopt);
    EXPECT_EQ(ReadUserSettings(prefs), Changed());
    EXPECT_EQ(store.ReadNumber(kUser, "Sleep Minutes"), std::optional(42u));
    EXPECT_EQ(store.ReadNumber(kUser, "Clipboard Clear Seconds"), std::optional(0u));
    EXPECT_EQ(store.ReadNumber(kUser, "Auto Backups Kept"), std::optional(12u));
    EXPECT_EQ(store.ReadNumber(kUser, "Lock On Suspend"), std::optional(0u));
    EXPECT_EQ(store.ReadNumber(kUser, "Minimize To Tray"), std::optional(1u));
    // Another user keeps the defaults.
    prefs.SetUserName("Bob");
    EXPECT_EQ(ReadUserSettings(prefs), CUserSettings());
}

TEST_F(UserSettings, ANumberOutsideItsLimitsIsNamedAndNothingIsWritten) {
    const struct {
        std::optional<uint32_t> max;  // "Max Sleep Minutes"
        uint32_t CUserSettings::*member;
        uint32_t value;
        std::optional<Pref> refused;
        CNumberLimits limits;
    } cases[] = {
        {std::nullopt, &CUserSettings::sleepMinutes, 0, Pref::SleepMinutes, {1, 60}},
        {std::nullopt, &CUserSettings::sleepMinutes, 60, std::nullopt, {}},
        {std::nullopt, &CUserSettings::sleepMinutes, 61, Pref::SleepMinutes, {1, 60}},
        {30, &CUserSettings::sleepMinutes, 31, Pref::SleepMinutes, {1, 30}},
        {120, &CUserSettings::sleepMinutes, 120, std::nullopt, {}},
        {std::nullopt, &CUserSettings::clipboardClearSeconds, 86400, std::nullopt, {}},
        {std::nullopt,
         &CUserSettings::clipboardClearSeconds,
         86401,
         Pref::ClipboardClearSeconds,
         {0, 86400}},
        {std::nullopt, &CUserSettings::backupsKept, 0, Pref::AutoBackupsKept, {1, 100}},
        {std::nullopt, &CUserSettings::backupsKept, 100, std::nullopt, {}},
        {std::nullopt, &CUserSettings::backupsKept, 101, Pref::AutoBackupsKept, {1, 100}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        store = CMemoryPreferenceStore();
        if (c.max)
            store.WriteNumber(kGlobal, "Max Sleep Minutes", *c.max);
        CUserSettings settings = Changed();
        settings.*c.member = c.value;
        const std::optional<COutOfLimits> refused = WriteUserSettings(prefs, settings);
        ASSERT_EQ(refused.has_value(), c.refused.has_value());
        if (refused) {
            EXPECT_EQ(refused->id, *c.refused);
            EXPECT_EQ(refused->limits.low, c.limits.low);
            EXPECT_EQ(refused->limits.high, c.limits.high);
            EXPECT_EQ(store.Size(), c.max ? 1u : 0u);
        } else {
            EXPECT_EQ(prefs.ReadNumber(Pref::SleepMinutes), settings.sleepMinutes);
            EXPECT_EQ(ReadUserSettings(prefs).*c.member, c.value);
        }
    }
}

TEST_F(UserSettings, WhatTheAdministratorFixedIsNeitherCheckedNorWritten) {
    // Below an hour the lock is forced on: the user's own "Auto Lock" stays as it was.
    store.WriteNumber(kGlobal, "Max Sleep Minutes", 30);
    prefs.WriteNumber(Pref::AutoLock, 0);
    EXPECT_TRUE(FixedSettings(prefs).autoLock);
    EXPECT_FALSE(FixedSettings(prefs).sleepMinutes);
    EXPECT_FALSE(FixedSettings(prefs).byAdministrator);
    CUserSettings settings = ReadUserSettings(prefs);
    EXPECT_TRUE(settings.autoLock);
    settings.autoLock = false;
    settings.sleepMinutes = 20;
    EXPECT_EQ(WriteUserSettings(prefs, settings), std::nullopt);
    EXPECT_EQ(prefs.ReadNumber(Pref::AutoLock), 0u);
    EXPECT_EQ(prefs.ReadNumber(Pref::SleepMinutes), 20u);
    EXPECT_TRUE(ReadUserSettings(prefs).autoLock);

    // No number of minutes is allowed: they are not asked for.
    store.WriteNumber(kGlobal, "Max Sleep Minutes", 0);
    EXPECT_TRUE(FixedSettings(prefs).sleepMinutes);
    settings.sleepMinutes = 5;
    EXPECT_EQ(WriteUserSettings(prefs, settings), std::nullopt);
    EXPECT_EQ(prefs.ReadNumber(Pref::SleepMinutes), 20u);

    // The administrator's values hold, even outside the limits a user has.
    store.WriteNumber(kGlobal, "Max Sleep Minutes", 60);
    store.WriteNumber(kGlobal, "Clipboard Clear Seconds", 100000);
    store.WriteNumber(kGlobal, "Lock On Suspend", 1);
    EXPECT_TRUE(FixedSettings(prefs).byAdministrator);
    settings = Changed();
    settings.clipboardClearSeconds = 100000;
    EXPECT_EQ(WriteUserSettings(prefs, settings), std::nullopt);
    // The user's own values, written above, stay as they were.
    EXPECT_EQ(store.ReadNumber(kUser, "Clipboard Clear Seconds"), std::optional(10u));
    EXPECT_EQ(store.ReadNumber(kUser, "Lock On Suspend"), std::optional(1u));
    const CUserSettings read = ReadUserSettings(prefs);
    EXPECT_EQ(read.clipboardClearSeconds, 100000u);
    EXPECT_TRUE(read.lockOnSuspend);
    EXPECT_FALSE(read.lockOnScreenLock);
}

}  // namespace
}  // namespace tessarin
