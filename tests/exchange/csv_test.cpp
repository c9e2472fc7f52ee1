// CSV files: the writer's bytes and the row parser on files of this program and of others.
#include <gtest/gtest.h>

#include "exchange/exchange_writer.h"
#include "exchange/row_import.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;

class Csv : public ::testing::Test {
protected:
    Csv() { db.m_path = (dir / "db.tdb").string(); }

    CImportOutcome Import(std::string_view text) {
        CAllTypesList list(db);
        return ImportText(db, ExchangeFormat::Csv, text, nullptr, list);
    }
    const CRecord& Record(size_t i) const { return *db.RecordAt(i); }
    std::string TypeOf(size_t i) const { return db.m_types.NameOf(Record(i).m_key); }
    std::string CategoryOf(size_t i) const {
        return db.m_categories.NameOf(Record(i).m_categoryKey);
    }

    test::CTempDir dir;
    test::CTestContext context;
    CDatabaseObj db{context};
};

TEST_F(Csv, WritesOneLineARecordWithTypeFieldsNoteAndCategory) {
    CTypeItem* web = AddType(db, "Web");
    web->m_icon = 9;
    CCategoryItem* home = AddCategory(db, "Home");
    CRecord* r = AddRecord(db, web, home, {"a", "b,c", "", "", "", "f"}, "n1\r\nn2");
    r->SetCustomLabelText(0, "not written");
    AddRecord(db, nullptr, nullptr, {"say \"x\""});
    EXPECT_EQ(BuildCsvText(db, RecordsInScope(db, ExportScope::All, nullptr)),
              "Tessarin Export File\r\n"
              "Web,a,\"b,c\",,,,f,n1\vn2,Home\r\n"
              "Unfiled,\"say \"\"x\"\"\",,,,,,,Unfiled\r\n");
}

TEST_F(Csv, ReadsBackItsOwnExportWithoutNewTypesOrCategories) {
    CTypeItem* web = AddType(db, "Web");
    web->m_icon = 9;
    web->m_maskBits = 2;
    AddCategory(db, "Home");
    // Names are found without regard to case; a record takes its type's icon and mask.
    const CImportOutcome outcome = Import(
        "Tessarin Export File\r\n"
        "WEB,a,\"b,c\",,,,f,n1\vn2,home\r\n"
        "unfiled,x,,,,,,,UNFILED\r\n");
    ASSERT_TRUE(outcome.Complete());
    ASSERT_EQ(db.m_records.Size(), 2u);
    EXPECT_EQ(db.m_types.Size(), 1u);
    EXPECT_EQ(db.m_categories.Size(), 1u);
    EXPECT_EQ(Record(0).m_key, web->m_key);
    EXPECT_EQ(Record(0).m_icon, 9);
    EXPECT_EQ(Record(0).m_maskBits, 2);
    EXPECT_EQ(Record(0).GetValue(1), "b,c");
    EXPECT_EQ(Record(0).GetNote(), "n1\r\nn2");
    EXPECT_EQ(CategoryOf(0), "Home");
    EXPECT_EQ(Record(1).m_key, ZeroKey);
    EXPECT_EQ(Record(1).m_categoryKey, ZeroKey);
    EXPECT_EQ(Record(1).m_icon, 0);
    EXPECT_EQ(Record(0).CustomLabelCount(), 0);
}

TEST_F(Csv, ReadsAnotherProgramsFileAsPlainRows) {
    const CImportOutcome outcome = Import(
        "Title,User,Password,URL\r\n"                                   // headings: a record too
        "Bank,me,\"p\"\"w\",\"https://x\",\"multi\r\nline\nnote\"\r\n"  // CR and LF kept in quotes
        "\r\n\r\n"                                                      // empty lines pass
        "Solo\r\n"                          // a type name alone: skipped
        "a,1,2,3,4,5,6,note,cat,T2,f1\r\n"  // eleven values: two records
        "b,x\vy\n");
    ASSERT_TRUE(outcome.Complete());
    ASSERT_EQ(db.m_records.Size(), 5u);
    EXPECT_EQ(TypeOf(0), "Title");
    EXPECT_EQ(Record(0).GetValue(2), "URL");
    EXPECT_EQ(TypeOf(1), "Bank");
    EXPECT_EQ(Record(1).GetValue(1), "p\"w");
    EXPECT_EQ(Record(1).GetValue(3), "multi\r\nline\nnote");
    EXPECT_EQ(TypeOf(2), "a");
    EXPECT_EQ(Record(2).GetValue(5), "6");
    EXPECT_EQ(Record(2).GetNote(), "note");
    EXPECT_EQ(CategoryOf(2), "cat");
    EXPECT_EQ(TypeOf(3), "T2");
    EXPECT_EQ(Record(3).GetValue(0), "f1");
    EXPECT_EQ(Record(4).GetValue(0), "x\r\ny");
    // New types get the default labels; a record of a new type has icon and mask 0.
    EXPECT_EQ(db.FindTypeByName("Bank")->GetLabel(5), "Field 6");
    EXPECT_EQ(Record(1).m_icon, 0);
    EXPECT_EQ(Record(1).m_maskBits, 0);
}

TEST_F(Csv, CutsTypeNamesTo31Characters) {
    const std::string name(40, 'N');
    ASSERT_TRUE(Import(name + ",a\r\n" + name.substr(0, 31) + "xyz,b\r\n").Complete());
    ASSERT_EQ(db.m_types.Size(), 1u);
    EXPECT_EQ(db.TypeAt(0)->GetName(), name.substr(0, 31));
    EXPECT_EQ(db.m_records.Size(), 2u);
}

TEST_F(Csv, RoundTripKeepsWhatCsvCarries) {
    CTypeItem* web = AddType(db, "Web");
    web->m_icon = 7;
    web->m_maskBits = 1;
    CCategoryItem* home = AddCategory(db, "Home");
    CRecord* r = AddRecord(db, web, home, {"  lead", "a,b", "q\"q", "\xE9\x80\xFF", "", "6"},
                           "\r\nnote, \"with\" all\r\n");
    r->m_icon = 99;  // not carried
    r->m_maskBits = 6;
    r->SetCustomLabelText(1, "lost");
    const std::string text = BuildCsvText(db, RecordsInScope(db, ExportScope::All, nullptr));

    test::CTestContext other;
    CDatabaseObj copy(other);
    copy.m_path = (dir / "copy.tdb").string();
    CAllTypesList list(copy);
    ASSERT_TRUE(ImportText(copy, ExchangeFormat::Csv, text, nullptr, list).Complete());
    ASSERT_EQ(copy.m_records.Size(), 1u);
    const CRecord& back = *copy.RecordAt(0);
    for (int f = 0; f < kFieldCount; ++f)
        EXPECT_EQ(back.GetValue(f), r->GetValue(f));
    EXPECT_EQ(back.GetNote(), r->GetNote());
    EXPECT_EQ(copy.m_types.NameOf(back.m_key), "Web");
    EXPECT_EQ(copy.m_categories.NameOf(back.m_categoryKey), "Home");
    EXPECT_EQ(back.m_icon, 0);  // the new type "Web" had no icon of the record's to give
    EXPECT_EQ(back.m_maskBits, 0);
    EXPECT_EQ(back.CustomLabelCount(), 0);
}

}  // namespace
}  // namespace tessarin
