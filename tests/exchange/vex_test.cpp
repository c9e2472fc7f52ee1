// Exchange files: the writer's bytes, the readers of versions 2.0 and 1.0, protection, detection.
#include <gtest/gtest.h>

#include "exchange/exchange_writer.h"
#include "exchange/format_detection.h"
#include "exchange/row_import.h"
#include "exchange/vex_format.h"
#include "security/password.h"
#include "store/builtins.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

class Vex : public ::testing::Test {
protected:
    Vex() {
        source.m_path = (dir / "source.tdb").string();
        target.m_path = (dir / "target.tdb").string();
    }

    // Web (icon 5, mask 4, labels User, -, Pass), category Work; three records, the second
    // without type or category.
    void FillSmall() {
        web = AddType(source, "Web");
        web->m_icon = 5;
        web->m_maskBits = 4;
        web->SetValue(0, "User");
        web->SetValue(2, "Pass");
        CCategoryItem* work = AddCategory(source, "Work");
        CRecord* first = AddRecord(source, web, work, {"alice", "", "p,w"}, "line1\r\nline2");
        first->SetCustomLabelText(0, "Login");
        AddRecord(source, nullptr, nullptr, {"x"});
        AddRecord(source, web, nullptr, {});
    }

    CImportOutcome Import(std::string_view text, ExchangeFormat format = ExchangeFormat::Vex2,
                          const CKeySchedule* key = nullptr) {
        CAllTypesList list(target);
        return ImportText(target, format, text, key, list);
    }

    test::CTempDir dir;
    test::CTestContext context;
    CDatabaseObj source{context};
    CDatabaseObj target{context};
    CTypeItem* web = nullptr;
};

constexpr std::string_view kSmallExport =
    "Tessarin vEX File -v2.0\r\n"
    "F\r\n"
    "T,5,Web,User,Field 2,Pass,Field 4,Field 5,Field 6,4,\r\n"
    "F,5,alice,,\"p,w\",,,,4,Login,,Pass,,,,Work,line1\vline2\r\n"
    "T,24,Unfiled,0,\r\n"
    "F,24,x,,,,,,0,Field 1,Field 2,Field 3,Field 4,Field 5,Field 6,Unfiled,\r\n"
    "T,5,Web,User,Field 2,Pass,Field 4,Field 5,Field 6,4,\r\n"
    "F,5,,,,,,,4,User,,Pass,,,,Unfiled,\r\n";

TEST_F(Vex, WritesTypeRowsBeforeEachRunOfRecordsOfOneType) {
    FillSmall();
    CAllTypesList list(source);
    EXPECT_EQ(BuildVexText(source, RecordsInScope(source, ExportScope::All, &list), nullptr),
              kSmallExport);
    // Records marked deleted are left out; an empty selection gives the two header lines.
    source.RecordAt(1)->m_deleted = true;
    const std::string text =
        BuildVexText(source, RecordsInScope(source, ExportScope::All, &list), nullptr);
    EXPECT_EQ(text.find("F,24,x"), std::string::npos);
    EXPECT_EQ(text.find("T,5,Web", text.find("T,5,Web") + 1), std::string::npos);  // one run now
    EXPECT_EQ(WriteClipboardText(source, list), "Tessarin vEX File -v2.0\r\nF\r\n");
}

TEST_F(Vex, ReadsBackWhatItWrote) {
    const CImportOutcome outcome = Import(kSmallExport);
    ASSERT_TRUE(outcome.Complete());
    EXPECT_EQ(outcome.records, 3u);
    ASSERT_EQ(target.m_records.Size(), 3u);
    ASSERT_EQ(target.m_types.Size(), 1u);  // the short row makes no "Unfiled" type
    const CTypeItem* type = target.TypeAt(0);
    EXPECT_EQ(type->GetName(), "Web");
    EXPECT_EQ(type->m_icon, 5);
    EXPECT_EQ(type->m_maskBits, 4);
    EXPECT_EQ(type->GetLabel(1), "Field 2");
    const CRecord* first = target.RecordAt(0);
    EXPECT_EQ(first->m_key, type->m_key);
    EXPECT_EQ(first->GetValue(0), "alice");
    EXPECT_EQ(first->GetValue(2), "p,w");
    EXPECT_EQ(first->GetNote(), "line1\r\nline2");
    EXPECT_EQ(first->GetCustomLabel(0), "Login");
    EXPECT_EQ(target.FindCategory(first->m_categoryKey)->GetName(), "Work");
    const CRecord* second = target.RecordAt(1);
    EXPECT_EQ(second->m_key, ZeroKey);
    EXPECT_EQ(second->m_categoryKey, ZeroKey);
    EXPECT_EQ(second->m_icon, 24);
    EXPECT_EQ(target.RecordAt(2)->m_key, type->m_key);
    EXPECT_EQ(target.RecordAt(2)->m_maskBits, 4);
}

// A database like a user's: the built-in types, two categories, and records with awkward texts.
void FillAwkward(CDatabaseObj& db) {
    CreateBuiltInTypes(db.m_types);
    CreateBuiltInCategories(db.m_categories);
    const std::string notes[] = {
        "two\r\nlines",
        "commas, and \"quotes\"",
        "  leading blanks",
        "\r\nstarts with a break",
        "\x80\x81\xFF\xE9t\xE9",
        "ends with a break\r\n",
        "",
        "\t tab first",
        std::string(60000, 'n'),  // far beyond the 4,095 bytes a value was once cut to
    };
    int n = 0;
    for (const std::string& note : notes) {
        CRecord* r =
            AddRecord(db, db.TypeAt(n % db.m_types.Size()), db.CategoryAt(n % 2),
                      {"v" + std::to_string(n), note.substr(0, 20), " x", "\"", ",", ""}, note);
        r->m_icon = static_cast<uint16_t>(100 + n);
        r->m_maskBits = static_cast<uint16_t>(n);
        r->SetCustomLabelText(n % 6, "Custom " + std::to_string(n));
        ++n;
    }
    CRecord* unfiled = AddRecord(db, nullptr, nullptr, {"", "", "", "", "", "only six"});
    unfiled->m_icon = 65535;
}

void ExpectSameRecords(const CDatabaseObj& a, const CDatabaseObj& b) {
    ASSERT_EQ(a.m_records.Size(), b.m_records.Size());
    for (size_t i = 0; i < a.m_records.Size(); ++i) {
        const CRecord& x = *a.RecordAt(i);
        const CRecord& y = *b.RecordAt(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(a.m_types.NameOf(x.m_key), b.m_types.NameOf(y.m_key));
        EXPECT_EQ(a.m_categories.NameOf(x.m_categoryKey), b.m_categories.NameOf(y.m_categoryKey));
        for (int f = 0; f < kFieldCount; ++f) {
            EXPECT_EQ(x.GetValue(f), y.GetValue(f));
            EXPECT_EQ(a.LabelFor(x, f, false), b.LabelFor(y, f, false));
        }
        EXPECT_EQ(x.GetNote(), y.GetNote());
        EXPECT_EQ(x.m_icon, y.m_icon);
        EXPECT_EQ(x.m_maskBits, y.m_maskBits);
    }
}

TEST_F(Vex, RoundTripsEveryRecordWithAndWithoutPassword) {
    FillAwkward(source);
    const auto key = MakeKeySchedule(CSecret("secret"));
    const CKeySchedule* const keys[] = {nullptr, key.get()};
    for (const CKeySchedule* k : keys) {
        target.Empty();
        target.m_path = (dir / "target.tdb").string();
        const std::string text =
            BuildVexText(source, RecordsInScope(source, ExportScope::All, nullptr), k);
        const CImportOutcome outcome = Import(text, ExchangeFormat::Vex2, k);
        ASSERT_TRUE(outcome.Complete());
        ExpectSameRecords(source, target);
        // Types used by the records came back with their icons, masks and labels.
        for (const auto& item : target.m_types.Items()) {
            const CTypeItem* original = source.FindTypeByName(item->GetName());
            ASSERT_NE(original, nullptr);
            EXPECT_EQ(item->m_icon, original->m_icon);
            EXPECT_EQ(item->m_maskBits, original->m_maskBits);
            for (int f = 0; f < kFieldCount; ++f)
                EXPECT_EQ(item->GetValue(f), source.m_types.LabelOf(original->m_key, f));
        }
    }
}

TEST_F(Vex, ProtectedFilesCarryTheirCheckBlockAndOnlyHexadecimal) {
    FillSmall();
    const auto key = MakeKeySchedule(CSecret("pw"));
    const std::string text =
        BuildVexText(source, RecordsInScope(source, ExportScope::All, nullptr), key.get());
    ASSERT_EQ(text.substr(0, 27), "Tessarin vEX File -v2.0\r\nT,");
    EXPECT_EQ(text.substr(27 + 80, 2), "\r\n");
    EXPECT_EQ(CheckFilePassword(text, key.get()), 0);
    EXPECT_EQ(CheckFilePassword(text, MakeKeySchedule(CSecret("Pw")).get()), 1);
    EXPECT_EQ(CheckFilePassword(text, nullptr), 1);
    EXPECT_EQ(CheckFilePassword(kSmallExport, nullptr), 0);
    EXPECT_EQ(CheckFilePassword("CSV,file", key.get()), -1);
    // Names, labels and values are enciphered; flags and numbers are not.
    EXPECT_EQ(text.find("Web"), std::string::npos);
    EXPECT_EQ(text.find("alice"), std::string::npos);
    EXPECT_NE(text.find("\r\nT,5,"), std::string::npos);
    EXPECT_NE(text.find("\r\nF,24,"), std::string::npos);
    // Without the key, or with another, nothing is imported.
    EXPECT_EQ(Import(text).result, CImportOutcome::Failed);
    EXPECT_EQ(Import(text, ExchangeFormat::Vex2, MakeKeySchedule(CSecret("x")).get()).result,
              CImportOutcome::Failed);
    EXPECT_TRUE(target.m_records.Empty());
}

TEST(Detection, ClassifiesByTheFirstBytes) {
    const std::pair<std::string, ExchangeFormat> cases[] = {
        {"Tessarin vEX File -v2.0\r\nF\r\n", ExchangeFormat::Vex2},
        {"Tessarin vEX File -v1.0\r\n", ExchangeFormat::Vex1},
        {"Tessarin vEX File -v3.0\r\n", ExchangeFormat::LaterVex},
        {"Tessarin vEX File", ExchangeFormat::LaterVex},
        {"tessarin vEX File -v2.0", ExchangeFormat::Csv},  // case counts
        {"Tessarin Export File\r\n", ExchangeFormat::CsvExport},
        {"CryptInfo Export\r\n", ExchangeFormat::Cryptinfo},
        {"#Yaps Data\n", ExchangeFormat::Yaps},
        {"Mobile AM Export: x", ExchangeFormat::MobileSafe},
        {"Mobile AM Export", ExchangeFormat::Csv},
        {"Name,Password\r\n", ExchangeFormat::Csv},
        {"", ExchangeFormat::Csv},
        {std::string("\0abc", 4), ExchangeFormat::NotText},
        {"tab\tff\fvt\v\x1D\xFF ok", ExchangeFormat::Csv},
        {"bell\x07", ExchangeFormat::NotText},
        {"esc\x1B", ExchangeFormat::NotText},
        {"us\x1F", ExchangeFormat::NotText},
        {std::string(512, 'a') + '\x01', ExchangeFormat::Csv},  // only 512 bytes are looked at
        {std::string(511, 'a') + '\x01', ExchangeFormat::NotText},
    };
    for (const auto& [bytes, format] : cases)
        EXPECT_EQ(DetectFormat(bytes), format) << bytes;
}

}  // namespace
}  // namespace tessarin
