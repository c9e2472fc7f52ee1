#pragma once

// The text of other password managers' exports: UTF-8 (with or without a byte-order mark) that
// becomes Windows-1252, and CSV records as RFC 4180 writes them.
#include <string>
#include <string_view>
#include <vector>

#include "exchange/text_cursor.h"

namespace tessarin {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The text after its byte-order mark, if it has one.
std::string_view WithoutBom(std::string_view text);

// Converts one imported value to the database's Windows-1252. A character Windows-1252 cannot hold
// becomes "?", and the value's name is added to `replaced` (", " between names, each once). A
// value that is not UTF-8 at all is taken as Windows-1252 already. Every line break (CR LF, LF or
// CR) becomes CR LF, the database's line break.
class CImportText {
public:
    std::string Convert(std::string_view utf8, std::string_view name);
    // The names of the values converted with a "?" since the last call; empties the list.
    std::string TakeReplaced();

private:
    std::vector<std::string> m_replaced;
};

// Reads CSV records: fields separated by commas, records by CR LF, LF or CR; a field in double
// quotes holds commas, quotes (doubled) and line breaks as data. Nothing is trimmed.
class CCsvRecordReader {
public:
    explicit CCsvRecordReader(std::string_view text) : m_cursor(text) {}

    enum class Result {
        End,       // no more records
        Record,    // `fields` holds the next record
        Unclosed,  // a quoted field ran to the end of the text: the record is not whole
    };
    Result Next(std::vector<std::string>& fields);
    // Passes over the first bytes (a byte-order mark); offsets still count from the text's start.
    void Skip(size_t count) { m_cursor.Advance(count); }
    const CTextCursor& Cursor() const { return m_cursor; }

private:
    CTextCursor m_cursor;
};

// The fields of the first CSV record of `text` (after a byte-order mark).
std::vector<std::string> FirstRecordOf(std::string_view text);

// The host name of a URL ("https://user@www.example.com:8080/x" gives "www.example.com"); a text
// without "://" is taken as beginning with the host.
std::string_view HostOf(std::string_view url);

// The last non-empty component of a folder path whose levels are split by any of `separators`.
std::string_view LastPathComponent(std::string_view path, std::string_view separators);

}  // namespace tessarin
