#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/bytes.h"
#include "resources/string_ids.h"
#include "store/builtins.h"
#include "store/key_generator.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

using test::AddCategory;
using test::AddRecord;
using test::AddType;
using test::CTestContext;

class Model : public ::testing::Test {
protected:
    CTestContext context;
    CDatabaseObj db{context};
};

TEST_F(Model, LookupsByNameSkipDeletedItemsAndTakeTheFirstOfEqualNames) {
    CTypeItem* deleted = AddType(db, "Bank");
    deleted->m_deleted = true;
    AddType(db, "bank");
    CTypeItem* accented = AddType(db, "\xE9t\xE9");
    // Sorted insertion puts the newest of equal names first: "bank" before the deleted "Bank".
    EXPECT_EQ(db.m_types.FindByName("BANK")->GetName(), "bank");
    EXPECT_EQ(db.FindTypeByName("\xC9T\xC9"), accented);  // case is ignored beyond ASCII too
    EXPECT_EQ(db.FindTypeByName("Ban"), nullptr);
}

TEST_F(Model, NamesAndLabelsFallBackForMissingTypes) {
    CTypeItem* type = AddType(db, "Login");
    type->SetValue(0, "User");
    const ItemKey unknown{{9, 9, 9, 9, 9, 9, 9, 9}};
    EXPECT_EQ(db.m_types.NameOf(unknown), "Unfiled");
    EXPECT_EQ(db.m_types.NameOf(ZeroKey), "Unfiled");
    EXPECT_EQ(db.m_types.NameOf(type->m_key), "Login");
    EXPECT_EQ(db.m_types.LabelOf(type->m_key, 0), "User");
    EXPECT_EQ(db.m_types.LabelOf(type->m_key, 1), "Field 2");  // empty label: the default
    EXPECT_EQ(db.m_types.LabelOf(unknown, 4), "Field 5");
    EXPECT_EQ(db.m_types.LabelOf(unknown, 9), "Field 6");
    EXPECT_EQ(db.m_types.MaskOf(unknown), 0);

    CRecord* record = AddRecord(db, type, nullptr, {"x"});
    record->m_key = unknown;  // its type is gone: it keeps the key and shows the defaults
    EXPECT_EQ(db.LabelFor(*record, 2, false), "Field 3");
    EXPECT_EQ(record->m_key, unknown);
}

TEST_F(Model, BuiltInMeansBytesZeroToSixAreZero) {
    CCategoryItem category;
    const struct {
        ItemKey key;
        bool builtIn;
    } cases[] = {{ZeroKey, true},
                 {ItemKey::BuiltIn(51), true},
                 {AnyKey, false},
                 {{{0, 0, 0, 0, 0, 0, 0, 0xFF}}, true},
                 {{{1, 0, 0, 0, 0, 0, 0, 3}}, false}};
    for (const auto& c : cases) {
        category.m_key = c.key;
        EXPECT_EQ(category.IsBuiltIn(), c.builtIn) << c.key.Hex();
    }
}

TEST_F(Model, DeleteMarksWhatTheHandheldKnowsAndRemovesTheRest) {
    CTypeItem* builtIn = AddType(db, "Builtin", 4);
    CTypeItem* numbered = AddType(db, "Numbered");
    numbered->m_recordNumber = 12;
    CTypeItem* local = AddType(db, "Local");
    db.m_types.Delete(builtIn);
    db.m_types.Delete(numbered);
    db.m_types.Delete(local);
    ASSERT_EQ(db.m_types.Size(), 2u);
    EXPECT_TRUE(builtIn->m_deleted && builtIn->m_modified);
    EXPECT_TRUE(numbered->m_deleted && numbered->m_modified);
    EXPECT_EQ(db.m_types.FindByName("Builtin"), nullptr);
    EXPECT_EQ(db.m_types.FindByKey(builtIn->m_key), builtIn);
    EXPECT_EQ(db.m_types.GetKeyAt(0), ZeroKey);

    context.m_hardDelete = true;
    db.m_types.Delete(builtIn);
    EXPECT_EQ(db.m_types.Size(), 1u);
}

TEST_F(Model, RecordFilter) {
    CTypeItem* web = AddType(db, "Web");
    CTypeItem* bank = AddType(db, "Bank");
    CCategoryItem* home = AddCategory(db, "Home");
    CRecord* webHome = AddRecord(db, web, home, {"1"});
    CRecord* web0 = AddRecord(db, web, nullptr, {"2"});
    CRecord* none = AddRecord(db, nullptr, home, {"3"});
    CRecord* deleted = AddRecord(db, bank, home, {"4"});
    deleted->m_deleted = true;
    struct Case {
        ItemKey type, category;
        std::vector<CRecord*> expected;
    };
    const Case cases[] = {
        {AnyKey, AnyKey, {webHome, web0, none}},
        {web->m_key, AnyKey, {webHome, web0}},
        {ZeroKey, AnyKey, {none}},
        {AnyKey, ZeroKey, {web0}},
        {web->m_key, home->m_key, {webHome}},
        {bank->m_key, AnyKey, {}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(db.m_records.CountMatching(c.type, c.category), c.expected.size());
        for (size_t n = 0; n < c.expected.size(); ++n)
            EXPECT_EQ(db.m_records.GetMatching(c.type, c.category, n), c.expected[n]);
        EXPECT_EQ(db.m_records.GetMatching(c.type, c.category, c.expected.size()), nullptr);
    }
}

TEST_F(Model, AddFromColumnsFindsOrCreatesTypeAndCategory) {
    CNoticeList notices;
    const std::array<std::string, 6> noLabels;
    CRecord* r = db.AddFromColumns({"Web", "a", "b", "", "", "", "", "line 1", "", "line 3"},
                                   "Work", 255, 4, noLabels, notices);
    ASSERT_EQ(db.m_types.Size(), 1u);
    const CTypeItem* type = db.TypeAt(0);
    EXPECT_EQ(type->GetName(), "Web");
    EXPECT_EQ(type->GetLabel(5), "Field 6");
    EXPECT_TRUE(type->m_modified);
    EXPECT_FALSE(type->m_key.IsZero());
    EXPECT_EQ(r->m_icon, type->m_icon);  // 255: take the type's icon
    EXPECT_EQ(r->m_maskBits, 4);
    EXPECT_EQ(r->GetValue(1), "b");
    EXPECT_EQ(r->GetNote(), "line 1\r\nline 3");
    EXPECT_EQ(db.FindCategory(r->m_categoryKey)->GetName(), "Work");
    EXPECT_EQ(notices.size(), 3u);

    // "Unfiled" in any case means no type; an empty category name means no category.
    notices.clear();
    CRecord* unfiled = db.AddFromColumns({"uNFILED", "x", "", "", "", "", "", "", "last"}, "", 7, 0,
                                         noLabels, notices);
    EXPECT_EQ(unfiled->m_key, ZeroKey);
    EXPECT_EQ(unfiled->m_categoryKey, ZeroKey);
    EXPECT_EQ(unfiled->m_icon, 7);
    EXPECT_EQ(unfiled->GetNote(), "last");
    EXPECT_EQ(notices, (CNoticeList{{kActionAdded, kKindRecord, 0}}));
    EXPECT_EQ(db.m_types.Size(), 1u);

    // A trailing empty column still ends the last non-empty one with a line break.
    notices.clear();
    CRecord* trailing = db.AddFromColumns({"web", "", "", "", "", "", "", "only", ""}, "work", 1, 0,
                                          noLabels, notices);
    EXPECT_EQ(trailing->GetNote(), "only\r\n");
    EXPECT_EQ(trailing->m_key, type->m_key);
    EXPECT_EQ(notices.size(), 1u);
}

TEST_F(Model, CustomLabelsFollowTheTypeUntilTheyDiffer) {
    CTypeItem* type = AddType(db, "T");
    type->SetValue(1, "Account");
    CRecord* record = AddRecord(db, type, nullptr, {});
    record->SetCustomLabel(1, "Account", type);
    EXPECT_EQ(record->GetCustomLabel(1), "");
    record->SetCustomLabel(1, "account", type);
    EXPECT_EQ(record->GetCustomLabel(1), "account");
    EXPECT_EQ(record->CustomLabelCount(), 1);
    EXPECT_EQ(db.LabelFor(*record, 1, true), "account:");
    EXPECT_EQ(db.LabelFor(*record, 2, true), "");  // the type's empty label, as stored
    record->SetCustomLabelText(3, "PIN:");
    EXPECT_EQ(db.LabelFor(*record, 3, true), "PIN:");

    record->m_maskBits = 2;
    record->SetValue(1, "secret");
    EXPECT_EQ(record->DisplayValue(1, true), "****");
    EXPECT_EQ(record->DisplayValue(1, false), "secret");
    EXPECT_EQ(record->DisplayValue(0, true), "");
}

TEST_F(Model, TypeChangesReachTheTypesLiveRecords) {
    CTypeItem* type = AddType(db, "T");
    type->m_maskBits = 0b101;
    type->m_icon = 40;
    CRecord* a = AddRecord(db, type, nullptr, {});
    a->m_maskBits = 0b010;
    a->SetCustomLabelText(0, "zero");
    a->SetCustomLabelText(1, "one");
    CRecord* other = AddRecord(db, nullptr, nullptr, {});
    db.ApplyTypeChange(*type, 0b001, 0b011, true);
    EXPECT_EQ(a->GetCustomLabel(0), "");
    EXPECT_EQ(a->GetCustomLabel(1), "one");
    EXPECT_EQ(a->m_maskBits, 0b001);
    EXPECT_EQ(a->m_icon, 40);
    EXPECT_TRUE(a->m_modified);
    EXPECT_FALSE(other->m_modified);

    CCategoryItem* category = AddCategory(db, "C");
    a->m_categoryKey = category->m_key;
    db.DeleteType(type);
    db.DeleteCategory(category);
    EXPECT_EQ(a->m_key, ZeroKey);
    EXPECT_EQ(a->m_categoryKey, ZeroKey);
    EXPECT_TRUE(db.m_types.Empty());  // neither built-in nor numbered: removed at once
}

TEST_F(Model, SortLeavesEqualNamesNewestFirst) {
    uint32_t number = 1;
    for (const char* name : {"b", "a", "B", "a"}) {
        auto* type = static_cast<CTypeItem*>(db.m_types.Add(db.m_types.CreateItem()));
        type->SetName(name);
        type->m_recordNumber = number++;
    }
    db.m_types.Sort();
    // a (the later), a (the earlier), then b before B.
    const uint32_t expected[] = {4, 2, 1, 3};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(db.m_types.At(i)->m_recordNumber, expected[i]) << i;
}

TEST_F(Model, NewKeysCarryMachineSequenceAndTime) {
    const ItemKey a = context.NewKey();
    const ItemKey b = context.NewKey();
    EXPECT_EQ(a.bytes[0], 0x12);
    EXPECT_EQ(a.bytes[1], 0x34);
    EXPECT_EQ((b.bytes[2] << 8 | b.bytes[3]), ((a.bytes[2] << 8 | a.bytes[3]) + 1) & 0xFFFF);
    EXPECT_EQ(std::vector<uint8_t>(a.bytes.begin() + 4, a.bytes.end()),
              std::vector<uint8_t>({0x0A, 0x0B, 0x0C, 0x0D}));
}

TEST(KeyGenerator, MoreKeysThanSequenceNumbersInOneSecondAreStillAllDifferent) {
    uint32_t clock = 1000;
    CKeyGenerator generator([] { return std::optional<uint16_t>(0x1234); }, [&] { return clock; });
    CRandomSource random(7);
    const auto timeOf = [](const ItemKey& key) { return ReadBE32(&key.bytes[4]); };

    std::set<std::string> seen;
    std::vector<uint32_t> times;
    for (int i = 0; i < 2 * 65536 + 5; ++i) {
        const ItemKey key = generator.Generate(random);
        EXPECT_TRUE(seen.insert(key.Hex()).second) << "key " << i << " made twice";
        times.push_back(timeOf(key));
    }
    // The clock's second for a full circle of the sequence, then one second on for each circle.
    EXPECT_EQ(times[0], 1000u);
    EXPECT_EQ(times[65535], 1000u);
    EXPECT_EQ(times[65536], 1001u);
    EXPECT_EQ(times[2 * 65536], 1002u);

    // The clock passes the time reached: its own second again. Set back: the time reached holds.
    clock = 5000;
    EXPECT_EQ(timeOf(generator.Generate(random)), 5000u);
    clock = 10;
    EXPECT_EQ(timeOf(generator.Generate(random)), 5000u);
}

TEST(BuiltIns, EighteenTypesAndTwoCategoriesWithTheirTexts) {
    CTestContext context;
    CDatabaseObj db(context);
    CreateBuiltInTypes(db.m_types);
    CreateBuiltInCategories(db.m_categories);
    ASSERT_EQ(db.m_types.Size(), 18u);
    ASSERT_EQ(db.m_categories.Size(), 2u);
    for (size_t i = 0; i < 18; ++i)
        EXPECT_EQ(db.TypeAt(i)->m_key, ItemKey::BuiltIn(static_cast<uint8_t>(i + 1)));
    const CTypeItem* cards = db.TypeAt(5);
    EXPECT_EQ(cards->GetName(), "Credit Cards");
    EXPECT_EQ(cards->m_maskBits, 0b10010);  // "Card #" and "PIN"
    EXPECT_EQ(cards->GetLabel(1), "Card #");
    EXPECT_EQ(cards->GetLabel(4), "PIN");
    EXPECT_EQ(cards->m_icon, 3);
    const CTypeItem* birthdays = db.TypeAt(1);
    const char* labels[] = {"Description", "Date", "Field 3", "Field 4", "Field 5", "Field 6"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(birthdays->GetLabel(i), labels[i]);
    EXPECT_EQ(db.TypeAt(17)->GetName(), "Web Logins");
    EXPECT_EQ(db.TypeAt(17)->m_maskBits, 0b100);
    EXPECT_EQ(db.CategoryAt(0)->GetName(), "Business");
    EXPECT_EQ(db.CategoryAt(1)->m_key, ItemKey::BuiltIn(52));
    EXPECT_EQ(db.CategoryAt(1)->GetName(), "Personal");
    EXPECT_EQ(db.TypeAt(0)->m_columns, CColumnLayout::Default());

    // Renamed, a built-in keeps its key and stays built-in.
    db.TypeAt(0)->SetName("Banks");
    EXPECT_TRUE(db.TypeAt(0)->IsBuiltIn());
}

}  // namespace
}  // namespace tessarin
