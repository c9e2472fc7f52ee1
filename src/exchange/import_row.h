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

    void Clear() {
        values.clear();
        icon = mask = 0;
        for (std::string& label : customLabels)
            label.clear();
        category.clear();
        typeRow = false;
        cut = false;
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
