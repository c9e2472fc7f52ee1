// Rows read ahead (on another thread, in the desktop program) and imported in portions give what
// the one-piece import gives: the same records, outcome and messages, whatever the portion size.
#include <gtest/gtest.h>

#include "exchange/exchange_writer.h"
#include "exchange/import_file.h"
#include "exchange/import_support.h"
#include "resources/string_ids.h"
#include "security/password.h"

namespace tessarin {
namespace {

using test::CFlatRecord;

struct CCase {
    const char* name;
    ExchangeFormat format;
    std::string text;
    const char* password = nullptr;
};

std::vector<CCase> Cases() {
    return {
        {"type rows carry across portions", ExchangeFormat::Vex2,
         "Tessarin vEX File -v2.0\r\nF\r\n"
         "T,7,Web,Site,User,Pass,Field 4,Field 5,Field 6,4,\r\n"
         "F,7,a,b,c,,,,4,,,,,,,Work,note\r\n"
         "F,7,d,e,f,,,,4,,,,,,,Home,\r\n"
         "T,24,Unfiled,0,\r\n"
         "F,0,loose,,,,,,0,,,,,,,Unfiled,\r\n"},
        {"a row without values ends it", ExchangeFormat::Vex2,
         "Tessarin vEX File -v2.0\r\nF\r\nT,24,Unfiled,0,\r\nF,0,kept\r\nF,0\r\nF,0,not read\r\n"},
        {"a row cut short", ExchangeFormat::Vex2,
         "Tessarin vEX File "
         "-v2.0\r\nF\r\nT,1,Bank,A,B,C,D,E,F,0,\r\nF,1,x,y\r\nF,1,z,,,,,,0,,,,,,,,\r\n"},
        {"a zero byte", ExchangeFormat::Csv, std::string("T,before\r\nT,cut\0T,after\r\n", 25)},
        {"csv with an overlong line", ExchangeFormat::Csv,
         "Tessarin Export File\r\nWeb,1,2,3,4,5,6,n,Work,Bank,acct\r\nSolo\r\n"},
        {"protected", ExchangeFormat::Vex2, "", "pa55word"},
        {"yaps", ExchangeFormat::Yaps, "#Yaps Data\r\n#Bank,Acct,123,,,,x,y\r\n#Mail,me\r\n"},
        {"cryptinfo", ExchangeFormat::Cryptinfo,
         "CryptInfo Export\r\nName: one\r\nUser: two\r\nNote: three\r\n\r\nName: four\r\n"},
    };
}

// A protected exchange text written by this program.
std::string ProtectedText(const char* password) {
    test::CTestContext other;
    CDatabaseObj source(other);
    test::AddRecord(source, test::AddType(source, "Web"), nullptr, {"secret value", "x"});
    test::AddRecord(source, nullptr, nullptr, {"no type"});
    const auto key = MakeKeySchedule(CSecret(password));
    return BuildVexText(source, RecordsInScope(source, ExportScope::All, nullptr), key.get());
}

struct CResult {
    std::vector<CFlatRecord> records;
    CImportOutcome outcome;
    std::vector<int> messages;
    std::vector<std::vector<std::string>> args;
};

CResult Flatten(test::CImportFixture& fixture) {
    CResult result{test::FlatRecords(fixture.db), fixture.outcome, fixture.messages.Ids(), {}};
    for (const CMessage& m : fixture.messages.shown)
        result.args.push_back(m.args);
    return result;
}

TEST(ParsedImport, PortionsGiveWhatTheOnePieceImportGives) {
    for (CCase c : Cases()) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CKeySchedule> key;
        if (c.password) {
            c.text = ProtectedText(c.password);
            key = MakeKeySchedule(CSecret(c.password));
        }
        test::CImportFixture whole;
        whole.context.SetMessages(&whole.messages);
        whole.Import(c.format, c.text, key.get());
        const CResult expected = Flatten(whole);
        ASSERT_FALSE(expected.records.empty());

        for (size_t portion : {size_t{1}, size_t{2}, size_t{1000}}) {
            SCOPED_TRACE(portion);
            test::CImportFixture parts;
            parts.context.SetMessages(&parts.messages);
            CParsedRows parsed;
            ASSERT_TRUE(ParseRows(c.format, c.text, key.get(), parsed));
            // Nothing reaches the database or the user until the rows are imported.
            EXPECT_TRUE(parts.messages.shown.empty());
            CAllTypesList list(parts.db);
            CRowImporter importer(parts.db, c.format, c.text, list);
            for (size_t from = 0; from < parsed.rows.size(); from += portion)
                importer.Import(parsed, from, from + portion);
            CNoticeList notices;
            parts.outcome = importer.Finish(parsed, notices);
            FinishImport(parts.db, list, notices, parts.outcome);
            const CResult got = Flatten(parts);
            EXPECT_EQ(got.records, expected.records);
            EXPECT_EQ(got.messages, expected.messages);
            EXPECT_EQ(got.args, expected.args);
            EXPECT_EQ(got.outcome.records, expected.outcome.records);
            EXPECT_EQ(got.outcome.cut, expected.outcome.cut);
            EXPECT_EQ(got.outcome.firstBadLine, expected.outcome.firstBadLine);
            EXPECT_EQ(got.outcome.stoppedEarly, expected.outcome.stoppedEarly);
            EXPECT_TRUE(got.outcome.save.Ok());
            EXPECT_EQ(parts.db.CountLive(1), whole.db.CountLive(1));
            EXPECT_EQ(parts.db.CountLive(2), whole.db.CountLive(2));
        }
    }
}

TEST(ParsedImport, ReadingCanBeCancelledAndAWrongKeyReadsNothing) {
    std::string text = "Tessarin Export File\r\n";
    for (int i = 0; i < 5000; ++i)
        text += "Web,row " + std::to_string(i) + "\r\n";
    size_t asked = 0;
    size_t lastOffset = 0;
    CParsedRows parsed;
    EXPECT_FALSE(ParseRows(ExchangeFormat::Csv, text, nullptr, parsed, [&](size_t offset) {
        EXPECT_GE(offset, lastOffset);
        lastOffset = offset;
        return ++asked < 3;
    }));
    EXPECT_EQ(asked, 3u);
    EXPECT_LT(parsed.rows.size(), 5000u);

    ASSERT_TRUE(ParseRows(ExchangeFormat::Csv, text, nullptr, parsed, [](size_t) { return true; }));
    EXPECT_EQ(parsed.rows.size(), 5000u);
    EXPECT_EQ(parsed.textSize, text.size());

    // The rows of a protected text are not read with a key that does not open it; the import
    // says so and changes nothing.
    const std::string protectedText = ProtectedText("right one");
    const auto wrong = MakeKeySchedule(CSecret("wrong one"));
    ASSERT_TRUE(ParseRows(ExchangeFormat::Vex2, protectedText, wrong.get(), parsed));
    EXPECT_TRUE(parsed.wrongKey);
    EXPECT_TRUE(parsed.rows.empty());
    test::CImportFixture fixture;
    fixture.context.SetMessages(&fixture.messages);
    CAllTypesList list(fixture.db);
    CRowImporter importer(fixture.db, ExchangeFormat::Vex2, protectedText, list);
    CNoticeList notices;
    const CImportOutcome outcome = importer.Finish(parsed, notices);
    EXPECT_EQ(outcome.result, CImportOutcome::Failed);
    EXPECT_EQ(fixture.messages.Ids(), (std::vector<int>{str::kImportWrongPassword}));
    EXPECT_EQ(fixture.db.CountLive(0), 0u);
}

}  // namespace
}  // namespace tessarin
