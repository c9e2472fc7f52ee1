// The runtime folder, the notice endpoints and the settings file trust the user alone.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/notice_socket.h"
#include "platform/runtime_folder.h"
#include "platform/settings_store.h"
#include "platform/socket_address.h"
#include "support/file_modes.h"
#include "support/other_user.h"
#include "support/settings_sandbox.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::CUmask;
using test::ModeAt;

// An environment variable set for as long as it lives (unset with null), then as it was.
class CVariable {
public:
    CVariable(const char* name, const char* value) : m_name(name) {
        if (const char* kept = std::getenv(name))
            m_kept = kept;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~CVariable() { m_kept ? ::setenv(m_name, m_kept->c_str(), 1) : ::unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_kept;
};

TEST(RuntimeFolder, OnlyAFolderOfTheUsersOwnThatNobodyElseWritesIsUsed) {
    test::CTempDir dir;
    const CUmask open(0);
    const CVariable cache("XDG_CACHE_HOME", (dir / "cache").c_str());
    const std::string fallback = (dir / "cache/tessarin-runtime").string();
    struct Case {
        const char* name;
        fs::perms mode;
        bool used;
    } cases[] = {
        {"private", fs::perms(0700), true},           {"readable", fs::perms(0755), true},
        {"group writes", fs::perms(0770), false},     {"anyone writes", fs::perms(0777), false},
        {"shared like tmp", fs::perms(01777), false},
    };
    for (const Case& c : cases) {
        fs::create_directory(dir / c.name);
        fs::permissions(dir / c.name, c.mode, fs::perm_options::replace);
        const CVariable runtime("XDG_RUNTIME_DIR", (dir / c.name).c_str());
        EXPECT_EQ(RuntimeFolder(), c.used ? (dir / c.name).string() : fallback) << c.name;
        EXPECT_EQ(ModeAt(dir / "cache"), c.used ? -1 : 0700) << c.name;
    }
    // A link to a good folder is not the folder.
    fs::create_directory_symlink(dir / "private", dir / "link");
    {
        const CVariable runtime("XDG_RUNTIME_DIR", (dir / "link").c_str());
        EXPECT_EQ(RuntimeFolder(), fallback);
    }
    // Without the variable the fallback too; one someone made readable is made private again.
    const CVariable none("XDG_RUNTIME_DIR", nullptr);
    fs::permissions(fallback, fs::perms(0755), fs::perm_options::replace);
    EXPECT_EQ(RuntimeFolder(), fallback);
    EXPECT_EQ(ModeAt(fallback), 0700);
    // A fallback that is a link elsewhere gives no folder at all rather than a folder of others.
    fs::remove(fallback);
    fs::create_directory_symlink(dir / "anyone writes", fallback);
    EXPECT_EQ(RuntimeFolder(), "");
}

TEST(RuntimeFolder, AFolderOfAnotherUserIsNotUsed) {
    if (!test::CanRunAsOtherUser())
        GTEST_SKIP() << "needs root to give a folder to another user";
    test::CTempDir dir;
    const CVariable cache("XDG_CACHE_HOME", (dir / "cache").c_str());
    fs::create_directory(dir / "theirs");
    ASSERT_EQ(::chown((dir / "theirs").c_str(), test::kOtherUid, test::kOtherGid), 0);
    const CVariable runtime("XDG_RUNTIME_DIR", (dir / "theirs").c_str());
    EXPECT_EQ(RuntimeFolder(), (dir / "cache/tessarin-runtime").string());
}

TEST(NoticeEndpoint, TheSocketIsPrivateAndAnotherUsersNoticesAreNotHeard) {
    const CUmask open(0);
    CNoticeReceiver receiver("Guarded Listener");
    ASSERT_TRUE(receiver.IsOpen());
    const std::string path = EndpointPath("Guarded Listener");
    EXPECT_EQ(ModeAt(path), 0600);
    if (!test::CanRunAsOtherUser())
        GTEST_SKIP() << "needs root to post as another user";
    // Opened to everyone for the test, so that only the peer check stands in the way.
    const fs::path runtime = std::getenv("XDG_RUNTIME_DIR");
    for (const fs::path& folder : {runtime.parent_path(), runtime})
        ::chmod(folder.c_str(), 0711);
    ::chmod(path.c_str(), 0666);
    const pid_t other = test::ForkAsOtherUser([path] {
        sockaddr_un address;
        MakeSocketAddress(path, address);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            return 3;
        const std::string line = "WM_Tessarin10_DatabaseNotify 4 13\n";
        return ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == ssize_t(line.size()) ? 0 : 4;
    });
    EXPECT_EQ(test::WaitForChild(other), 0);  // it connected and wrote its notice
    for (const fs::path& folder : {runtime.parent_path(), runtime})
        ::chmod(folder.c_str(), 0700);
    CSocketPoster poster;
    ASSERT_TRUE(poster.Post("Guarded Listener", {kActionChanged, 0, 5}));
    // The user's own notice, and nothing before it.
    EXPECT_EQ(receiver.Receive(30s), (CChangeNotice{kActionChanged, 0, 5}));
    EXPECT_FALSE(receiver.Receive(100ms));
}

TEST(NoticeEndpoint, ConnectionsBeyondTheLimitWaitAndTooLongALineEndsItsConnection) {
    CNoticeReceiver receiver("Bounded Listener");
    ASSERT_TRUE(receiver.IsOpen());
    const std::string path = EndpointPath("Bounded Listener");
    std::vector<CFileHandle> idle;
    for (size_t i = 0; i < kMaxConnections; ++i)
        idle.push_back(ConnectToOwnSocket(path, true));
    EXPECT_FALSE(receiver.Receive(50ms));  // takes them all in
    CSocketPoster poster;
    ASSERT_TRUE(poster.Post("Bounded Listener", {kActionAdded, 0, 1}));
    EXPECT_FALSE(receiver.Receive(200ms));  // waits in the queue
    idle.pop_back();
    EXPECT_EQ(receiver.Receive(30s), (CChangeNotice{kActionAdded, 0, 1}));
    idle.clear();

    const CFileHandle talker = ConnectToOwnSocket(path, true);
    const std::string text = std::string(300, 'x') + "\nWM_Tessarin10_DatabaseNotify 2 9\n";
    ::send(talker.Get(), text.data(), text.size(), MSG_NOSIGNAL);
    EXPECT_FALSE(receiver.Receive(200ms));
}

class PrivateSettings : public ::testing::Test {
protected:
    fs::path File() const {
        return fs::path(std::getenv("XDG_CONFIG_HOME")) / "Marrowgate" / "Tessarin Desktop.conf";
    }
    test::CSettingsSandbox settings;
};

TEST_F(PrivateSettings, TheFileAndItsFolderAreTheUsersAloneWhateverTheUmask) {
    const CUmask open(0);
    fs::remove_all(File().parent_path());
    CSettingsStore store;
    store.WriteNumber("Palm - Alice", "Sleep Minutes", 5);
    EXPECT_EQ(ModeAt(File().parent_path()), 0700);
    EXPECT_EQ(ModeAt(File()), 0600);
    // Loosened by someone: private again after the next write.
    fs::permissions(File().parent_path(), fs::perms(0755), fs::perm_options::replace);
    fs::permissions(File(), fs::perms(0644), fs::perm_options::replace);
    store.WriteText("Palm - Alice", "Name", "Alice");
    EXPECT_EQ(ModeAt(File().parent_path()), 0700);
    EXPECT_EQ(ModeAt(File()), 0600);
}

TEST_F(PrivateSettings, ALinkAtTheFileIsFollowedOnlyWhenItAndItsFileAreTheUsersOwn) {
    test::CTempDir elsewhere;
    fs::create_directories(File().parent_path());
    {
        // A dotfiles link of the user's own: kept, and its file is what is written.
        const fs::path real = elsewhere / "tessarin.conf";
        test::WriteFileBytes(real, {});
        fs::permissions(real, fs::perms(0644), fs::perm_options::replace);
        fs::remove(File());
        fs::create_symlink(real, File());
        CSettingsStore store;
        store.WriteNumber("Palm - Alice", "Sleep Minutes", 5);
        EXPECT_TRUE(test::IsLink(File()));
        EXPECT_EQ(ModeAt(real), 0600);
        EXPECT_NE(test::ReadFileBytes(real).size(), 0u);
        fs::remove(File());
    }
    if (!test::CanRunAsOtherUser())
        GTEST_SKIP() << "needs root to give a link to another user";
    fs::remove(File());
    const test::CPlantedLink planted(File(), elsewhere);
    ASSERT_EQ(::lchown(File().c_str(), test::kOtherUid, test::kOtherGid), 0);
    CSettingsStore store;
    store.WriteNumber("Palm - Alice", "Sleep Minutes", 5);
    planted.ExpectReplacedByPrivateFile();
}

}  // namespace
}  // namespace tessarin
