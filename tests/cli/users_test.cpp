#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/cli_fixture.h"
#include "platform/settings_store.h"

namespace tessarin::cli {
namespace {

// The tool with the fake sync platform libraries, as installed beside the program.
class CliWithPlatform : public Cli {
protected:
    CliWithPlatform() {
        config = (dir / "platform.conf").string();
        ::setenv("TESSARIN_PLATFORM_DIR",
                 (std::string(TESSARIN_FAKE_PLATFORM_DIR) + "/full").c_str(), 1);
        ::setenv("TESSARIN_FAKE_PLATFORM", config.c_str(), 1);
    }
    ~CliWithPlatform() override {
        ::unsetenv("TESSARIN_PLATFORM_DIR");
        ::unsetenv("TESSARIN_FAKE_PLATFORM");
    }
    void Configure(const std::string& text) { std::ofstream(config) << text; }

    std::string config;
};

TEST_F(CliWithPlatform, AFailedInitialisationIsReportedWithItsCode) {
    Configure("init_result=26\n");
    CRun run = Run({"users"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err,
              "There was an error initializing the platform manager. Try reinstalling Tessarin "
              "Password Manager. (1a)\n");
}

TEST_F(CliWithPlatform, ThePlatformsUsersEachHaveTheirDatabase) {
    const std::string data = (dir / "data").string();
    Configure(
        "platform_kind=0\nplatform_name=Palm\nuser=Ann|ann|0|Palm|1\nuser=Bob|bob|0|Palm|2\n"
        "active=Bob\nroot_dir2=" +
        data + "/%s\n");
    ASSERT_EQ(Run({"create"}).code, 0);
    EXPECT_TRUE(std::filesystem::exists(data + "/bob/TessarinDatabase.tdb"));
    ASSERT_EQ(Run({"--user", "ann", "create", "--set-password"}, "pw12\npw12\n").code, 0);
    CRun users = Run({"users"});
    EXPECT_EQ(users.out,
              "User\tFolder name\tPlatform kind\tDatabase folder\tPassword\n"
              "  Ann\tann\t0\t" +
                  data +
                  "/ann\tyes\n"
                  "* Bob\tbob\t0\t" +
                  data + "/bob\tno\n");

    // A folder stored for the user that is gone: said, and nothing is created.
    CSettingsStore().WriteText("Palm - bob", "User Directory", dir.Path().string() + "/gone");
    CRun gone = Run({"info"});
    EXPECT_EQ(gone.code, 1);
    EXPECT_EQ(gone.err, "The Tessarin database cannot be found in the following location:\n" +
                            dir.Path().string() + "/gone\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "gone"));
}

TEST_F(CliWithPlatform, LibrariesOthersCouldChangeAreRefusedAndTheStandaloneUserServes) {
    Configure("platform_kind=0\nplatform_name=Palm\nuser=Ann|ann|0|Palm|1\n");
    const std::filesystem::path shared = dir / "shared";
    std::filesystem::create_directory(shared);
    for (const char* name : {"libMGPlatformMgr.so", "libPlatformSync.so"})
        std::filesystem::copy_file(std::string(TESSARIN_FAKE_PLATFORM_DIR) + "/full/" + name,
                                   shared / name);
    std::filesystem::permissions(shared, std::filesystem::perms(0777),
                                 std::filesystem::perm_options::replace);
    ::setenv("TESSARIN_PLATFORM_DIR", shared.c_str(), 1);
    CRun users = Run({"users"});
    EXPECT_EQ(users.code, 0);
    EXPECT_EQ(users.err, "The sync platform library " + (shared / "libMGPlatformMgr.so").string() +
                             " was not loaded: it, or the folder it is in, can be changed by "
                             "someone other than you and the system administrator. Tessarin "
                             "works with the standalone user instead.\n");
    EXPECT_EQ(users.out.rfind("User\tFolder name", 0), 0u);
    EXPECT_NE(users.out.find("* <Standalone>"), std::string::npos) << users.out;
    std::filesystem::permissions(shared, std::filesystem::perms(0700),
                                 std::filesystem::perm_options::replace);
}

}  // namespace
}  // namespace tessarin::cli
