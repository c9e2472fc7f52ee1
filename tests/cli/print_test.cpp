#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <QSettings>
#include <QVariant>

#include "cli_fixture.h"
#include "platform/settings_store.h"
#include "security/password.h"
#include "store/database_lifecycle.h"
#include "support/child_process.h"
#include "support/fixtures.h"

namespace tessarin::cli {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

// One page of a PDF read back as text: the header line's parts and each row's cells, split
// where pdftotext laid out a gap of two spaces or more (empty cells leave no trace).
struct CPage {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

std::vector<std::string> SplitAtGaps(const std::string& line) {
    std::vector<std::string> parts;
    size_t at = line.find_first_not_of(' ');
    while (at != std::string::npos) {
        const size_t gap = line.find("  ", at);
        parts.push_back(line.substr(at, gap == std::string::npos ? std::string::npos : gap - at));
        at = gap == std::string::npos ? gap : line.find_first_not_of(' ', gap);
    }
    return parts;
}

std::string Output(const std::string& command) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, n);
    ::pclose(pipe);
    return text;
}

std::vector<CPage> ReadPdf(const std::string& path) {
    const std::string text = Output("pdftotext -layout '" + path + "' -");
    std::vector<CPage> pages;
    size_t start = 0;
    // Each page ends with a form feed.
    for (size_t end = text.find('\f'); end != std::string::npos;
         start = end + 1, end = text.find('\f', start)) {
        CPage page;
        size_t lineStart = start;
        while (lineStart < end) {
            size_t lineEnd = text.find('\n', lineStart);
            if (lineEnd == std::string::npos || lineEnd > end)
                lineEnd = end;
            const std::vector<std::string> parts =
                SplitAtGaps(text.substr(lineStart, lineEnd - lineStart));
            if (!parts.empty()) {
                if (page.header.empty())
                    page.header = parts;
                else
                    page.rows.push_back(parts);
            }
            lineStart = lineEnd + 1;
        }
        pages.push_back(page);
    }
    return pages;
}

// The paper's name as pdfinfo gives it ("Page size: 612 x 792 pts (letter)").
std::string PageSize(const std::string& path) {
    const std::string info = Output("pdfinfo '" + path + "'");
    const size_t at = info.find("Page size:");
    const size_t open = info.find('(', at);
    if (at == std::string::npos || open == std::string::npos)
        return "";
    return info.substr(open + 1, info.find(')', open) - open - 1);
}

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr int kRecords = 70;
constexpr const char* kLong = "a value far too long for the width of its cell";
// Stands for kLong cut at the end of its cell.
constexpr const char* kCut = "<cut>";

// A cell that ends in an ellipsis is checked to be the start of kLong, then read as kCut.
void MarkCutCells(std::vector<std::vector<std::string>>& rows) {
    const std::string ellipsis = "\xE2\x80\xA6";
    for (auto& row : rows)
        for (std::string& cell : row)
            if (cell.size() > ellipsis.size() &&
                cell.compare(cell.size() - ellipsis.size(), ellipsis.size(), ellipsis) == 0) {
                const std::string start = cell.substr(0, cell.size() - ellipsis.size());
                EXPECT_EQ(std::string(kLong).rfind(start, 0), 0u) << cell;
                EXPECT_GE(start.size(), 3u) << cell;
                cell = kCut;
            }
}

class Print : public Cli {
protected:
    void SetUp() override {
        // The report is for the user who last logged in; her list font is fixed, so the pages
        // hold the same rows on every machine.
        store.WriteText("Preferences", "Current User", "Alice");
        CLogFont font;
        font.height = -13;
        font.weight = 400;
        font.faceName = "DejaVu Sans";
        const auto bytes = font.ToBytes();
        store.WriteBytes(kUser, "Font", {bytes.begin(), bytes.end()});
    }

    CRun Run(std::vector<std::string> args, const std::string& input = "") {
        return Cli::Run(With(std::move(args)), input);
    }

    // 70 records: "Login" with a masked second field, "Card", and without a type, in turn; in
    // "Home" and "Work & Play" in turn. Record 0's fourth field is too long for its cell.
    void MakeSample(const char* password = nullptr) {
        Make(
            [](CDatabaseObj& d) {
                CTypeItem* login = AddType(d, "Login");
                login->m_maskBits = 0b10;
                CTypeItem* card = AddType(d, "Card");
                CCategoryItem* home = AddCategory(d, "Home");
                CCategoryItem* work = AddCategory(d, "Work & Play");
                for (int i = kRecords - 1; i >= 0; --i) {
                    const CTypeItem* type = i % 3 == 0 ? login : i % 3 == 1 ? card : nullptr;
                    AddRecord(d, type, i % 2 ? work : home,
                              {Item(i), "secret " + std::to_string(i), "", i == 0 ? kLong : ""});
                }
            },
            password);
    }

    static std::string Item(int i) { return (i < 10 ? "item 0" : "item ") + std::to_string(i); }

    // The cells of record i's row as printed.
    static std::vector<std::string> Cells(int i, bool unmasked) {
        std::vector<std::string> cells = {i % 3 == 0   ? "Login"
                                          : i % 3 == 1 ? "Card"
                                                       : "Unfiled",
                                          i % 2 ? "Work & Play" : "Home", Item(i)};
        cells.push_back(i % 3 == 0 && !unmasked ? "****" : "secret " + std::to_string(i));
        if (i == 0)
            cells.push_back(kCut);
        return cells;
    }

    // Checks the pages: "Page n" headers for Alice, the rows in order, every page but the last
    // full. Returns the rows on a full page.
    int ExpectPages(const std::vector<CPage>& pages,
                    const std::vector<std::vector<std::string>>& rows) {
        EXPECT_FALSE(pages.empty());
        std::vector<std::vector<std::string>> printed;
        const size_t perPage = pages.empty() ? 0 : pages[0].rows.size();
        for (size_t n = 0; n < pages.size(); ++n) {
            EXPECT_EQ(pages[n].header,
                      (std::vector<std::string>{"Tessarin Password Manager Print Report for Alice",
                                                "Page " + std::to_string(n + 1)}));
            if (n + 1 < pages.size()) {
                EXPECT_EQ(pages[n].rows.size(), perPage) << "page " << n + 1;
            }
            printed.insert(printed.end(), pages[n].rows.begin(), pages[n].rows.end());
        }
        MarkCutCells(printed);
        EXPECT_EQ(printed, rows);
        if (!rows.empty()) {
            EXPECT_EQ(pages.size(), (rows.size() + perPage - 1) / perPage);
            EXPECT_FALSE(pages.back().rows.empty());
        }
        return static_cast<int>(perPage);
    }

    static constexpr const char* kUser = " - Alice";
    CSettingsStore store;
    std::string pdf = (dir / "report.pdf").string();
};

TEST_F(Print, PagesOfTheListAsShownMaskedOrNot) {
    MakeSample("pw");
    std::vector<std::vector<std::string>> masked, unmasked;
    for (int i = 0; i < kRecords; ++i) {
        masked.push_back(Cells(i, false));
        unmasked.push_back(Cells(i, true));
    }

    CRun run = Run({"print", "--pdf", pdf, "--sort", "3", "--page-size", "A4"}, "pw\n");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(PageSize(pdf), "A4");
    const int a4Rows = ExpectPages(ReadPdf(pdf), masked);
    EXPECT_EQ(run.out, "Report written to " + pdf + ". Pages: 2. Rows: 70.\n");
    // Holds secrets once unmasked: for its owner only.
    struct stat st {};
    ASSERT_EQ(::stat(pdf.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    run = Run({"print", "--pdf", pdf, "--sort", "3", "--unmask", "--page-size", "letter"}, "pw\n");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(PageSize(pdf), "letter");
    // Letter is the shorter paper: fewer rows a page.
    EXPECT_LT(ExpectPages(ReadPdf(pdf), unmasked), a4Rows);
}

TEST_F(Print, FiltersFindsAndTheColumnLayoutChooseWhatIsPrinted) {
    MakeSample();
    // All types: the user's layout, without the category and fields 3-6 (and so no cut value).
    CColumnLayout shared = CColumnLayout::Default();
    for (int c : {2, 5, 6, 7, 8})
        shared.entries[c].visible = 0;
    const auto bytes = shared.ToBytes();
    store.WriteBytes(kUser, "Show Columns2", {bytes.begin(), bytes.end()});

    auto rows = [](const std::function<bool(int)>& listed, const std::vector<size_t>& columns) {
        std::vector<std::vector<std::string>> result;
        for (int i = 0; i < kRecords; ++i) {
            if (!listed(i))
                continue;
            const std::vector<std::string> all = Cells(i, false);
            std::vector<std::string> cells;
            for (size_t c : columns)
                if (c < all.size())
                    cells.push_back(all[c]);
            result.push_back(cells);
        }
        return result;
    };
    const struct {
        std::vector<std::string> args;
        std::vector<std::vector<std::string>> rows;
    } cases[] = {
        {{}, rows([](int) { return true; }, {0, 2, 3})},
        {{"--type", "Card"}, rows([](int i) { return i % 3 == 1; }, {0, 1, 2, 3})},
        {{"--category", "Work & Play"}, rows([](int i) { return i % 2 == 1; }, {0, 2, 3})},
        // Finds look at the real values, also behind the mask.
        {{"--find", "secret 3"}, rows([](int i) { return i == 3 || i / 10 == 3; }, {0, 2, 3})},
        {{"--find", "SECRET 3", "--case"}, {}},
        {{"--find", "secret 3", "--word"}, rows([](int i) { return i == 3; }, {0, 2, 3})},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"print", "--pdf", pdf, "--sort", "3", "--page-size", "A4"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CRun run = Run(args);
        ASSERT_EQ(run.code, 0) << run.err;
        const std::vector<CPage> pages = ReadPdf(pdf);
        ExpectPages(pages, c.rows);
        // An empty list: one page with its header (and the rule) only.
        if (c.rows.empty()) {
            ASSERT_EQ(pages.size(), 1u);
            EXPECT_TRUE(pages[0].rows.empty());
        }
    }
}

TEST_F(Print, RefusedWithoutMakingAFile) {
    MakeSample("pw");
    const std::string before = Contents(db);
    const struct {
        std::vector<std::string> args;
        int code;
        std::string err;
    } cases[] = {
        {{"print"}, 2, "Name the PDF file to write with --pdf OUT.\n"},
        {{"print", "--pdf", pdf, "--page-size", "B5"},
         2,
         "The page size must be A4 or Letter: B5\n"},
        {{"print", "--pdf", pdf, "--type", "Nothing"}, 1, "No type is named Nothing.\n"},
        {{"print", "--pdf", db},
         1,
         "The file " + db + " is the database itself: choose another file.\n"},
        {{"print", "--pdf", (dir / "missing" / "report.pdf").string()},
         1,
         "The report could not be written to " + (dir / "missing" / "report.pdf").string() + ": " +
             (dir / "missing").string() + " does not exist (error 2).\n"},
    };
    for (const auto& c : cases) {
        const CRun run = Run(c.args, "pw\n");
        EXPECT_EQ(run.code, c.code) << c.args.back();
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }

    EXPECT_EQ(Contents(db), before);
    EXPECT_FALSE(std::filesystem::exists(pdf));

    // The administrator's switch turns printing off, whatever it holds, before the password is
    // asked for.
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Marrowgate",
                       "Tessarin Desktop");
    for (const QVariant& value : {QVariant(0), QVariant("yes")}) {
        settings.setValue("Preferences/NoPrint", value);
        settings.sync();
        const CRun run = Run({"print", "--pdf", pdf});
        EXPECT_EQ(run.code, 1);
        EXPECT_EQ(run.err,
                  "Printing has been turned off by the administrator (the \"NoPrint\" "
                  "preference).\n");
        EXPECT_FALSE(std::filesystem::exists(pdf));
    }
    settings.remove("Preferences/NoPrint");
    settings.sync();

    // A damaged database says so and prints nothing.
    std::ofstream(db, std::ios::binary | std::ios::trunc) << before.substr(0, before.size() / 2);
    const CRun run = Run({"print", "--pdf", pdf}, "pw\n");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err.rfind("The database " + db + " could not be read: ", 0), 0u) << run.err;
    EXPECT_FALSE(std::filesystem::exists(pdf));
}

// Without --page-size the paper follows the locale: Letter where it measures in US units.
TEST_F(Print, PaperFromTheLocale) {
    MakeSample();
    const struct {
        std::string locale;
        std::string size;
    } cases[] = {
        {"en_US.UTF-8", "letter"},
        {"en_GB.UTF-8", "A4"},
        {"de_DE.UTF-8", "A4"},
    };
    for (const auto& c : cases) {
        test::CChild child = test::CChild::Start(
            {TESSARIN_CLI_PATH, "--db", db, "print", "--pdf", pdf}, {"LC_ALL=" + c.locale});
        while (!child.ReadLine().empty()) {
        }
        EXPECT_EQ(child.Wait(), 0) << c.locale;
        EXPECT_EQ(PageSize(pdf), c.size) << c.locale;
    }
}

}  // namespace
}  // namespace tessarin::cli
