#include "exchange/value_reader.h"
#include "exchange/value_writer.h"
#include "exchange/vex_format.h"

namespace tessarin {

namespace {

// The check block's digits as written on line 2 (at most 200 characters of it), or none when the
// text is not an exchange file or not protected.
bool ReadCheckDigits(std::string_view text, std::string& bytes) {
    CTextCursor cursor(text);
    if (!cursor.StartsWith(kVex1Magic) && !cursor.StartsWith(kVex2Magic))
        return false;
    cursor.SkipLine();
    std::string flag;
    if (!ReadFlag(cursor, flag))
        return false;
    std::string_view line = cursor.Rest().substr(0, 200);
    line = line.substr(0, line.find_first_of("\r\n"));
    bytes.clear();
    AppendHexBytes(line, bytes);
    return true;
}

}  // namespace

int CheckFilePassword(std::string_view text, const CKeySchedule* key) {
    if (!text.starts_with(kVex1Magic) && !text.starts_with(kVex2Magic))
        return -1;
    std::string bytes;
    if (!ReadCheckDigits(text, bytes))
        return 0;
    if (!key)
        return 1;
    CipherWhole(*key, reinterpret_cast<uint8_t*>(bytes.data()), bytes.size(), false);
    // Compared as a zero-terminated text.
    const std::string_view plain(
        bytes.data(), bytes.find('\0') == std::string::npos ? bytes.size() : bytes.find('\0'));
    return plain == kExportVerificationText ? 0 : 1;
}

bool IsProtectedVex(std::string_view text) {
    return CheckFilePassword(text, nullptr) == 1;
}

bool HasWholeCheckBlock(std::string_view text) {
    std::string bytes;
    return ReadCheckDigits(text, bytes) && bytes.size() >= kExportVerificationText.size();
}

}  // namespace tessarin
