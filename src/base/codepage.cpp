#include "base/codepage.h"

namespace tessarin {

namespace {

// Code points of bytes 0x80-0x9F.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

void AppendCodePointAsUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

size_t DecodeUtf8(std::string_view s, size_t pos, char32_t& cp) {
    const auto b0 = static_cast<uint8_t>(s[pos]);
    size_t length;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (pos + length > s.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto b = static_cast<uint8_t>(s[pos + i]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

char32_t Cp1252ToCodePoint(uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return kHighControls[byte - 0x80];
    return byte;
}

std::optional<uint8_t> CodePointToCp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<uint8_t>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == cp)
            return static_cast<uint8_t>(0x80 + i);
    return std::nullopt;
}

std::string Cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    AppendCp1252AsUtf8(out, text);
    return out;
}

void AppendCp1252AsUtf8(std::string& out, std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        // ASCII is the same in both: copied a run at a time.
        size_t ascii = i;
        while (ascii < text.size() && static_cast<uint8_t>(text[ascii]) < 0x80)
            ++ascii;
        out.append(text.data() + i, ascii - i);
        if (ascii == text.size())
            break;
        AppendCodePointAsUtf8(out, Cp1252ToCodePoint(static_cast<uint8_t>(text[ascii])));
        i = ascii + 1;
    }
}

bool Utf8ToCp1252(std::string_view utf8, std::string& out, size_t* failedAt) {
    out.clear();
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t cp = 0;
        const size_t length = DecodeUtf8(utf8, pos, cp);
        const auto byte = length ? CodePointToCp1252(cp) : std::nullopt;
        if (!byte) {
            if (failedAt)
                *failedAt = pos;
            return false;
        }
        out += static_cast<char>(*byte);
        pos += length;
    }
    return true;
}

std::string Utf16ToCp1252(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;  // a pair is one character, and none of them has a Windows-1252 form
            cp = 0x10000;
        }
        const auto byte = CodePointToCp1252(cp);
        out += byte ? static_cast<char>(*byte) : '?';
    }
    return out;
}

std::string Utf8ToCp1252Shown(std::string_view utf8) {
    std::string out;
    for (;;) {
        std::string part;
        size_t failedAt = 0;
        if (Utf8ToCp1252(utf8, part, &failedAt))
            return out + part;
        // Keep what converted, mark the character that did not, and go on after it.
        std::string head;
        Utf8ToCp1252(utf8.substr(0, failedAt), head);
        out += head;
        out += '?';
        size_t next = failedAt + 1;
        while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80)
            ++next;
        utf8 = utf8.substr(next);
    }
}

}  // namespace tessarin
