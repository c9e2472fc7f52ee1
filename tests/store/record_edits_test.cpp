// The record dialog's rules: what a save copies into a record, the label texts, duplicates.
#include <gtest/gtest.h>

#include "store/record_edits.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

class RecordEditsTest : public ::testing::Test {
public:
    RecordEditsTest() {
        platform.nextNumber = 100;
        context.SetPlatform(&platform);
        web = test::AddType(database, "Web");
        web->SetValue(0, "Site");
        web->SetValue(1, "User");
        web->SetValue(2, "Password");
        web->m_maskBits = 0x04;
        web->m_icon = 7;
        bank = test::AddType(database, "Bank");
        bank->SetValue(0, "Bank");
        bank->m_icon = 9;
        work = test::AddCategory(database, "Work");
        record = test::AddRecord(database, web, work, {"example.org", "ann", "secret"}, "a note");
    }
    test::CFakePlatform platform;
    test::CTestContext context;
    CDatabaseObj database{context};
    CTypeItem* web;
    CTypeItem* bank;
    CCategoryItem* work;
    CRecord* record;
};

TEST_F(RecordEditsTest, UnchangedEditsChangeNothingAndLeaveModifiedAlone) {
    const CRecordEdits edits = EditsOf(database, *record);
    EXPECT_EQ(edits.labels[1], "User");
    EXPECT_EQ(edits.labels[3], "");  // the type's label as stored: empty
    EXPECT_EQ(edits.categoryKey, work->m_key);
    EXPECT_FALSE(ApplyRecordEdits(database, *record, edits));
    EXPECT_FALSE(record->m_modified);
}

TEST_F(RecordEditsTest, EachKindOfChangeIsCopiedAndMarksTheRecord) {
    struct Case {
        const char* what;
        void (*change)(CRecordEdits&, RecordEditsTest&);
        bool (*check)(const CRecord&, RecordEditsTest&);
    } cases[] = {
        {"value", [](CRecordEdits& e, RecordEditsTest&) { e.values[5] = "x"; },
         [](const CRecord& r, RecordEditsTest&) { return r.GetValue(5) == "x"; }},
        {"note", [](CRecordEdits& e, RecordEditsTest&) { e.note = "other"; },
         [](const CRecord& r, RecordEditsTest&) { return r.GetNote() == "other"; }},
        {"icon", [](CRecordEdits& e, RecordEditsTest&) { e.icon = 63; },
         [](const CRecord& r, RecordEditsTest&) { return r.m_icon == 63; }},
        {"mask", [](CRecordEdits& e, RecordEditsTest&) { e.mask = 0x3F; },
         [](const CRecord& r, RecordEditsTest&) { return r.m_maskBits == 0x3F; }},
        {"custom label", [](CRecordEdits& e, RecordEditsTest&) { e.labels[1] = "Login"; },
         [](const CRecord& r, RecordEditsTest&) { return r.GetCustomLabel(1) == "Login"; }},
        {"category", [](CRecordEdits& e, RecordEditsTest&) { e.categoryKey = ZeroKey; },
         [](const CRecord& r, RecordEditsTest&) { return r.m_categoryKey == ZeroKey; }},
        {"type", [](CRecordEdits& e, RecordEditsTest& t) { e.typeKey = t.bank->m_key; },
         [](const CRecord& r, RecordEditsTest& t) { return r.GetTypeKey() == t.bank->m_key; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        record->m_modified = false;
        CRecordEdits edits = EditsOf(database, *record);
        c.change(edits, *this);
        EXPECT_TRUE(ApplyRecordEdits(database, *record, edits));
        EXPECT_TRUE(c.check(*record, *this));
        EXPECT_TRUE(record->m_modified);
    }
}

TEST_F(RecordEditsTest, TypeChangeTakesTheTypesLabelsMaskAndIconAndKeepsValues) {
    CRecordEdits edits = EditsOf(database, *record);
    edits.labels[1] = "Login";
    TakeType(database, bank->m_key, edits);
    EXPECT_EQ(edits.labels[0], "Bank");
    EXPECT_EQ(edits.labels[1], "Field 2");  // an empty type label shows the default
    EXPECT_EQ(edits.mask, 0);
    EXPECT_EQ(edits.icon, 9);
    EXPECT_EQ(edits.values[0], "example.org");
    // Back to the first type: its defaults, not the record's earlier custom label.
    TakeType(database, web->m_key, edits);
    EXPECT_EQ(edits.labels[1], "User");
    EXPECT_EQ(edits.mask, 0x04);
    TakeType(database, ZeroKey, edits);
    EXPECT_EQ(edits.labels[5], "Field 6");
    EXPECT_EQ(edits.icon, kDefaultIcon);
}

TEST_F(RecordEditsTest, LabelEqualToTheTypesIsStoredEmpty) {
    record->SetCustomLabelText(1, "Login");
    CRecordEdits edits = EditsOf(database, *record);
    edits.labels[1] = "User";
    EXPECT_TRUE(ApplyRecordEdits(database, *record, edits));
    EXPECT_EQ(record->GetCustomLabel(1), "");
}

TEST_F(RecordEditsTest, ACategoryKeyNoLiveCategoryHasFilesTheRecordUnfiled) {
    CCategoryItem* twin = test::AddCategory(database, "Work");
    CRecordEdits edits = EditsOf(database, *record);
    edits.categoryKey = twin->m_key;  // the second of two of one name stays the one chosen
    ApplyRecordEdits(database, *record, edits);
    EXPECT_EQ(record->m_categoryKey, twin->m_key);
    twin->m_deleted = true;
    ApplyRecordEdits(database, *record, edits);
    EXPECT_EQ(record->m_categoryKey, ZeroKey);
}

TEST_F(RecordEditsTest, CustomizeFromTheListStoresLabelsAsTheyStand) {
    std::array<std::string, kFieldCount> labels = {"Site", "Login", "", "", "", ""};
    ApplyCustomLabels(*record, labels, 0x21);
    EXPECT_EQ(record->GetCustomLabel(0), "Site");  // equal to the type's, stored all the same
    EXPECT_EQ(record->GetCustomLabel(1), "Login");
    EXPECT_EQ(record->m_maskBits, 0x21);
    EXPECT_TRUE(record->m_modified);
}

TEST_F(RecordEditsTest, DuplicateCopiesEverythingButTheRecordNumber) {
    record->SetCustomLabelText(2, "PIN");
    record->m_icon = 40;
    record->m_modified = true;
    std::unique_ptr<CRecord> copy = DuplicateOf(database.m_records, *record);
    EXPECT_NE(copy->m_recordNumber, record->m_recordNumber);
    EXPECT_NE(copy->m_recordNumber, 0u);
    EXPECT_FALSE(copy->m_modified);
    EXPECT_EQ(copy->GetValue(2), "secret");
    EXPECT_EQ(copy->GetNote(), "a note");
    EXPECT_EQ(copy->GetCustomLabel(2), "PIN");
    EXPECT_EQ(copy->m_icon, 40);
    EXPECT_EQ(copy->m_maskBits, record->m_maskBits);
    EXPECT_EQ(copy->m_categoryKey, work->m_key);
    EXPECT_EQ(copy->GetTypeKey(), web->m_key);
}

TEST(RecordLabels, ColonRuleOfTheLabelControlsAndOfCustomizeRecord) {
    struct Case {
        const char* label;
        std::optional<std::string> control;
        const char* forEditing;
    } cases[] = {
        {"User", "User:", "User"}, {"User:", "User:", "User"},
        {"", std::nullopt, ""},    {":", ":", ""},
        {"A::", "A::", "A:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(LabelControlText(c.label), c.control);
        EXPECT_EQ(WithoutTrailingColon(c.label), c.forEditing);
    }
}

TEST_F(RecordEditsTest, PackedSizeLimit) {
    EXPECT_TRUE(FitsPacked(*record));
    record->SetNote(std::string(kMaxPackedSize, 'n'));
    EXPECT_FALSE(FitsPacked(*record));
}

}  // namespace
}  // namespace tessarin
