#pragma once

// The settings a user changes in the Preferences dialog, read, checked and written together: the
// automatic lock and what else locks the program, the clipboard's clearing, how many automatic
// backups are kept, and how the main window starts and minimizes. The rules are those of the
// preferences (store/preferences.h): "Max Sleep Minutes" bounds the minutes and below an hour
// forces the lock on; a value the administrator gave in the global section cannot be changed.
#include <cstdint>
#include <optional>

#include "store/preferences.h"

namespace tessarin {

struct CUserSettings {
    bool autoLock = false;
    uint32_t sleepMinutes = 15;
    bool lockOnScreenLock = true;
    bool lockOnSuspend = true;
    bool lockWhenMinimized = false;
    uint32_t clipboardClearSeconds = 10;  // 0: never
    bool clearUnmasked = false;
    uint32_t backupsKept = 5;
    bool startMinimized = false;
    bool minimizeToTray = false;

    bool operator==(const CUserSettings&) const = default;
};

// The numbers a setting may take, both ends included; empty when `low` is above `high`.
struct CNumberLimits {
    uint32_t low = 0;
    uint32_t high = 0;
    bool Holds(uint32_t value) const { return value >= low && value <= high; }
    bool Empty() const { return low > high; }
};

// A copied value stays on the clipboard a day at most.
inline constexpr CNumberLimits kClipboardSecondsLimits{0, 24 * 60 * 60};
inline constexpr CNumberLimits kBackupsKeptLimits{1, 100};

// 1 to "Max Sleep Minutes".
CNumberLimits SleepMinutesLimits(const CPreferences& preferences);

// What holds now: the effective auto-lock and minutes, the administrator's values where given.
CUserSettings ReadUserSettings(const CPreferences& preferences);

// What the user cannot change: the lock, forced on below an hour; the minutes, when no number is
// allowed; and each value the administrator gave.
struct CFixedSettings {
    bool autoLock = false;
    bool sleepMinutes = false;
    bool byAdministrator = false;  // any value the administrator gave in the global section
};
CFixedSettings FixedSettings(const CPreferences& preferences);

// A number outside its limits: SleepMinutes, ClipboardClearSeconds or AutoBackupsKept.
struct COutOfLimits {
    Pref id;
    CNumberLimits limits;
};

// Writes every value the user may change, unless a number is outside its limits: then nothing is
// written and the first such number is returned. What is fixed is neither checked nor written.
std::optional<COutOfLimits> WriteUserSettings(CPreferences& preferences,
                                              const CUserSettings& settings);

}  // namespace tessarin
