#include "resources/language_file.h"

#include <charconv>
#include <fstream>

#include "base/codepage.h"
#include "base/file_trust.h"
#include "resources/string_table.h"

namespace tessarin {

namespace {

std::string Unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
    }
    return out;
}

}  // namespace

size_t ApplyLanguageText(std::string_view content, CStringTable& strings) {
    size_t replaced = 0;
    while (!content.empty()) {
        const size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        content = end == std::string_view::npos ? std::string_view() : content.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        int id = 0;
        const auto [at, error] = std::from_chars(line.data(), line.data() + equals, id);
        if (error != std::errc() || at != line.data() + equals || id < 0)
            continue;
        std::string text;
        if (!Utf8ToCp1252(Unescape(line.substr(equals + 1)), text))
            continue;
        strings.Replace(id, std::move(text));
        ++replaced;
    }
    return replaced;
}

bool LoadLanguageFile(const std::string& path, CStringTable& strings) {
    // Its texts are what the user reads and answers: one that someone else could have written is
    // not taken.
    if (!IsTrustedFile(path))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::string text(kMaxLanguageFileSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (static_cast<size_t>(in.gcount()) > kMaxLanguageFileSize)
        return false;
    text.resize(static_cast<size_t>(in.gcount()));
    // A byte-order mark some editors write.
    if (text.rfind("\xEF\xBB\xBF", 0) == 0)
        text.erase(0, 3);
    ApplyLanguageText(text, strings);
    return true;
}

}  // namespace tessarin
