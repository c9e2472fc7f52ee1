// What the tool says when the system refuses a write: the program's message with its code, and
// beside it what happened, in words.
#include <sys/mount.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cli/cli_fixture.h"

namespace tessarin::cli {
namespace {

namespace fs = std::filesystem;

// A small file system of its own, filled up after the database is written.
class FullDisk : public Cli {
protected:
    void SetUp() override {
        fs::create_directory(mount);
        if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=128k") != 0)
            GTEST_SKIP() << "cannot mount a small file system here (" << std::strerror(errno)
                         << ")";
        mounted = true;
        db = (mount / "TessarinDatabase.tdb").string();
        Make([](CDatabaseObj&) {});
        // Whatever room is left goes to a file of its own.
        std::ofstream filler(mount / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size()))
            ;
    }
    void TearDown() override {
        if (mounted)
            ::umount(mount.c_str());
    }

    fs::path mount = dir / "small";
    bool mounted = false;
};

TEST_F(FullDisk, ASaveSaysTheDiskIsFullBesideTheCode) {
    const auto before = test::ReadFileBytes(db);
    const CRun run =
        Run(With({"import", std::string(TESSARIN_TEST_DATA) + "/imports/records.vex"}));
    EXPECT_EQ(run.code, kExitFailure);
    EXPECT_EQ(run.err,
              "There was an error saving the Tessarin database. (1c)\n"
              "The system reported: the disk that holds " +
                  mount.string() + " is full.\n");
    EXPECT_EQ(test::ReadFileBytes(db), before);

    // The report goes to the same disk: its message names the folder too.
    const std::string pdf = (mount / "list.pdf").string();
    const CRun print = Run(With({"print", "--pdf", pdf}));
    EXPECT_EQ(print.code, kExitFailure);
    EXPECT_EQ(print.err, "The report could not be written to " + pdf + ": the disk that holds " +
                             mount.string() + " is full (error 1c).\n");
}

}  // namespace
}  // namespace tessarin::cli
