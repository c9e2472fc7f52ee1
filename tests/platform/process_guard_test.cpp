// Both programs make themselves non-dumpable with no core files before they read anything secret,
// and work under a private file-creation mask that the programs they start do not inherit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/process_guard.h"
#include "support/child_process.h"
#include "support/file_modes.h"
#include "support/other_user.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;
using test::CChild;

TEST(ProcessGuard, GuardingMakesTheProcessNonDumpableWithoutCoresAndPrivate) {
    const mode_t before = ::umask(022);
    CChild child = CChild::Fork([] {
        GuardProcess();
        rlimit core{};
        ::getrlimit(RLIMIT_CORE, &core);
        const mode_t guarded = ::umask(077);
        mode_t started;
        {
            const CStartUmask forAProgram;
            started = ::umask(022);
            ::umask(started);
        }
        const mode_t after = ::umask(077);
        CChild::Tell(std::to_string(::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0)) + " " +
                     std::to_string(core.rlim_cur) + " " + std::to_string(core.rlim_max) + " " +
                     std::to_string(guarded) + " " + std::to_string(StartUmask()) + " " +
                     std::to_string(started) + " " + std::to_string(after));
        return 0;
    });
    ::umask(before);
    // Not dumpable, no core either now or later, mask 077; a program it starts gets 022 back.
    EXPECT_EQ(child.ReadLine(), "0 0 0 63 18 18 63");
    EXPECT_EQ(child.Wait(), 0);
}

// What /proc says of a running process: whether it can be dumped (a non-dumpable process's files
// there belong to root) and its core-file limit.
struct CProcState {
    bool ready = false;  // waiting for its user, with what it makes first made
    bool sleeping = false;
    uid_t procOwner = 0;
    std::string coreLimit;
};

CProcState Inspect(pid_t pid) {
    CProcState state;
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream stat(proc + "/stat");
    std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t paren = all.rfind(')');
    state.sleeping = paren != std::string::npos && all.size() > paren + 2 && all[paren + 2] == 'S';
    struct stat st {};
    if (::stat((proc + "/status").c_str(), &st) == 0)
        state.procOwner = st.st_uid;
    std::ifstream limits(proc + "/limits");
    for (std::string line; std::getline(limits, line);)
        if (line.rfind("Max core file size", 0) == 0) {
            std::istringstream fields(line.substr(18));
            std::string soft, hard;
            fields >> soft >> hard;
            state.coreLimit = soft + " " + hard;
        }
    return state;
}

// Starts a program with a home of its own, under the umask 000 (as another user when the tests
// run as root, since a root process's files in /proc belong to root either way), waits until it
// sits waiting for its user (with `made`, in the home, when one is named) and reads what /proc says
// of it, then lets `finish` end it. Lists in `shared` what it made in the home that is not the
// user's alone.
CProcState StartAndInspect(const std::vector<std::string>& argv, const std::string& made,
                           const std::function<void(CChild&)>& finish,
                           std::vector<std::string>& shared) {
    test::CTempDir home;
    const bool other = test::CanRunAsOtherUser();
    std::vector<std::string> environment;
    const std::pair<const char*, const char*> folders[] = {{"XDG_CONFIG_HOME", "config"},
                                                           {"XDG_DATA_HOME", "data"},
                                                           {"XDG_CACHE_HOME", "cache"},
                                                           {"XDG_RUNTIME_DIR", "runtime"},
                                                           {"XDG_DOCUMENTS_DIR", "Documents"}};
    std::set<fs::path> ours = {home.Path()};
    for (const auto& [variable, sub] : folders) {
        fs::create_directory(home / sub);
        ours.insert(home / sub);
        environment.push_back(std::string(variable) + "=" + (home / sub).string());
    }
    environment.push_back("HOME=" + home.Path().string());
    environment.push_back("QT_QPA_PLATFORM=offscreen");
    for (const fs::path& folder : ours) {
        ::chmod(folder.c_str(), 0700);
        if (other)
            (void)::chown(folder.c_str(), test::kOtherUid, test::kOtherGid);
    }
    std::vector<std::string> args = argv;
    for (std::string& arg : args)
        if (arg == "DB")
            arg = (home / "Documents/new/TessarinDatabase.tdb").string();
    const test::CUmask open(0);
    CChild program = CChild::Start(args, environment, true,
                                   other ? std::optional<uid_t>(test::kOtherUid) : std::nullopt);
    CProcState state;
    // However slow the start: the program is looked at once it waits for its user.
    for (int tries = 0; tries < 600; ++tries) {
        state = Inspect(program.Pid());
        if (state.sleeping && !state.coreLimit.empty() && state.procOwner == 0 &&
            (made.empty() || fs::exists(home / made))) {
            state.ready = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    finish(program);
    for (const auto& entry : fs::recursive_directory_iterator(home.Path())) {
        const int mode = test::ModeAt(entry.path());
        if (!ours.count(entry.path()) && !entry.is_symlink() &&
            mode != (entry.is_directory() ? 0700 : 0600))
            shared.push_back(entry.path().lexically_relative(home.Path()).string() + " " +
                             std::to_string(mode));
    }
    return state;
}

void Kill(CChild& program) {
    program.Kill(SIGKILL);
    program.Wait();
}

TEST(ProcessGuard, TheCommandLineToolCannotBeDumped) {
    // It waits for the new database's password on its standard input; given, the database is
    // made, in folders of its own.
    std::vector<std::string> shared;
    const CProcState state = StartAndInspect(
        {TESSARIN_CLI_PATH, "--db", "DB", "create", "--set-password"}, "",
        [](CChild& program) {
            program.Say("long enough 1");
            program.Say("long enough 1");
            program.CloseInput();
            EXPECT_EQ(program.Wait(), 0);
        },
        shared);
    EXPECT_TRUE(state.ready);
    EXPECT_EQ(state.procOwner, 0u);
    EXPECT_EQ(state.coreLimit, "0 0");
    EXPECT_EQ(shared, std::vector<std::string>{});
}

#ifdef TESSARIN_GUI_PATH
TEST(ProcessGuard, TheWindowCannotBeDumped) {
    // It makes the database, its folders and the settings, shows its first-run pages, offscreen,
    // and waits.
    std::vector<std::string> shared;
    const CProcState state = StartAndInspect(
        {TESSARIN_GUI_PATH}, "Documents/Marrowgate/Tessarin/_Standalone_/TessarinDatabase.tdb",
        Kill, shared);
    EXPECT_TRUE(state.ready);
    EXPECT_EQ(state.procOwner, 0u);
    EXPECT_EQ(state.coreLimit, "0 0");
    EXPECT_EQ(shared, std::vector<std::string>{});
}
#endif

}  // namespace
}  // namespace tessarin
