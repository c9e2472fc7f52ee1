// The row import: what rows of each kind make, the notices, the list, the save, and bad rows.
#include <gtest/gtest.h>

#include "exchange/import_support.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_file.h"
#include "store/database_lifecycle.h"
#include "store/name_index.h"

namespace tessarin {
namespace {

using test::CFlatRecord;

// Written by another implementation (Blowfish of the "cryptography" package, filler 0xAA): password
// "secret", one type row and one record row.
constexpr std::string_view kProtectedFile =
    "Tessarin vEX File -v2.0\r\n"
    "T,0B88D5D62A025235F041E3C235448C8FAD88165D439F859C2FE094F99886EB00C31CC9B43A5F48F2\r\n"
    "T,7,8A0C41630CDB00F9,9AD705880DF0EA40,B0621C66F00274D2,A6861EF8BF4BA4FF,6FEF95CFAA15EB7C"
    ",A01E3BB0E4146619,8335AFAEDFEDC07D,4,\r\n"
    "F,7,3666872E1C2B3DD5,EFB381968AB29200,CE571D68AE3DAE9F,EFB381968AB29200,EFB381968AB29200"
    ",EFB381968AB29200,4,A2BF4E3292EAFB77,EFB381968AB29200,A6861EF8BF4BA4FF,EFB381968AB29200,"
    "EFB381968AB29200,EFB381968AB29200,FEA7F876087408B3,28AC4E3F379BCB5BE9A1027C28742352\r\n";

class RowImport : public ::testing::Test, public test::CImportFixture {
protected:
    RowImport() { context.SetMessages(&messages); }
};

TEST_F(RowImport, ReadsAProtectedFileOfAnotherWriter) {
    const auto key = MakeKeySchedule(CSecret("secret"));
    const auto records = Import(ExchangeFormat::Vex2, kProtectedFile, key.get());
    EXPECT_EQ(records,
              (std::vector<CFlatRecord>{
                  {"Web", {"alice", "", "p,w", "", "", ""}, "two\r\nlines \xE9", "Work"}}));
    const CTypeItem* web = db.TypeAt(0);
    EXPECT_EQ(web->m_icon, 7);
    EXPECT_EQ(web->m_maskBits, 4);
    EXPECT_EQ(web->GetLabel(2), "Pass");
    EXPECT_EQ(db.RecordAt(0)->GetCustomLabel(0), "Login");
    EXPECT_EQ(db.RecordAt(0)->m_maskBits, 4);
}

TEST_F(RowImport, ReadsVersion1Rows) {
    const auto records = Import(ExchangeFormat::Vex1,
                                "Tessarin vEX File -v1.0\r\n"
                                "F\r\n"
                                "T,12,Bank,Name,Account,PIN\r\n"
                                "F,30,My bank,12345,99,,,,note part 1,,part 2\r\n"
                                "F,31,Other\r\n");
    EXPECT_EQ(
        records,
        (std::vector<CFlatRecord>{
            {"Bank", {"My bank", "12345", "99", "", "", ""}, "note part 1\r\npart 2", "Unfiled"},
            {"Bank", {"Other", "", "", "", "", ""}, "", "Unfiled"}}));
    const CTypeItem* bank = db.TypeAt(0);
    EXPECT_EQ(bank->m_icon, 12);
    EXPECT_EQ(bank->GetLabel(2), "PIN");
    EXPECT_EQ(bank->GetLabel(3), "");
    EXPECT_EQ(db.RecordAt(0)->m_icon, 30);  // version 1.0 keeps the row's icon
}

TEST_F(RowImport, ReadsProtectedVersion1Rows) {
    // Written by another implementation under the password "fuzz".
    const auto key = MakeKeySchedule(CSecret("fuzz"));
    const auto records = Import(
        ExchangeFormat::Vex1,
        "Tessarin vEX File -v1.0\r\n"
        "T,6C12C3A585579B7F7BEA160703D461B6DD7F69FD3414FC10E4706826937ED2C24CD6AEAAB7257AC7\r\n"
        "T,12,3A32A8AA9BFD2A5E,B20032FCB66BBF25,B906E4A000F7D200\r\n"
        "F,3,AD7DE0AF26E91A30,EF3B0A3C25886EF5,96CDED4E3450B115,75E62C9508FE1B07,75E62C9508FE1B"
        "07,75E62C9508FE1B07,0BE5E97BC2AF5A3A,D8CDD47B31003B16\r\n",
        key.get());
    EXPECT_EQ(
        records,
        (std::vector<CFlatRecord>{{"Bank", {"a", "b", "c", "", "", ""}, "n1\r\nn2", "Unfiled"}}));
    EXPECT_EQ(db.TypeAt(0)->GetLabel(1), "PIN");
}

TEST_F(RowImport, TypeRowsNameTheTypeOfTheRecordRowsBelowThem) {
    test::AddType(db, "web")->m_icon = 3;  // exists already, in another case
    const std::string longName(40, 'L');
    const auto records = Import(ExchangeFormat::Vex2,
                                "Tessarin vEX File -v2.0\r\nF\r\n"
                                "T,9,WEB,a,b,c,d,e,f,1,\r\n"
                                "F,5,in web\r\n"
                                "T,9," +
                                    longName +
                                    ",,,,,,,2,\r\n"
                                    "F,5,in long\r\n"
                                    "T,9,,,,,,,,0,\r\n"  // a type without a name
                                    "F,5,first field,second\r\n"
                                    "T,24,Unfiled,0,\r\n"
                                    "F,5,unfiled\r\n");
    EXPECT_EQ(records, (std::vector<CFlatRecord>{
                           {"web", {"in web", "", "", "", "", ""}, "", "Unfiled"},
                           {longName.substr(0, 31), {"in long", "", "", "", "", ""}, "", "Unfiled"},
                           {"", {"first field", "second", "", "", "", ""}, "", "Unfiled"},
                           {"Unfiled", {"unfiled", "", "", "", "", ""}, "", "Unfiled"}}));
    // The existing type kept its icon; the long name made one type, not two; no "Unfiled" type.
    EXPECT_EQ(db.m_types.Size(), 3u);
    EXPECT_EQ(db.FindTypeByName("web")->m_icon, 3);
    EXPECT_EQ(db.FindTypeByName(longName.substr(0, 31))->m_maskBits, 2);
    EXPECT_EQ(db.FindTypeByName("Unfiled"), nullptr);
}

TEST_F(RowImport, FormatsWithoutIconsTakeThoseOfExistingTypes) {
    CTypeItem* bank = test::AddType(db, "Bank");
    bank->m_icon = 40;
    bank->m_maskBits = 6;
    // CSV: icon 0 becomes the type's, and the mask is the type's.
    Import(ExchangeFormat::Csv, "bank,a\r\nNew,b\r\n");
    EXPECT_EQ(db.RecordAt(0)->m_icon, 40);
    EXPECT_EQ(db.RecordAt(0)->m_maskBits, 6);
    EXPECT_EQ(db.RecordAt(1)->m_icon, 0);
    EXPECT_EQ(db.RecordAt(1)->m_maskBits, 0);
    // Version 1.0: the row's icon stays, the mask is the type's.
    Import(ExchangeFormat::Vex1, "Tessarin vEX File -v1.0\r\nF\r\nT,1,Bank\r\nF,0,c\r\n");
    EXPECT_EQ(db.RecordAt(2)->m_icon, 0);
    EXPECT_EQ(db.RecordAt(2)->m_maskBits, 6);
    // Version 2.0: icon and mask from the row.
    Import(ExchangeFormat::Vex2,
           "Tessarin vEX File -v2.0\r\nF\r\nT,1,Bank,,,,,,,0,\r\nF,0,d,,,,,,1\r\n");
    EXPECT_EQ(db.RecordAt(3)->m_icon, 0);
    EXPECT_EQ(db.RecordAt(3)->m_maskBits, 1);
}

// A list with a type filter that records what the import tells it.
class CFilteredList : public CAllTypesList {
public:
    CFilteredList(const CDatabaseObj& db, ItemKey filter) : CAllTypesList(db), m_filter(filter) {}
    ItemKey TypeFilter() const override { return m_filter; }
    void Refill() override { ++refills; }
    int refills = 0;

private:
    ItemKey m_filter;
};

TEST_F(RowImport, SavesMarksAnnouncesAndShowsWhatTheFilterLets) {
    test::CFakePlatform manager;
    manager.nextNumber = 100;
    manager.userActive = true;
    test::CRecordingPoster poster;
    context.SetPlatform(&manager);
    context.SetPoster(&poster);
    CTypeItem* bank = test::AddType(db, "Bank");
    CFilteredList list(db, bank->m_key);

    const CImportOutcome outcome =
        ImportText(db, ExchangeFormat::Csv, "Bank,shown,,,,,,,Home\r\nMail,hidden,,,,,,,home\r\n",
                   nullptr, list);
    ASSERT_TRUE(outcome.Complete());
    EXPECT_EQ(outcome.records, 2u);
    ASSERT_EQ(list.SelectedRecords().size(), 1u);
    EXPECT_EQ(list.SelectedRecords()[0]->GetValue(0), "shown");
    EXPECT_TRUE(list.DatabaseChanged());
    EXPECT_EQ(list.refills, 1);
    // Numbers in order of creation: category 101, record 102, type 103, record 104 (Bank took 100).
    EXPECT_EQ(poster.posted, (CNoticeList{{kActionAdded, kKindCategory, 101},
                                          {kActionAdded, kKindRecord, 102},
                                          {kActionAdded, kKindType, 103},
                                          {kActionAdded, kKindRecord, 104}}));
    // The file holds what was imported.
    CDatabaseObj reloaded(context);
    ASSERT_TRUE(Load(reloaded, db.m_path).Ok());
    EXPECT_EQ(reloaded.m_records.Size(), 2u);
    EXPECT_EQ(reloaded.m_types.Size(), 2u);
}

TEST_F(RowImport, RefusesRowsTooLargeToEncipherWholeAndSaysSo) {
    const std::string big(kMaxPackedSize, 'b');
    const auto records = Import(ExchangeFormat::Csv,
                                "Small,a\r\n"
                                "Big," +
                                    big +
                                    ",,,,,,,NewCategory\r\n"
                                    "Small,b\r\n"
                                    "Small,c,,,,,,," +
                                    big + "\r\n");
    EXPECT_EQ(records.size(), 2u);
    EXPECT_EQ(outcome.refused, 2u);
    EXPECT_FALSE(outcome.Complete());
    // Nothing was made for the refused rows: no type "Big", no category.
    EXPECT_EQ(db.FindTypeByName("Big"), nullptr);
    EXPECT_TRUE(db.m_categories.Empty());
    ASSERT_EQ(messages.Ids(), (std::vector<int>{str::kImportRowsTooLarge}));
    EXPECT_EQ(messages.shown[0].args, (std::vector<std::string>{"2"}));

    // The largest record that still fits is kept whole.
    db.Empty();
    db.m_path = (dir / "db.tdb").string();
    // Header 22 + key bytes 7 + six values with their zeros + the note's zero.
    const std::string fits(kMaxPackedSize - 29 - 6 - 1, 'f');
    ASSERT_EQ(Import(ExchangeFormat::Csv, "Unfiled," + fits + "\r\n").size(), 1u);
    EXPECT_EQ(db.RecordAt(0)->PackedSize(), kMaxPackedSize);
}

TEST_F(RowImport, ARowWithoutValuesOrAZeroByteEndsTheImportWithAMessage) {
    auto records = Import(ExchangeFormat::Vex2,
                          "Tessarin vEX File -v2.0\r\nF\r\n"
                          "T,24,Unfiled,0,\r\n"
                          "F,0,kept\r\n"
                          "F,0\r\n"
                          "F,0,not read\r\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(outcome.stoppedEarly);
    ASSERT_EQ(messages.Ids(), (std::vector<int>{str::kImportStoppedEarly}));
    EXPECT_EQ(messages.shown[0].args, (std::vector<std::string>{"5"}));

    messages.shown.clear();
    db.Empty();
    db.m_path = (dir / "db.tdb").string();
    records = Import(ExchangeFormat::Csv, std::string("T,before\r\nT,cut\0T,after\r\n", 25));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].values[0], "cut");
    ASSERT_EQ(messages.Ids(), (std::vector<int>{str::kImportZeroByte}));
    EXPECT_EQ(messages.shown[0].args, (std::vector<std::string>{"15"}));

    // A zero byte with nothing after it is the end of the text, nothing more.
    messages.shown.clear();
    Import(ExchangeFormat::Csv, std::string("T,end\r\n\0\0", 9));
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(outcome.Complete());
}

TEST(NameIndex, FilesNewItemsWhereOneSortedInsertionEachWould) {
    test::CTestContext context;
    CDatabaseObj byIndex(context);
    CDatabaseObj oneByOne(context);
    const char* existing[] = {"b", "d", "d", "f"};
    const char* added[] = {"e", "a", "D", "g", "c", "E2", "a2"};
    for (CDatabaseObj* db : {&byIndex, &oneByOne}) {
        for (const char* name : existing)
            test::AddType(*db, name);
        db->TypeAt(1)->m_deleted = true;  // one of the two "d": the other is found by name
    }
    {
        CNameIndex index(byIndex.m_types);
        for (const char* name : added) {
            if (index.FindByName(name))
                continue;
            auto item = byIndex.m_types.CreateItem();
            static_cast<CTypeItem&>(*item).SetName(name);
            index.AddSorted(std::move(item));
            EXPECT_NE(index.FindByName(name), nullptr);
        }
        EXPECT_EQ(index.FindByName("B"), byIndex.TypeAt(0));
    }
    for (const char* name : added)
        if (!oneByOne.FindTypeByName(name))
            test::AddType(oneByOne, name);
    ASSERT_EQ(byIndex.m_types.Size(), oneByOne.m_types.Size());
    for (size_t i = 0; i < byIndex.m_types.Size(); ++i) {
        EXPECT_EQ(byIndex.TypeAt(i)->GetName(), oneByOne.TypeAt(i)->GetName()) << i;
        EXPECT_EQ(byIndex.TypeAt(i)->m_deleted, oneByOne.TypeAt(i)->m_deleted) << i;
    }
}

}  // namespace
}  // namespace tessarin
