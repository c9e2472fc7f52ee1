#pragma once

// Stored text is single-byte Windows-1252. These are the only conversions to and from Unicode; they
// are used at the edges (terminal, JSON, widgets) and nowhere else.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessarin {

// The code point of a Windows-1252 byte. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so every byte has one.
char32_t Cp1252ToCodePoint(uint8_t byte);

// The Windows-1252 byte of a code point, or none when Windows-1252 cannot hold it.
std::optional<uint8_t> CodePointToCp1252(char32_t codePoint);

// Decodes the UTF-8 character at `pos` of `text` into `codePoint`; returns its length in bytes, or
// 0 when the bytes there are not UTF-8 (overlong forms and surrogates included).
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& codePoint);

// Appends the UTF-8 form of a code point.
void AppendCodePointAsUtf8(std::string& out, char32_t codePoint);

std::string Cp1252ToUtf8(std::string_view text);
// The same, appended to `out`: for writing much text without a string per piece.
void AppendCp1252AsUtf8(std::string& out, std::string_view text);

// Converts UTF-8 to Windows-1252. Fails on malformed UTF-8 or on a character that Windows-1252
// cannot hold; `failedAt` then receives the byte offset of the offending character.
bool Utf8ToCp1252(std::string_view utf8, std::string& out, size_t* failedAt = nullptr);

// UTF-8 text (a file-system path, a terminal's text) to show in a Windows-1252 message: a character
// Windows-1252 cannot hold, or a malformed byte sequence, becomes '?'.
std::string Utf8ToCp1252Shown(std::string_view utf8);

// Converts UTF-16 code units to Windows-1252 the way the system's wide-to-ANSI conversion does:
// a character without a Windows-1252 form becomes '?'.
std::string Utf16ToCp1252(std::u16string_view text);

}  // namespace tessarin
