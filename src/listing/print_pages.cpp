#include "listing/print_pages.h"

#include <algorithm>

#include "listing/list_columns.h"

namespace tessarin {

CPrintPages::CPrintPages(const CPrintMeasures& measures, const CColumnLayout& layout)
    // A printer that reports no line height, or a page too short for the header and one row,
    // still prints a row per line and a row per page rather than dividing by zero.
    : m_line(std::max(measures.lineHeight, 1)),
      m_linesPerPage(std::max((measures.printableHeight - 7 * m_line) / m_line, 1)),
      m_margin(measures.pixelsPerInchX / 2),
      m_pageWidth(measures.printableWidth),
      m_rows(measures.rows) {
    const size_t perPage = static_cast<size_t>(m_linesPerPage);
    m_pages = static_cast<int>(std::max<size_t>((m_rows + perPage - 1) / perPage, 1));

    long total = 0;
    for (int c = kTypeColumn; c < kNoteColumn; ++c)
        if (layout.entries[c].visible)
            total += layout.entries[c].width;
    // No text column to share the width: nothing to scale.
    m_scale =
        total > 0 ? std::max(static_cast<double>(m_pageWidth - 2 * m_margin) / total, 0.0) : 0.0;

    int x = m_margin;
    for (int c = kTypeColumn; c < kNoteColumn; ++c) {
        if (!layout.entries[c].visible)
            continue;
        const int width = static_cast<int>(layout.entries[c].width * m_scale);
        m_cells.push_back({c, x, width});
        x += width;
    }
}

std::pair<size_t, size_t> CPrintPages::RowsOfPage(int page) const {
    if (page < 1 || page > m_pages)
        return {m_rows, m_rows};
    const size_t perPage = static_cast<size_t>(m_linesPerPage);
    const size_t first = std::min(perPage * static_cast<size_t>(page - 1), m_rows);
    return {first, std::min(first + perPage, m_rows)};
}

}  // namespace tessarin
