#include "store/user_settings.h"

namespace tessarin {

namespace {

// The flags and the numbers of the settings that are stored as they are.
struct CFlag {
    Pref id;
    bool CUserSettings::*member;
};
constexpr CFlag kFlags[] = {
    {Pref::LockOnScreenLock, &CUserSettings::lockOnScreenLock},
    {Pref::LockOnSuspend, &CUserSettings::lockOnSuspend},
    {Pref::LockWhenMinimized, &CUserSettings::lockWhenMinimized},
    {Pref::ClipboardClearUnmasked, &CUserSettings::clearUnmasked},
    {Pref::StartMinimized, &CUserSettings::startMinimized},
    {Pref::MinimizeToTray, &CUserSettings::minimizeToTray},
};

struct CNumber {
    Pref id;
    uint32_t CUserSettings::*member;
    CNumberLimits limits;
};
constexpr CNumber kNumbers[] = {
    {Pref::ClipboardClearSeconds, &CUserSettings::clipboardClearSeconds, kClipboardSecondsLimits},
    {Pref::AutoBackupsKept, &CUserSettings::backupsKept, kBackupsKeptLimits},
};

}  // namespace

CNumberLimits SleepMinutesLimits(const CPreferences& preferences) {
    return {1, preferences.ReadNumber(Pref::MaxSleepMinutes)};
}

CUserSettings ReadUserSettings(const CPreferences& preferences) {
    CUserSettings settings;
    settings.autoLock = preferences.EffectiveAutoLock();
    settings.sleepMinutes = preferences.EffectiveSleepMinutes();
    for (const CFlag& flag : kFlags)
        settings.*flag.member = preferences.ReadNumber(flag.id) != 0;
    for (const CNumber& number : kNumbers)
        settings.*number.member = preferences.ReadNumber(number.id);
    return settings;
}

CFixedSettings FixedSettings(const CPreferences& preferences) {
    CFixedSettings fixed;
    // Below an hour the administrator's maximum forces the lock on.
    fixed.autoLock = preferences.ReadNumber(Pref::MaxSleepMinutes) <= 59;
    fixed.sleepMinutes = SleepMinutesLimits(preferences).Empty();
    for (const CFlag& flag : kFlags)
        fixed.byAdministrator |= preferences.SetByAdministrator(flag.id);
    for (const CNumber& number : kNumbers)
        fixed.byAdministrator |= preferences.SetByAdministrator(number.id);
    return fixed;
}

std::optional<COutOfLimits> WriteUserSettings(CPreferences& preferences,
                                              const CUserSettings& settings) {
    const CFixedSettings fixed = FixedSettings(preferences);
    const CNumberLimits minutes = SleepMinutesLimits(preferences);
    if (!fixed.sleepMinutes && !minutes.Holds(settings.sleepMinutes))
        return COutOfLimits{Pref::SleepMinutes, minutes};
    for (const CNumber& number : kNumbers)
        if (!preferences.SetByAdministrator(number.id) &&
            !number.limits.Holds(settings.*number.member))
            return COutOfLimits{number.id, number.limits};

    // The user's own choice stays stored under the administrator's: it holds again once the
    // administrator's value goes.
    if (!fixed.autoLock)
        preferences.WriteNumber(Pref::AutoLock, settings.autoLock ? 1 : 0);
    if (!fixed.sleepMinutes)
        preferences.WriteNumber(Pref::SleepMinutes, settings.sleepMinutes);
    for (const CFlag& flag : kFlags)
        if (!preferences.SetByAdministrator(flag.id))
            preferences.WriteNumber(flag.id, settings.*flag.member ? 1 : 0);
    for (const CNumber& number : kNumbers)
        if (!preferences.SetByAdministrator(number.id))
            preferences.WriteNumber(number.id, settings.*number.member);
    return std::nullopt;
}

}  // namespace tessarin
