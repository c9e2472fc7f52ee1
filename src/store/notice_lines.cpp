#include "store/notice_lines.h"

namespace tessarin {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A decimal number of at most 32 bits at `at`, after blanks; `at` moves past it.
std::optional<uint32_t> ReadNumber(std::string_view line, size_t& at) {
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    const size_t start = at;
    uint64_t value = 0;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') {
        value = value * 10 + static_cast<uint64_t>(line[at] - '0');
        if (value > 0xFFFFFFFFu)
            return std::nullopt;
        ++at;
    }
    if (at == start)
        return std::nullopt;
    return static_cast<uint32_t>(value);
}

// The length of the UTF-8 sequence at `at` and its code point; 0 when it is not one.
size_t DecodeUtf8(std::string_view text, size_t at, uint32_t& code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length;
    uint32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (byte(at + i) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

}  // namespace

std::string NoticeLine(const CChangeNotice& notice) {
    const uint32_t first = (notice.kind & 0xFFFF) << 16 | (notice.action & 0xFFFF);
    return std::string(kNoticeMessageName) + " " + std::to_string(first) + " " +
           std::to_string(notice.recordNumber) + "\n";
}

std::optional<CChangeNotice> ParseNoticeLine(std::string_view line) {
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    size_t at = 0;
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    const std::string_view name(kNoticeMessageName);
    if (line.compare(at, name.size(), name) != 0)
        return std::nullopt;
    at += name.size();
    if (at == line.size() || !IsBlank(line[at]))
        return std::nullopt;
    const std::optional<uint32_t> first = ReadNumber(line, at);
    if (!first || at == line.size() || !IsBlank(line[at]))
        return std::nullopt;
    const std::optional<uint32_t> second = ReadNumber(line, at);
    if (!second || at != line.size())
        return std::nullopt;
    return CChangeNotice{*first & 0xFFFF, *first >> 16, *second};
}

std::string CopyDataLine(uint32_t tag, const std::string& data) {
    static const char kDigits[] = "0123456789abcdef";
    std::string line = std::string(kCopyDataMessageName) + " " + std::to_string(tag) + " ";
    line.reserve(line.size() + 2 * data.size());
    for (unsigned char c : data) {
        line += kDigits[c >> 4];
        line += kDigits[c & 15];
    }
    return line;
}

std::optional<std::pair<uint32_t, std::string>> ParseCopyDataLine(std::string_view line) {
    const std::string prefix = std::string(kCopyDataMessageName) + " ";
    if (line.compare(0, prefix.size(), prefix) != 0)
        return std::nullopt;
    const size_t space = line.find(' ', prefix.size());
    if (space == std::string_view::npos || space == prefix.size())
        return std::nullopt;
    uint64_t tag = 0;
    for (size_t i = prefix.size(); i < space; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return std::nullopt;
        tag = tag * 10 + static_cast<uint64_t>(line[i] - '0');
        if (tag > 0xFFFFFFFFu)
            return std::nullopt;
    }
    const std::string_view hex = line.substr(space + 1);
    if (hex.size() % 2)
        return std::nullopt;
    std::string data;
    data.reserve(hex.size() / 2);
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]), low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        data += static_cast<char>(high << 4 | low);
    }
    return std::make_pair(static_cast<uint32_t>(tag), std::move(data));
}

bool IsHandOverPath(std::string_view path) {
    if (path.empty() || path.front() != '/')
        return false;
    for (size_t at = 0; at < path.size();) {
        uint32_t code = 0;
        const size_t length = DecodeUtf8(path, at, code);
        if (length == 0 || code < 0x20 || (code >= 0x7F && code <= 0x9F))
            return false;
        at += length;
    }
    return true;
}

std::vector<std::string> CLineBuffer::Add(std::string_view bytes) {
    std::vector<std::string> lines;
    if (m_overflowed)
        return lines;
    m_pending.append(bytes);
    size_t start = 0;
    for (size_t end; (end = m_pending.find('\n', start)) != std::string::npos; start = end + 1) {
        if (end - start > m_maxLine) {
            m_overflowed = true;
            break;
        }
        lines.emplace_back(m_pending, start, end - start);
    }
    m_pending.erase(0, start);
    if (m_pending.size() > m_maxLine)
        m_overflowed = true;
    if (m_overflowed)
        m_pending.clear();
    return lines;
}

}  // namespace tessarin
