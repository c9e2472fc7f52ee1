#include <gtest/gtest.h>

#include "security/password.h"
#include "store/database_key.h"
#include "support/fixtures.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

TEST(CheckBlock, IsTheVerificationTextEncipheredUnderThePassword) {
    // Enciphered independently: the 40-byte text under the 16-byte key "0123456789abcdef".
    const CCheckBlock expected = {0xe0, 0xf5, 0x8e, 0x42, 0x36, 0x94, 0x1d, 0x2e, 0xd2, 0x08,
                                  0x81, 0x51, 0xa4, 0x57, 0x65, 0x9e, 0x7c, 0x12, 0xc8, 0x29,
                                  0x57, 0xdc, 0xa3, 0xf8, 0x66, 0x0d, 0x4c, 0x32, 0xbc, 0xb1,
                                  0x73, 0xc2, 0x1b, 0x39, 0x8e, 0xb3, 0x99, 0xd8, 0xd7, 0xfd};
    EXPECT_EQ(MakeCheckBlock(CSecret("0123456789abcdef")), expected);
    EXPECT_TRUE(IsZero(MakeCheckBlock(CSecret())));
    EXPECT_NE(MakeCheckBlock(CSecret("Secret")), MakeCheckBlock(CSecret("secret")));
}

TEST(CheckBlock, ChecksReadTheFileOnDisk) {
    test::CTempDir dir;
    const std::string path = (dir / "db.tdb").string();
    test::CTestContext context;

    // No file: no password, and only the empty password opens it.
    EXPECT_FALSE(IsPasswordSet(path));
    EXPECT_TRUE(CheckPassword(path, CSecret()));
    EXPECT_FALSE(CheckPassword(path, CSecret("x1")));

    auto write = [&](const CCheckBlock& block, size_t size = 63) {
        std::vector<unsigned char> bytes(size, 0);
        std::copy_n(block.begin(), std::min<size_t>(40, size), bytes.begin());
        test::WriteFileBytes(path, bytes);
    };
    write(MakeCheckBlock(CSecret("old pw")));
    SetDatabaseKey(context, CSecret("old pw"));
    EXPECT_TRUE(IsPasswordSet(path));
    EXPECT_TRUE(CheckPassword(path, CSecret("old pw")));
    EXPECT_FALSE(CheckPassword(path, CSecret()));
    EXPECT_TRUE(CheckCurrentKey(context, path));

    // Another process sets a new password: the held key no longer opens the file.
    write(MakeCheckBlock(CSecret("new pw")));
    EXPECT_FALSE(CheckCurrentKey(context, path));
    EXPECT_NE(context.DatabaseKey(), nullptr);

    // ... or removes it: the held key is dropped.
    write({});
    EXPECT_TRUE(CheckCurrentKey(context, path));
    EXPECT_EQ(context.DatabaseKey(), nullptr);

    // A file shorter than 40 bytes reads with zeros after its end.
    write(MakeCheckBlock(CSecret("old pw")), 10);
    CCheckBlock expected{};
    const CCheckBlock full = MakeCheckBlock(CSecret("old pw"));
    std::copy_n(full.begin(), 10, expected.begin());
    EXPECT_EQ(ReadCheckBlock(path), expected);
}

}  // namespace
}  // namespace tessarin
