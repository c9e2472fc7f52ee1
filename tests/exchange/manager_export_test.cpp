// The exports for other password managers: their layout, round trips through the import of the same
// format, and files written for their owner alone.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "exchange/exchange_writer.h"
#include "exchange/import_support.h"
#include "store/builtins.h"
#include "store/file_io.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;
using test::CFlatRecord;

class ManagerExport : public ::testing::Test {
protected:
    ManagerExport() {
        CreateBuiltInTypes(source.m_types);
        CreateBuiltInCategories(source.m_categories);
    }
    const CTypeItem* Type(const char* name) {
        return static_cast<const CTypeItem*>(source.m_types.FindByName(name));
    }
    const CCategoryItem* Category(const char* name) {
        return static_cast<const CCategoryItem*>(source.m_categories.FindByName(name));
    }
    std::string Text(ExportFormat format) {
        return BuildManagerCsvText(source, LiveRecords(source), format);
    }

    test::CTestContext context;
    CDatabaseObj source{context};
};

TEST_F(ManagerExport, LoginsFillTheLoginColumnsAndOtherRecordsAreNotes) {
    CRecord* login = test::AddRecord(
        source, Type("Web Logins"), Category("Personal"),
        {"Mail", "al\xE9", "p,w \"q\"", "https://mail.example", "JBSW"}, "first\r\nsecond");
    test::AddRecord(source, Type("Bank Accts"), nullptr, {"Checking", "12-34", "", "Jo"}, "n");
    test::AddRecord(source, nullptr, nullptr, {"Loose"}, "just a note");
    login->SetCustomLabelText(1, "Login");  // the columns do not depend on labels
    EXPECT_EQ(Text(ExportFormat::BitwardenCsv),
              "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,"
              "login_password,login_totp\r\n"
              "Personal,,login,Mail,\"first\r\nsecond\",,0,https://mail.example,al\xC3\xA9,"
              "\"p,w \"\"q\"\"\",JBSW\r\n"
              ",,note,Checking,\"Type: Bank Accts\r\nAccount #: 12-34\r\nPIN: \r\nName: Jo\r\n\r\n"
              "n\",,0,,,,\r\n"
              ",,note,Loose,just a note,,0,,,,\r\n");
    EXPECT_EQ(
        Text(ExportFormat::KeePassXcCsv),
        "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\","
        "\"Last Modified\",\"Created\"\n"
        "\"Root/Personal\",\"Mail\",\"al\xC3\xA9\",\"p,w \"\"q\"\"\",\"https://mail.example\","
        "\"first\r\nsecond\",\"JBSW\",\"\",\"\",\"\"\n"
        "\"Root\",\"Checking\",\"\",\"\",\"\",\"Type: Bank Accts\r\nAccount #: 12-34\r\nPIN: "
        "\r\nName: Jo\r\n\r\nn\",\"\",\"\",\"\",\"\"\n"
        // KeePassXC has no secure notes: the head says the entry is no login.
        "\"Root\",\"Loose\",\"\",\"\",\"\",\"Type: Unfiled\r\n\r\njust a note\",\"\",\"\","
        "\"\",\"\"\n");
}

TEST_F(ManagerExport, RecordsComeBackThroughTheImportOfTheSameFormat) {
    const CTypeItem* web = Type("Web Logins");
    const CTypeItem* card = Type("Credit Cards");
    CTypeItem* own = test::AddType(source, "Own type");
    own->SetValue(1, "");  // a label left empty
    test::AddRecord(source, web, Category("Business"),
                    {"Mail", "user", "p\"w,1", "https://mail.example", "otpauth://totp/x", "six"},
                    "note with\r\ntwo lines");
    test::AddRecord(source, web, nullptr, {"Plain", "u", "p"});
    test::AddRecord(source, web, nullptr, {"Tricky"}, "Type: Bank Accts\r\nPIN: 1");
    test::AddRecord(source, card, Category("Personal"), {"Visa", "4111", "01/28", "", "123"});
    test::AddRecord(source, card, nullptr, {"Empty card"});
    test::AddRecord(source, own, nullptr, {"", "second", "", "", "", "sixth"}, "\r\nstarts blank");
    test::AddRecord(source, nullptr, test::AddCategory(source, "Caf\xE9 \x80"), {"Note only"},
                    "text");
    test::AddRecord(source, nullptr, nullptr, {"Unfiled fields", "two"});
    // Values of the head with line breaks, quotes and backslashes.
    test::AddRecord(source, Type("Bank Accts"), nullptr,
                    {"Odd", "secret\r\n", "\"quoted\"", "a\\b\"c", "x\ny"}, "note");
    // A type without a name, as the imports of older keepers make.
    test::AddRecord(source, test::AddType(source, ""), nullptr, {"Nameless", "", "3"});
    const std::vector<CFlatRecord> records = test::FlatRecords(source);

    for (const auto& [format, importAs] :
         {std::pair(ExportFormat::BitwardenCsv, ExchangeFormat::Bitwarden),
          std::pair(ExportFormat::KeePassXcCsv, ExchangeFormat::KeePassXc)}) {
        SCOPED_TRACE(static_cast<int>(format));
        const std::string text = Text(format);
        // Into a database without any of the types: each comes back under its name, the built-in
        // ones as built-in types.
        test::CImportFixture fresh;
        EXPECT_EQ(fresh.Import(importAs, text), records);
        EXPECT_TRUE(fresh.outcome.replaced.empty());
        EXPECT_EQ(
            static_cast<const CTypeItem*>(fresh.db.m_types.FindByName("Credit Cards"))->m_maskBits,
            card->m_maskBits);
        // Into the database it came from: nothing is added.
        CAllTypesList list(source);
        const CImportOutcome again = ImportText(source, importAs, text, nullptr, list);
        EXPECT_EQ(again.records, 0u);
        EXPECT_EQ(again.skipped, records.size());
    }
}

TEST(PrivateFile, IsTheOwnersAloneAndReplacesALinkInsteadOfFollowingIt) {
    test::CTempDir dir;
    const mode_t before = ::umask(0);
    const std::string path = (dir.Path() / "out.csv").string();
    WritePrivateFile(path, [](IByteSink& sink) { sink.Write("new", 3); });
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // An existing file readable by others does not lend its mode.
    ::chmod(path.c_str(), 0644);
    WritePrivateFile(path, [](IByteSink& sink) { sink.Write("again", 5); });
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A link planted at the path to a file anyone may read: the link goes, its target stays.
    const std::string target = (dir.Path() / "target").string();
    std::ofstream(target) << "untouched";
    ::chmod(target.c_str(), 0666);
    const std::string linked = (dir.Path() / "linked.csv").string();
    fs::create_symlink(target, linked);
    WritePrivateFile(linked, [](IByteSink& sink) { sink.Write("secret", 6); });
    ::umask(before);
    EXPECT_FALSE(fs::is_symlink(linked));
    ASSERT_EQ(::stat(linked.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::stringstream kept;
    kept << std::ifstream(target).rdbuf();
    EXPECT_EQ(kept.str(), "untouched");

    // A failure leaves no temporary file behind.
    EXPECT_THROW(WritePrivateFile((dir.Path() / "no/such/folder.csv").string(),
                                  [](IByteSink& sink) { sink.Write("x", 1); }),
                 CFileError);
    EXPECT_THROW(WritePrivateFile(path, [](IByteSink&) { throw CFileError(ENOSPC, "disk full"); }),
                 CFileError);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path()))
        ++files;
    EXPECT_EQ(files, 3u);  // out.csv, target, linked.csv
}

}  // namespace
}  // namespace tessarin
