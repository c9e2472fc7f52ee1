// Another process changes the database password while this one holds the key from before: the old
// key must read nothing and write nothing, so that no record ever holds garbage.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file_lock.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "support/child_process.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

using test::CChild;

constexpr size_t kRecords = 40;

std::string Value(size_t i) {
    return "record " + std::to_string(i);
}

struct CPasswordChange {
    const char* name;
    const char* before;
    const char* after;
};

class StaleKey : public ::testing::TestWithParam<CPasswordChange> {
protected:
    StaleKey() {
        context.SetLock(&lock);
        context.SetPlatform(&platform);
        platform.nextNumber = 100;
    }

    // The records every process sees in the file once it opens it with `password`.
    void ExpectFileHolds(const std::string& password, const std::string& firstValue) {
        test::CTestContext reader;
        SetDatabaseKey(reader, CSecret(password));
        CDatabaseObj db(reader);
        ASSERT_TRUE(Load(db, path).Ok());
        ASSERT_EQ(db.m_records.Size(), kRecords);
        EXPECT_EQ(db.RecordAt(0)->GetValue(0), firstValue);
        for (size_t i = 1; i < kRecords; ++i)
            EXPECT_EQ(db.RecordAt(i)->GetValue(0), Value(i));
    }

    test::CTempDir dir;
    test::CTestContext context;
    test::CFakePlatform platform;
    CFileLock lock;
    std::string path;
};

TEST_P(StaleKey, ReadsNothingAndWritesNothingUntilTheNewPasswordIsGiven) {
    const CPasswordChange change = GetParam();
    const std::string folder = dir.Path().string();
    CDatabaseObj mine(context);
    SetDatabaseKey(context, CSecret());
    ASSERT_TRUE(Open(mine, folder).Ok());
    path = mine.m_path;
    SetPassword(context, mine, CSecret(change.before));
    for (size_t i = 0; i < kRecords; ++i)
        test::AddRecord(mine, mine.TypeAt(i % 18), nullptr, {Value(i), "user", "secret"});
    ASSERT_TRUE(Save(mine).Ok());
    const uint32_t first = mine.RecordAt(0)->m_recordNumber;

    // The other process changes a record, then the password.
    CChild other = CChild::Fork([&] {
        CFileLock own;
        context.SetLock(&own);
        CDatabaseObj theirs(context);
        if (!Load(theirs, path).Ok())
            return 3;
        theirs.RecordAt(0)->SetValue(0, "changed elsewhere");
        if (!Save(theirs).Ok())
            return 4;
        return ChangePassword(theirs, CSecret(change.after)).Ok() ? 0 : 5;
    });
    ASSERT_EQ(other.Wait(), 0);
    const auto onDisk = test::ReadFileBytes(path);

    // Refreshing, reading an added item, reloading: nothing read, nothing in memory changed.
    EXPECT_EQ(RefreshItem(mine, kKindRecord, first).result.code, StoreCode::KeyChanged);
    EXPECT_EQ(HandleNotice(mine, {kActionChanged, kKindRecord, first}, folder).result.code,
              StoreCode::KeyChanged);
    CNoticeOutcome added = HandleNotice(mine, {kActionAdded, kKindRecord, 9999}, folder);
    EXPECT_EQ(added.result.code, StoreCode::KeyChanged);
    EXPECT_EQ(added.what, CNoticeOutcome::Nothing);
    EXPECT_EQ(ReloadAll(mine, folder).code, StoreCode::KeyChanged);
    ASSERT_EQ(mine.m_records.Size(), kRecords);
    EXPECT_EQ(mine.RecordAt(0)->GetValue(0), Value(0));
    EXPECT_EQ(mine.m_path, path);

    // Saving is refused, also after an edit here: the file stays as the other process left it.
    mine.RecordAt(1)->SetValue(1, "edited here");
    EXPECT_EQ(Save(mine).code, StoreCode::KeyChanged);
    EXPECT_EQ(test::ReadFileBytes(path), onDisk);
    ExpectFileHolds(change.after, "changed elsewhere");

    // With the new password everything reads as the other process wrote it, and saves again.
    SetDatabaseKey(context, CSecret(change.after));
    ASSERT_TRUE(ReloadAll(mine, folder).Ok());
    EXPECT_EQ(mine.RecordAt(0)->GetValue(0), "changed elsewhere");
    EXPECT_TRUE(Save(mine).Ok());
    ExpectFileHolds(change.after, "changed elsewhere");
}

INSTANTIATE_TEST_SUITE_P(Changes, StaleKey,
                         ::testing::Values(CPasswordChange{"Changed", "old", "new"},
                                           CPasswordChange{"Removed", "old", ""},
                                           CPasswordChange{"SetWhereThereWasNone", "", "new"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tessarin
