#include "exchange/text_cursor.h"

namespace tessarin {

void CTextCursor::SkipLine() {
    while (m_pos < m_end && *m_pos != '\r' && *m_pos != '\n')
        ++m_pos;
    if (m_pos < m_end && *m_pos == '\r')
        ++m_pos;
    if (m_pos < m_end && *m_pos == '\n')
        ++m_pos;
}

void CTextCursor::SkipLineEnds() {
    while (m_pos < m_end && (*m_pos == '\r' || *m_pos == '\n'))
        ++m_pos;
}

void CTextCursor::SkipWhite() {
    while (m_pos < m_end && IsWhite(*m_pos))
        ++m_pos;
}

void CTextCursor::SkipBlanks() {
    while (m_pos < m_end && IsWhite(*m_pos) && *m_pos != '\r' && *m_pos != '\n')
        ++m_pos;
}

bool CTextCursor::OnlyWhiteLeft() const {
    for (const char* p = m_pos; p < m_end; ++p)
        if (!IsWhite(*p))
            return false;
    return true;
}

}  // namespace tessarin
