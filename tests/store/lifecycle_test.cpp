#include <gtest/gtest.h>

#include <filesystem>

#include "resources/string_ids.h"
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
using test::ReadFileBytes;
using test::WriteFileBytes;

class Lifecycle : public ::testing::Test {
protected:
    Lifecycle() {
        context.SetMessages(&messages);
        context.SetPoster(&poster);
        context.SetPlatform(&manager);
    }

    // A database of three records, saved in `folder`.
    std::string MakeDatabase(const std::string& folder) {
        CDatabaseObj db(context);
        EXPECT_TRUE(Open(db, folder).Ok());
        for (uint32_t n = 1; n <= 3; ++n)
            AddRecord(db, db.TypeAt(0), nullptr, {"record " + std::to_string(n)})->m_recordNumber =
                100 + n;
        EXPECT_TRUE(Save(db).Ok());
        return db.m_path;
    }

    test::CTempDir dir;
    test::CTestContext context;
    test::CRecordingMessages messages;
    test::CRecordingPoster poster;
    test::CFakePlatform manager;
};

TEST_F(Lifecycle, OpeningAMissingFolderCreatesItWithTheBuiltInsSavedAtOnce) {
    const std::string folder = (dir / "a/b/user").string();
    CDatabaseObj db(context);
    EXPECT_TRUE(Open(db, folder).Ok());
    EXPECT_EQ(db.m_path, folder + "/TessarinDatabase.tdb");
    EXPECT_EQ(fs::status(db.m_path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    CDatabaseObj again(context);
    EXPECT_TRUE(Load(again, db.m_path).Ok());
    EXPECT_EQ(again.m_types.Size(), 18u);
    EXPECT_EQ(again.m_categories.Size(), 2u);
    EXPECT_EQ(again.TypeAt(0)->GetName(), "Bank Accts");  // sorted by name once loaded
    EXPECT_EQ(again.TypeAt(17)->GetName(), "Web Logins");

    manager.wantsDefaults = false;
    CDatabaseObj bare(context);
    EXPECT_TRUE(Open(bare, (dir / "bare").string()).Ok());
    EXPECT_TRUE(bare.m_types.Empty());
    EXPECT_FALSE(fs::exists(bare.m_path));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Lifecycle, AnOldFileIsRewrittenInTheCurrentFormatRightAfterLoading) {
    // Version 4: no handheld name, no categories list, no records, no types.
    std::vector<unsigned char> file(60, 0);
    file[44] = 4;
    const std::string path = (dir / "old.tdb").string();
    WriteFileBytes(path, file);
    CDatabaseObj db(context);
    EXPECT_TRUE(Load(db, path).Ok());
    EXPECT_EQ(db.m_version, 5);
    const auto rewritten = ReadFileBytes(path);
    EXPECT_EQ(rewritten[44], 5);
    EXPECT_GT(rewritten.size(), file.size());  // with the two categories now
}

TEST_F(Lifecycle, ADamagedFileIsKeptBesideItselfBeforeASaveReplacesIt) {
    const std::string path = MakeDatabase(dir.Path().string());
    auto damaged = ReadFileBytes(path);
    damaged.resize(damaged.size() - 30);
    WriteFileBytes(path, damaged);

    CDatabaseObj db(context);
    EXPECT_EQ(Load(db, path).code, StoreCode::Malformed);
    EXPECT_EQ(db.m_loadState, LoadState::Partial);
    EXPECT_EQ(db.m_records.Size(), 3u);  // the records came before the damage
    EXPECT_EQ(ReadFileBytes(path), damaged);

    EXPECT_TRUE(Save(db).Ok());
    EXPECT_EQ(ReadFileBytes(path + ".damaged"), damaged);
    CDatabaseObj reread(context);
    EXPECT_TRUE(Load(reread, path).Ok());
    // A second failure keeps a second copy rather than replacing the first.
    WriteFileBytes(path, damaged);
    EXPECT_FALSE(Load(db, path).Ok());
    EXPECT_TRUE(Save(db).Ok());
    EXPECT_EQ(ReadFileBytes(path + ".damaged-2"), damaged);
}

TEST_F(Lifecycle, WithoutTheLockNothingIsReadAndNothingIsWritten) {
    const std::string path = MakeDatabase(dir.Path().string());
    const auto before = ReadFileBytes(path);
    test::CTakenLock taken;
    context.SetLock(&taken);
    CDatabaseObj db(context);
    EXPECT_EQ(Load(db, path).code, StoreCode::LockTimeout);
    EXPECT_TRUE(db.m_records.Empty());
    EXPECT_EQ(Save(db).code, StoreCode::NotRead);

    // A loaded database whose save cannot get the lock keeps its data for the next save.
    context.SetLock(nullptr);
    ASSERT_TRUE(Load(db, path).Ok());
    db.RecordAt(0)->SetValue(0, "changed");
    context.SetLock(&taken);
    EXPECT_EQ(Save(db).code, StoreCode::LockTimeout);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadFileBytes(path), before);
    context.SetLock(nullptr);
    EXPECT_TRUE(Save(db).Ok());
    CDatabaseObj reread(context);
    ASSERT_TRUE(Load(reread, path).Ok());
    EXPECT_EQ(reread.RecordAt(0)->GetValue(0), "changed");
}

TEST_F(Lifecycle, SaveFailuresReportTheirCode) {
    CDatabaseObj db(context);
    db.m_path = (dir / "no such folder/TessarinDatabase.tdb").string();
    const CStoreResult result = Save(db);
    EXPECT_EQ(result.code, StoreCode::WriteFailed);
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_EQ(result.message, str::kErrorSavingDatabase);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].id, str::kErrorSavingDatabase);
    EXPECT_EQ(messages.shown[0].args, std::vector<std::string>{"2"});
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    // Beside the code, what it means and where: the folder the file was to be written in.
    EXPECT_EQ(messages.shown[0].detail,
              "The system reported: " + (dir / "no such folder").string() + " does not exist.");

    db.m_saveSuspended = true;
    EXPECT_EQ(Save(db).code, StoreCode::SaveSuspended);
    EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(Lifecycle, MovingCarriesTheIconFileAndRefusesAnOccupiedFolder) {
    const std::string path = MakeDatabase((dir / "old").string());
    CDatabaseObj db(context);
    ASSERT_TRUE(Load(db, path).Ok());
    db.m_handheldName = "Palm";
    WriteFileBytes(dir / "old/Palm.pdb", {1, 2, 3});
    MakeDatabase((dir / "taken").string());

    std::vector<std::string> stored;
    auto store = [&](const std::string& folder) { stored.push_back(folder); };
    EXPECT_EQ(ChangeDatabaseLocation(db, (dir / "taken").string(), store).code,
              StoreCode::TargetExists);
    EXPECT_EQ(messages.Ids(), std::vector<int>{str::kDatabaseAlreadyExists});
    EXPECT_EQ(db.m_path, path);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_TRUE(stored.empty());

    EXPECT_TRUE(ChangeDatabaseLocation(db, (dir / "old").string(), store).Ok());  // already there
    fs::create_directory(dir / "new");
    EXPECT_TRUE(ChangeDatabaseLocation(db, (dir / "new").string(), store).Ok());
    EXPECT_EQ(db.m_path, (dir / "new/TessarinDatabase.tdb").string());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(ReadFileBytes(dir / "new/Palm.pdb"), (std::vector<unsigned char>{1, 2, 3}));
    EXPECT_EQ(stored, std::vector<std::string>{(dir / "new").string()});

    messages.shown.clear();
    EXPECT_FALSE(ChangeDatabaseLocation(db, (dir / std::string(300, 'n')).string(), store).Ok());
    EXPECT_EQ(messages.Ids(), std::vector<int>{str::kErrorMovingDatabase});
}

TEST_F(Lifecycle, MovingAUsersFolderCopiesEverythingBeforeRemovingAnything) {
    MakeDatabase((dir / "platform").string());
    fs::create_directories(dir / "platform/sub");
    WriteFileBytes(dir / "platform/sub/icons.pdb", {7});
    EXPECT_TRUE(MoveDatabaseFolder((dir / "platform").string(), (dir / "data").string()).Ok());
    EXPECT_FALSE(fs::exists(dir / "platform"));
    EXPECT_TRUE(fs::exists(dir / "data/TessarinDatabase.tdb"));
    EXPECT_EQ(ReadFileBytes(dir / "data/sub/icons.pdb"), std::vector<unsigned char>{7});

    // Nothing to move, or the same folder: nothing happens.
    EXPECT_TRUE(MoveDatabaseFolder("", (dir / "data").string()).Ok());
    EXPECT_TRUE(MoveDatabaseFolder((dir / "empty").string(), (dir / "data").string()).Ok());
    EXPECT_TRUE(MoveDatabaseFolder((dir / "data").string(), (dir / "data/").string()).Ok());

    // A folder inside the other, or a target that has a database already: refused, nothing lost.
    EXPECT_EQ(MoveDatabaseFolder((dir / "data").string(), (dir / "data/inner").string()).code,
              StoreCode::NestedFolders);
    MakeDatabase((dir / "platform").string());
    const auto kept = ReadFileBytes(dir / "data/TessarinDatabase.tdb");
    const CStoreResult occupied =
        MoveDatabaseFolder((dir / "platform").string(), (dir / "data").string());
    EXPECT_EQ(occupied.code, StoreCode::MoveFailed);
    EXPECT_EQ(occupied.error, EEXIST);
    EXPECT_TRUE(fs::exists(dir / "platform/TessarinDatabase.tdb"));
    EXPECT_EQ(ReadFileBytes(dir / "data/TessarinDatabase.tdb"), kept);
}

TEST_F(Lifecycle, NoticesFromOutsideReReadTheirItemFromTheFile) {
    const std::string path = MakeDatabase(dir.Path().string());
    CDatabaseObj mine(context);
    ASSERT_TRUE(Load(mine, path).Ok());

    // Another process changes record 102, adds record 200 and a category.
    {
        CDatabaseObj theirs(context);
        ASSERT_TRUE(Load(theirs, path).Ok());
        theirs.m_records.FindByNumber(102)->SetValue(0, "changed outside");
        AddRecord(theirs, nullptr, nullptr, {"added outside"})->m_recordNumber = 200;
        test::AddCategory(theirs, "Travel")->m_recordNumber = 300;
        ASSERT_TRUE(Save(theirs).Ok());
    }
    CNoticeOutcome changed = HandleNotice(mine, {kActionChanged, kKindRecord, 102}, "");
    EXPECT_EQ(changed.what, CNoticeOutcome::Changed);
    EXPECT_EQ(changed.item->GetValue(0), "changed outside");
    EXPECT_EQ(mine.m_records.FindByNumber(102), changed.item);

    CNoticeOutcome added = HandleNotice(mine, {kActionAdded, kKindRecord, 200}, "");
    EXPECT_EQ(added.what, CNoticeOutcome::Added);
    EXPECT_EQ(mine.m_records.Size(), 4u);
    EXPECT_EQ(mine.m_records.At(3)->GetValue(0), "added outside");
    // The same notice again refreshes rather than adding twice.
    EXPECT_EQ(HandleNotice(mine, {kActionAdded, kKindRecord, 200}, "").what,
              CNoticeOutcome::Changed);
    EXPECT_EQ(mine.m_records.Size(), 4u);

    CNoticeOutcome category = HandleNotice(mine, {kActionAdded, kKindCategory, 300}, "");
    EXPECT_EQ(category.what, CNoticeOutcome::Added);
    EXPECT_EQ(mine.CategoryAt(2)->GetName(), "Travel");  // in name order

    CNoticeOutcome removed = HandleNotice(mine, {kActionDeleted, kKindRecord, 101}, "");
    EXPECT_EQ(removed.what, CNoticeOutcome::Removed);
    EXPECT_EQ(mine.m_records.FindByNumber(101), nullptr);

    // Unknown numbers and kinds change nothing.
    EXPECT_EQ(HandleNotice(mine, {kActionChanged, kKindRecord, 999}, "").what,
              CNoticeOutcome::Nothing);
    EXPECT_EQ(HandleNotice(mine, {kActionChanged, 7, 102}, "").what, CNoticeOutcome::Nothing);
    EXPECT_EQ(HandleNotice(mine, {kActionDeleted, kKindRecord, 0}, "").what,
              CNoticeOutcome::Nothing);

    CNoticeOutcome reloaded = HandleNotice(mine, {kActionReloadAll, 0, 0}, dir.Path().string());
    EXPECT_EQ(reloaded.what, CNoticeOutcome::Reloaded);
    EXPECT_TRUE(reloaded.result.Ok());
    EXPECT_EQ(mine.m_records.Size(), 4u);
    EXPECT_EQ(mine.m_records.FindByNumber(101)->GetValue(0), "record 1");
}

TEST_F(Lifecycle, NoticesGoOutOnlyWhileTheUserSyncsAndAPasswordChangeAnnouncesEverything) {
    const std::string path = MakeDatabase(dir.Path().string());
    CDatabaseObj db(context);
    ASSERT_TRUE(Load(db, path).Ok());
    db.TypeAt(0)->m_recordNumber = 7;
    db.CategoryAt(0)->m_recordNumber = 8;

    ChangePassword(db, CSecret("new secret"));
    EXPECT_TRUE(poster.posted.empty());  // the user does not sync

    manager.userActive = true;
    EXPECT_TRUE(ChangePassword(db, CSecret("newer secret")).Ok());
    ASSERT_EQ(poster.posted.size(), 18u + 2 + 3);
    EXPECT_EQ(poster.posted.front(), (CChangeNotice{kActionChanged, kKindType, 7}));
    EXPECT_EQ(poster.posted[18], (CChangeNotice{kActionChanged, kKindCategory, 8}));
    EXPECT_EQ(poster.posted.back(), (CChangeNotice{kActionChanged, kKindRecord, 103}));
    EXPECT_EQ(poster.endpoints.front(), "TessarinListenerWindow");

    // The file changed key as a whole.
    EXPECT_TRUE(CheckPassword(path, CSecret("newer secret")));
    CDatabaseObj reread(context);
    ASSERT_TRUE(Load(reread, path).Ok());
    EXPECT_EQ(reread.m_records.FindByNumber(102)->GetValue(0), "record 2");
    // The key before reads nothing: the password was changed since.
    SetDatabaseKey(context, CSecret("new secret"));
    EXPECT_EQ(Load(reread, path).code, StoreCode::KeyChanged);
    EXPECT_EQ(reread.m_records.FindByNumber(102)->GetValue(0), "record 2");
}

}  // namespace
}  // namespace tessarin

namespace tessarin {
namespace {

TEST_F(Lifecycle, APasswordChangeThatCannotBeSavedKeepsTheOldPassword) {
    const std::string path = MakeDatabase(dir.Path().string());
    CDatabaseObj db(context);
    ASSERT_TRUE(Load(db, path).Ok());
    ASSERT_TRUE(ChangePassword(db, CSecret("first")).Ok());
    const auto block = db.m_checkBlock;
    const auto before = ReadFileBytes(path);

    test::CTakenLock taken;
    context.SetLock(&taken);
    manager.userActive = true;
    EXPECT_EQ(ChangePassword(db, CSecret("second")).code, StoreCode::LockTimeout);
    EXPECT_EQ(db.m_checkBlock, block);
    EXPECT_TRUE(KeyOpens(context.DatabaseKey(), block));
    EXPECT_TRUE(poster.posted.empty());  // nothing changed, nothing announced
    EXPECT_EQ(ReadFileBytes(path), before);

    // The next save still writes under the password the file has.
    context.SetLock(nullptr);
    db.RecordAt(0)->SetValue(0, "later");
    ASSERT_TRUE(Save(db).Ok());
    EXPECT_TRUE(CheckPassword(path, CSecret("first")));
    CDatabaseObj reread(context);
    ASSERT_TRUE(Load(reread, path).Ok());
    EXPECT_EQ(reread.RecordAt(0)->GetValue(0), "later");
}

TEST_F(Lifecycle, AKeyThatDoesNotFitTheDatabaseNeverWritesIt) {
    // Items enciphered under a key its check block does not name could never be read back.
    const std::string path = MakeDatabase(dir.Path().string());
    CDatabaseObj db(context);
    ASSERT_TRUE(Load(db, path).Ok());
    const auto before = ReadFileBytes(path);
    SetDatabaseKey(context, CSecret("stray"));
    EXPECT_EQ(Save(db).code, StoreCode::KeyChanged);
    EXPECT_EQ(ReadFileBytes(path), before);
    SetDatabaseKey(context, CSecret());
    EXPECT_TRUE(Save(db).Ok());
}

}  // namespace
}  // namespace tessarin
