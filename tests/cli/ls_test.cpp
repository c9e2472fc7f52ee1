#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iterator>
#include <sstream>
#include <utility>

#include "cli_fixture.h"
#include "platform/settings_store.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "support/child_process.h"
#include "support/fixtures.h"

namespace tessarin::cli {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

// The first field of each row of "ls --json", each followed by `after`.
std::string FirstFields(const std::string& json, const std::string& after) {
    const std::string marker = "\"fields\": [\"";
    std::string fields;
    for (size_t at = json.find(marker); at != std::string::npos; at = json.find(marker, at + 1)) {
        const size_t start = at + marker.size();
        fields += json.substr(start, json.find('"', start) - start) + after;
    }
    return fields;
}

class Ls : public Cli {
protected:
    CRun Run(std::vector<std::string> args, const std::string& input = "") {
        return Cli::Run(With(std::move(args)), input);
    }

    // Standard output of the tool run in a process of its own under another locale.
    std::string RunIn(const std::string& locale, std::vector<std::string> args) {
        args.insert(args.begin(), {TESSARIN_CLI_PATH, "--db", db});
        test::CChild child = test::CChild::Start(args, {"LC_ALL=" + locale});
        std::string out;
        for (std::string line = child.ReadLine(); !line.empty(); line = child.ReadLine())
            out += line + '\n';
        EXPECT_EQ(child.Wait(), 0);
        return out;
    }

    // A login type with a masked password field, two categories, four records.
    void MakeSample(const char* password = nullptr) {
        Make(
            [](CDatabaseObj& d) {
                CTypeItem* login = AddType(d, "Login");
                for (int i = 0; i < 6; ++i)
                    login->SetValue(i, std::string("L") + char('1' + i));
                login->SetValue(1, "Password");
                login->m_maskBits = 0b10;
                CTypeItem* card = AddType(d, "Card");
                CCategoryItem* home = AddCategory(d, "Home");
                CCategoryItem* work = AddCategory(d, "Work");
                AddRecord(d, login, work, {"mail", "hunter2", "", "", "", "x"}, "a\r\nb");
                AddRecord(d, login, home, {"bank", "", "me"});
                AddRecord(d, card, home, {"visa", "1234"});
                CRecord* loose = AddRecord(d, nullptr, nullptr, {"caf\xE9", "10"});
                loose->SetCustomLabelText(0, "Place");
            },
            password);
    }
};

TEST_F(Ls, TableOfTheListsRowsInItsOrder) {
    MakeSample("pw");
    CRun all = Run({"ls"}, "pw\n");
    ASSERT_EQ(all.code, 0) << all.err;
    EXPECT_EQ(all.out,
              "#  Type     Category  Field 1  Field 2  Field 3  Field 4  Field 5  Field 6  Note\n"
              "1  Card     Home      visa     1234\n"
              "2  Login    Home      bank              me\n"
              "3  Login    Work      mail     ****                                x        yes\n"
              "4  Unfiled  Unfiled   caf\xC3\xA9     10\n");

    CRun login = Run({"ls", "--type", "login", "--sort", "4:desc", "--unmask"}, "pw\n");
    EXPECT_EQ(login.out,
              "#  Type   Category  L1    Password  L3  L4  L5  L6  Note\n"
              "1  Login  Work      mail  hunter2               x   yes\n"
              "2  Login  Home      bank            me\n");
}

TEST_F(Ls, WithoutSortTheListStartsAsThePreferenceSays) {
    MakeSample();
    auto firstFields = [&] { return FirstFields(Run({"ls", "--json"}).out, ";"); };
    CSettingsStore store;
    store.WriteText("Preferences", "Current User", "Alice");
    // Field 1 descending; a damaged value (column 12) gives column 1 ascending.
    const struct {
        std::vector<uint8_t> info;
        std::string rows;
    } cases[] = {
        {{3, 0, 0, 0}, "visa;mail;caf\xC3\xA9;bank;"},
        {{3, 0, 1, 0}, "bank;caf\xC3\xA9;mail;visa;"},
        {{12, 0, 1, 0}, "visa;bank;mail;caf\xC3\xA9;"},
    };
    for (const auto& c : cases) {
        store.WriteBytes(" - Alice", "Sort Info", c.info);
        EXPECT_EQ(firstFields(), c.rows) << int(c.info[0]);
    }
    // "--sort" wins over the preference.
    EXPECT_EQ(FirstFields(Run({"ls", "--json", "--sort", "3"}).out, ";"),
              "bank;caf\xC3\xA9;mail;visa;");
}

TEST_F(Ls, JsonRowsWithCellTextsAsShown) {
    MakeSample();
    CRun run = Run({"ls", "--json", "--category", "Work"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out,
              "[\n  {\"icon\": 24, \"type\": \"Login\", \"category\": \"Work\", \"fields\": "
              "[\"mail\", \"****\", \"\", \"\", \"\", \"x\"], \"note\": true}\n]\n");
    EXPECT_EQ(Run({"ls", "--json", "--type", "Card", "--category", "Work"}).out, "[]\n");
}

TEST_F(Ls, FiltersSortsAndFinds) {
    MakeSample();
    auto firstFields = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"ls", "--json"});
        const CRun run = Run(args);
        EXPECT_EQ(run.code, 0) << run.err;
        return FirstFields(run.out, ";");
    };
    EXPECT_EQ(firstFields({"--type", "Unfiled"}), "caf\xC3\xA9;");
    EXPECT_EQ(firstFields({"--category", "unfiled"}), "caf\xC3\xA9;");
    EXPECT_EQ(firstFields({"--sort", "3"}), "bank;caf\xC3\xA9;mail;visa;");
    EXPECT_EQ(firstFields({"--sort", "3:desc"}), "visa;mail;caf\xC3\xA9;bank;");
    EXPECT_EQ(firstFields({"--sort", "4"}),
              "bank;caf\xC3\xA9;visa;mail;");  // "", 10, 1234, hunter2
    // Finds search real values and notes, never names.
    EXPECT_EQ(firstFields({"--find", "HUNTER"}), "mail;");
    EXPECT_EQ(firstFields({"--find", "HUNTER", "--case"}), "");
    EXPECT_EQ(firstFields({"--find", "b"}), "bank;mail;");
    EXPECT_EQ(firstFields({"--find", "b", "--word"}), "mail;");
    EXPECT_EQ(firstFields({"--find", "Home"}), "");
    EXPECT_EQ(firstFields({"--find", ""}), "visa;bank;mail;caf\xC3\xA9;");

    const struct {
        std::vector<std::string> args;
        int code;
        std::string err;
    } bad[] = {
        {{"ls", "--type", "Nothing"}, 1, "No type is named Nothing.\n"},
        {{"ls", "--category", "Nothing"}, 1, "No category is named Nothing.\n"},
        {{"ls", "--sort", "10"},
         2,
         "The sort column must be a number from 0 to 9, with :asc or :desc after it if you "
         "like: 10\n"},
        {{"ls", "--sort", "3:up"},
         2,
         "The sort column must be a number from 0 to 9, with :asc or :desc after it if you "
         "like: 3:up\n"},
        {{"ls", "--find", "\xE6\x97\xA5"},
         2,
         "The text holds a character that Windows-1252 cannot hold: --find\n"},
        {{"ls", "--type", "\xE6\x97\xA5"},
         2,
         "The text holds a character that Windows-1252 cannot hold: --type\n"},
        {{"show", "0"}, 2, "ROW must be a row number from 1 on: 0\n"},
        {{"show", "x1"}, 2, "ROW must be a row number from 1 on: x1\n"},
        {{"show", "5"}, 1, "There is no row 5: the list holds 4 rows.\n"},
    };
    for (const auto& c : bad) {
        const CRun run = Run(c.args);
        EXPECT_EQ(run.code, c.code) << c.args[1];
        EXPECT_EQ(run.err, c.err);
        EXPECT_EQ(run.out, "");
    }
}

// A long table is made in pieces on several threads: the same bytes as on one thread, and each
// value on one line, printable ASCII as it is, control characters as spaces, the rest as UTF-8.
TEST_F(Ls, ALongTableIsTheSameOnAnyNumberOfThreads) {
    const struct {
        std::string value;
        std::string shown;
    } values[] = {
        {"plain", "plain"},
        {"exactly8", "exactly8"},
        {"sixteen bytes ok", "sixteen bytes ok"},
        {"tilde~and\x7F", "tilde~and\x7F"},
        {"\x7Ftilde~a", "\x7Ftilde~a"},
        {"abcdefghi\tjk", "abcdefghi jk"},
        {"abc\tdefghij", "abc defghij"},
        {"line\r\nbreak", "line  break"},
        {"\x1F", " "},
        {"caf\xE9 au lait", "caf\xC3\xA9 au lait"},
        {"12345678\x80", "12345678\xE2\x82\xAC"},
        {"\xFFrom", "\xC3\xBFrom"},
    };
    constexpr size_t kRecords = 150;
    Make([&](CDatabaseObj& d) {
        CTypeItem* type = AddType(d, "Login");
        for (size_t i = 0; i < kRecords; ++i) {
            const auto& v = values[i % std::size(values)];
            AddRecord(d, i % 3 ? type : nullptr, nullptr,
                      {"r" + std::to_string(1000 + i), v.value, "", i % 4 ? "" : v.value},
                      i % 5 ? "" : "note");
        }
    });
    std::string expected;
    {
        const test::CItemThreadsScope one(1);
        const CRun run = Run({"ls", "--sort", "3"});
        ASSERT_EQ(run.code, 0) << run.err;
        expected = run.out;
    }
    std::istringstream lines(expected);
    std::string line;
    std::getline(lines, line);  // the header
    for (size_t i = 0; i < kRecords; ++i) {
        ASSERT_TRUE(std::getline(lines, line));
        EXPECT_EQ(line.rfind(std::to_string(i + 1) + " ", 0), 0u) << line;
        EXPECT_NE(line.find(values[i % std::size(values)].shown), std::string::npos) << line;
    }
    EXPECT_FALSE(std::getline(lines, line));
    for (const auto& [threads, batchItems] : {std::pair{2, 1}, {3, 2}, {4, 64}}) {
        const test::CItemThreadsScope spread(threads, batchItems);
        const CRun run = Run({"ls", "--sort", "3"});
        EXPECT_EQ(run.out, expected) << threads << " threads, batches of " << batchItems;
    }
}

TEST_F(Ls, ShowGivesOneRowWithItsLabels) {
    MakeSample();
    CRun mail = Run({"show", "3"});
    ASSERT_EQ(mail.code, 0) << mail.err;
    EXPECT_EQ(mail.out,
              "Type: Login\nCategory: Work\nL1: mail\nPassword: ****\nL3:\nL4:\nL5:\nL6: x\n"
              "Note:\na\nb\n");
    EXPECT_EQ(Run({"show", "1", "--type", "Unfiled", "--unmask"}).out,
              "Type: Unfiled\nCategory: Unfiled\nPlace: caf\xC3\xA9\nField 2: 10\nField 3:\n"
              "Field 4:\nField 5:\nField 6:\n");
    EXPECT_EQ(Run({"show", "1", "--find", "hunter", "--json", "--unmask"}).out,
              "{\n  \"row\": 1,\n  \"icon\": 24,\n  \"type\": \"Login\",\n  \"category\": "
              "\"Work\",\n  \"labels\": [\"L1\", \"Password\", \"L3\", \"L4\", \"L5\", \"L6\"],\n"
              "  \"values\": [\"mail\", \"hunter2\", \"\", \"\", \"\", \"x\"],\n  \"note\": "
              "\"a\\r\\nb\"\n}\n");
}

TEST_F(Ls, DatesAndNumbersFollowTheLocale) {
    Make([](CDatabaseObj& d) {
        for (const char* v : {"3/4/2004", "4/3/2004", "1,5", "1,25", "12.1.2003", "1.2.2004"})
            AddRecord(d, nullptr, nullptr, {v});
    });
    auto order = [&](const std::string& locale) {
        return FirstFields(RunIn(locale, {"ls", "--sort", "3", "--json"}), " ");
    };
    // Month first: March 4 before April 3. "1,5" and "1,25" are numbers up to the comma.
    EXPECT_EQ(order("en_US.UTF-8"), "1,25 1,5 1.2.2004 3/4/2004 4/3/2004 12.1.2003 ");
    EXPECT_EQ(order("en_GB.UTF-8"), "1,25 1,5 1.2.2004 4/3/2004 3/4/2004 12.1.2003 ");
    // Day first with "." and a decimal comma: 1.25 before 1.5, 12 January 2003 before
    // 1 February 2004.
    EXPECT_EQ(order("de_DE.UTF-8"), "1,25 1,5 3/4/2004 4/3/2004 12.1.2003 1.2.2004 ");
}

// A file from the independent writer (tools/reference): every record's first field is its date,
// different in each, so the dates name the rows.
TEST_F(Ls, RowsOfAnIndependentlyWrittenFileInEachLocale) {
    std::filesystem::copy_file(std::filesystem::path(TESSARIN_TEST_DATA) / "tdb/record_list.tdb",
                               db);
    const struct {
        std::vector<std::string> args;
        std::string us;  // month first
        std::string gb;  // day first; empty: as in the US
    } cases[] = {
        // By type, ties by category (Home, Unfiled, Work); a type that no longer exists is
        // Unfiled; the deleted record is never listed.
        {{}, "12/1/2003 2004 5/1/2004 03/06 1/2/2004 06/2004 7/4/2004 ", ""},
        // Dates: a two-part date without a year first, a year alone before its days.
        {{"--sort", "3"},
         "03/06 12/1/2003 2004 1/2/2004 5/1/2004 06/2004 7/4/2004 ",
         "03/06 12/1/2003 2004 5/1/2004 1/2/2004 7/4/2004 06/2004 "},
        // The masked column sorts by the real values: "", -5, -0.5, 1.5, 3, 9, 10.
        {{"--sort", "4"}, "7/4/2004 1/2/2004 03/06 12/1/2003 06/2004 2004 5/1/2004 ", ""},
        // Dotted numbers; equal ones by the next column, in the same direction.
        {{"--sort", "5"}, "7/4/2004 2004 12/1/2003 5/1/2004 1/2/2004 03/06 06/2004 ", ""},
        {{"--sort", "5:desc"}, "06/2004 03/06 1/2/2004 5/1/2004 12/1/2003 2004 7/4/2004 ", ""},
        // Words without case; rows equal in all four columns, the later stored first.
        {{"--sort", "6"}, "2004 06/2004 1/2/2004 03/06 5/1/2004 12/1/2003 7/4/2004 ", ""},
        {{"--type", "Unfiled"}, "06/2004 ", ""},
        {{"--category", "Unfiled"}, "03/06 06/2004 ", ""},
        {{"--category", "work"}, "2004 1/2/2004 7/4/2004 ", ""},
        {{"--type", "Login", "--category", "Unfiled"}, "03/06 ", ""},
        // Finds look at the values and the note, not at masks or names.
        {{"--find", "APPLE"}, "12/1/2003 2004 1/2/2004 06/2004 ", ""},
        {{"--find", "Apple", "--case"}, "2004 ", ""},
        {{"--find", "appl", "--word"}, "", ""},
        {{"--find", "pie", "--word"}, "12/1/2003 ", ""},
        {{"--find", "-0.5", "--type", "login"}, "03/06 ", ""},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"ls", "--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(FirstFields(RunIn("en_US.UTF-8", args), " "), c.us) << args[2];
        EXPECT_EQ(FirstFields(RunIn("en_GB.UTF-8", args), " "), c.gb.empty() ? c.us : c.gb)
            << args[2];
    }

    const std::string masked = RunIn("en_US.UTF-8", {"ls", "--json", "--sort", "4"});
    EXPECT_NE(masked.find("[\"7/4/2004\", \"\", \"\", \"date\", \"\", \"\"]"), std::string::npos);
    EXPECT_NE(masked.find("[\"1/2/2004\", \"****\", \"10.0.0.2\", \"apple\", \"\", \"\"]"),
              std::string::npos);
    EXPECT_EQ(RunIn("en_US.UTF-8", {"show", "2", "--sort", "4"}),
              "Type: Login\nCategory: Work\nDate: 1/2/2004\nPIN: ****\nAddress: 10.0.0.2\n"
              "Word: apple\nField 5:\nField 6:\n");
    EXPECT_EQ(RunIn("en_US.UTF-8", {"show", "1", "--sort", "4", "--unmask"}),
              "Type: Unfiled\nCategory: Work\nField 1: 7/4/2004\nField 2:\nField 3:\n"
              "Field 4: date\nField 5:\nField 6:\n");
}

}  // namespace
}  // namespace tessarin::cli
