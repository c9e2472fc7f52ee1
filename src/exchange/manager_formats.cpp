#include "exchange/manager_formats.h"

#include <algorithm>
#include <vector>

#include "base/text_case.h"
#include "exchange/manager_text.h"
#include "resources/string_ids.h"

namespace tessarin {

namespace {

using enum ColumnRole;

struct CColumn {
    std::string_view name;  // as the manager's export writes it in its first line
    ColumnRole role;
};

constexpr CColumn kKeePassXc[] = {
    {"Group", Folder},      {"Title", Name},   {"Username", Username},
    {"Password", Password}, {"URL", Url},      {"Notes", Notes},
    {"TOTP", Totp},         {"Icon", Dropped}, {"Last Modified", Dropped},
    {"Created", Dropped},
};
constexpr CColumn kBitwarden[] = {
    {"folder", Folder},
    {"favorite", Dropped},
    {"type", Kind},
    {"name", Name},
    {"notes", Notes},
    {"fields", Fields},
    {"reprompt", Dropped},
    {"login_uri", Urls},
    {"login_username", Username},
    {"login_password", Password},
    {"login_totp", Totp},
};
constexpr CColumn kChrome[] = {
    {"name", Name}, {"url", Url}, {"username", Username}, {"password", Password}, {"note", Notes},
};
constexpr CColumn kFirefox[] = {
    {"url", Url},
    {"username", Username},
    {"password", Password},
    {"httpRealm", Other},  // known, and kept in the note: it tells which login prompt it answers
    {"formActionOrigin", Dropped},
    {"guid", Dropped},
    {"timeCreated", Dropped},
    {"timeLastUsed", Dropped},
    {"timePasswordChanged", Dropped},
};
constexpr CColumn kOnePassword[] = {
    {"Title", Name},        {"Url", Url},      {"Username", Username},
    {"Password", Password}, {"OTPAuth", Totp}, {"Favorite", Dropped},
    {"Archived", Dropped},  {"Tags", Tags},    {"Notes", Notes},
};
constexpr CColumn kLastPass[] = {
    {"url", Url},     {"username", Username}, {"password", Password}, {"totp", Totp},
    {"extra", Notes}, {"name", Name},         {"grouping", Folder},   {"fav", Dropped},
};
constexpr CColumn kProtonPass[] = {
    {"type", Kind},          {"name", Name},          {"url", Urls},     {"email", Email},
    {"username", Username},  {"password", Password},  {"note", Notes},   {"totp", Totp},
    {"createTime", Dropped}, {"modifyTime", Dropped}, {"vault", Folder},
};

struct CLayout {
    ExchangeFormat format;
    std::span<const CColumn> columns;
    // The documented first lines: the first this many column names, in order.
    size_t headerLengths[2];
};

constexpr CLayout kLayouts[] = {
    {ExchangeFormat::KeePassXc, kKeePassXc, {10, 6}},  // older exports lack the last four
    {ExchangeFormat::Bitwarden, kBitwarden, {11, 11}},
    {ExchangeFormat::Chrome, kChrome, {5, 4}},  // the note is optional
    {ExchangeFormat::Firefox, kFirefox, {9, 9}},
    {ExchangeFormat::OnePassword, kOnePassword, {9, 9}},
    {ExchangeFormat::LastPass, kLastPass, {8, 8}},
    {ExchangeFormat::ProtonPass, kProtonPass, {11, 11}},
};

constexpr CManagerFormat kFormats[] = {
    {ExchangeFormat::KeePassXc, "keepassxc", str::kManagerKeePassXc},
    {ExchangeFormat::Bitwarden, "bitwarden", str::kManagerBitwarden},
    {ExchangeFormat::Chrome, "chrome", str::kManagerChrome},
    {ExchangeFormat::Firefox, "firefox", str::kManagerFirefox},
    {ExchangeFormat::OnePassword, "1password", str::kManagerOnePassword},
    {ExchangeFormat::LastPass, "lastpass", str::kManagerLastPass},
    {ExchangeFormat::ProtonPass, "protonpass", str::kManagerProtonPass},
};

const CLayout* LayoutOf(ExchangeFormat format) {
    for (const CLayout& layout : kLayouts)
        if (layout.format == format)
            return &layout;
    return nullptr;
}

// The fields of the first line (not record: a first line never holds a line break).
std::vector<std::string> FirstLineFields(std::string_view text) {
    text = WithoutBom(text);
    return FirstRecordOf(text.substr(0, text.find_first_of("\r\n")));
}

// Past blanks and line ends.
std::string_view SkipJsonWhite(std::string_view text) {
    while (!text.empty() && IsWhite(text.front()))
        text.remove_prefix(1);
    return text;
}

// The value of Bitwarden's "encrypted" when it is the first member of the text's object.
std::optional<bool> BitwardenEncryptedFlag(std::string_view text) {
    text = SkipJsonWhite(WithoutBom(text));
    if (!text.starts_with('{'))
        return std::nullopt;
    text = SkipJsonWhite(text.substr(1));
    constexpr std::string_view kKey = "\"encrypted\"";
    if (!text.starts_with(kKey))
        return std::nullopt;
    text = SkipJsonWhite(text.substr(kKey.size()));
    if (!text.starts_with(':'))
        return std::nullopt;
    text = SkipJsonWhite(text.substr(1));
    if (text.starts_with("true"))
        return true;
    if (text.starts_with("false"))
        return false;
    return std::nullopt;
}

}  // namespace

std::span<const CManagerFormat> ManagerFormats() {
    return kFormats;
}

const CManagerFormat* FindManagerFormat(ExchangeFormat format) {
    for (const CManagerFormat& f : kFormats)
        if (f.format == format)
            return &f;
    return nullptr;
}

ColumnRole RoleOfColumn(ExchangeFormat format, std::string_view name) {
    if (const CLayout* layout = LayoutOf(format))
        for (const CColumn& column : layout->columns)
            if (EqualsNoCase(column.name, name))
                return column.role;
    return Other;
}

bool IsBitwardenJson(std::string_view text) {
    return BitwardenEncryptedFlag(text).has_value();
}

bool IsEncryptedBitwardenJson(std::string_view text) {
    return BitwardenEncryptedFlag(text).value_or(false);
}

std::optional<ExchangeFormat> DetectManagerExport(std::string_view text) {
    if (IsBitwardenJson(text))
        return ExchangeFormat::Bitwarden;
    const std::vector<std::string> names = FirstLineFields(text);
    for (const CLayout& layout : kLayouts)
        for (size_t length : layout.headerLengths)
            if (names.size() == length &&
                std::equal(names.begin(), names.end(), layout.columns.begin(),
                           [](const std::string& a, const CColumn& b) { return a == b.name; }))
                return layout.format;
    return std::nullopt;
}

bool LooksLikeManagerExport(ExchangeFormat format, std::string_view text) {
    if (format == ExchangeFormat::Bitwarden && IsBitwardenJson(text))
        return true;
    const std::vector<std::string> names = FirstLineFields(text);
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return RoleOfColumn(format, name) != Other;
    });
}

}  // namespace tessarin
