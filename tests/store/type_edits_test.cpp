// The type and category editors' rules: the names they accept and what a changed type does to its
// records.
#include <gtest/gtest.h>

#include "resources/string_ids.h"
#include "store/type_edits.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

class TypeEditsTest : public ::testing::Test {
protected:
    TypeEditsTest() {
        web = test::AddType(database, "Web Logins");
        bank = test::AddType(database, "Bank");
        gone = test::AddType(database, "Old");
        gone->m_deleted = true;
        test::AddCategory(database, "Work");
    }
    test::CTestContext context;
    CDatabaseObj database{context};
    CTypeItem* web;
    CTypeItem* bank;
    CTypeItem* gone;
};

TEST_F(TypeEditsTest, TypeNameLookUps) {
    struct Case {
        const char* name;
        bool editingWeb;  // else a new type
        int message;
    } cases[] = {
        {"", false, str::kTypeNameMissing},
        {"", true, str::kTypeNameMissing},
        {"Unfiled", false, str::kTypeNameExists},
        {"uNFILED", true, str::kTypeNameExists},
        {"Bank", false, str::kTypeNameExists},
        {"BANK", false, str::kTypeNameExists},  // case is ignored
        {"bank", true, str::kTypeNameExists},   // another type's name
        {"web logins", true, 0},                // its own name in another case
        {"web logins", false, str::kTypeNameExists},
        {"Old", false, 0},   // deleted types are skipped
        {"Work", false, 0},  // a category's name is free for a type
        {"Unfiled ", false, 0},
        {"Cards", true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.editingWeb ? " (editing)" : " (new)"));
        EXPECT_EQ(CheckTypeName(database, c.name, c.editingWeb ? web : nullptr), c.message);
    }
}

TEST_F(TypeEditsTest, CategoryNamesMayRepeatButNotBeEmptyOrUnfiled) {
    EXPECT_EQ(CheckCategoryName(database, ""), str::kTypeNameMissing);
    EXPECT_EQ(CheckCategoryName(database, "unfiled"), str::kTypeNameExists);
    EXPECT_EQ(CheckCategoryName(database, "Work"), 0);
    EXPECT_EQ(CheckCategoryName(database, "work"), 0);
}

TEST_F(TypeEditsTest, RelabelRemaskAndIconReachTheTypesRecordsOnly) {
    web->SetValue(2, "Password");
    web->m_maskBits = 0x06;
    CRecord* a = test::AddRecord(database, web, nullptr, {"a", "b", "c"});
    a->SetCustomLabelText(2, "PIN");
    a->SetCustomLabelText(3, "Keep");
    a->m_maskBits = 0x06;
    CRecord* b = test::AddRecord(database, web, nullptr, {"d"});
    b->m_maskBits = 0x02;  // bit 1 set by the user as the type has it, bit 2 cleared
    CRecord* other = test::AddRecord(database, bank, nullptr, {"e"});
    other->SetCustomLabelText(2, "Mine");
    other->m_maskBits = 0x02;

    CTypeEdits edits = EditsOf(*web);
    edits.labels[2] = "Secret";
    edits.mask = 0x04;  // field 2 unticked
    edits.icon = 50;
    const CTypeChange change = ApplyTypeEdits(database, *web, edits, false);
    EXPECT_FALSE(change.renamed);
    EXPECT_EQ(change.relabelled, 0x04);
    EXPECT_EQ(change.remasked, 0x02);
    EXPECT_TRUE(change.newIcon);
    EXPECT_TRUE(web->m_modified);

    EXPECT_EQ(a->GetCustomLabel(2), "");
    EXPECT_EQ(a->GetCustomLabel(3), "Keep");
    EXPECT_EQ(a->GetValue(2), "c");
    EXPECT_EQ(database.LabelFor(*a, 2, false), "Secret");
    EXPECT_EQ(a->m_maskBits, 0x04);
    EXPECT_EQ(b->m_maskBits, 0x00);
    EXPECT_EQ(a->m_icon, 50);
    EXPECT_TRUE(a->m_modified && b->m_modified);
    EXPECT_EQ(other->GetCustomLabel(2), "Mine");
    EXPECT_EQ(other->m_maskBits, 0x02);
    EXPECT_FALSE(other->m_modified);
}

TEST_F(TypeEditsTest, RenameAloneTouchesNoRecordAndNothingChangedMarksNothing) {
    CRecord* a = test::AddRecord(database, web, nullptr, {"a"});
    CTypeEdits edits = EditsOf(*web);
    EXPECT_FALSE(ApplyTypeEdits(database, *web, edits, false).Any());
    EXPECT_FALSE(web->m_modified);
    edits.name = "WEB LOGINS";
    const CTypeChange change = ApplyTypeEdits(database, *web, edits, false);
    EXPECT_TRUE(change.renamed);
    EXPECT_FALSE(change.relabelled || change.remasked || change.newIcon);
    EXPECT_EQ(web->GetName(), "WEB LOGINS");
    EXPECT_FALSE(a->m_modified);
}

TEST_F(TypeEditsTest, ANewTypeCountsEverythingAsChanged) {
    auto item = database.m_types.CreateItem();
    auto& fresh = static_cast<CTypeItem&>(*item);
    CTypeEdits edits;
    edits.name = "Cards";
    const CTypeChange change = ApplyTypeEdits(database, fresh, edits, true);
    EXPECT_TRUE(change.renamed && change.newIcon);
    EXPECT_EQ(change.relabelled, 0x3F);
    EXPECT_EQ(change.remasked, 0x3F);
    EXPECT_TRUE(fresh.m_modified);
}

}  // namespace
}  // namespace tessarin
