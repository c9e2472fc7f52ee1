#include "resources/string_table.h"

#include "resources/string_table_data.h"

namespace tessarin {

namespace {

constexpr std::string_view kFlags = "-+ #0";
constexpr std::string_view kConversions = "diouxXcsSCeEfgGaAp";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the printf directive that starts at `pattern[pos]` (a '%'), or 0 when what follows is
// not one; such a '%' is kept as it stands.
size_t DirectiveLength(std::string_view pattern, size_t pos) {
    size_t i = pos + 1;
    auto skip = [&](auto accept) {
        while (i < pattern.size() && accept(pattern[i]))
            ++i;
    };
    skip([](char c) { return kFlags.find(c) != std::string_view::npos; });
    skip(IsDigit);
    if (i < pattern.size() && pattern[i] == '.') {
        ++i;
        skip(IsDigit);
    }
    // Size prefixes, the Windows ones (I, I32, I64) included, since translations come from there.
    for (std::string_view prefix : {"hh", "ll", "I64", "I32", "h", "l", "L", "j", "z", "t", "I"}) {
        if (pattern.substr(i, prefix.size()) == prefix) {
            i += prefix.size();
            break;
        }
    }
    if (i < pattern.size() && kConversions.find(pattern[i]) != std::string_view::npos)
        return i + 1 - pos;
    return 0;
}

}  // namespace

CStringTable::CStringTable() {
    for (const StringTableEntry& entry : BuiltInStrings())
        m_texts.emplace(entry.id, entry.text);
}

const std::string& CStringTable::Get(int id) const {
    static const std::string kEmpty;
    const auto found = m_texts.find(id);
    return found == m_texts.end() ? kEmpty : found->second;
}

std::string CStringTable::Format(int id, std::initializer_list<std::string_view> args) const {
    return FormatText(Get(id), args);
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
    return FormatText(pattern, std::span<const std::string_view>(args.begin(), args.size()));
}

std::string FormatText(std::string_view pattern, std::span<const std::string_view> args) {
    std::string out;
    out.reserve(pattern.size());
    auto next = args.begin();
    size_t pos = 0;
    while (pos < pattern.size()) {
        const size_t percent = pattern.find('%', pos);
        if (percent == std::string_view::npos) {
            out.append(pattern.substr(pos));
            break;
        }
        out.append(pattern.substr(pos, percent - pos));
        if (pattern.substr(percent, 2) == "%%") {
            out += '%';
            pos = percent + 2;
            continue;
        }
        const size_t length = DirectiveLength(pattern, percent);
        if (length == 0) {
            // The framework's texts insert arguments by position: "%1" is the first.
            const char digit = percent + 1 < pattern.size() ? pattern[percent + 1] : '\0';
            if (digit >= '1' && digit <= '9') {
                const size_t n = static_cast<size_t>(digit - '1');
                if (n < args.size())
                    out.append(args.begin()[n]);
                pos = percent + 2;
                continue;
            }
            out += '%';
            pos = percent + 1;
            continue;
        }
        if (next != args.end())
            out.append(*next++);
        pos = percent + length;
    }
    return out;
}

}  // namespace tessarin
