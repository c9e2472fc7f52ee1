#include "cli/json_writer.h"

#include <cstdio>
#include <ostream>

namespace tessarin::cli {

void CJsonWriter::Flush(std::ostream& out) {
    out << m_out;
    m_out.clear();
}

void CJsonWriter::NewLine() {
    m_out += '\n';
    m_out.append(2 * m_levels.size(), ' ');
}

void CJsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty())
        return;
    CLevel& level = m_levels.back();
    if (!level.empty)
        m_out += level.compact ? ", " : ",";
    if (!level.compact)
        NewLine();
    level.empty = false;
}

void CJsonWriter::Open(char bracket, bool compact) {
    BeforeValue();
    m_out += bracket;
    m_levels.push_back({compact || (!m_levels.empty() && m_levels.back().compact)});
}

void CJsonWriter::Close(char bracket) {
    const CLevel level = m_levels.back();
    m_levels.pop_back();
    if (!level.compact && !level.empty)
        NewLine();
    m_out += bracket;
}

void CJsonWriter::Key(std::string_view name) {
    BeforeValue();
    Quoted(name);
    m_out += ": ";
    m_afterKey = true;
}

void CJsonWriter::String(std::string_view utf8) {
    BeforeValue();
    Quoted(utf8);
}

void CJsonWriter::Number(int64_t value) {
    BeforeValue();
    m_out += std::to_string(value);
}

void CJsonWriter::Bool(bool value) {
    BeforeValue();
    m_out += value ? "true" : "false";
}

void CJsonWriter::Quoted(std::string_view utf8) {
    m_out += '"';
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                    m_out += escaped;
                } else {
                    m_out += c;
                }
        }
    }
    m_out += '"';
}

}  // namespace tessarin::cli
