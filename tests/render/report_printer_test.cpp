#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include <QBuffer>
#include <QFontInfo>
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>

#include "base/locale.h"
#include "listing/record_list_model.h"
#include "render/report_printer.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

struct CDrawnText {
    QPointF at;  // the start of the baseline
    QString text;
};

// Remembers what is drawn: texts where their baselines start, lines, and a count of anything else.
class CRecordingEngine : public QPaintEngine {
public:
    CRecordingEngine() : QPaintEngine(AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    Type type() const override { return User; }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        texts.push_back({p, item.text()});
    }
    void drawLines(const QLineF* l, int n) override { lines.insert(lines.end(), l, l + n); }
    void drawLines(const QLine* l, int n) override {
        for (int i = 0; i < n; ++i)
            lines.push_back(QLineF(l[i]));
    }
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override { ++others; }
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
        ++others;
    }
    void drawRects(const QRectF*, int) override { ++others; }
    void drawRects(const QRect*, int) override { ++others; }
    void drawPath(const QPainterPath&) override { ++others; }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override { ++others; }
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override { ++others; }

    void Clear() {
        texts.clear();
        lines.clear();
        others = 0;
    }

    std::vector<CDrawnText> texts;
    std::vector<QLineF> lines;
    int others = 0;
};

// The printable area of a printer of `dpi` dots per inch, `width` by `height` pixels.
class CRecordingPage : public QPaintDevice {
public:
    CRecordingPage(int width, int height, int dpi) : m_width(width), m_height(height), m_dpi(dpi) {}
    QPaintEngine* paintEngine() const override { return &engine; }

    mutable CRecordingEngine engine;

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
            case PdmWidth:
                return m_width;
            case PdmHeight:
                return m_height;
            case PdmWidthMM:
                return m_width * 254 / (10 * m_dpi);
            case PdmHeightMM:
                return m_height * 254 / (10 * m_dpi);
            case PdmNumColors:
                return INT_MAX;
            case PdmDepth:
                return 32;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return m_dpi;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }

private:
    int m_width;
    int m_height;
    int m_dpi;
};

// A 600 dpi printer: the print font is 600 * 10 / 72 = 83 pixels high, the margin 300 pixels.
constexpr int kDpi = 600;
constexpr int kFontPixels = 83;
constexpr int kMargin = 300;
constexpr int kPageWidth = 5000;

class ReportPrinter : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QFontInfo(font).family(), QStringLiteral("DejaVu Sans"));
        QFont print(font);
        print.setPixelSize(kFontPixels);
        CRecordingPage probe(kPageWidth, 1000, kDpi);
        const QFontMetrics metrics(print, &probe);
        line = metrics.height() + std::max(metrics.leading(), 0);
        ascent = metrics.ascent();
    }

    // A page on which 4 rows fit: (11.5 lines - 7) / 1 line.
    int FourRowHeight() const { return 11 * line + line / 2; }

    // What page `page` draws, after the texts and lines the test reads have been cleared.
    CRecordingEngine& Draw(const CReportPrinter& report, CRecordingPage& device, int page) {
        device.engine.Clear();
        QPainter painter(&device);
        report.DrawPage(painter, page);
        painter.end();
        return device.engine;
    }

    // Checks that `drawn` holds exactly `expected`, in order: x exactly where the cell starts, the
    // baseline within a pixel of the line's top plus the ascent.
    void ExpectTexts(const std::vector<CDrawnText>& drawn, const std::vector<CDrawnText>& expected,
                     const std::string& where) {
        ASSERT_EQ(drawn.size(), expected.size()) << where;
        for (size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_EQ(drawn[i].text, expected[i].text) << where << " text " << i;
            EXPECT_DOUBLE_EQ(drawn[i].at.x(), expected[i].at.x()) << where << " " << i;
            EXPECT_NEAR(drawn[i].at.y(), expected[i].at.y(), 1.0) << where << " " << i;
        }
    }

    // The header line of `page` as the report draws it.
    std::vector<CDrawnText> Header(int page, int pageNumberWidth) const {
        const int y = 2 * line + ascent;
        return {{QPointF(kMargin, y), QStringLiteral("Tessarin Password Manager Print Report for "
                                                     "Alice")},
                {QPointF(kPageWidth - kMargin - pageNumberWidth, y),
                 QStringLiteral("Page %1").arg(page)}};
    }

    int PageNumberWidth(const CReportPrinter& report, int page) const {
        CRecordingPage probe(kPageWidth, 1000, kDpi);
        return QFontMetrics(report.PrintFont(), &probe)
            .horizontalAdvance(QStringLiteral("Page %1").arg(page));
    }

    test::CTestContext context;
    CDatabaseObj database{context};
    CFixedLocale locale;
    CRecordListModel list{database, locale};
    CStringTable strings;
    QFont font{QStringLiteral("DejaVu Sans")};
    int line = 0;
    int ascent = 0;
};

// Type 100, category 300 and field 1 100 pixels wide in the list share the 4,400 pixels between
// the margins at 8.8 pixels each; the icon and note columns are shown on screen but not printed.
CColumnLayout ThreeTextColumns() {
    CColumnLayout layout = CColumnLayout::Default();
    for (int c = 4; c <= 8; ++c)
        layout.entries[c].visible = 0;
    layout.entries[1].width = 100;
    layout.entries[2].width = 300;
    layout.entries[3].width = 100;
    return layout;
}

TEST_F(ReportPrinter, EachPageDrawsItsRowsOnTheirLinesInTheirCells) {
    CTypeItem* login = AddType(database, "Login");
    CTypeItem* card = AddType(database, "Card & Co");
    CCategoryItem* home = AddCategory(database, "Home");
    // Stored out of order; the list sorts them by field 1.
    for (int i : {7, 2, 9, 0, 5, 3, 8, 1, 6, 4})
        AddRecord(database, i % 2 ? card : login, i < 5 ? home : nullptr,
                  {"row " + std::to_string(i)});
    list.SetSort({3, true});
    list.RefillList();

    CRecordingPage page(kPageWidth, FourRowHeight(), kDpi);
    const CReportPrinter report(list, ThreeTextColumns(), font, strings, "Alice", page);
    EXPECT_EQ(report.PrintFont().pixelSize(), kFontPixels);
    EXPECT_EQ(report.Pages().LinesPerPage(), 4);
    ASSERT_EQ(report.PageCount(), 3);  // 4 + 4 + 2 rows

    const int cellX[] = {kMargin, kMargin + 880, kMargin + 880 + 2640};
    const int ruleY = 2 * line + 3 * line / 2;
    for (int n = 1; n <= 3; ++n) {
        const CRecordingEngine& drawn = Draw(report, page, n);
        std::vector<CDrawnText> expected = Header(n, PageNumberWidth(report, n));
        for (int k = 0; k < 4 && 4 * (n - 1) + k < 10; ++k) {
            const int i = 4 * (n - 1) + k;
            const double y = (k + 5) * line + ascent;
            expected.push_back({QPointF(cellX[0], y), i % 2 ? "Card & Co" : "Login"});
            if (i < 5)
                expected.push_back({QPointF(cellX[1], y), "Home"});
            else
                expected.push_back({QPointF(cellX[1], y), "Unfiled"});
            expected.push_back({QPointF(cellX[2], y), QStringLiteral("row %1").arg(i)});
        }
        ExpectTexts(drawn.texts, expected, "page " + std::to_string(n));
        ASSERT_EQ(drawn.lines.size(), 1u);
        EXPECT_EQ(drawn.lines[0], QLineF(kMargin, ruleY, kPageWidth - kMargin, ruleY));
        // No icons, no note marks, no column titles, no backgrounds.
        EXPECT_EQ(drawn.others, 0);
    }
}

TEST_F(ReportPrinter, AnEmptyListPrintsTheHeaderAndAFullListNoEmptyPage) {
    CRecordingPage page(kPageWidth, FourRowHeight(), kDpi);
    list.RefillList();
    const CReportPrinter empty(list, ThreeTextColumns(), font, strings, "Alice", page);
    ASSERT_EQ(empty.PageCount(), 1);
    const CRecordingEngine& drawn = Draw(empty, page, 1);
    ExpectTexts(drawn.texts, Header(1, PageNumberWidth(empty, 1)), "empty");
    EXPECT_EQ(drawn.lines.size(), 1u);

    // Twice four rows: two pages, the last row on the last line of the second.
    for (int i = 0; i < 8; ++i)
        AddRecord(database, nullptr, nullptr, {"r" + std::to_string(i)});
    list.SetSort({3, true});
    list.RefillList();
    const CReportPrinter full(list, ThreeTextColumns(), font, strings, "Alice", page);
    ASSERT_EQ(full.PageCount(), 2);
    const CRecordingEngine& second = Draw(full, page, 2);
    ASSERT_EQ(second.texts.size(), 2u + 4 * 3);
    EXPECT_EQ(second.texts.back().text, "r7");
    EXPECT_NEAR(second.texts.back().at.y(), 8 * line + ascent, 1.0);
}

TEST_F(ReportPrinter, CellsShowTheListsTextCutToTheCell) {
    // Field 1 alone takes the 4,400 pixels between the margins.
    CColumnLayout layout = CColumnLayout::Default();
    for (int c = 1; c <= 8; ++c)
        layout.entries[c].visible = c == 3;
    const std::string longValue(300, 'w');
    const struct {
        std::string value;
        bool masked;
        bool unmasked;
        QString shown;  // empty: nothing is drawn
    } cases[] = {
        {"hunter2", true, false, "****"},
        {"hunter2", true, true, "hunter2"},
        {"", true, false, ""},
        {"Tom & Jerry", false, false, "Tom & Jerry"},
        {"caf\xE9 \x80", false, false, QStringLiteral("caf\u00E9 \u20AC")},
        {"one\ttwo\r\nthree", false, false, "one two  three"},
    };
    for (const auto& c : cases) {
        database.Empty();
        CRecord* record = AddRecord(database, nullptr, nullptr, {c.value});
        record->m_maskBits = c.masked ? 1 : 0;
        list.SetUnmasked(c.unmasked);
        list.RefillList();
        CRecordingPage page(kPageWidth, FourRowHeight(), kDpi);
        const CReportPrinter report(list, layout, font, strings, "Alice", page);
        const CRecordingEngine& drawn = Draw(report, page, 1);
        std::vector<CDrawnText> expected = Header(1, PageNumberWidth(report, 1));
        if (!c.shown.isEmpty())
            expected.push_back({QPointF(kMargin, 5 * line + ascent), c.shown});
        ExpectTexts(drawn.texts, expected, c.value);
    }

    // Too long: cut with an ellipsis within the cell.
    database.Empty();
    AddRecord(database, nullptr, nullptr, {longValue});
    list.RefillList();
    CRecordingPage page(kPageWidth, FourRowHeight(), kDpi);
    const CReportPrinter report(list, layout, font, strings, "Alice", page);
    const CRecordingEngine& drawn = Draw(report, page, 1);
    ASSERT_EQ(drawn.texts.size(), 3u);
    const QString cut = drawn.texts.back().text;
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
    EXPECT_TRUE(cut.startsWith(QStringLiteral("www")));
    // As much of the text as fits: one more letter would not.
    const QFontMetrics metrics(report.PrintFont(), &page);
    EXPECT_LE(metrics.horizontalAdvance(cut), 4400);
    EXPECT_GT(metrics.horizontalAdvance(cut.chopped(1) + QStringLiteral("w…")), 4400);
}

// The number of pages of a PDF as Qt writes it: one page object each.
int PdfPages(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return static_cast<int>(QString::fromLatin1(pdf).count(page));
}

TEST_F(ReportPrinter, PrintsTheChosenPagesOnePerSheet) {
    for (int i = 0; i < 20; ++i)
        AddRecord(database, nullptr, nullptr, {"r" + std::to_string(i)});
    list.RefillList();
    auto print = [&](int first, int last, int* pageCount) {
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        // 60 mm high at 1,200 dpi: a few rows a page.
        writer.setPageSize(QPageSize(QSizeF(100, 60), QPageSize::Millimeter));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        const CReportPrinter report(list, ThreeTextColumns(), font, strings, "Alice", writer);
        *pageCount = report.PageCount();
        EXPECT_TRUE(report.Print(writer, first, last));
        return pdf;
    };
    int pages = 0;
    EXPECT_EQ(PdfPages(print(1, 0, &pages)), pages);
    ASSERT_GE(pages, 3);
    EXPECT_EQ(PdfPages(print(2, 3, &pages)), 2);
    EXPECT_EQ(PdfPages(print(2, 99, &pages)), pages - 1);
}

}  // namespace
}  // namespace tessarin
