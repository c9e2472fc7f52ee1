#pragma once

// The line reader and value cleaning that the Cryptinfo, MobileSafe and eWallet parsers share.
#include <string>
#include <string_view>

#include "exchange/import_row.h"
#include "exchange/text_cursor.h"

namespace tessarin {

// Reads the next non-empty line (without its end) and moves past it. A line end is one CR or LF,
// plus a directly following CR or LF, plus one more LF when that second one was CR: so CR LF, LF,
// LF CR LF and CR CR LF each end one line, and a blank line after CR LF stays to be seen. False at
// the end of the text. Lines are not cut, however long.
bool ReadLine(CTextCursor& cursor, std::string_view& line);

// The line ReadLine would read, without moving.
bool PeekLine(const CTextCursor& cursor, std::string_view& line);

// After a line: a blank line follows, or the text ends.
inline bool RecordEnds(const CTextCursor& cursor) {
    return cursor.AtLineEnd();
}

// Leading blanks and tabs removed, and trailing blanks, tabs, CR and LF.
std::string CleanValue(std::string_view value);

// The text after the line's first colon; none when it has no colon.
inline bool TextAfterColon(std::string_view line, std::string_view& text) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    text = line.substr(colon + 1);
    return true;
}

inline bool HoldsColon(std::string_view line) {
    return line.find(':') != std::string_view::npos;
}

// A labelled line's value: the text after its colon, then each following line without a colon,
// each followed by CR LF; cleaned. With `breakAfterFirst` the first line's text is followed by CR
// LF as well. With `withinRecord` a blank line ends the value.
std::string ReadLabelledValue(CTextCursor& cursor, std::string_view text, bool breakAfterFirst,
                              bool withinRecord);

// The lines of a Cryptinfo or MobileSafe record up to a blank line: each labelled one gives a
// value, the others are passed over. With `noteInPlace` a "Note:" line's value goes to the note's
// place, after six fields.
void ReadLabelledRecord(CTextCursor& cursor, CImportRow& row, bool breakAfterFirst,
                        bool noteInPlace);

}  // namespace tessarin
