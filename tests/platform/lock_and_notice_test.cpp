#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/file_lock.h"
#include "platform/notice_socket.h"
#include "security/password.h"
#include "store/database_lifecycle.h"
#include "support/child_process.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

using namespace std::chrono_literals;
using test::CChild;

const std::string kTools = TESSARIN_TOOLS_DIR;

TEST(FileLock, ExcludesOtherHoldersAndCountsWithinOne) {
    test::CTempDir dir;
    CFileLock a((dir / "lock").string());
    CFileLock b((dir / "lock").string());
    ASSERT_TRUE(a.Acquire(0ms));
    EXPECT_TRUE(a.Acquire(0ms));  // a load that saves within itself
    EXPECT_FALSE(b.Acquire(50ms));
    a.Release();
    EXPECT_FALSE(b.Acquire(0ms));
    a.Release();
    EXPECT_TRUE(b.Acquire(0ms));
    b.Release();
}

TEST(FileLock, AnotherProcessHoldsItUntilItLetsGoOrDies) {
    CChild holder = CChild::Start({kTools + "/tessarin-lock-holder"}, {}, true);
    ASSERT_EQ(holder.ReadLine(), "held");
    CFileLock lock;
    EXPECT_FALSE(lock.Acquire(0ms));
    EXPECT_FALSE(lock.Acquire(50ms));
    holder.Say("let go");
    EXPECT_TRUE(lock.Acquire(60s));  // waits for the holder, however slow it is to let go
    lock.Release();
    EXPECT_EQ(holder.Wait(), 0);

    CChild dying = CChild::Start({kTools + "/tessarin-lock-holder"}, {}, true);
    ASSERT_EQ(dying.ReadLine(), "held");
    EXPECT_FALSE(lock.Acquire(0ms));
    dying.Kill(SIGKILL);
    dying.Wait();
    EXPECT_TRUE(lock.Acquire(0ms));  // a dead holder's lock is simply obtained
    lock.Release();
}

// How many waiters have queued for the lock in the file at `path`: the ticket counter.
uint64_t TicketsDrawn(const std::string& path) {
    const auto bytes = test::ReadFileBytes(path);
    uint64_t drawn = 0;
    if (bytes.size() >= sizeof drawn)
        std::memcpy(&drawn, bytes.data(), sizeof drawn);
    return drawn;
}

void WaitForTickets(const std::string& path, uint64_t drawn) {
    while (TicketsDrawn(path) < drawn)
        std::this_thread::sleep_for(1ms);
}

TEST(FileLock, AWaiterGoesBeforeAHolderThatAsksAgainAtOnce) {
    test::CTempDir dir;
    const std::string path = (dir / "lock").string();
    CFileLock holder(path), waiter(path);
    ASSERT_TRUE(holder.Acquire(0ms));
    std::atomic<bool> got{false}, letGo{false};
    std::thread waiting([&] {
        got = waiter.Acquire(10min);
        while (!letGo)
            std::this_thread::sleep_for(1ms);
        waiter.Release();
    });
    WaitForTickets(path, 2);
    // The holder lets go and asks again at once: the waiter, first in line, has it or is about to.
    holder.Release();
    EXPECT_FALSE(holder.Acquire(0ms));
    letGo = true;
    waiting.join();
    EXPECT_TRUE(got);
    EXPECT_TRUE(holder.Acquire(10min));
    holder.Release();
}

TEST(FileLock, AWaiterThatDiedOrGaveUpIsNotWaitedFor) {
    test::CTempDir dir;
    const std::string path = (dir / "lock").string();
    CFileLock holder(path), next(path);
    ASSERT_TRUE(holder.Acquire(0ms));
    // One waiter gives up, another is killed while in line.
    CFileLock quitter(path);
    EXPECT_FALSE(quitter.Acquire(20ms));
    CChild dying = CChild::Fork([&] {
        CFileLock own(path);
        return own.Acquire(10min) ? 0 : 1;
    });
    WaitForTickets(path, 3);
    dying.Kill(SIGKILL);
    dying.Wait();
    holder.Release();
    EXPECT_TRUE(next.Acquire(0ms));
    next.Release();
}

TEST(Notices, TheLineNamesTheMessageAndItsTwoParameters) {
    const CChangeNotice notice{kActionChanged, kKindType, 42};
    EXPECT_EQ(NoticeLine(notice), "WM_Tessarin10_DatabaseNotify 65539 42\n");
    EXPECT_EQ(ParseNoticeLine("WM_Tessarin10_DatabaseNotify 65539 42\n"), notice);
    EXPECT_EQ(ParseNoticeLine("WM_Tessarin10_DatabaseNotify 2 4294967295"),
              (CChangeNotice{2, 0, 4294967295u}));
    for (const char* bad :
         {"", "WM_Tessarin10_DatabaseNotify", "WM_Other 1 2", "WM_Tessarin10_DatabaseNotify 1",
          "WM_Tessarin10_DatabaseNotify x 2", "WM_Tessarin10_DatabaseNotify 4294967296 1",
          "WM_Tessarin10_DatabaseNotify 1 2 trailing", "WM_Tessarin10_DatabaseNotify -1 2",
          "WM_Tessarin10_DatabaseNotify +1 2", "WM_Tessarin10_DatabaseNotifyX 1 2",
          "WM_Tessarin10_DatabaseNotify 99999999999999999999 2",
          "WM_Tessarin10_DatabaseNotify 1 2\n\n"})
        EXPECT_FALSE(ParseNoticeLine(bad)) << bad;
    EXPECT_FALSE(ParseNoticeLine(std::string("WM_Tessarin10_DatabaseNotify 1 2\0", 34)));
}

TEST(Notices, PostingReachesAHolderAndIsDroppedWithoutOne) {
    CSocketPoster poster;
    EXPECT_FALSE(poster.Post("Nobody Listens Here", {kActionAdded, kKindRecord, 1}));

    CNoticeReceiver receiver(kMainWindowEndpoint);
    ASSERT_TRUE(receiver.IsOpen());
    CNoticeReceiver second(kMainWindowEndpoint);
    EXPECT_FALSE(second.IsOpen());  // a live holder keeps its endpoint

    // Lines that are not notices are skipped; a line may arrive in pieces.
    const int junk = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = EndpointPath(kMainWindowEndpoint);
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::connect(junk, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string text = "hello\nWM_Tessarin10_DatabaseNotify 2 7";
    ::send(junk, text.data(), text.size(), 0);
    EXPECT_FALSE(receiver.Receive(50ms));
    ::send(junk, "\n", 1, 0);
    ::close(junk);
    EXPECT_EQ(receiver.Receive(30s), (CChangeNotice{kActionAdded, kKindRecord, 7}));
    EXPECT_TRUE(poster.Post(kMainWindowEndpoint, {kActionDeleted, kKindCategory, 9}));
    EXPECT_EQ(receiver.Receive(30s), (CChangeNotice{kActionDeleted, kKindCategory, 9}));
    EXPECT_FALSE(receiver.Receive(20ms));

    // A burst far beyond what a datagram queue holds arrives whole and in order.
    CNoticeList burst;
    for (uint32_t n = 1; n <= 2000; ++n)
        burst.push_back({kActionChanged, kKindRecord, n});
    EXPECT_EQ(poster.PostAll(kMainWindowEndpoint, burst), burst.size());
    for (uint32_t n = 1; n <= 2000; ++n)
        ASSERT_EQ(receiver.Receive(30s), (CChangeNotice{kActionChanged, kKindRecord, n}));
}

TEST(Notices, AnEndpointLeftBehindByADeadHolderIsTakenOver) {
    const std::string path = EndpointPath("Stale Endpoint");
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    ::close(fd);  // the file stays, nobody holds it
    CNoticeReceiver receiver("Stale Endpoint");
    EXPECT_TRUE(receiver.IsOpen());
}

TEST(Notices, TheToolsExchangeNoticesWithEachOther) {
    CChild listener =
        CChild::Start({kTools + "/tessarin-notice-listener", "--count", "2", "--seconds", "30"});
    ASSERT_EQ(listener.ReadLine(), "listening");
    CChild first =
        CChild::Start({kTools + "/tessarin-notice-post", "TessarinListenerWindow", "2", "0", "5"});
    EXPECT_EQ(first.Wait(), 0);
    CChild second =
        CChild::Start({kTools + "/tessarin-notice-post", "TessarinListenerWindow", "3", "1", "6"});
    EXPECT_EQ(second.Wait(), 0);
    EXPECT_EQ(listener.ReadLine(), "2 0 5");
    EXPECT_EQ(listener.ReadLine(), "3 1 6");
    EXPECT_EQ(listener.Wait(), 0);
    CChild unheard =
        CChild::Start({kTools + "/tessarin-notice-post", "TessarinListenerWindow", "3", "1", "6"});
    EXPECT_EQ(unheard.Wait(), 1);
}

// The exchange as the program lives it, with the real lock and sockets.
class LiveExchange : public ::testing::Test {
protected:
    LiveExchange() {
        context.SetLock(&lock);
        context.SetPoster(&poster);
        context.SetPlatform(&manager);
        manager.userActive = true;
    }
    test::CTempDir dir;
    test::CTestContext context;
    CFileLock lock;
    CSocketPoster poster;
    test::CFakePlatform manager;
};

TEST_F(LiveExchange, ANoticeFromASyncComponentReReadsTheRightItem) {
    CDatabaseObj mine(context);
    ASSERT_TRUE(Open(mine, dir.Path().string()).Ok());
    for (uint32_t n = 1; n <= 3; ++n)
        test::AddRecord(mine, nullptr, nullptr, {"v" + std::to_string(n)})->m_recordNumber = n;
    ASSERT_TRUE(Save(mine).Ok());
    {
        CDatabaseObj theirs(context);
        ASSERT_TRUE(Load(theirs, mine.m_path).Ok());
        theirs.m_records.FindByNumber(2)->SetValue(0, "synced");
        ASSERT_TRUE(Save(theirs).Ok());
    }
    CNoticeReceiver window(kMainWindowEndpoint);
    CChild post =
        CChild::Start({kTools + "/tessarin-notice-post", "Tessarin Desktop", "3", "0", "2"});
    EXPECT_EQ(post.Wait(), 0);
    const auto notice = window.Receive(2s);
    ASSERT_TRUE(notice);
    const CNoticeOutcome outcome = HandleNotice(mine, *notice, dir.Path().string());
    EXPECT_EQ(outcome.what, CNoticeOutcome::Changed);
    EXPECT_EQ(mine.m_records.FindByNumber(2)->GetValue(0), "synced");
    EXPECT_EQ(mine.m_records.FindByNumber(1)->GetValue(0), "v1");
}

TEST_F(LiveExchange, APasswordChangeAnnouncesEveryItemInOrder) {
    CDatabaseObj db(context);
    ASSERT_TRUE(Open(db, dir.Path().string()).Ok());
    for (size_t i = 0; i < db.m_types.Size(); ++i)
        db.TypeAt(i)->m_recordNumber = static_cast<uint32_t>(10 + i);
    db.CategoryAt(0)->m_recordNumber = 50;
    db.CategoryAt(1)->m_recordNumber = 51;
    test::AddRecord(db, nullptr, nullptr, {"r"})->m_recordNumber = 60;
    CChild listener =
        CChild::Start({kTools + "/tessarin-notice-listener", "--count", "21", "--seconds", "30"});
    ASSERT_EQ(listener.ReadLine(), "listening");
    EXPECT_TRUE(ChangePassword(db, CSecret("pw")).Ok());
    for (uint32_t i = 0; i < 18; ++i)
        EXPECT_EQ(listener.ReadLine(), "3 1 " + std::to_string(10 + i));
    EXPECT_EQ(listener.ReadLine(), "3 2 50");
    EXPECT_EQ(listener.ReadLine(), "3 2 51");
    EXPECT_EQ(listener.ReadLine(), "3 0 60");
    EXPECT_EQ(listener.Wait(), 0);
}

}  // namespace
}  // namespace tessarin
