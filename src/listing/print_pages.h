#pragma once

// The printed report's arithmetic: how many rows a page holds, how many pages there are, which rows
// each page prints, where its lines go, and how wide each printed column is between the margins.
// Everything is in printer pixels, from quantities measured on the printer once per job.
#include <cstddef>
#include <utility>
#include <vector>

#include "store/items.h"

namespace tessarin {

struct CPrintMeasures {
    int lineHeight = 0;       // text height plus external leading of the print font
    int printableHeight = 0;  // pixels
    int printableWidth = 0;   // pixels
    int pixelsPerInchX = 0;
    size_t rows = 0;  // rows in the list when the job starts
};

struct CPrintCell {
    int column;  // 1-8
    int x;       // left edge
    int width;
    friend bool operator==(const CPrintCell&, const CPrintCell&) = default;
};

class CPrintPages {
public:
    CPrintPages(const CPrintMeasures& measures, const CColumnLayout& layout);

    // The list font's height for printing at 10 points, as a logical height.
    static int FontHeight(int pixelsPerInchY) { return -(pixelsPerInchY * 10 / 72); }

    int LineHeight() const { return m_line; }
    int LinesPerPage() const { return m_linesPerPage; }
    int Pages() const { return m_pages; }
    int Margin() const { return m_margin; }

    // The rows page `page` (from 1) prints: [first, end); empty for a page past the last.
    std::pair<size_t, size_t> RowsOfPage(int page) const;
    int HeaderY() const { return 2 * m_line; }
    int RuleY() const { return 2 * m_line + 3 * m_line / 2; }
    // The right margin: where the rule ends and the page number stops.
    int RightEdge() const { return m_pageWidth - m_margin; }
    // Where a text `textWidth` wide starts so that it ends at the right margin.
    int RightAlignedX(int textWidth) const { return RightEdge() - textWidth; }
    // The line of the k-th row of a page (from 0).
    int RowY(size_t k) const { return (static_cast<int>(k) + 5) * m_line; }
    // The text columns printed, left to right from the margin; icons and notes are not printed.
    const std::vector<CPrintCell>& Cells() const { return m_cells; }

private:
    int m_line;
    int m_linesPerPage;
    int m_pages;
    int m_margin;
    int m_pageWidth;
    double m_scale;
    size_t m_rows;
    std::vector<CPrintCell> m_cells;
};

}  // namespace tessarin
