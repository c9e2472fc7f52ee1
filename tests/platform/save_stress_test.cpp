// Saves that die, fill the disk, or meet other savers: the file always stays whole.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include "platform/file_lock.h"
#include "resources/string_ids.h"
#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "support/child_process.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::CChild;

// How many saves each test runs: a hundred and fifty by default, so the suite stays quick;
// TESSARIN_STRESS_SAVES=1000 runs the full stress.
int Saves() {
    if (const char* value = std::getenv("TESSARIN_STRESS_SAVES"))
        return std::atoi(value);
#if defined(__SANITIZE_ADDRESS__)
    return 40;  // the sanitizers make every save several times slower
#else
    return 150;
#endif
}

// A database of `records` records whose first and middle record both say which save wrote them.
// (Not the last: savers changing the same records without numbers know them by their place,
// which at the end of the list cannot be told from a new record; see database_merge.h.)
std::string MakeDatabase(CCoreContext& context, const std::string& folder, size_t records) {
    CDatabaseObj db(context);
    SetDatabaseKey(context, CSecret());
    EXPECT_TRUE(Open(db, folder).Ok());
    SetPassword(context, db, CSecret("stress"));
    for (size_t i = 0; i < records; ++i)
        test::AddRecord(db, db.TypeAt(i % 18), nullptr,
                        {"record " + std::to_string(i), "user", "password"}, "save 0");
    EXPECT_TRUE(Save(db).Ok());
    return db.m_path;
}

// Which save wrote the file, when it reads whole and consistent; -1 otherwise.
long SaveNumberOnDisk(CCoreContext& context, const std::string& path, size_t records) {
    CDatabaseObj db(context);
    if (!Load(db, path).Ok() || db.m_records.Size() != records)
        return -1;
    const std::string_view first = db.RecordAt(0)->GetNote();
    const std::string_view middle = db.RecordAt(records / 2)->GetNote();
    if (first != middle || first.substr(0, 5) != "save ")
        return -1;
    return std::stol(std::string(first.substr(5)));
}

size_t Temporaries(const fs::path& folder) {
    size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.path().filename().string().rfind(".TessarinDatabase.tdb.", 0) == 0;
    return count;
}

class SaveStress : public ::testing::Test {
protected:
    SaveStress() { context.SetLock(&lock); }
    test::CTempDir dir;
    test::CTestContext context;
    CFileLock lock;
};

TEST_F(SaveStress, KillingTheSaverAtAnyMomentLeavesTheOldOrTheNewFile) {
    constexpr size_t kRecords = 10000;
    std::string path = MakeDatabase(context, dir.Path().string(), kRecords);
    path = fs::path(path).string();
    std::mt19937 random(12345);
    long completed = 0;
    int kills = 0;
    const int saves = Saves();
    while (completed < saves) {
        CChild saver = CChild::Fork([&] {
            CFileLock own;  // a process of its own opens the lock of its own
            context.SetLock(&own);
            CDatabaseObj db(context);
            if (!Load(db, path).Ok())
                return 3;
            CChild::Tell("loaded");
            for (long n = completed + 1;; ++n) {
                const std::string note = "save " + std::to_string(n);
                db.RecordAt(0)->SetNote(note);
                db.RecordAt(kRecords / 2)->SetNote(note);
                if (!Save(db).Ok())
                    return 4;
                CChild::Tell(std::to_string(n));
            }
        });
        // Let it finish a few saves (none, at times), then kill it somewhere in the next one,
        // however long a save takes on this machine.
        ASSERT_EQ(saver.ReadLine(60000), "loaded");
        long told = completed;
        for (int k = static_cast<int>(random() % 4); k > 0; --k)
            told = std::stol(saver.ReadLine(60000));
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        saver.Kill(SIGKILL);
        EXPECT_EQ(saver.Wait(), 128 + SIGKILL);
        // Dead, so its output ends: every line it wrote is read, without a time-out.
        for (std::string line; !(line = saver.ReadLine()).empty();)
            told = std::stol(line);
        const long onDisk = SaveNumberOnDisk(context, path, kRecords);
        // Every save that finished is on the disk; one more may have finished as it died.
        ASSERT_TRUE(onDisk == told || onDisk == told + 1)
            << "told " << told << ", on disk " << onDisk;
        completed = onDisk;
        ++kills;
    }
    EXPECT_LE(Temporaries(dir.Path()), 1u);  // the next save clears what a dead one left
    RecordProperty("kills", kills);
    RecordProperty("saves", static_cast<int>(completed));
}

// Runs a save in a child whose files may not grow beyond `limit` bytes, as on a full disk.
int SaveWithFileSizeLimit(CCoreContext& context, const std::string& path, rlim_t limit,
                          std::vector<int>* messages) {
    CChild child = CChild::Fork([&] {
        CFileLock own;
        context.SetLock(&own);
        test::CRecordingMessages recording;
        context.SetMessages(&recording);
        CDatabaseObj db(context);
        if (!Load(db, path).Ok())
            return 3;
        db.RecordAt(0)->SetNote(std::string(200000, 'n'));
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit cap{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &cap);
        const CStoreResult result = Save(db);
        for (const CMessage& m : recording.shown)
            CChild::Tell(std::to_string(m.id) + " " + (m.args.empty() ? "" : m.args[0]));
        return result.code == StoreCode::WriteFailed ? 0 : 5;
    });
    for (std::string line; !(line = child.ReadLine(2000)).empty();)
        messages->push_back(std::stoi(line));
    return child.Wait();
}

TEST_F(SaveStress, AFullDiskLeavesTheOldFileAndSaysSo) {
    const std::string path = MakeDatabase(context, dir.Path().string(), 50);
    const auto before = test::ReadFileBytes(path);
    std::vector<int> messages;
    EXPECT_EQ(SaveWithFileSizeLimit(context, path, before.size() + 1000, &messages), 0);
    EXPECT_EQ(test::ReadFileBytes(path), before);
    EXPECT_EQ(messages, std::vector<int>{str::kErrorSavingDatabase});
    EXPECT_EQ(Temporaries(dir.Path()), 0u);
}

TEST_F(SaveStress, ASmallFileSystemThatFillsUpLeavesTheOldFile) {
    const fs::path mount = dir / "small";
    fs::create_directory(mount);
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here (" << std::strerror(errno)
                     << "); the file size limit test covers a full disk";
    {
        const std::string path = MakeDatabase(context, mount.string(), 200);
        const auto before = test::ReadFileBytes(path);
        test::CRecordingMessages recording;
        context.SetMessages(&recording);
        CDatabaseObj db(context);
        ASSERT_TRUE(Load(db, path).Ok());
        db.RecordAt(0)->SetNote(std::string(400000, 'n'));  // more than the file system holds
        const CStoreResult result = Save(db);
        EXPECT_EQ(result.code, StoreCode::WriteFailed);
        EXPECT_EQ(result.error, ENOSPC);
        EXPECT_EQ(test::ReadFileBytes(path), before);
        ASSERT_EQ(recording.shown.size(), 1u);
        EXPECT_EQ(recording.shown[0].id, str::kErrorSavingDatabase);
        EXPECT_EQ(recording.shown[0].args, std::vector<std::string>{"1c"});  // ENOSPC
        // Beside the code, in words: what happened and where.
        EXPECT_EQ(recording.shown[0].detail,
                  "The system reported: the disk that holds " + mount.string() + " is full.");
        EXPECT_EQ(context.Strings().Format(recording.shown[0].id, {recording.shown[0].args[0]}),
                  "There was an error saving the Tessarin database. (1c)");
        EXPECT_EQ(Temporaries(mount), 0u);
        context.SetMessages(nullptr);
    }
    ::umount(mount.c_str());
}

TEST_F(SaveStress, TwoSaversAndALongLockHolderNeverCorruptTheFile) {
    constexpr size_t kRecords = 100;
    const std::string path = MakeDatabase(context, dir.Path().string(), kRecords);
    const int saves = Saves();
    auto saver = [&](int id) {
        return CChild::Fork([&, id] {
            CFileLock own;
            context.SetLock(&own);
            // However busy the machine, the other saver lets go in the end.
            context.m_lockTimeout = 10min;
            CDatabaseObj db(context);
            if (!Load(db, path).Ok())
                return 3;
            int refused = 0;
            for (int n = 1; n <= saves; ++n) {
                const std::string note = "save " + std::to_string(id * 100000 + n);
                db.RecordAt(0)->SetNote(note);
                db.RecordAt(kRecords / 2)->SetNote(note);
                const CStoreResult result = Save(db);
                if (result.code == StoreCode::LockTimeout)
                    ++refused;  // the data stays in memory for the next save
                else if (!result.Ok())
                    return 4;
            }
            CChild::Tell(std::to_string(refused));
            return 0;
        });
    };
    {
        CChild a = saver(1);
        CChild b = saver(2);
        EXPECT_EQ(a.Wait(), 0);
        EXPECT_EQ(b.Wait(), 0);
        EXPECT_EQ(a.ReadLine(), "0");
        EXPECT_EQ(b.ReadLine(), "0");
    }
    const long last = SaveNumberOnDisk(context, path, kRecords);
    EXPECT_TRUE(last == 100000 + saves || last == 200000 + saves) << last;

    // With a third process holding the lock beyond the wait (none, for the test), loads and saves
    // are refused for the lock, without a message; the next save after it lets go writes what was
    // kept in memory.
    const auto holdLock = [] {
        return CChild::Start({std::string(TESSARIN_TOOLS_DIR) + "/tessarin-lock-holder"}, {}, true);
    };
    CChild holder = holdLock();
    ASSERT_EQ(holder.ReadLine(), "held");
    test::CRecordingMessages recording;
    context.SetMessages(&recording);
    CDatabaseObj db(context);
    context.m_lockTimeout = 0ms;
    EXPECT_EQ(Load(db, path).code, StoreCode::LockTimeout);
    holder.Say("let go");
    EXPECT_EQ(holder.Wait(), 0);
    ASSERT_TRUE(Load(db, path).Ok());
    CChild again = holdLock();
    ASSERT_EQ(again.ReadLine(), "held");
    db.RecordAt(0)->SetNote("kept");
    db.RecordAt(kRecords / 2)->SetNote("kept");
    EXPECT_EQ(Save(db).code, StoreCode::LockTimeout);
    EXPECT_TRUE(recording.shown.empty());
    again.CloseInput();
    EXPECT_EQ(again.Wait(), 0);
    EXPECT_TRUE(Save(db).Ok());
    CDatabaseObj reread(context);
    ASSERT_TRUE(Load(reread, path).Ok());
    EXPECT_EQ(reread.RecordAt(0)->GetNote(), "kept");
    context.SetMessages(nullptr);
}

}  // namespace
}  // namespace tessarin
