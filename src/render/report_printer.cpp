#include "render/report_printer.h"

#include <algorithm>
#include <string>

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include "platform/qt_text.h"
#include "resources/string_ids.h"

namespace tessarin {

namespace {

QFont FontAtTenPoints(const QFont& listFont, const QPaintDevice& device) {
    QFont font(listFont);
    font.setPixelSize(std::max(-CPrintPages::FontHeight(device.logicalDpiY()), 1));
    // The texts are Latin and need no shaping; without it no letters are joined into ligatures,
    // so a value read or copied out of a PDF is the value ("fi" stays two letters).
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

CPrintMeasures Measure(const QFont& font, QPaintDevice& device, size_t rows) {
    const QFontMetrics metrics(font, &device);
    CPrintMeasures measures;
    // Text height plus the external leading, which a font never gives as negative space.
    measures.lineHeight = metrics.height() + std::max(metrics.leading(), 0);
    measures.printableHeight = device.height();
    measures.printableWidth = device.width();
    measures.pixelsPerInchX = device.logicalDpiX();
    measures.rows = rows;
    return measures;
}

// A cell is one line: a tab or a line break in a value shows as a space.
void MakeOneLine(QString& text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20)
            c = QLatin1Char(' ');
}

}  // namespace

CReportPrinter::CReportPrinter(const CRecordListModel& list, const CColumnLayout& layout,
                               const QFont& listFont, const CStringTable& strings,
                               std::string_view userName, QPaintDevice& device,
                               std::optional<std::vector<size_t>> rows)
    : m_list(list),
      m_rows(std::move(rows)),
      m_strings(strings),
      m_font(FontAtTenPoints(listFont, device)),
      m_header(Cp1252ToQString(
          strings.Format(str::kPrintReportHeader, {strings.Get(str::kProgramName), userName}))),
      // Half a point: a rule that a printer at any resolution shows.
      m_ruleWidth(std::max(device.logicalDpiY() / 144, 1)),
      m_pages(Measure(m_font, device, m_rows ? m_rows->size() : list.RowCount()), layout) {}

void CReportPrinter::DrawPage(QPainter& painter, int page) const {
    painter.save();
    painter.setFont(m_font);
    painter.setPen(QPen(Qt::black, m_ruleWidth));
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = m_pages.LineHeight();
    constexpr int kOneLine = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;

    const int headerY = m_pages.HeaderY();
    painter.drawText(QPoint(m_pages.Margin(), headerY + metrics.ascent()), m_header);
    const QString pageNumber =
        Cp1252ToQString(m_strings.Format(str::kPrintPageNumber, {std::to_string(page)}));
    painter.drawText(QPoint(m_pages.RightAlignedX(metrics.horizontalAdvance(pageNumber)),
                            headerY + metrics.ascent()),
                     pageNumber);
    painter.drawLine(m_pages.Margin(), m_pages.RuleY(), m_pages.RightEdge(), m_pages.RuleY());

    const auto [first, end] = m_pages.RowsOfPage(page);
    QString text;
    for (size_t printed = first; printed < end; ++printed) {
        const size_t row = m_rows ? (*m_rows)[printed] : printed;
        const int y = m_pages.RowY(printed - first);
        for (const CPrintCell& cell : m_pages.Cells()) {
            Cp1252ToQString(m_list.CellText(row, cell.column), text);
            if (text.isEmpty())
                continue;
            MakeOneLine(text);
            // Plain text: "&" is drawn as it is, never taken for a mnemonic.
            painter.drawText(QRect(cell.x, y, cell.width, line), kOneLine,
                             metrics.elidedText(text, Qt::ElideRight, cell.width));
        }
    }
    painter.restore();
}

bool CReportPrinter::Print(QPagedPaintDevice& device, int firstPage, int lastPage) const {
    const int first = std::max(firstPage, 1);
    const int last = lastPage <= 0 ? PageCount() : std::min(lastPage, PageCount());
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    for (int page = first; page <= last; ++page) {
        if (page != first && !device.newPage()) {
            painter.end();
            return false;
        }
        DrawPage(painter, page);
    }
    return painter.end();
}

}  // namespace tessarin
