#pragma once

// A reader of JSON text (RFC 8259) for imports: values one at a time, either built as small trees
// or passed over, so that a large array can be read one element after another.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/text_cursor.h"

namespace tessarin {

struct CJsonMember;

struct CJsonNode {
    enum class Kind : uint8_t { Null, False, True, Number, String, Array, Object };
    Kind kind = Kind::Null;
    std::string text;                  // a string's text in UTF-8, a number as written
    std::vector<CJsonMember> members;  // an object's members; an array's elements, without keys

    // The value of the object's first member of that name, or none.
    const CJsonNode* Find(std::string_view key) const;
    // A string's or a number's text, "true" or "false"; empty for anything else.
    std::string_view Text() const;
};

struct CJsonMember {
    std::string key;
    CJsonNode value;
};

class CJsonReader {
public:
    explicit CJsonReader(CTextCursor& cursor) : m_cursor(cursor) {}

    // Reads one value into `node`, or passes over it when `node` is null. False on text that is
    // not JSON (the cursor stands where the reading stopped) or on values nested too deeply.
    bool Read(CJsonNode* node);
    // A string; its text appended to `out` unless that is null.
    bool ReadString(std::string* out);
    // Past white space; true when the next character is `c`, which is then passed too.
    bool Consume(char c);
    void SkipWhite();

private:
    bool Read(CJsonNode* node, int depth);
    bool ReadContainer(CJsonNode* node, bool object, int depth);
    bool ReadLiteral(std::string_view literal);
    bool ReadNumber(std::string* out);
    bool ReadEscape(std::string* out);

    CTextCursor& m_cursor;
};

}  // namespace tessarin
