#include "exchange/json_reader.h"

#include "base/codepage.h"

namespace tessarin {

namespace {

// Deeper nesting than any export holds; a limit keeps hostile input off the stack.
constexpr int kMaxDepth = 64;

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

const CJsonNode* CJsonNode::Find(std::string_view key) const {
    if (kind != Kind::Object)
        return nullptr;
    for (const CJsonMember& member : members)
        if (member.key == key)
            return &member.value;
    return nullptr;
}

std::string_view CJsonNode::Text() const {
    switch (kind) {
        case Kind::String:
        case Kind::Number:
            return text;
        case Kind::True:
            return "true";
        case Kind::False:
            return "false";
        default:
            return {};
    }
}

void CJsonReader::SkipWhite() {
    while (!m_cursor.AtEnd()) {
        const char c = m_cursor.Peek();
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return;
        m_cursor.Advance();
    }
}

bool CJsonReader::Consume(char c) {
    SkipWhite();
    if (m_cursor.AtEnd() || m_cursor.Peek() != c)
        return false;
    m_cursor.Advance();
    return true;
}

bool CJsonReader::Read(CJsonNode* node) {
    return Read(node, 0);
}

bool CJsonReader::Read(CJsonNode* node, int depth) {
    SkipWhite();
    if (m_cursor.AtEnd() || depth > kMaxDepth)
        return false;
    using Kind = CJsonNode::Kind;
    auto set = [node](Kind kind) {
        if (node)
            node->kind = kind;
    };
    switch (m_cursor.Peek()) {
        case '{':
            set(Kind::Object);
            return ReadContainer(node, true, depth);
        case '[':
            set(Kind::Array);
            return ReadContainer(node, false, depth);
        case '"':
            set(Kind::String);
            return ReadString(node ? &node->text : nullptr);
        case 't':
            set(Kind::True);
            return ReadLiteral("true");
        case 'f':
            set(Kind::False);
            return ReadLiteral("false");
        case 'n':
            set(Kind::Null);
            return ReadLiteral("null");
        default:
            set(Kind::Number);
            return ReadNumber(node ? &node->text : nullptr);
    }
}

bool CJsonReader::ReadContainer(CJsonNode* node, bool object, int depth) {
    m_cursor.Advance();  // the opening bracket
    const char close = object ? '}' : ']';
    if (Consume(close))
        return true;
    for (;;) {
        CJsonMember* member = nullptr;
        if (node)
            member = &node->members.emplace_back();
        if (object) {
            SkipWhite();
            if (m_cursor.Peek() != '"' || !ReadString(member ? &member->key : nullptr) ||
                !Consume(':'))
                return false;
        }
        if (!Read(member ? &member->value : nullptr, depth + 1))
            return false;
        if (Consume(close))
            return true;
        if (!Consume(','))
            return false;
    }
}

bool CJsonReader::ReadLiteral(std::string_view literal) {
    if (!m_cursor.StartsWith(literal))
        return false;
    m_cursor.Advance(literal.size());
    return true;
}

bool CJsonReader::ReadNumber(std::string* out) {
    const char* start = m_cursor.Position();
    if (m_cursor.Peek() == '-')
        m_cursor.Advance();
    if (!IsDigit(m_cursor.Peek()))
        return false;
    while (IsDigit(m_cursor.Peek()))
        m_cursor.Advance();
    if (m_cursor.Peek() == '.') {
        m_cursor.Advance();
        if (!IsDigit(m_cursor.Peek()))
            return false;
        while (IsDigit(m_cursor.Peek()))
            m_cursor.Advance();
    }
    if (m_cursor.Peek() == 'e' || m_cursor.Peek() == 'E') {
        m_cursor.Advance();
        if (m_cursor.Peek() == '+' || m_cursor.Peek() == '-')
            m_cursor.Advance();
        if (!IsDigit(m_cursor.Peek()))
            return false;
        while (IsDigit(m_cursor.Peek()))
            m_cursor.Advance();
    }
    if (out)
        out->assign(start, m_cursor.Position());
    return true;
}

bool CJsonReader::ReadString(std::string* out) {
    m_cursor.Advance();  // the opening quote
    for (;;) {
        const std::string_view rest = m_cursor.Rest();
        const size_t length = SpanWithout(rest, '"', '\\', '"', '\\');
        if (out)
            out->append(rest.data(), length);
        m_cursor.Advance(length);
        if (m_cursor.AtEnd())
            return false;
        if (m_cursor.Peek() == '"') {
            m_cursor.Advance();
            return true;
        }
        m_cursor.Advance();  // the backslash
        if (!ReadEscape(out))
            return false;
    }
}

bool CJsonReader::ReadEscape(std::string* out) {
    const char c = m_cursor.Peek();
    if (m_cursor.AtEnd())
        return false;
    m_cursor.Advance();
    char plain = 0;
    switch (c) {
        case '"':
        case '\\':
        case '/':
            plain = c;
            break;
        case 'b':
            plain = '\b';
            break;
        case 'f':
            plain = '\f';
            break;
        case 'n':
            plain = '\n';
            break;
        case 'r':
            plain = '\r';
            break;
        case 't':
            plain = '\t';
            break;
        case 'u':
            break;
        default:
            return false;
    }
    if (plain) {
        if (out)
            *out += plain;
        return true;
    }
    auto readUnit = [this](char32_t& unit) {
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexDigit(m_cursor.Peek());
            if (m_cursor.AtEnd() || digit < 0)
                return false;
            unit = unit << 4 | static_cast<char32_t>(digit);
            m_cursor.Advance();
        }
        return true;
    };
    char32_t unit = 0;
    if (!readUnit(unit))
        return false;
    // A surrogate pair is one character; a lone surrogate is none (it becomes U+FFFD).
    if (unit >= 0xD800 && unit <= 0xDBFF && m_cursor.StartsWith("\\u")) {
        const char* pair = m_cursor.Position();
        m_cursor.Advance(2);
        char32_t low = 0;
        if (!readUnit(low))
            return false;
        if (low >= 0xDC00 && low <= 0xDFFF)
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        else
            m_cursor.SetPosition(pair);
    }
    if (unit >= 0xD800 && unit <= 0xDFFF)
        unit = 0xFFFD;
    // A zero would end the value where the database keeps it: it is left out.
    if (out && unit != 0)
        AppendCodePointAsUtf8(*out, unit);
    return true;
}

}  // namespace tessarin
