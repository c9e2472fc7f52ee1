// What the tool writes is the user's alone whatever the umask, and a link planted where it writes
// is replaced, never written through.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "cli/cli_fixture.h"
#include "support/file_modes.h"

namespace tessarin::cli {
namespace {

namespace fs = std::filesystem;
using test::CPlantedLink;
using test::CUmask;
using test::ModeAt;

class CliFiles : public Cli {
protected:
    void SetUp() override {
        Make([](CDatabaseObj& d) {
            test::AddRecord(d, test::AddType(d, "Login"), nullptr, {"bank", "ann", "s3cret"});
        });
    }
    // Every command that writes a file the user names, writing to `out`.
    struct COutput {
        const char* what;
        std::function<std::vector<std::string>(const std::string& out)> args;
    };
    std::vector<COutput> Outputs() {
        return {
            {"CSV export",
             [](const std::string& out) {
                 return std::vector<std::string>{"export", "--format", "csv", out};
             }},
            {"exchange export",
             [](const std::string& out) {
                 return std::vector<std::string>{"export", out};
             }},
            {"backup",
             [](const std::string& out) {
                 return std::vector<std::string>{"backup", out};
             }},
            {"printed report",
             [](const std::string& out) {
                 return std::vector<std::string>{"print", "--pdf", out, "--unmask"};
             }},
        };
    }
    test::CTempDir elsewhere;
};

TEST_F(CliFiles, OutputsArePrivateWhateverTheUmask) {
    const CUmask open(0);
    for (const COutput& output : Outputs()) {
        const fs::path out = dir / (std::string(output.what) + ".out");
        const CRun run = Run(With(output.args(out.string())));
        ASSERT_EQ(run.code, 0) << output.what << ": " << run.err;
        EXPECT_EQ(ModeAt(out), 0600) << output.what;
    }
    // A new database and the folders made for it.
    const fs::path made = dir / "new/folder/TessarinDatabase.tdb";
    ASSERT_EQ(Run({"--db", made.string(), "create"}).code, 0);
    EXPECT_EQ(ModeAt(dir / "new"), 0700);
    EXPECT_EQ(ModeAt(dir / "new/folder"), 0700);
    EXPECT_EQ(ModeAt(made), 0600);
    // The database a restore replaces, kept beside it.
    ASSERT_EQ(Run(With({"backup", (dir / "b.vex").string()})).code, 0);
    ASSERT_EQ(Run(With({"restore", "--yes", (dir / "b.vex").string()})).code, 0);
    EXPECT_EQ(ModeAt(db + ".before-restore"), 0600);
}

TEST_F(CliFiles, ALinkPlantedAtAnOutputIsReplacedAndItsTargetLeftAlone) {
    for (const COutput& output : Outputs()) {
        const fs::path out = dir / (std::string(output.what) + ".out");
        const CPlantedLink planted(out, elsewhere, output.what);
        const CRun run = Run(With(output.args(out.string())));
        ASSERT_EQ(run.code, 0) << output.what << ": " << run.err;
        planted.ExpectReplacedByPrivateFile();
    }
    // A new database: a link that leads nowhere is not followed to make a file where it points.
    const fs::path made = dir / "made.tdb";
    fs::create_symlink(elsewhere / "nowhere.tdb", made);
    ASSERT_EQ(Run({"--db", made.string(), "create"}).code, 0);
    EXPECT_FALSE(fs::exists(elsewhere / "nowhere.tdb"));
    EXPECT_EQ(ModeAt(made), 0600);
    // The copy a restore keeps is never made through a link at its name.
    const CPlantedLink kept(db + ".before-restore", elsewhere, "kept");
    ASSERT_EQ(Run(With({"backup", (dir / "b.vex").string()})).code, 0);
    ASSERT_EQ(Run(With({"restore", "--yes", (dir / "b.vex").string()})).code, 0);
    EXPECT_EQ(test::ReadFileBytes(kept.Victim()), (std::vector<unsigned char>{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(ModeAt(db + ".before-restore-2"), 0600);
}

}  // namespace
}  // namespace tessarin::cli
