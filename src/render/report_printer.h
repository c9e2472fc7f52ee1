#pragma once

// The printed report of the record list: the pages the list prints, drawn on any paint device that
// prints (a printer, its preview, a PDF file). The rows, their order, their cell texts and masking
// come from the list model as shown; where everything goes on a page comes from the core's page
// arithmetic, measured once per job on the job's device.
#include <optional>
#include <string_view>
#include <vector>

#include <QFont>
#include <QString>

#include "listing/print_pages.h"
#include "listing/record_list_model.h"
#include "resources/string_table.h"

class QPainter;
class QPaintDevice;
class QPagedPaintDevice;

namespace tessarin {

class CReportPrinter {
public:
    // One print job of `list` as it is shown now, with the visible text columns of `layout` (the
    // layout in force), in `listFont` at 10 points, headed for `userName` (Windows-1252). The font
    // and the page are measured on `device`, the job's printer. `rows`: only these rows of the
    // list, in this order (a selection); none: every row. The list, the database and the string
    // table must outlive the job; rows that have gone by the time a page is drawn print empty.
    CReportPrinter(const CRecordListModel& list, const CColumnLayout& layout, const QFont& listFont,
                   const CStringTable& strings, std::string_view userName, QPaintDevice& device,
                   std::optional<std::vector<size_t>> rows = std::nullopt);

    // At least 1: an empty list prints its header.
    int PageCount() const { return m_pages.Pages(); }
    const CPrintPages& Pages() const { return m_pages; }
    const QFont& PrintFont() const { return m_font; }
    // "<program> Print Report for <user>": the header line, and a name for the job.
    const QString& Header() const { return m_header; }

    // Draws page `page` (from 1) with the painter's origin at the top left of the printable area:
    // the header line, the rule and the page's rows. The caller draws nothing while the program
    // is locked.
    void DrawPage(QPainter& painter, int page) const;

    // Prints pages `firstPage` to `lastPage` (0: to the last) on the device, one sheet each. False
    // when the device could not be painted on.
    bool Print(QPagedPaintDevice& device, int firstPage = 1, int lastPage = 0) const;

private:
    const CRecordListModel& m_list;
    std::optional<std::vector<size_t>> m_rows;
    const CStringTable& m_strings;
    QFont m_font;
    QString m_header;
    int m_ruleWidth;
    CPrintPages m_pages;
};

}  // namespace tessarin
