#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "store/icon_file.h"
#include "support/palm_files.h"
#include "support/temp_dir.h"

namespace tessarin {
namespace {

using Bytes = std::vector<uint8_t>;

using test::Concat;

// A 1-bit bitmap one row high and one or two pixels wide.
Bytes TinyBitmap(uint8_t width, uint8_t row) {
    return {0, width, 0, 1, 0, 2, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, row, 0};
}

// A resource database holding three "Tbmp" resources and one "tSTR", in this order:
// Tbmp 300 at 120, tSTR 1 at 138, Tbmp 256 at 142, Tbmp 301 at 160; 178 bytes.
const Bytes kIconFile = Concat({
    test::IconFileHeader(4),
    {'T', 'b', 'm', 'p', 0x01, 0x2C, 0, 0, 0, 120},
    {'t', 'S', 'T', 'R', 0x00, 0x01, 0, 0, 0, 138},
    {'T', 'b', 'm', 'p', 0x01, 0x00, 0, 0, 0, 142},
    {'T', 'b', 'm', 'p', 0x01, 0x2D, 0, 0, 0, 160},
    {0, 0},               // padding
    TinyBitmap(1, 0x80),  // 120
    {'a', 'b', 'c', 0},   // 138
    TinyBitmap(2, 0x40),  // 142
    TinyBitmap(2, 0xC0),  // 160
});

constexpr size_t kFirstEntry = 78;
constexpr size_t kEntrySize = 10;

void SetOffset(Bytes& file, size_t entry, uint32_t offset) {
    WriteBE32(file.data() + kFirstEntry + entry * kEntrySize + 6, offset);
}

std::vector<uint16_t> IdsOf(const CIconList& list) {
    std::vector<uint16_t> ids;
    for (size_t i = 0; i < list.Size(); ++i)
        ids.push_back(list.IconAt(i)->m_resourceId);
    return ids;
}

TEST(IconFile, BitmapResourcesBecomeIconsInFileOrder) {
    CIconList list;
    EXPECT_EQ(list.ReadIconData(kIconFile.data(), kIconFile.size()), EIconFileResult::kRead);
    EXPECT_EQ(IdsOf(list), std::vector<uint16_t>({300, 256, 301}));
    // Each icon holds its resource's bytes, up to the next resource or the end of the file.
    EXPECT_EQ(list.IconAt(0)->m_bytes, Bytes(kIconFile.begin() + 120, kIconFile.begin() + 138));
    EXPECT_EQ(list.IconAt(2)->m_bytes, Bytes(kIconFile.begin() + 160, kIconFile.end()));

    EXPECT_EQ(list.FindIcon(256), list.IconAt(1));
    EXPECT_EQ(list.FindIcon(1), nullptr);  // the tSTR resource is no icon
    EXPECT_EQ(list.IconAt(3), nullptr);
    EXPECT_EQ(list.IndexOfIcon(list.IconAt(2)), 2u);
    const CIconEntry stranger;
    EXPECT_EQ(list.IndexOfIcon(&stranger), 0u);
    EXPECT_EQ(list.IndexOfIcon(nullptr), 0u);

    // With two icons of one id, the first is found.
    Bytes twice = kIconFile;
    WriteBE16(twice.data() + kFirstEntry + 3 * kEntrySize + 4, 300);
    ASSERT_EQ(list.ReadIconData(twice.data(), twice.size()), EIconFileResult::kRead);
    EXPECT_EQ(list.FindIcon(300), list.IconAt(0));
}

TEST(IconFile, DamagedContainersAreRejectedAsAWhole) {
    const struct {
        std::string what;
        std::function<void(Bytes&)> damage;
    } cases[] = {
        {"shorter than 80 bytes", [](Bytes& f) { f.resize(79); }},
        {"a name without its terminating zero",
         [](Bytes& f) { std::fill(f.begin(), f.begin() + 32, 'x'); }},
        {"type zero", [](Bytes& f) { WriteBE32(f.data() + 60, 0); }},
        {"creator zero", [](Bytes& f) { WriteBE32(f.data() + 64, 0); }},
        {"a further entry list", [](Bytes& f) { WriteBE32(f.data() + 72, 200); }},
        {"more entries than the file holds", [](Bytes& f) { WriteBE16(f.data() + 76, 0xFFFF); }},
        {"application info not right after the entries",
         [](Bytes& f) { WriteBE32(f.data() + 52, 122); }},
        {"a resource not after the application info",
         [](Bytes& f) { WriteBE32(f.data() + 52, 120); }},
        {"sort info without application info, not right after the entries",
         [](Bytes& f) { WriteBE32(f.data() + 56, 130); }},
        {"sort info past the end", [](Bytes& f) { WriteBE32(f.data() + 56, 500); }},
        {"sort info before the application info",
         [](Bytes& f) {
             WriteBE32(f.data() + 52, 120);
             WriteBE32(f.data() + 56, 120);
         }},
        {"offsets out of order",
         [](Bytes& f) {
             SetOffset(f, 1, 142);
             SetOffset(f, 2, 138);
         }},
        {"two resources at one offset", [](Bytes& f) { SetOffset(f, 1, 120); }},
        {"an offset at the end of the file", [](Bytes& f) { SetOffset(f, 3, 178); }},
        {"an offset past the end of the file", [](Bytes& f) { SetOffset(f, 3, 0xFFFFFFF0); }},
        {"an offset inside the entry list", [](Bytes& f) { SetOffset(f, 0, 100); }},
        {"a zero offset in a resource database", [](Bytes& f) { SetOffset(f, 0, 0); }},
        {"an empty database with bytes after its header",
         [](Bytes& f) {
             f.resize(81);
             WriteBE16(f.data() + 76, 0);
         }},
    };
    for (const auto& c : cases) {
        Bytes file = kIconFile;
        c.damage(file);
        CIconList list;
        list.ReadIconData(kIconFile.data(), kIconFile.size());
        EXPECT_EQ(list.ReadIconData(file.data(), file.size()), EIconFileResult::kInvalid) << c.what;
        EXPECT_EQ(list.Size(), 0u) << c.what;
    }
}

TEST(IconFile, InfoBlocksAndTheEntryListsPaddingAreAccepted) {
    const struct {
        std::string what;
        std::function<void(Bytes&)> change;
        size_t firstIconSize;
    } cases[] = {
        {"a resource starting in the padding", [](Bytes& f) { SetOffset(f, 0, 118); }, 20},
        {"application info right after the entries",
         [](Bytes& f) {
             WriteBE32(f.data() + 52, 120);
             SetOffset(f, 0, 121);
         },
         17},
        {"sort info right after the entries",
         [](Bytes& f) {
             WriteBE32(f.data() + 56, 120);
             SetOffset(f, 0, 121);
         },
         17},
        {"both info blocks",
         [](Bytes& f) {
             WriteBE32(f.data() + 52, 120);
             WriteBE32(f.data() + 56, 121);
             SetOffset(f, 0, 122);
         },
         16},
    };
    for (const auto& c : cases) {
        Bytes file = kIconFile;
        c.change(file);
        CIconList list;
        EXPECT_EQ(list.ReadIconData(file.data(), file.size()), EIconFileResult::kRead) << c.what;
        ASSERT_EQ(list.Size(), 3u) << c.what;
        EXPECT_EQ(list.IconAt(0)->m_bytes.size(), c.firstIconSize) << c.what;
    }

    // A database without entries is just its header and padding.
    Bytes empty(kIconFile.begin(), kIconFile.begin() + 80);
    WriteBE16(empty.data() + 76, 0);
    CIconList list;
    EXPECT_EQ(list.ReadIconData(empty.data(), empty.size()), EIconFileResult::kRead);
    EXPECT_EQ(list.Size(), 0u);
}

TEST(IconFile, RecordDatabasesHoldNoIcons) {
    // Two 8-byte record entries: one at 96, one being deleted without data.
    Bytes file(kIconFile.begin(), kIconFile.begin() + 76);
    WriteBE16(file.data() + 32, 0);  // a record database
    const Bytes rest = {
        0,   2,                                // entries
        0,   0,   0,   96,  0x40, 0, 0, 1,     // offset 96, attributes, unique id 1
        0,   0,   0,   0,   0x80, 0, 0, 0x80,  // no data: the last byte's top bit is set
        0,   0,                                // padding
        'T', 'b', 'm', 'p',                    // 96: record data
    };
    file.insert(file.end(), rest.begin(), rest.end());
    CIconList list;
    EXPECT_EQ(list.ReadIconData(file.data(), file.size()), EIconFileResult::kRead);
    EXPECT_EQ(list.Size(), 0u);

    file[93] = 0x00;  // the top bit of the attributes alone does not allow a zero offset
    EXPECT_EQ(list.ReadIconData(file.data(), file.size()), EIconFileResult::kInvalid);
}

TEST(IconFile, ReadsTheFileNamedAfterTheHandheldName) {
    test::CTempDir dir;
    const std::string folder = dir.Path().string();
    test::WriteFileBytes(dir / "Ic\xC3\xB4nes.pdb",
                         kIconFile);  // the name as the file system has it
    test::WriteFileBytes(dir / ".pdb", Bytes(kIconFile.begin(), kIconFile.begin() + 120));

    CIconList list;
    EXPECT_EQ(list.ReadIconFile(folder, "Ic\xF4nes"), EIconFileResult::kRead);  // Windows-1252
    EXPECT_EQ(list.Size(), 3u);

    // Every failure leaves the list empty.
    EXPECT_EQ(list.ReadIconFile(folder, "Other"), EIconFileResult::kMissing);
    EXPECT_EQ(list.Size(), 0u);
    list.ReadIconFile(folder, "Ic\xF4nes");
    EXPECT_EQ(list.ReadIconFile(folder, ""), EIconFileResult::kInvalid);  // reads ".pdb"
    EXPECT_EQ(list.Size(), 0u);
    // A name that would leave the folder names no file beside the database.
    std::filesystem::create_directory(dir / "sub");
    test::WriteFileBytes(dir / "sub" / "x.pdb", kIconFile);
    EXPECT_EQ(list.ReadIconFile((dir / "sub").string(), "x"), EIconFileResult::kRead);
    EXPECT_EQ(list.ReadIconFile(folder, "sub/x"), EIconFileResult::kMissing);
    EXPECT_EQ(list.ReadIconFile(folder, std::string("x\0y", 3)), EIconFileResult::kMissing);

    // A file too large for any icon file is not read into memory.
    std::filesystem::resize_file(dir / "Ic\xC3\xB4nes.pdb", kMaxIconFileSize + 1);
    EXPECT_EQ(list.ReadIconFile(folder, "Ic\xF4nes"), EIconFileResult::kReadError);
    EXPECT_EQ(list.Size(), 0u);
}

// Bitmap families: headers of 1-bit bitmaps with room for their rows.
Bytes FamilyBitmap(uint8_t size, uint16_t nextOffset, uint8_t version = 1) {
    const uint8_t rowBytes = static_cast<uint8_t>((size + 15) / 16 * 2);
    const Bytes header = {0,
                          size,
                          0,
                          size,
                          0,
                          rowBytes,
                          0,
                          0,
                          1,
                          version,
                          uint8_t(nextOffset / 4 >> 8),
                          uint8_t(nextOffset / 4),
                          0,
                          0,
                          0,
                          0};
    Bytes bitmap(16 + size_t(rowBytes) * size, 0);
    std::copy(header.begin(), header.end(), bitmap.begin());
    return bitmap;
}

CIconEntry Family(std::initializer_list<Bytes> bitmaps) {
    CIconEntry entry;
    entry.m_bytes = Concat(bitmaps);
    return entry;
}

uint16_t ChosenWidth(const CIconEntry& entry, int width, int height) {
    const std::optional<CFamilyBitmap> chosen = ChooseBitmap(entry, width, height);
    return chosen ? chosen->header.width : 0;
}

TEST(BitmapFamily, TheLastBitmapOfTheChainThatFitsIsChosen) {
    const CIconEntry entry = Family({FamilyBitmap(16, 48), FamilyBitmap(32, 0)});
    EXPECT_EQ(ChosenWidth(entry, 20, 20), 16);
    EXPECT_EQ(ChosenWidth(entry, 40, 40), 32);
    EXPECT_EQ(ChosenWidth(entry, 32, 32), 32);
    EXPECT_EQ(ChosenWidth(entry, 40, 20), 16);
    EXPECT_TRUE(FitsIn(entry, 20, 20));
    // The first bitmap even when nothing fits.
    EXPECT_EQ(ChosenWidth(entry, 10, 10), 16);
    EXPECT_FALSE(FitsIn(entry, 10, 10));
    EXPECT_EQ(ChooseBitmap(entry, 40, 40)->offset, 48u);

    // The walk stops at the first bitmap that does not fit, even if a later one would.
    const CIconEntry unordered =
        Family({FamilyBitmap(16, 48), FamilyBitmap(64, 528), FamilyBitmap(32, 0)});
    EXPECT_EQ(ChosenWidth(unordered, 40, 40), 16);
}

TEST(BitmapFamily, MarkerHeadersAreSkipped) {
    const Bytes marker = {0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 1, 0, 0, 0, 0, 0, 0};
    // A version 3 bitmap: 24-byte header, 32x32 at 16 bits, no next bitmap.
    Bytes high = {0, 32, 0, 32, 0, 64, 0x04, 0, 16, 3, 24, 1, 0, 0, 0, 144, 0, 0, 0, 0, 0, 0, 0, 0};
    high.resize(24 + 64 * 32, 0);
    const CIconEntry entry = Family({marker, FamilyBitmap(16, 48), marker, high});
    const std::vector<CFamilyBitmap> family =
        ListBitmapFamily(entry.m_bytes.data(), entry.m_bytes.size());
    ASSERT_EQ(family.size(), 2u);
    EXPECT_EQ(family[0].offset, 16u);
    EXPECT_EQ(family[1].offset, 80u);
    EXPECT_EQ(family[1].header.version, 3);
    EXPECT_EQ(ChosenWidth(entry, 32, 32), 32);
    EXPECT_EQ(ChosenWidth(entry, 31, 31), 16);
}

TEST(BitmapFamily, VersionThreeCountsItsNextOffsetInBytes) {
    Bytes first = {0, 8, 0, 8, 0, 2, 0, 0, 1, 3, 24, 0, 0, 0, 0, 72, 0, 0, 0, 0, 0, 0, 0, 42};
    first.resize(42, 0);
    const CIconEntry entry = Family({first, FamilyBitmap(16, 0)});
    EXPECT_EQ(ChosenWidth(entry, 16, 16), 16);
    EXPECT_EQ(ChooseBitmap(entry, 16, 16)->offset, 42u);
}

TEST(BitmapFamily, TheWalkStaysInsideTheIconsBytes) {
    // The next offset points past the end, then into the middle of the last header.
    const CIconEntry past = Family({FamilyBitmap(16, 0xFFFC)});
    EXPECT_EQ(ListBitmapFamily(past.m_bytes.data(), past.m_bytes.size()).size(), 1u);
    EXPECT_EQ(ChosenWidth(past, 100, 100), 16);

    CIconEntry cut = Family({FamilyBitmap(16, 48), FamilyBitmap(8, 0)});
    cut.m_bytes.resize(48 + 15);
    EXPECT_EQ(ChosenWidth(cut, 100, 100), 16);

    const CIconEntry tooShort = Family({Bytes{0, 16, 0, 16, 0, 2, 0, 0, 1, 1}});
    EXPECT_FALSE(ChooseBitmap(tooShort, 100, 100));
    EXPECT_FALSE(FitsIn(tooShort, 100, 100));
    EXPECT_FALSE(ChooseBitmap(CIconEntry(), 100, 100));
}

TEST(BitmapFamily, TheChosenBitmapDecodesFromItsOwnBytes) {
    Bytes second = FamilyBitmap(2, 0);  // 2x2, one bit
    second[16] = 0x80;
    second[18] = 0x40;
    const CIconEntry entry = Family({FamilyBitmap(1, 20), Bytes{0, 0}, second});
    const std::optional<CFamilyBitmap> chosen = ChooseBitmap(entry, 2, 2);
    ASSERT_TRUE(chosen);
    const std::optional<CDecodedBitmap> image = DecodeFamilyBitmap(entry, *chosen);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixels, std::vector<uint32_t>({0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000}));
    EXPECT_EQ(TransparentColour(entry, *chosen), std::nullopt);
}

}  // namespace
}  // namespace tessarin
