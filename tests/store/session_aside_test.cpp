// A save whose file is written off the calling thread (a large database's, in the desktop
// program): the same bytes as one written on the calling thread; saved, then announced, then the
// observers told; a failed write said once, announcing nothing and keeping the change unsaved.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "security/password.h"
#include "store/database_key.h"
#include "store/database_lifecycle.h"
#include "store/database_session.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;

// Runs the write on a thread of its own and waits for it.
struct CJoiningAside : IAsideRunner {
    void RunAside(const std::function<void()>& work) override {
        ++runs;
        std::thread thread([&] {
            writer = std::this_thread::get_id();
            work();
        });
        thread.join();
    }
    int runs = 0;
    std::thread::id writer;
};

// What an observer sees when it is told: the save already written and announced.
struct CWitness : ISessionObserver {
    CWitness(CDatabaseSession& session, test::CRecordingPoster& poster)
        : session(session), poster(poster) {}
    void SessionChanged(const CSessionChanges&) override {
        ++told;
        savingWhenTold = session.Busy();
        postedWhenTold = poster.posted.size();
        CCoreContext reader;
        SetDatabaseKey(reader, CSecret("aside"));
        CDatabaseObj file(reader);
        fileRecordsWhenTold =
            Load(file, session.Database().m_path).Ok() ? file.CountLive(kKindRecord) : 0;
    }
    void SessionReloaded() override {}
    CDatabaseSession& session;
    test::CRecordingPoster& poster;
    int told = 0;
    bool savingWhenTold = true;
    size_t postedWhenTold = 0;
    size_t fileRecordsWhenTold = 0;
};

class SessionAside : public ::testing::Test {
protected:
    // A session on a copy of one protected database, each with a context of its own (so that the
    // filler drawn for the items is the same sequence in each), which then imports `count` records
    // in one change.
    struct CSide {
        test::CTestContext context;
        test::CRecordingMessages messages;
        test::CRecordingPoster poster;
        test::CFakePlatform platform;
        CDatabaseSession session{context};
        CWitness witness{session, poster};
        CSide() {
            context.SetMessages(&messages);
            context.SetPoster(&poster);
            context.SetPlatform(&platform);
            platform.userActive = true;  // the sync listener hears of every change
            session.AddObserver(&witness);
        }
        // Opens (making) the database in `folder` and gives it a password, so that its items are
        // enciphered.
        CStoreResult Open(const std::string& folder) {
            const CStoreResult opened = session.Open(folder);
            return opened.Ok() ? session.ChangePassword(CSecret("aside")) : opened;
        }
        ~CSide() { session.RemoveObserver(&witness); }
        CStoreResult Import(size_t count) {
            CDatabaseSession::CChange change(session);
            CNoticeList notices;
            std::vector<CRecord*> records;
            for (size_t i = 0; i < count; ++i)
                records.push_back(session.Database().AddFromColumns(
                    {"Web Logins", "record " + std::to_string(i), "user", "pass"}, "Personal", 21,
                    4, {}, notices));
            change.AddedInBulk(records, notices);
            return change.Commit();
        }
    };

    std::string Folder(const char* name) {
        const fs::path folder = dir.Path() / name;
        fs::create_directories(folder);
        return folder.string();
    }

    test::CTempDir dir;
};

TEST_F(SessionAside, TheFileWrittenAsideIsTheSameByteForByteAndToldInOrder) {
    for (size_t count : {1u, 7u, 301u}) {
        SCOPED_TRACE(count);
        const std::string here = Folder(("here" + std::to_string(count)).c_str());
        const std::string aside = Folder(("aside" + std::to_string(count)).c_str());
        CSide a, b;
        CJoiningAside runner;
        ASSERT_TRUE(a.Open(here).Ok());
        b.session.SetAsideRunner(&runner, 0);
        ASSERT_TRUE(b.Open(aside).Ok());
        const int runsAtOpen = runner.runs;
        ASSERT_TRUE(a.Import(count).Ok());
        ASSERT_TRUE(b.Import(count).Ok());
        EXPECT_EQ(runner.runs, runsAtOpen + 1);
        EXPECT_NE(runner.writer, std::this_thread::get_id());
        EXPECT_EQ(ReadFileBytes(DatabasePathIn(here)), ReadFileBytes(DatabasePathIn(aside)));
        // Saved, then announced, then the observers told, once; no longer saving by then.
        EXPECT_EQ(b.witness.told, 1);
        EXPECT_FALSE(b.witness.savingWhenTold);
        EXPECT_GT(b.witness.postedWhenTold, 0u);
        EXPECT_EQ(b.witness.fileRecordsWhenTold, count);
        EXPECT_TRUE(b.messages.shown.empty());
    }
}

TEST_F(SessionAside, ASmallDatabaseIsWrittenOnTheCallingThread) {
    CSide side;
    CJoiningAside runner;
    side.session.SetAsideRunner(&runner);
    ASSERT_TRUE(side.Open(Folder("small")).Ok());
    ASSERT_TRUE(side.Import(kAsideFromRecords - 1).Ok());
    EXPECT_EQ(runner.runs, 0);
    ASSERT_TRUE(side.Import(1).Ok());
    EXPECT_EQ(runner.runs, 1);
}

TEST_F(SessionAside, AWriteThatFailsAsideIsSaidOnceAndAnnouncesNothing) {
    CSide side;
    CJoiningAside runner;
    side.session.SetAsideRunner(&runner, 0);
    const std::string folder = Folder("failing");
    ASSERT_TRUE(side.Open(folder).Ok());
    side.poster.posted.clear();
    const int runsBefore = runner.runs;
    fs::rename(folder, folder + ".away");
    const CStoreResult result = side.Import(3);
    EXPECT_EQ(result.code, StoreCode::WriteFailed);
    EXPECT_EQ(runner.runs, runsBefore + 1);
    EXPECT_EQ(side.messages.shown.size(), 1u);
    EXPECT_TRUE(side.poster.posted.empty());
    EXPECT_TRUE(side.session.HasUnsaved());
    EXPECT_FALSE(side.session.Busy());
    // The observers were told all the same: the records are in memory, waiting for the next save.
    EXPECT_EQ(side.witness.told, 1);
    EXPECT_EQ(side.session.Database().CountLive(kKindRecord), 3u);
    fs::rename(folder + ".away", folder);
    ASSERT_TRUE(side.session.SaveNow().Ok());
    EXPECT_FALSE(side.session.HasUnsaved());
}

}  // namespace
}  // namespace tessarin
