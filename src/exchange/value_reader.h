#pragma once

// The readers of one comma-separated value, shared by the exchange rows, CSV and TopSecret.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/secure_memory.h"
#include "exchange/text_cursor.h"

namespace tessarin {

// Reads one value into `out`: leading blanks and line ends are skipped; a value that then begins
// with a double quote is quoted (commas and line ends inside are data, a doubled quote is one
// quote, the next single quote closes it); an unquoted value ends at a comma, CR or LF. Every
// vertical tab becomes CR LF. A comma that ends the value is consumed, and the blanks after it up
// to the line end are skipped.
enum class ValueEnd {
    Comma,      // a comma ended it: another value follows on the line
    Other,      // a line end, the end of the text
    OpenQuote,  // the text ended inside a quoted value: it was cut
};
ValueEnd ReadValue(CTextCursor& cursor, std::string& out);

// A value whose first character is "T".
bool ReadFlag(CTextCursor& cursor, std::string& scratch);

// A value read as a decimal number (sign and digits, anything after them ignored, none gives 0),
// truncated to 16 bits.
uint16_t ReadNumber(CTextCursor& cursor, std::string& scratch);
uint16_t NumberFromText(std::string_view text);

// The hexadecimal reader: after leading blanks and line ends, pairs of the digits 0-9 and A-F
// (upper case only), high digit first, up to the first other character; an odd last digit is
// dropped. The bytes are appended to `out`; returns how many.
size_t AppendHexBytes(std::string_view text, std::string& out);
// The same for bytes that are deciphered in place afterwards: wiped when given back.
using CWipedChars = std::vector<char, CWipingAllocator<char>>;
size_t AppendHexBytes(std::string_view text, CWipedChars& out);

}  // namespace tessarin
