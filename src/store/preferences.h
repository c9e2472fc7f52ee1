#pragma once

// Every value the program remembers between runs, named once in one table with its section, its
// storage type, its length rule and its default; the rules derived from them; and the reads and
// writes, which take the section that is current at the time of the call. Standard C++ only: the
// values live in an IPreferenceStore (QSettings on the desktop, memory in tests).
//
// Failures are never reported: a value that is absent, unreadable, of another type or of the wrong
// length reads as its default; a failed write is lost.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/item_key.h"
#include "store/items.h"
#include "store/preference_formats.h"
#include "store/preference_store.h"

namespace tessarin {

// The three sections. The platform section is "Preferences " and the platform name ("Preferences"
// alone when the name is empty); the user section is the platform name, " - " and the user's name.
enum class PrefSection : uint8_t {
    Global,          // "Preferences": administrator settings
    Platform,        // "Current User"
    User,            // what belongs to one user
    UserThenGlobal,  // read from the user section, or from the global one when the user section
                     // has no such value at all; written to the user section
};

enum class PrefType : uint8_t {
    Number,  // 32 bits; a flag is 0 or 1
    Text,    // Windows-1252
    Bytes,   // of a fixed length, see PrefLength
    Any,     // only whether it is there matters
};

enum class PrefLength : uint8_t {
    None,    // numbers and texts
    Exact,   // bytes: used only when exactly `size` bytes are stored
    Prefix,  // bytes: the first `size` bytes are used; fewer give the default
    AtMost,  // any type: counts only when its stored form takes at most `size` bytes
};

// In table order.
enum class Pref : uint8_t {
    CurrentUser,
    CurrentType,
    CurrentCategoryId,
    Winpos,
    SortInfo,
    ShowColumns,
    ShowingDetails,
    DetailsPaneWidth,
    AutoLock,
    SleepMinutes,
    MaxSleepMinutes,
    Font,
    RowColor,
    PasswordGeneratorFlags,
    PasswordRequirements,
    PasswordRequirementsMessage,
    PasswordRequirementsError,
    CaseSensitive,
    WholeWord,
    NoPrint,
    PromoText,
    ClipboardClearSeconds,
    AutoBackupsKept,
    ClipboardClearUnmasked,
    LockOnScreenLock,
    LockOnSuspend,
    StartMinimized,
    MinimizeToTray,
    LockWhenMinimized,
};
inline constexpr size_t kPrefCount = 29;

struct CPreferenceInfo {
    Pref id;
    std::string_view name;  // the value's name in its section
    PrefSection section;
    PrefType type;
    PrefLength length;
    uint8_t size;                            // bytes, see PrefLength
    uint32_t numberDefault;                  // numbers
    std::vector<uint8_t> (*bytesDefault)();  // bytes; null: no default (not found)
    bool written;                            // the program writes it; the others are the
                                             // administrator's, only ever read
};

const std::array<CPreferenceInfo, kPrefCount>& PreferenceTable();
const CPreferenceInfo& PreferenceInfo(Pref id);

// A bytes value as read: the stored bytes when found with the right length, else the default
// (empty when the value has none) and `found` false.
struct CPrefBytes {
    std::vector<uint8_t> bytes;
    bool found = false;
};

class CPreferences {
public:
    explicit CPreferences(IPreferenceStore& store) : m_store(store) {}
    CPreferences(const CPreferences&) = delete;
    CPreferences& operator=(const CPreferences&) = delete;

    // The platform name reported by the sync platform manager, set at start; the user's name,
    // set at each login and each switch of user. Until a user logs in, user values come from the
    // section of the empty user name.
    void SetPlatformName(std::string name) { m_platformName = std::move(name); }
    void SetUserName(std::string name) { m_userName = std::move(name); }
    const std::string& PlatformName() const { return m_platformName; }
    const std::string& UserName() const { return m_userName; }
    // The section's name as it is now (UserThenGlobal: the user section).
    std::string SectionName(PrefSection section) const;

    // One read per value, by its type. Asking for a value by another type than its own gives the
    // type's empty value (0, "", nothing found).
    uint32_t ReadNumber(Pref id) const;
    std::string ReadText(Pref id) const;
    CPrefBytes ReadBytes(Pref id) const;
    // Whether the value is there and readable by its rules; for "NoPrint", whether it is there
    // and takes at most 4 bytes, whatever it holds.
    bool Holds(Pref id) const;
    // Some of the user's own values may also be given in the global section: the administrator's
    // value then holds for every user, and what a user wrote is not read. Whether that is so now.
    bool SetByAdministrator(Pref id) const;

    // One write per value that the program writes; writes of the administrator's values, of
    // another type or of a bytes value of the wrong length are ignored.
    void WriteNumber(Pref id, uint32_t value);
    void WriteText(Pref id, std::string_view value);
    void WriteBytes(Pref id, std::span<const uint8_t> value);

    // The bytes values by what they mean.
    ItemKey ReadKey(Pref id) const;  // "Current Type", "Current CategoryID"
    void WriteKey(Pref id, const ItemKey& key);
    uint32_t ReadWord(Pref id) const;  // "Sort Info", "Row Color": 4 bytes, little-endian
    void WriteWord(Pref id, uint32_t value);
    CColumnLayout ReadColumns() const;  // "Show Columns2"
    void WriteColumns(const CColumnLayout& layout);
    std::optional<CLogFont> ReadFont() const;  // "Font"; none: the list's own font
    void WriteFont(const CLogFont& font);

    // Derived rules.
    // Auto-lock is on whatever "Auto Lock" says when "Max Sleep Minutes" is 59 or less.
    bool EffectiveAutoLock() const;
    // The smaller of "Sleep Minutes" and "Max Sleep Minutes".
    uint32_t EffectiveSleepMinutes() const;
    // "NoPrint" disables the print commands.
    bool PrintingDisabled() const { return Holds(Pref::NoPrint); }

private:
    // The section a read of `info` takes.
    std::string ReadSection(const CPreferenceInfo& info) const;
    bool Writable(const CPreferenceInfo& info, PrefType type) const;

    IPreferenceStore& m_store;
    std::string m_platformName;
    std::string m_userName;
};

}  // namespace tessarin
