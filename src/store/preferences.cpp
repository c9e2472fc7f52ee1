#include "store/preferences.h"

#include <algorithm>

#include "base/bytes.h"

namespace tessarin {

namespace {

std::vector<uint8_t> LittleEndian(uint32_t value) {
    std::vector<uint8_t> bytes(4);
    WriteLE32(bytes.data(), value);
    return bytes;
}

// The defaults of the bytes values.
std::vector<uint8_t> AllItems() {
    return {AnyKey.bytes.begin(), AnyKey.bytes.end()};
}
std::vector<uint8_t> FirstColumnAscending() {
    return LittleEndian(65537);
}
std::vector<uint8_t> DefaultColumns() {
    const auto bytes = CColumnLayout::Default().ToBytes();
    return {bytes.begin(), bytes.end()};
}
// Red 237, green 243, blue 254, from the low byte up.
std::vector<uint8_t> PaleBlue() {
    return LittleEndian(16708589);
}

using enum Pref;
using enum PrefSection;
using enum PrefType;
using enum PrefLength;

constexpr bool W = true;   // the program writes the value
constexpr bool R = false;  // the administrator's: only read

// clang-format off
constexpr std::array<CPreferenceInfo, kPrefCount> kTable{{
    // id                         name                             section         type    length  size  number  bytes                 W
    {CurrentUser,                 "Current User",                  Platform,       Text,   None,   0,    0,      nullptr,              W},
    {CurrentType,                 "Current Type",                  User,           Bytes,  Exact,  8,    0,      AllItems,             W},
    {CurrentCategoryId,           "Current CategoryID",            User,           Bytes,  Exact,  8,    0,      AllItems,             W},
    {Winpos,                      "Winpos",                        User,           Text,   None,   0,    0,      nullptr,              W},
    {SortInfo,                    "Sort Info",                     User,           Bytes,  Prefix, 4,    0,      FirstColumnAscending, W},
    {ShowColumns,                 "Show Columns2",                 UserThenGlobal, Bytes,  Exact,  96,   0,      DefaultColumns,       W},
    {ShowingDetails,              "Showing Details",               User,           Number, None,   0,    1,      nullptr,              W},
    {DetailsPaneWidth,            "Details Pane Width",            User,           Number, None,   0,    250,    nullptr,              W},
    {AutoLock,                    "Auto Lock",                     User,           Number, None,   0,    0,      nullptr,              W},
    {SleepMinutes,                "Sleep Minutes",                 User,           Number, None,   0,    15,     nullptr,              W},
    {MaxSleepMinutes,             "Max Sleep Minutes",             Global,         Number, None,   0,    60,     nullptr,              R},
    {Font,                        "Font",                          User,           Bytes,  Exact,  60,   0,      nullptr,              W},  // the list's own font
    {RowColor,                    "Row Color",                     User,           Bytes,  Prefix, 4,    0,      PaleBlue,             W},
    {PasswordGeneratorFlags,      "Password generator flags",      User,           Number, None,   0,    0xFFFF, nullptr,              W},
    {PasswordRequirements,        "Password requirements",         Global,         Bytes,  Exact,  32,   0,      nullptr,              R},  // none
    {PasswordRequirementsMessage, "Password requirements message", Global,         Text,   None,   0,    0,      nullptr,              R},
    {PasswordRequirementsError,   "Password requirements error",   Global,         Text,   None,   0,    0,      nullptr,              R},
    {CaseSensitive,               "Case Sensitive",                User,           Number, None,   0,    0,      nullptr,              W},
    {WholeWord,                   "Whole Word",                    User,           Number, None,   0,    0,      nullptr,              W},
    {NoPrint,                     "NoPrint",                       Global,         Any,    AtMost, 4,    0,      nullptr,              R},  // absent: printing allowed
    {PromoText,                   "Promo Text",                    Global,         Text,   None,   0,    0,      nullptr,              R},
    {ClipboardClearSeconds,       "Clipboard Clear Seconds",       User,           Number, None,   0,    10,     nullptr,              W},  // 0: never
    {AutoBackupsKept,             "Auto Backups Kept",             User,           Number, None,   0,    5,      nullptr,              W},  // 0: no dated copies
    {ClipboardClearUnmasked,      "Clipboard Clear Unmasked",      User,           Number, None,   0,    0,      nullptr,              W},
    {LockOnScreenLock,            "Lock On Screen Lock",           User,           Number, None,   0,    1,      nullptr,              W},
    {LockOnSuspend,               "Lock On Suspend",               User,           Number, None,   0,    1,      nullptr,              W},
    {StartMinimized,              "Start Minimized",               User,           Number, None,   0,    0,      nullptr,              W},
    {MinimizeToTray,              "Minimize To Tray",              User,           Number, None,   0,    0,      nullptr,              W},
    {LockWhenMinimized,           "Lock When Minimized",           User,           Number, None,   0,    0,      nullptr,              W},
}};
// clang-format on

constexpr bool InOrder() {
    for (size_t i = 0; i < kTable.size(); ++i)
        if (static_cast<size_t>(kTable[i].id) != i)
            return false;
    return true;
}
static_assert(InOrder(), "the table lists the values in the order of Pref");

// The user's values that an administrator may fix for everyone by giving them in the global
// section.
constexpr Pref kAdministered[] = {ClipboardClearSeconds, AutoBackupsKept,  ClipboardClearUnmasked,
                                  LockOnScreenLock,      LockOnSuspend,    StartMinimized,
                                  MinimizeToTray,        LockWhenMinimized};

bool Administered(Pref id) {
    return std::find(std::begin(kAdministered), std::end(kAdministered), id) !=
           std::end(kAdministered);
}

std::vector<uint8_t> DefaultBytes(const CPreferenceInfo& info) {
    return info.bytesDefault ? info.bytesDefault() : std::vector<uint8_t>();
}

}  // namespace

const std::array<CPreferenceInfo, kPrefCount>& PreferenceTable() {
    return kTable;
}

const CPreferenceInfo& PreferenceInfo(Pref id) {
    return kTable[static_cast<size_t>(id)];
}

std::string CPreferences::SectionName(PrefSection section) const {
    switch (section) {
        case Global:
            return "Preferences";
        case Platform:
            return m_platformName.empty() ? "Preferences" : "Preferences " + m_platformName;
        case User:
        case UserThenGlobal:
            break;
    }
    return m_platformName + " - " + m_userName;
}

bool CPreferences::SetByAdministrator(Pref id) const {
    const CPreferenceInfo& info = PreferenceInfo(id);
    return Administered(id) && m_store.StoredSize(SectionName(Global), info.name).has_value();
}

std::string CPreferences::ReadSection(const CPreferenceInfo& info) const {
    if (SetByAdministrator(info.id))
        return SectionName(Global);
    if (info.section != UserThenGlobal)
        return SectionName(info.section);
    std::string user = SectionName(User);
    if (m_store.StoredSize(user, info.name))
        return user;
    return SectionName(Global);
}

uint32_t CPreferences::ReadNumber(Pref id) const {
    const CPreferenceInfo& info = PreferenceInfo(id);
    if (info.type != Number)
        return 0;
    return m_store.ReadNumber(ReadSection(info), info.name).value_or(info.numberDefault);
}

std::string CPreferences::ReadText(Pref id) const {
    const CPreferenceInfo& info = PreferenceInfo(id);
    if (info.type != Text)
        return {};
    return m_store.ReadText(ReadSection(info), info.name).value_or(std::string());
}

CPrefBytes CPreferences::ReadBytes(Pref id) const {
    const CPreferenceInfo& info = PreferenceInfo(id);
    if (info.type != Bytes)
        return {};
    std::optional<std::vector<uint8_t>> stored = m_store.ReadBytes(ReadSection(info), info.name);
    if (stored && info.length == Exact && stored->size() == info.size)
        return {std::move(*stored), true};
    if (stored && info.length == Prefix && stored->size() >= info.size) {
        stored->resize(info.size);
        return {std::move(*stored), true};
    }
    return {DefaultBytes(info), false};
}

bool CPreferences::Holds(Pref id) const {
    const CPreferenceInfo& info = PreferenceInfo(id);
    const std::string section = ReadSection(info);
    switch (info.type) {
        case Number:
            return m_store.ReadNumber(section, info.name).has_value();
        case Text:
            return m_store.ReadText(section, info.name).has_value();
        case Bytes:
            return ReadBytes(id).found;
        case Any:
            break;
    }
    const std::optional<size_t> size = m_store.StoredSize(section, info.name);
    return size && *size <= info.size;
}

bool CPreferences::Writable(const CPreferenceInfo& info, PrefType type) const {
    return info.written && info.type == type;
}

void CPreferences::WriteNumber(Pref id, uint32_t value) {
    const CPreferenceInfo& info = PreferenceInfo(id);
    if (Writable(info, Number))
        m_store.WriteNumber(SectionName(info.section), info.name, value);
}

void CPreferences::WriteText(Pref id, std::string_view value) {
    const CPreferenceInfo& info = PreferenceInfo(id);
    if (Writable(info, Text))
        m_store.WriteText(SectionName(info.section), info.name, value);
}

void CPreferences::WriteBytes(Pref id, std::span<const uint8_t> value) {
    const CPreferenceInfo& info = PreferenceInfo(id);
    if (Writable(info, Bytes) && value.size() == info.size)
        m_store.WriteBytes(SectionName(info.section), info.name, value);
}

ItemKey CPreferences::ReadKey(Pref id) const {
    const CPrefBytes read = ReadBytes(id);
    ItemKey key = AnyKey;
    if (read.bytes.size() == key.bytes.size())
        std::copy(read.bytes.begin(), read.bytes.end(), key.bytes.begin());
    return key;
}

void CPreferences::WriteKey(Pref id, const ItemKey& key) {
    WriteBytes(id, key.bytes);
}

uint32_t CPreferences::ReadWord(Pref id) const {
    const CPrefBytes read = ReadBytes(id);
    return read.bytes.size() == 4 ? ReadLE32(read.bytes.data()) : 0;
}

void CPreferences::WriteWord(Pref id, uint32_t value) {
    WriteBytes(id, LittleEndian(value));
}

CColumnLayout CPreferences::ReadColumns() const {
    const CPrefBytes read = ReadBytes(ShowColumns);
    return read.bytes.size() == CColumnLayout::kBytes ? CColumnLayout::FromBytes(read.bytes.data())
                                                      : CColumnLayout::Default();
}

void CPreferences::WriteColumns(const CColumnLayout& layout) {
    WriteBytes(ShowColumns, layout.ToBytes());
}

std::optional<CLogFont> CPreferences::ReadFont() const {
    const CPrefBytes read = ReadBytes(Font);
    if (!read.found)
        return std::nullopt;
    return CLogFont::FromBytes(read.bytes.data());
}

void CPreferences::WriteFont(const CLogFont& font) {
    WriteBytes(Font, font.ToBytes());
}

bool CPreferences::EffectiveAutoLock() const {
    return ReadNumber(MaxSleepMinutes) <= 59 || ReadNumber(AutoLock) != 0;
}

uint32_t CPreferences::EffectiveSleepMinutes() const {
    return std::min(ReadNumber(SleepMinutes), ReadNumber(MaxSleepMinutes));
}

}  // namespace tessarin
