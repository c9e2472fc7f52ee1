#include "exchange/line_reader.h"

namespace tessarin {

bool ReadLine(CTextCursor& cursor, std::string_view& line) {
    for (;;) {
        if (cursor.AtEnd())
            return false;
        const std::string_view rest = cursor.Rest();
        const size_t length = rest.find_first_of("\r\n");
        line = rest.substr(0, length);
        cursor.Advance(line.size());
        if (!cursor.AtEnd()) {
            cursor.Advance();
            const char second = cursor.Peek();
            if (second == '\r' || second == '\n') {
                cursor.Advance();
                if (second == '\r' && cursor.Peek() == '\n')
                    cursor.Advance();
            }
        }
        if (!line.empty())
            return true;
    }
}

bool PeekLine(const CTextCursor& cursor, std::string_view& line) {
    CTextCursor copy = cursor;
    return ReadLine(copy, line);
}

std::string CleanValue(std::string_view value) {
    size_t first = 0;
    while (first < value.size() && (value[first] == ' ' || value[first] == '\t'))
        ++first;
    size_t last = value.size();
    while (last > first && (value[last - 1] == ' ' || value[last - 1] == '\t' ||
                            value[last - 1] == '\r' || value[last - 1] == '\n'))
        --last;
    return std::string(value.substr(first, last - first));
}

std::string ReadLabelledValue(CTextCursor& cursor, std::string_view text, bool breakAfterFirst,
                              bool withinRecord) {
    std::string value(text);
    if (breakAfterFirst)
        value.append("\r\n");
    std::string_view next;
    while (!(withinRecord && RecordEnds(cursor)) && PeekLine(cursor, next) && !HoldsColon(next)) {
        ReadLine(cursor, next);
        value.append(next).append("\r\n");
    }
    return CleanValue(value);
}

void ReadLabelledRecord(CTextCursor& cursor, CImportRow& row, bool breakAfterFirst,
                        bool noteInPlace) {
    row.values.emplace_back();  // no type name
    std::string_view line;
    while (ReadLine(cursor, line)) {
        if (noteInPlace && line.starts_with("Note:") && row.values.size() < 1 + kFieldCount)
            row.values.resize(1 + kFieldCount);
        std::string_view text;
        if (TextAfterColon(line, text))
            row.values.push_back(ReadLabelledValue(cursor, text, breakAfterFirst, true));
        if (RecordEnds(cursor))
            break;
    }
}

}  // namespace tessarin
