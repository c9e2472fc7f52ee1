#pragma once

// The system's texts by number. Texts are Windows-1252 bytes. A translation may replace any of
// them at start; a number without a text gives the empty string.
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>

namespace tessarin {

class CStringTable {
public:
    // The program's own texts.
    CStringTable();

    const std::string& Get(int id) const;
    bool Has(int id) const { return m_texts.count(id) != 0; }
    void Replace(int id, std::string text) { m_texts[id] = std::move(text); }

    // The text with each printf-style directive (%s, %d, %u, %x and the like) replaced in turn by
    // the next of `args`, which the caller has already formatted; "%%" gives "%".
    std::string Format(int id, std::initializer_list<std::string_view> args) const;

private:
    std::map<int, std::string> m_texts;
};

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);
std::string FormatText(std::string_view pattern, std::span<const std::string_view> args);

}  // namespace tessarin
