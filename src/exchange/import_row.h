#pragma once

// What a row parser of any import format hands to the row import: one record (or, in exchange
// files, one type) at a time.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "exchange/text_cursor.h"
#include "store/items.h"

namespace tessarin {

class CKeySchedule;

// The formats an import can be read in, and what detection can find.
enum class ExchangeFormat {
    Detect,     // an import: find the format from the file's first bytes
    Vex1,       // exchange file, version 1.0 (read only)
    Vex2,       // exchange file, version 2.0
    LaterVex,   // detection only: an exchange file of a later version, refused
    CsvExport,  // detection only: a CSV file this program wrote; read as CSV
    Csv,        // plain CSV
    Cryptinfo,
    EWallet,
    MobileSafe,
    TopSecret,
    Yaps,
    NotText,  // detection only: refused
    // Other password managers' exports, found by their first line.
    KeePassXc,
    Bitwarden,  // its CSV or its unencrypted JSON
    Chrome,     // also Chromium, Edge and Brave
    Firefox,
    OnePassword,
    LastPass,
    ProtonPass,
};

// What a row of another password manager's export carries beside its values: the row import makes
// the rest with the names of the database's string table.
struct CManagerRow {
    // The string number of the record's built-in type (kUnfiled: no type); 0 when value 1 names it.
    int builtInType = 0;
    // A note that begins as this program's exports for other managers write it: "Type: NAME", a
    // "label: value" line for each of the fields from field 2 on, and an empty line before the
    // rest. values[7] holds that rest, wholeNote the note had the head not been taken.
    bool hasHead = false;
    std::string headType;
    std::vector<std::string> headValues;
    std::string wholeNote;
    // The names of the values in which characters Windows-1252 cannot hold became "?".
    std::string replaced;

    void Clear() {
        builtInType = 0;
        hasHead = false;
        headType.clear();
        headValues.clear();
        wholeNote.clear();
        replaced.clear();
    }
};

struct CImportRow {
    // Type rows: name and labels. Record rows: type name (where the format has one), six field
    // values, then note parts.
    std::vector<std::string> values;
    uint16_t icon = 0;
    uint16_t mask = 0;
    std::array<std::string, kFieldCount> customLabels;
    std::string category;
    bool typeRow = false;
    // A record row of an exchange file whose line ended before its note, or whose last value's
    // quote never closed: the text was cut inside the row.
    bool cut = false;
    // A row without values because the text cannot be read from here on (malformed JSON, a quote
    // that never closes).
    bool unreadable = false;
    CManagerRow manager;

    void Clear() {
        values.clear();
        icon = mask = 0;
        for (std::string& label : customLabels)
            label.clear();
        category.clear();
        typeRow = false;
        cut = false;
        unreadable = false;
        manager.Clear();
    }
};

class IRowParser {
public:
    virtual ~IRowParser() = default;
    // Parses the next row. False when the text is used up. A row without values (a malformed
    // one) ends the import all the same. Every call that returns true moves on in the text.
    virtual bool Next(CImportRow& row) = 0;
    // Where the parser stands in the text.
    virtual const CTextCursor& Cursor() const = 0;
};

// The row parser of a format (not Detect, LaterVex or NotText) over `text`, which must outlive
// it. `key` deciphers the values of a protected exchange file; a protected file without a key
// yields no rows.
std::unique_ptr<IRowParser> MakeRowParser(ExchangeFormat format, std::string_view text,
                                          const CKeySchedule* key);

}  // namespace tessarin
