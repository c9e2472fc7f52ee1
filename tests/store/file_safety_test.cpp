// What the core writes to disk is the user's alone: new files 0600 and folders 0700 whatever the
// umask, and a link planted at an output path is neither written through nor lends its mode.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

#include "store/database_lifecycle.h"
#include "store/file_io.h"
#include "support/file_modes.h"
#include "support/fixtures.h"
#include "support/other_user.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;
using test::CPlantedLink;
using test::CUmask;
using test::IsLink;
using test::ModeAt;
using test::ReadFileBytes;

std::vector<unsigned char> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

void Write(const std::string& path, std::string_view text, LinkAtPath links) {
    WriteFileSafely(
        path, [&](IByteSink& sink) { sink.Write(text.data(), text.size()); }, links);
}

TEST(SafeWrite, ANewFileIsPrivateWhateverTheUmaskAndTheUsersOwnFileKeepsItsMode) {
    test::CTempDir dir;
    const CUmask open(0);
    for (LinkAtPath links : {LinkAtPath::Replace, LinkAtPath::FollowOwn}) {
        const std::string path = (dir / "out.csv").string();
        fs::remove(path);
        Write(path, "one", links);
        EXPECT_EQ(ModeAt(path), 0600);
        // A file the user made readable to others on purpose stays so when it is written again.
        fs::permissions(path, fs::perms(0640), fs::perm_options::replace);
        Write(path, "two", links);
        EXPECT_EQ(ModeAt(path), 0640);
        EXPECT_EQ(ReadFileBytes(path), Bytes("two"));
    }
    // Nothing is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

TEST(SafeWrite, TheTemporaryFileIsClosedOnExec) {
    test::CTempDir dir;
    int found = 0;
    WriteFileSafely((dir / "out.vex").string(), [&](IByteSink&) {
        // A program started meanwhile (a browser opened for a link) must not inherit it.
        for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const fs::path target = fs::read_symlink(entry.path(), error);
            if (error || target.parent_path() != dir.Path())
                continue;
            ++found;
            const int fd = std::stoi(entry.path().filename().string());
            EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0) << target;
        }
    });
    EXPECT_EQ(found, 1);
}

TEST(SafeWrite, ALinkAtAnOutputIsReplacedAndWhatItPointsToIsLeftAlone) {
    test::CTempDir dir, elsewhere;
    const CUmask open(0);
    // A link that leads to a file anyone may write, one that leads nowhere, and one through
    // another link.
    const CPlantedLink direct(dir / "a.csv", elsewhere, "a");
    Write((dir / "a.csv").string(), "secret", LinkAtPath::Replace);
    direct.ExpectReplacedByPrivateFile();

    fs::create_symlink(elsewhere / "nothing", dir / "b.csv");
    Write((dir / "b.csv").string(), "secret", LinkAtPath::Replace);
    EXPECT_FALSE(fs::exists(elsewhere / "nothing"));
    EXPECT_EQ(ModeAt(dir / "b.csv"), 0600);

    const CPlantedLink inner(elsewhere / "hop", elsewhere, "c");
    fs::create_symlink(elsewhere / "hop", dir / "c.csv");
    Write((dir / "c.csv").string(), "secret", LinkAtPath::Replace);
    EXPECT_TRUE(IsLink(elsewhere / "hop"));
    EXPECT_EQ(ReadFileBytes(inner.Victim()), Bytes("mine"));
    EXPECT_TRUE(test::IsRegularFile(dir / "c.csv"));
    EXPECT_EQ(ModeAt(dir / "c.csv"), 0600);
}

TEST(SafeWrite, TheUsersOwnLinkToTheUsersOwnFileIsKeptAndItsFileReplaced) {
    test::CTempDir dir, elsewhere;
    const CUmask open(0);
    const fs::path real = elsewhere / "TessarinDatabase.tdb";
    test::WriteFileBytes(real, Bytes("old"));
    fs::permissions(real, fs::perms(0600), fs::perm_options::replace);
    fs::create_symlink(elsewhere / "hop", dir / "TessarinDatabase.tdb");
    fs::create_symlink(real, elsewhere / "hop");
    Write((dir / "TessarinDatabase.tdb").string(), "new", LinkAtPath::FollowOwn);
    EXPECT_TRUE(IsLink(dir / "TessarinDatabase.tdb"));
    EXPECT_TRUE(IsLink(elsewhere / "hop"));
    EXPECT_EQ(ReadFileBytes(real), Bytes("new"));
    EXPECT_EQ(ModeAt(real), 0600);
    // The temporary file was made beside the file it replaced.
    EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere.Path()), fs::directory_iterator()), 2);
}

TEST(SafeWrite, ALinkOrATargetOfSomeoneElseIsNeverFollowed) {
    if (!test::CanRunAsOtherUser())
        GTEST_SKIP() << "needs root to give a link or a file to another user";
    test::CTempDir dir, elsewhere;
    const CUmask open(0);
    {
        // Someone else's link to the user's own file.
        const CPlantedLink link(dir / "a.tdb", elsewhere, "a");
        ::chmod(link.Victim().c_str(), 0600);
        ASSERT_EQ(::lchown((dir / "a.tdb").c_str(), test::kOtherUid, test::kOtherGid), 0);
        Write((dir / "a.tdb").string(), "secret", LinkAtPath::FollowOwn);
        EXPECT_EQ(ReadFileBytes(link.Victim()), Bytes("mine"));
        EXPECT_EQ(ModeAt(dir / "a.tdb"), 0600);
    }
    {
        // The user's own link to someone else's file, which anyone may write.
        const CPlantedLink link(dir / "b.tdb", elsewhere, "b");
        ASSERT_EQ(::chown(link.Victim().c_str(), test::kOtherUid, test::kOtherGid), 0);
        Write((dir / "b.tdb").string(), "secret", LinkAtPath::FollowOwn);
        link.ExpectReplacedByPrivateFile();
    }
    {
        // Someone else's file at the path itself does not lend its mode.
        test::WriteFileBytes(dir / "c.tdb", Bytes("theirs"));
        ::chmod((dir / "c.tdb").c_str(), 0644);
        ASSERT_EQ(::chown((dir / "c.tdb").c_str(), test::kOtherUid, test::kOtherGid), 0);
        Write((dir / "c.tdb").string(), "secret", LinkAtPath::Replace);
        EXPECT_EQ(ModeAt(dir / "c.tdb"), 0600);
    }
}

TEST(SafeWrite, SavingADatabaseKeptElsewhereThroughALinkKeepsTheLink) {
    test::CTempDir dir, elsewhere;
    const CUmask open(0);
    test::CTestContext context;
    test::CFakePlatform platform;
    context.SetPlatform(&platform);
    CDatabaseObj first(context);
    ASSERT_TRUE(Open(first, elsewhere.Path().string()).Ok());
    const fs::path real = DatabasePathIn(elsewhere.Path().string());
    const fs::path link = DatabasePathIn(dir.Path().string());
    fs::create_symlink(real, link);

    CDatabaseObj db(context);
    ASSERT_TRUE(Load(db, link.string()).Ok());
    test::AddRecord(db, db.TypeAt(0), nullptr, {"through the link"});
    ASSERT_TRUE(Save(db).Ok());
    EXPECT_TRUE(IsLink(link));
    EXPECT_EQ(ModeAt(real), 0600);
    CDatabaseObj again(context);
    ASSERT_TRUE(Load(again, real.string()).Ok());
    EXPECT_EQ(again.m_records.Size(), 1u);
}

TEST(SafeCopy, ACopyIsPrivateAndNeverMadeThroughALink) {
    test::CTempDir dir, elsewhere;
    const CUmask open(0);
    const fs::path source = dir / "TessarinDatabase.tdb";
    test::WriteFileBytes(source, Bytes("database"));
    ::chmod(source.c_str(), 0644);
    ASSERT_EQ(CopyFileNoReplace(source.string(), (dir / "kept").string()), 0);
    EXPECT_EQ(ModeAt(dir / "kept"), 0600);
    EXPECT_EQ(ReadFileBytes(dir / "kept"), Bytes("database"));

    const CPlantedLink planted(dir / "kept-2", elsewhere);
    EXPECT_EQ(CopyFileNoReplace(source.string(), (dir / "kept-2").string()), EEXIST);
    EXPECT_EQ(ReadFileBytes(planted.Victim()), Bytes("mine"));
    fs::create_symlink(elsewhere / "nothing", dir / "kept-3");
    EXPECT_EQ(CopyFileNoReplace(source.string(), (dir / "kept-3").string()), EEXIST);
    EXPECT_FALSE(fs::exists(elsewhere / "nothing"));
    EXPECT_EQ(MoveFileNoReplace(source.string(), (dir / "kept-3").string()), EEXIST);
    EXPECT_TRUE(fs::exists(source));
}

TEST(PrivateFolders, MissingFoldersAreMade0700AndExistingOnesAreLeftAlone) {
    test::CTempDir dir;
    const CUmask open(0);
    fs::create_directory(dir / "shared");
    fs::permissions(dir / "shared", fs::perms(0755), fs::perm_options::replace);
    ASSERT_EQ(CreatePrivateFolders((dir / "shared/a/b/c").string()), 0);
    EXPECT_EQ(ModeAt(dir / "shared"), 0755);
    for (const char* made : {"shared/a", "shared/a/b", "shared/a/b/c"})
        EXPECT_EQ(ModeAt(dir / made), 0700) << made;
    EXPECT_EQ(CreatePrivateFolders((dir / "shared/a/b/c").string()), 0);  // already there
    test::WriteFileBytes(dir / "file", Bytes("x"));
    EXPECT_EQ(CreatePrivateFolders((dir / "file/d").string()), ENOTDIR);
}

TEST(PrivateFolders, MakingAFilePrivateNeverFollowsALink) {
    test::CTempDir dir, elsewhere;
    test::WriteFileBytes(dir / "settings.conf", Bytes("x"));
    ::chmod((dir / "settings.conf").c_str(), 0644);
    EXPECT_EQ(MakeFilePrivate((dir / "settings.conf").string()), 0);
    EXPECT_EQ(ModeAt(dir / "settings.conf"), 0600);
    const CPlantedLink planted(dir / "link.conf", elsewhere);
    EXPECT_EQ(MakeFilePrivate((dir / "link.conf").string()), ELOOP);
    EXPECT_EQ(ModeAt(planted.Victim()), 0666);
}

}  // namespace
}  // namespace tessarin
