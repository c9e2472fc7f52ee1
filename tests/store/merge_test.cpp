// Two writers of one file: each save adds exactly its own changes to what the file holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "security/password.h"
#include "store/database_file.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;
using test::AddRecord;

using Values = std::vector<std::string>;

CRecord* Named(CDatabaseObj& db, std::string_view value) {
    for (const auto& item : db.m_records.Items())
        if (!item->m_deleted && item->GetValue(0) == value)
            return static_cast<CRecord*>(item.get());
    return nullptr;
}

// Field 1 of every live record, sorted.
Values LiveValues(const CDatabaseObj& db) {
    Values values;
    for (const auto& item : db.m_records.Items())
        if (!item->m_deleted)
            values.emplace_back(item->GetValue(0));
    std::sort(values.begin(), values.end());
    return values;
}

// One writer's change, as the commands make it.
using Change = std::function<void(CDatabaseObj&)>;

Change Add(const std::string& value) {
    return [value](CDatabaseObj& db) {
        AddRecord(db, db.TypeAt(0), nullptr, {value, "user", "secret"}, "note of " + value);
    };
}
Change Edit(const std::string& from, const std::string& to) {
    return [from, to](CDatabaseObj& db) {
        CRecord* record = Named(db, from);
        ASSERT_NE(record, nullptr) << from;
        record->SetValue(0, to);
        record->m_modified = true;
    };
}
Change Remove(const std::string& value) {
    return [value](CDatabaseObj& db) {
        CRecord* record = Named(db, value);
        ASSERT_NE(record, nullptr) << value;
        db.m_records.Delete(record);
    };
}
Change Both(Change first, Change second) {
    return [first, second](CDatabaseObj& db) {
        first(db);
        second(db);
    };
}

// Remembers what merges told.
class CRecordingObserver : public IDatabaseObserver {
public:
    void MergedFromFile(CMergeOutcome& outcome) override {
        for (size_t kind = 0; kind < 3; ++kind) {
            added[kind] += outcome.added[kind].size();
            changed[kind] += outcome.changed[kind].size();
            removed[kind] += outcome.removed[kind].size();
        }
    }
    size_t added[3] = {}, changed[3] = {}, removed[3] = {};
};

class Merge : public ::testing::Test {
protected:
    Merge() {
        context.SetPlatform(&platform);
        context.SetMessages(&messages);
    }

    // A file holding the built-ins and records with these values.
    void MakeFile(const Values& values) {
        CDatabaseObj db(context);
        ASSERT_TRUE(Open(db, dir.Path().string()).Ok());
        for (const std::string& value : values)
            Add(value)(db);
        ASSERT_TRUE(Save(db).Ok());
        path = db.m_path;
    }

    // What the file holds now, read by a third party.
    Values OnDisk() {
        CDatabaseObj db(context);
        EXPECT_TRUE(Load(db, path).Ok());
        return LiveValues(db);
    }

    test::CTempDir dir;
    test::CTestContext context;
    test::CFakePlatform platform;
    test::CRecordingMessages messages;
    std::string path;
};

struct CTwoWriters {
    const char* name;
    Values base;
    Change first, second;  // saved in this order
    Values expected;
    // Where records without numbers end otherwise: both versions kept.
    std::optional<Values> unnumbered = std::nullopt;
};

// Each case both with records that have record numbers (a sync platform hands them out; deleted
// records are marked) and without (the standalone user's; deleted records go at once).
TEST_F(Merge, EachSaveAddsItsOwnChangesToWhatTheFileHolds) {
    const CTwoWriters cases[] = {
        {"both add", {"a", "b"}, Add("x"), Add("y"), {"a", "b", "x", "y"}},
        {"both add the same", {"a"}, Add("x"), Add("x"), {"a", "x", "x"}},
        {"edits of two records", {"a", "b", "c"}, Edit("b", "b1"), Edit("c", "c1"),
         {"a", "b1", "c1"}},
        {"edits of one record: the later save wins", {"a", "b", "c"}, Edit("b", "b1"),
         Edit("b", "b2"), {"a", "b2", "c"}},
        {"removed, then changed: the change wins", {"a", "b", "c"}, Remove("b"), Edit("b", "b2"),
         {"a", "b2", "c"}},
        {"changed, then removed: the removal wins", {"a", "b", "c"}, Edit("b", "b1"), Remove("b"),
         {"a", "c"}},
        {"removals of two records", {"a", "b", "c", "d"}, Remove("b"), Remove("c"), {"a", "d"}},
        {"one removes, the other adds", {"a", "b", "c"}, Remove("b"), Add("y"), {"a", "c", "y"}},
        {"one of two equal records removed", {"a", "b", "b"}, Remove("b"), Add("y"),
         {"a", "b", "y"}},
        // The last record changed on both sides: without numbers, a change there cannot be told
        // from a removal and a new record, so nothing is dropped on a guess.
        {"edits of the last record", {"a", "b"}, Edit("b", "b1"), Edit("b", "b2"), {"a", "b2"},
         Values{"a", "b1", "b2"}},
        {"several changes on each side", {"a", "b", "c", "d"}, Both(Add("x"), Edit("a", "a1")),
         Both(Remove("d"), Both(Add("y"), Edit("c", "c2"))), {"a1", "b", "c2", "x", "y"}},
    };
    for (const bool numbered : {false, true}) {
        for (const CTwoWriters& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (numbered ? ", numbered" : ", unnumbered"));
            platform.nextNumber = numbered ? 1000 : 0;
            context.m_hardDelete = !numbered;
            fs::remove_all(dir.Path() / "TessarinDatabase.tdb");
            MakeFile(c.base);
            CDatabaseObj first(context), second(context);
            ASSERT_TRUE(Load(first, path).Ok());
            ASSERT_TRUE(Load(second, path).Ok());
            CRecordingObserver told;
            second.m_observer = &told;
            c.first(first);
            ASSERT_TRUE(Save(first).Ok());
            c.second(second);
            ASSERT_TRUE(Save(second).Ok());
            const Values& expected = !numbered && c.unnumbered ? *c.unnumbered : c.expected;
            EXPECT_EQ(OnDisk(), expected);
            // The later writer holds what it wrote, and the earlier one gets it by a refresh.
            EXPECT_EQ(LiveValues(second), expected);
            ASSERT_TRUE(BringInOutsideChanges(first).Ok());
            EXPECT_EQ(LiveValues(first), expected);
            // Every record read back whole.
            CDatabaseObj check(context);
            ASSERT_TRUE(Load(check, path).Ok());
            for (const auto& item : check.m_records.Items()) {
                if (!item->m_deleted) {
                    EXPECT_EQ(item->GetValue(1), "user");
                }
            }
        }
    }
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Merge, TheObserverHearsWhatCameInAndItemsItShowsStayAlive) {
    MakeFile({"a", "b", "c", "d"});
    CDatabaseObj mine(context), other(context);
    ASSERT_TRUE(Load(mine, path).Ok());
    ASSERT_TRUE(Load(other, path).Ok());
    CRecordingObserver told;
    mine.m_observer = &told;
    CRecord* a = Named(mine, "a");
    CRecord* b = Named(mine, "b");

    Both(Add("x"), Both(Edit("b", "b1"), Remove("c")))(other);
    test::AddType(other, "Bikes");
    ASSERT_TRUE(Save(other).Ok());
    ASSERT_TRUE(BringInOutsideChanges(mine).Ok());
    EXPECT_EQ(told.added[kKindRecord], 1u);
    EXPECT_EQ(told.changed[kKindRecord], 1u);  // b, in place: whoever shows it keeps it
    EXPECT_EQ(told.removed[kKindRecord], 1u);
    EXPECT_EQ(told.added[kKindType], 1u);
    EXPECT_EQ(Named(mine, "a"), a);
    EXPECT_EQ(Named(mine, "b1"), b);
    EXPECT_NE(mine.FindTypeByName("Bikes"), nullptr);

    // Nothing new: nothing read, nothing told.
    const CRecordingObserver before = told;
    ASSERT_TRUE(BringInOutsideChanges(mine).Ok());
    EXPECT_EQ(told.added[kKindRecord], before.added[kKindRecord]);
    EXPECT_EQ(told.changed[kKindRecord], before.changed[kKindRecord]);
}

TEST_F(Merge, TypeAndCategoryChangesOfBothSidesAreKept) {
    MakeFile({"a"});
    CDatabaseObj first(context), second(context);
    ASSERT_TRUE(Load(first, path).Ok());
    ASSERT_TRUE(Load(second, path).Ok());
    // One renames a built-in type's label and adds a category; the other files a record of that
    // type under a category of its own and removes another type.
    CTypeItem* web = first.FindTypeByName("Web Logins");
    web->SetValue(0, "Site");
    test::AddCategory(first, "Travel");
    ASSERT_TRUE(Save(first).Ok());
    CCategoryItem* work = test::AddCategory(second, "Work");
    AddRecord(second, second.FindTypeByName("Web Logins"), work, {"mail"});
    second.DeleteType(second.FindTypeByName("Bank Accts"));
    ASSERT_TRUE(Save(second).Ok());

    CDatabaseObj check(context);
    ASSERT_TRUE(Load(check, path).Ok());
    EXPECT_EQ(check.FindTypeByName("Web Logins")->GetLabel(0), "Site");
    EXPECT_EQ(check.FindTypeByName("Bank Accts"), nullptr);
    ASSERT_NE(check.m_categories.FindByName("Travel"), nullptr);
    const CRecord* mail = Named(check, "mail");
    ASSERT_NE(mail, nullptr);
    EXPECT_EQ(check.m_categories.NameOf(mail->m_categoryKey), "Work");
    EXPECT_EQ(check.m_types.NameOf(mail->m_key), "Web Logins");
}

TEST_F(Merge, APasswordChangeTakesInEarlierSavesAndRefusesLaterOnesOfTheOldKey) {
    MakeFile({"a"});
    test::CTestContext otherContext;  // another process: a key of its own
    otherContext.SetPlatform(&platform);
    otherContext.SetMessages(&messages);
    CDatabaseObj changer(context), writer(otherContext), late(otherContext);
    ASSERT_TRUE(Load(changer, path).Ok());
    ASSERT_TRUE(Load(writer, path).Ok());
    ASSERT_TRUE(Load(late, path).Ok());

    // A save before the change is taken in and enciphered under the new password.
    Add("before")(writer);
    ASSERT_TRUE(Save(writer).Ok());
    ASSERT_TRUE(ChangePassword(changer, CSecret("new secret")).Ok());
    EXPECT_EQ(LiveValues(changer), (Values{"a", "before"}));

    // A save under the old password afterwards is refused and writes nothing.
    const auto bytes = test::ReadFileBytes(path);
    Add("after")(late);
    EXPECT_EQ(Save(late).code, StoreCode::KeyChanged);
    EXPECT_EQ(test::ReadFileBytes(path), bytes);

    test::CTestContext reader;
    ASSERT_TRUE(CheckPassword(path, CSecret("new secret")));
    SetDatabaseKey(reader, CSecret("new secret"));
    CDatabaseObj check(reader);
    ASSERT_TRUE(Load(check, path).Ok());
    EXPECT_EQ(LiveValues(check), (Values{"a", "before"}));
    for (const auto& item : check.m_records.Items())
        EXPECT_EQ(item->GetValue(1), "user");  // deciphered whole under the one key
}

TEST_F(Merge, AFileDamagedSinceTheReadIsKeptBesideBeforeTheSaveReplacesIt) {
    MakeFile({"a"});
    CDatabaseObj db(context);
    ASSERT_TRUE(Load(db, path).Ok());
    auto damaged = test::ReadFileBytes(path);
    damaged.resize(damaged.size() / 2);
    fs::remove(path);  // a new file, as another writer would make it
    test::WriteFileBytes(path, damaged);
    Add("b")(db);
    ASSERT_TRUE(Save(db).Ok());
    EXPECT_EQ(test::ReadFileBytes(path + ".damaged"), damaged);
    EXPECT_EQ(OnDisk(), (Values{"a", "b"}));
}

}  // namespace
}  // namespace tessarin
