// Many processes writing one database at once: what each reports as saved is in the file, counted
// exactly, and whoever waits for the lock gets it in turn.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/file_lock.h"
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

constexpr const char* kPassword = "many writers";

#if defined(__SANITIZE_ADDRESS__)
constexpr int kRounds = 8;  // the sanitizers make every save several times slower
constexpr size_t kBaseRecords = 1000;
#else
constexpr int kRounds = 20;
constexpr size_t kBaseRecords = 10000;
#endif

class ManyWriters : public ::testing::Test {
protected:
    ManyWriters() {
        SetDatabaseKey(context, CSecret(kPassword));
        path = (dir / "TessarinDatabase.tdb").string();
        CDatabaseObj db(context);
        SetDatabaseKey(context, CSecret());
        EXPECT_TRUE(Open(db, dir.Path().string()).Ok());
        SetPassword(context, db, CSecret(kPassword));
        for (size_t i = 0; i < kBaseRecords; ++i)
            test::AddRecord(db, db.TypeAt(i % 18), nullptr,
                            {"base " + std::to_string(i), "user", "secret"}, "base");
        EXPECT_TRUE(Save(db).Ok());
    }

    // Field 1 and field 2 of every live record that is not one of the base records; the base
    // records must all be there as they were. Records named "imported ..." are only counted.
    std::map<std::string, std::string> WrittenRecords(size_t* imported = nullptr) {
        CDatabaseObj db(context);
        EXPECT_TRUE(Load(db, path).Ok());
        std::map<std::string, std::string> written;
        size_t base = 0;
        for (const auto& item : db.m_records.Items()) {
            const std::string name(item->GetValue(0));
            if (item->m_deleted)
                continue;
            if (imported && name.rfind("imported ", 0) == 0) {
                ++*imported;
                continue;
            }
            if (name.rfind("base ", 0) == 0) {
                ++base;
                EXPECT_EQ(item->GetValue(1), "user");
                EXPECT_EQ(static_cast<const CRecord&>(*item).GetNote(), "base");
                continue;
            }
            EXPECT_TRUE(written.emplace(name, item->GetValue(1)).second) << name << " twice";
        }
        EXPECT_EQ(base, kBaseRecords);
        return written;
    }

    test::CTempDir dir;
    test::CTestContext context;
    std::string path;
};

// A writer process through the core: each round adds three records, changes one of its own and
// removes another, then saves. A long-lived writer (the window) loads once and saves after every
// round; a short-lived one (a command) loads, changes and saves under one hold of the lock each
// round. What each save that succeeded holds of this writer's records is told line by line:
// "name value", after a line "round N".
int Writer(test::CTestContext& context, const std::string& path, int id, bool longLived) {
    CFileLock own;  // a process of its own opens the lock of its own
    context.SetLock(&own);
    context.m_lockTimeout = 10min;  // waiting is fair: it ends however busy the machine is
    CDatabaseObj db(context);
    if (!Load(db, path).Ok())
        return 3;
    std::map<std::string, std::string> mine;  // as saved
    for (int round = 1; round <= kRounds; ++round) {
        std::optional<CLockHold> hold;
        if (!longLived) {
            hold.emplace(own, context.m_lockTimeout);
            if (!Load(db, path).Ok())
                return 4;
        }
        std::map<std::string, std::string> next = mine;
        const auto find = [&](const std::string& name) -> CBaseItem* {
            for (const auto& item : db.m_records.Items())
                if (item->GetValue(0) == name && !item->m_deleted)
                    return item.get();
            return nullptr;
        };
        for (int j = 0; j < 3; ++j) {
            const std::string name =
                "w" + std::to_string(id) + " r" + std::to_string(round) + " n" + std::to_string(j);
            test::AddRecord(db, db.TypeAt(0), nullptr, {name, "new"});
            next[name] = "new";
        }
        if (!mine.empty()) {
            auto changed = std::next(mine.begin(), round % static_cast<int>(mine.size()));
            CBaseItem* item = find(changed->first);
            if (!item)
                return 5;
            item->SetValue(1, "changed in round " + std::to_string(round));
            next[changed->first] = std::string(item->GetValue(1));
            auto removed = mine.begin();
            if (removed == changed)
                ++removed;
            if (removed != mine.end()) {
                db.m_records.Delete(find(removed->first));
                next.erase(removed->first);
            }
        }
        if (!Save(db).Ok())
            return 6;
        mine = std::move(next);
    }
    for (const auto& [name, value] : mine)
        CChild::Tell(name + "\t" + value);
    return 0;
}

TEST_F(ManyWriters, EveryProcessFindsExactlyWhatItSavedAndEveryRecordReadsWhole) {
    std::vector<CChild> writers;
    for (int id = 1; id <= 4; ++id)
        writers.push_back(
            CChild::Fork([this, id] { return Writer(context, path, id, id % 2 == 0); }));
    std::map<std::string, std::string> told;
    for (CChild& writer : writers) {
        for (std::string line; !(line = writer.ReadLine(600000)).empty();) {
            const size_t tab = line.find('\t');
            told.emplace(line.substr(0, tab), line.substr(tab + 1));
        }
        EXPECT_EQ(writer.Wait(), 0);
    }
    // Three added a round, one removed in every round but the first.
    EXPECT_EQ(told.size(), 4u * (2 * kRounds + 1));
    EXPECT_EQ(WrittenRecords(), told);
}

// The command-line tool as a writer: several imports of one file at once, next to a process that
// keeps changing records of its own.
TEST_F(ManyWriters, ImportsThatSayTheyImportedAreAllInTheFile) {
    const std::string csv = (dir / "rows.csv").string();
    {
        std::ofstream out(csv, std::ios::binary);
        for (int i = 0; i < 20; ++i)
            out << "Web Logins,imported " << i << ",user,secret\r\n";
    }
    constexpr int kImports = kRounds / 2;
    const auto importer = [&] {
        return CChild::Fork([&] {
            int imported = 0;
            for (int n = 0; n < kImports; ++n) {
                CChild cli = CChild::Start({TESSARIN_CLI_PATH, "--db", path, "import", csv},
                                           {"TESSARIN_TEST_LOCK_TIMEOUT_MS=600000"}, true);
                cli.Say(kPassword);
                cli.CloseInput();
                std::string said;
                for (std::string line; !(line = cli.ReadLine(600000)).empty();)
                    said += line;
                if (cli.Wait() == 0 && said.find("20") != std::string::npos)
                    ++imported;
            }
            CChild::Tell(std::to_string(imported));
            return 0;
        });
    };
    std::vector<CChild> importers;
    for (int i = 0; i < 3; ++i)
        importers.push_back(importer());
    CChild editor = CChild::Fork([this] { return Writer(context, path, 9, true); });
    int imported = 0;
    for (CChild& child : importers) {
        imported += std::stoi(child.ReadLine(600000));
        EXPECT_EQ(child.Wait(), 0);
    }
    std::map<std::string, std::string> edited;
    for (std::string line; !(line = editor.ReadLine(600000)).empty();)
        edited.emplace(line.substr(0, line.find('\t')), line.substr(line.find('\t') + 1));
    EXPECT_EQ(editor.Wait(), 0);
    EXPECT_EQ(imported, 3 * kImports);  // nobody was turned away: the waits are fair

    size_t rows = 0;
    EXPECT_EQ(WrittenRecords(&rows), edited);
    EXPECT_EQ(rows, 20u * static_cast<size_t>(imported));
}

// A command that cannot get the lock within its wait says so, exits non-zero and changes nothing.
TEST_F(ManyWriters, ACommandThatWaitsInVainSaysSoAndChangesNothing) {
    const std::string csv = (dir / "rows.csv").string();
    std::ofstream(csv, std::ios::binary) << "Web Logins,late,user,secret\r\n";
    const auto before = test::ReadFileBytes(path);
    CChild holder = CChild::Start({std::string(TESSARIN_TOOLS_DIR) + "/tessarin-lock-holder"}, {},
                                  true);
    ASSERT_EQ(holder.ReadLine(), "held");
    // What it says on either stream.
    CChild cli = CChild::Start({"/bin/sh", "-c", "exec \"$0\" --db \"$1\" import \"$2\" 2>&1",
                                TESSARIN_CLI_PATH, path, csv},
                               {"TESSARIN_TEST_LOCK_TIMEOUT_MS=100"}, true);
    cli.Say(kPassword);
    cli.CloseInput();
    std::string said;
    for (std::string line; !(line = cli.ReadLine(60000)).empty();)
        said += line;
    EXPECT_EQ(cli.Wait(), 1);
    EXPECT_NE(said.find("is in use by another program"), std::string::npos) << said;
    EXPECT_EQ(said.find("imported"), std::string::npos) << said;
    holder.Say("let go");
    EXPECT_EQ(holder.Wait(), 0);
    EXPECT_EQ(test::ReadFileBytes(path), before);
}

// Two processes saving in a loop, each waiting at most a little longer than a save takes: neither
// is ever turned away, since each gets the lock in its turn.
TEST_F(ManyWriters, TwoSaversInALoopBothGetTheirTurn) {
    const auto saver = [&](int id) {
        return CChild::Fork([&, id] {
            CFileLock own;
            context.SetLock(&own);
            CDatabaseObj db(context);
            if (!Load(db, path).Ok())
                return 3;
            // Long enough for the other's save, however slow the machine; far too short to
            // wait for a whole run of its saves.
            const auto start = std::chrono::steady_clock::now();
            if (!Save(db).Ok())
                return 4;
            context.m_lockTimeout = std::max(
                2000ms, std::chrono::duration_cast<std::chrono::milliseconds>(
                            (std::chrono::steady_clock::now() - start) * 20));
            int refused = 0;
            for (int n = 1; n <= 4 * kRounds; ++n) {
                db.RecordAt(0)->SetValue(2, "saver " + std::to_string(id) + " " + std::to_string(n));
                const CStoreResult result = Save(db);
                if (result.code == StoreCode::LockTimeout)
                    ++refused;
                else if (!result.Ok())
                    return 5;
            }
            CChild::Tell(std::to_string(refused));
            return 0;
        });
    };
    CChild a = saver(1), b = saver(2);
    EXPECT_EQ(a.ReadLine(600000), "0");
    EXPECT_EQ(b.ReadLine(600000), "0");
    EXPECT_EQ(a.Wait(), 0);
    EXPECT_EQ(b.Wait(), 0);
}

}  // namespace
}  // namespace tessarin
