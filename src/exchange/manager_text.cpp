#include "exchange/manager_text.h"

#include <algorithm>

#include "base/codepage.h"

namespace tessarin {

namespace {

// The length of the run of ASCII without line breaks at the start of `text`: what converts as it
// is.
size_t PlainRun(std::string_view text) {
    size_t n = 0;
    while (n < text.size() && static_cast<uint8_t>(text[n]) < 0x80 && text[n] != '\r' &&
           text[n] != '\n')
        ++n;
    return n;
}

// Appends `text` with every line break made CR LF.
void AppendWithLineBreaks(std::string& out, std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += c;
        }
    }
}

}  // namespace

std::string CImportText::TakeReplaced() {
    std::string names;
    for (const std::string& name : m_replaced) {
        if (!names.empty())
            names += ", ";
        names += name;
    }
    m_replaced.clear();
    return names;
}

std::string_view WithoutBom(std::string_view text) {
    return text.starts_with(kUtf8Bom) ? text.substr(kUtf8Bom.size()) : text;
}

std::string CImportText::Convert(std::string_view utf8, std::string_view name) {
    size_t i = PlainRun(utf8);
    if (i == utf8.size())
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size() + 8);
    out.append(utf8.data(), i);
    bool replaced = false;
    while (i < utf8.size()) {
        if (const size_t run = PlainRun(utf8.substr(i))) {
            out.append(utf8.data() + i, run);
            i += run;
            continue;
        }
        const char c = utf8[i];
        if (c == '\r' || c == '\n') {
            out += "\r\n";
            i += c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n' ? 2 : 1;
            continue;
        }
        char32_t codePoint = 0;
        const size_t length = DecodeUtf8(utf8, i, codePoint);
        if (length == 0) {
            // Not UTF-8: the bytes are Windows-1252 already.
            out.clear();
            AppendWithLineBreaks(out, utf8);
            return out;
        }
        if (const auto byte = CodePointToCp1252(codePoint)) {
            out += static_cast<char>(*byte);
        } else {
            out += '?';
            replaced = true;
        }
        i += length;
    }
    // Each name once, in the order the values were converted.
    if (replaced && std::find(m_replaced.begin(), m_replaced.end(), name) == m_replaced.end())
        m_replaced.emplace_back(name);
    return out;
}

CCsvRecordReader::Result CCsvRecordReader::Next(std::vector<std::string>& fields) {
    fields.clear();
    if (m_cursor.AtEnd())
        return Result::End;
    for (;;) {
        std::string& field = fields.emplace_back();
        if (m_cursor.Peek() == '"') {
            m_cursor.Advance();
            for (;;) {
                const std::string_view rest = m_cursor.Rest();
                const size_t quote = rest.find('"');
                if (quote == std::string_view::npos) {
                    field.append(rest);
                    m_cursor.Advance(rest.size());
                    return Result::Unclosed;
                }
                field.append(rest.data(), quote);
                m_cursor.Advance(quote + 1);
                if (m_cursor.Peek() != '"')
                    break;
                field += '"';
                m_cursor.Advance();
            }
            // Text between the closing quote and the next comma or line end (no writer makes it)
            // is kept as data, below.
        }
        const std::string_view rest = m_cursor.Rest();
        const size_t length = SpanWithout(rest, ',', '\r', '\n', ',');
        field.append(rest.data(), length);
        m_cursor.Advance(length);
        if (m_cursor.AtEnd())
            return Result::Record;
        const char end = m_cursor.Peek();
        m_cursor.Advance();
        if (end == ',')
            continue;
        if (end == '\r' && m_cursor.Peek() == '\n')
            m_cursor.Advance();
        return Result::Record;
    }
}

std::vector<std::string> FirstRecordOf(std::string_view text) {
    std::vector<std::string> fields;
    CCsvRecordReader reader(WithoutBom(text));
    reader.Next(fields);
    return fields;
}

std::string_view HostOf(std::string_view url) {
    while (!url.empty() && (url.front() == ' ' || url.front() == '\t'))
        url.remove_prefix(1);
    if (const size_t scheme = url.find("://"); scheme != std::string_view::npos)
        url.remove_prefix(scheme + 3);
    url = url.substr(0, url.find_first_of("/?# \t"));
    if (const size_t at = url.rfind('@'); at != std::string_view::npos)
        url.remove_prefix(at + 1);
    if (url.starts_with('[')) {
        // An IPv6 address keeps its brackets; its colons are not a port.
        const size_t close = url.find(']');
        return close == std::string_view::npos ? url : url.substr(0, close + 1);
    }
    return url.substr(0, url.find(':'));
}

std::string_view LastPathComponent(std::string_view path, std::string_view separators) {
    while (!path.empty() && separators.find(path.back()) != std::string_view::npos)
        path.remove_suffix(1);
    const size_t split = path.find_last_of(separators);
    return split == std::string_view::npos ? path : path.substr(split + 1);
}

}  // namespace tessarin
