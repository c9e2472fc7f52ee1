#pragma once

// The exports of other password managers that imports read: their names, the first lines that
// identify them, and the columns they hold.
#include <optional>
#include <span>
#include <string_view>

#include "exchange/import_row.h"

namespace tessarin {

struct CManagerFormat {
    ExchangeFormat format;
    std::string_view cliName;  // "keepassxc": the name `tessarin-cli import --format` takes
    int name;                  // string number of the manager's name, for messages
};

// Every format, in menu order.
std::span<const CManagerFormat> ManagerFormats();
// None for this program's own formats and the Part's foreign ones.
const CManagerFormat* FindManagerFormat(ExchangeFormat format);
inline bool IsManagerFormat(ExchangeFormat format) {
    return FindManagerFormat(format) != nullptr;
}

// What a column of an export holds.
enum class ColumnRole : uint8_t {
    Other,     // a column this program does not know: "column: value" in the note
    Dropped,   // favourites, icons, timestamps and identifiers are not kept
    Name,      // the entry's name or title
    Username,  //
    Email,     // Proton Pass: the username when there is none
    Password,  //
    Url,       // one URL
    Urls,      // URLs separated by commas
    Totp,      // a one-time-password secret or otpauth:// URI
    Notes,     //
    Folder,    // folder, group, grouping or vault: a path whose last component is the category
    Kind,      // "login", "note" and the like
    Fields,    // Bitwarden's custom fields, "name: value" a line
    Tags,      //
};

// The role of the column `name` (compared without regard to case) in the CSV export `format`.
ColumnRole RoleOfColumn(ExchangeFormat format, std::string_view name);

// The export whose documented first line `text` begins with (after a byte-order mark), or
// Bitwarden for a text that begins as Bitwarden's JSON export does ("{" and "encrypted" as its
// first member).
std::optional<ExchangeFormat> DetectManagerExport(std::string_view text);

// Whether `text` can be read as an export of `format`: its first line names at least one of the
// format's columns (Bitwarden: or it is Bitwarden's JSON).
bool LooksLikeManagerExport(ExchangeFormat format, std::string_view text);

// A text that begins as Bitwarden's JSON export does.
bool IsBitwardenJson(std::string_view text);
// Bitwarden's JSON export, encrypted with a password: it cannot be read.
bool IsEncryptedBitwardenJson(std::string_view text);

// The row parsers (manager_csv_parser.cpp, bitwarden_json_parser.cpp).
std::unique_ptr<IRowParser> MakeManagerCsvParser(ExchangeFormat format, std::string_view text);
std::unique_ptr<IRowParser> MakeBitwardenJsonParser(std::string_view text);

}  // namespace tessarin
