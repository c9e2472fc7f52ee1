// Which files the program may load and obey: those only the user or the system could have put
// there.
#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

#include "base/file_trust.h"
#include "support/other_user.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

namespace fs = std::filesystem;

TEST(FileTrust, OnlyFilesAndFoldersNobodyElseMayWriteAreTrusted) {
    test::CTempDir dir;
    struct Case {
        const char* name;
        fs::perms folder, file;
        bool trusted;
    } cases[] = {
        {"plain", fs::perms(0755), fs::perms(0644), true},
        {"private", fs::perms(0700), fs::perms(0600), true},
        {"file others write", fs::perms(0755), fs::perms(0646), false},
        {"file the group writes", fs::perms(0755), fs::perms(0664), false},
        {"folder others write", fs::perms(0757), fs::perms(0644), false},
        {"sticky shared folder", fs::perms(01777), fs::perms(0644), false},
    };
    for (const Case& c : cases) {
        const fs::path folder = dir / c.name;
        fs::create_directory(folder);
        test::WriteFileBytes(folder / "lib.so", {1});
        fs::permissions(folder / "lib.so", c.file, fs::perm_options::replace);
        fs::permissions(folder, c.folder, fs::perm_options::replace);
        EXPECT_EQ(IsTrustedFile((folder / "lib.so").string()), c.trusted) << c.name;
    }
    EXPECT_FALSE(IsTrustedFile((dir / "missing").string()));
    EXPECT_FALSE(IsTrustedFile(dir.Path().string()));  // a folder is not a file

    // A link in a folder others may write could be swapped for another: not trusted, though its
    // file is; the same link in a safe folder is.
    fs::create_symlink(dir / "plain/lib.so", dir / "folder others write/link.so");
    EXPECT_FALSE(IsTrustedFile((dir / "folder others write/link.so").string()));
    fs::create_symlink(dir / "plain/lib.so", dir / "private/link.so");
    EXPECT_TRUE(IsTrustedFile((dir / "private/link.so").string()));
    fs::create_symlink(dir / "file others write/lib.so", dir / "private/bad.so");
    EXPECT_FALSE(IsTrustedFile((dir / "private/bad.so").string()));
}

TEST(FileTrust, AFileOrFolderOfAnotherUserIsNotTrusted) {
    if (!test::CanRunAsOtherUser())
        GTEST_SKIP() << "needs root to give a file to another user";
    test::CTempDir dir;
    fs::create_directory(dir / "theirs");
    test::WriteFileBytes(dir / "theirs/lib.so", {1});
    test::WriteFileBytes(dir / "lib.so", {1});
    ASSERT_EQ(::chown((dir / "lib.so").c_str(), test::kOtherUid, test::kOtherGid), 0);
    EXPECT_FALSE(IsTrustedFile((dir / "lib.so").string()));
    ASSERT_EQ(::chown((dir / "theirs").c_str(), test::kOtherUid, test::kOtherGid), 0);
    EXPECT_FALSE(IsTrustedFile((dir / "theirs/lib.so").string()));
}

}  // namespace
}  // namespace tessarin
