#pragma once

// A small JSON writer that keeps keys in the order written (the dump's schema is read by people as
// well as programs). Strings are given as UTF-8.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace tessarin::cli {

class CJsonWriter {
public:
    // Containers opened with `compact` stay on one line.
    void BeginObject(bool compact = false) { Open('{', compact); }
    void EndObject() { Close('}'); }
    void BeginArray(bool compact = false) { Open('[', compact); }
    void EndArray() { Close(']'); }
    void Key(std::string_view name);
    void String(std::string_view utf8);
    void Number(int64_t value);
    void Bool(bool value);

    const std::string& Text() const { return m_out; }
    // Writes what is written so far and lets it go, so that a long document need not be held
    // whole.
    void Flush(std::ostream& out);

private:
    struct CLevel {
        bool compact;
        bool empty = true;
    };
    void Open(char bracket, bool compact);
    void Close(char bracket);
    void BeforeValue();
    void NewLine();
    void Quoted(std::string_view utf8);

    std::string m_out;
    std::vector<CLevel> m_levels;
    bool m_afterKey = false;
};

}  // namespace tessarin::cli
