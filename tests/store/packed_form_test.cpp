#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "security/blowfish.h"
#include "security/password.h"
#include "store/items.h"

namespace tessarin {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Build(const CBaseItem& item, const CKeySchedule* key = nullptr) {
    CFillerSource filler;  // a fresh generator: the filler starts 02 82 8B 78 AE D6 CD
    CPackedBytes out;
    item.BuildPacked(out, key, filler);
    return Bytes(out.begin(), out.end());
}

CRecord SampleRecord() {
    CRecord record;
    record.m_key = {{1, 2, 3, 4, 5, 6, 7, 8}};
    record.m_categoryKey = ItemKey::BuiltIn(51);
    record.m_icon = 21;
    record.m_maskBits = 4;
    record.SetValue(0, "Bank");
    record.SetValue(2, "\xE9t\xE9");
    record.SetNote("a\r\nb");
    return record;
}

TEST(PackedForm, RecordIsTheBigEndianImageWithChecksumAndFiller) {
    const Bytes expected = {
        0x2A, 0xFF,                                                        // checksum
        1,    2,    3,    4,    5,    6,    7,    8,                       // type key
        0,    0,    0,    0,    0,    0,    0,    0x33,                    // category key
        0x00, 0x15, 0x00, 0x04,                                            // icon, mask
        'B',  'a',  'n',  'k',  0,    0,    0xE9, 't',  0xE9, 0, 0, 0, 0,  // six values
        'a',  '\n', 'b',  0,                                               // note without its CR
        0x02, 0x82, 0x8B, 0x78, 0xAE, 0xD6, 0xCD,                          // filler
    };
    EXPECT_EQ(Build(SampleRecord()), expected);
    EXPECT_EQ(SampleRecord().PackedSize(), expected.size());
}

TEST(PackedForm, TypeAndCategoryImages) {
    CTypeItem type;
    type.SetName("abc");
    type.m_key = ItemKey::BuiltIn(18);
    type.m_icon = 21;
    type.m_maskBits = 4;
    const Bytes expectedType = {0x62, 0x5F, 0, 0, 0, 0, 0,    0,    0,    18,   0,    21,   0,
                                4,    0,    0, 0, 0, 0, 0,    0,    0,    'a',  'b',  'c',  0,
                                0,    0,    0, 0, 0, 0, 0x02, 0x82, 0x8B, 0x78, 0xAE, 0xD6, 0xCD};
    EXPECT_EQ(Build(type), expectedType);  // 3 + 30 + 6 = 39 bytes

    CCategoryItem category;
    category.SetName("Work");
    category.m_key = ItemKey::BuiltIn(51);
    const Bytes packed = Build(category);
    ASSERT_EQ(packed.size(), 4u + 30);
    EXPECT_EQ(Bytes(packed.begin() + 2, packed.begin() + 22),
              Bytes({0, 0, 0, 0, 0, 0, 0, 51, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(std::string(packed.begin() + 22, packed.begin() + 27), std::string("Work\0", 5));
}

TEST(PackedForm, SizesFollowTheContent) {
    CRecord empty;
    EXPECT_EQ(empty.PackedSize(), 36u);  // 22 + six NULs + note NUL + 7 filler
    EXPECT_EQ(Build(empty).size(), 36u);

    CRecord labelled;
    labelled.SetCustomLabelText(3, "PIN");
    labelled.SetNote("x\r\ny\r\n");  // CRs are not stored
    EXPECT_EQ(labelled.PackedSize(), 36u + 4 + 6 + 3);
    const Bytes packed = Build(labelled);
    // All six labels follow the note, five of them empty.
    EXPECT_EQ(std::string(packed.begin() + 28, packed.end() - 7),
              std::string("x\ny\n\0\0\0\0PIN\0\0\0", 14));
}

TEST(PackedForm, RecordRoundTripsThroughPackAndUnpack) {
    CRecord record = SampleRecord();
    record.SetValue(5, std::string("\x80\x81\x8D\xFF", 4));
    record.SetCustomLabelText(0, "Bank name");
    record.SetNote("line one\r\n\r\nline three\r\n");
    Bytes packed = Build(record);

    CRecord read;
    read.ReadPacked(packed.data(), packed.size(), nullptr);
    for (int i = 0; i < kFieldCount; ++i) {
        EXPECT_EQ(read.GetValue(i), record.GetValue(i));
        EXPECT_EQ(read.GetCustomLabel(i), record.GetCustomLabel(i));
    }
    EXPECT_EQ(read.GetNote(), record.GetNote());
    EXPECT_EQ(read.m_key, record.m_key);
    EXPECT_EQ(read.m_categoryKey, record.m_categoryKey);
    EXPECT_EQ(read.m_icon, 21);
    EXPECT_EQ(read.m_maskBits, 4);
}

TEST(PackedForm, ALoneCarriageReturnIsLostAndLineFeedsComeBackAsCrLf) {
    CRecord record;
    record.SetNote("a\rb\nc");
    Bytes packed = Build(record);
    CRecord read;
    read.ReadPacked(packed.data(), packed.size(), nullptr);
    EXPECT_EQ(read.GetNote(), "ab\r\nc");
}

TEST(PackedForm, EncipheringCoversWholeBlocksFromByte22AndLeavesTheRestInTheClear) {
    CKeySchedule key;
    ExpandKey(key, reinterpret_cast<const uint8_t*>("secret"), 6);
    CRecord record = SampleRecord();  // 46 bytes: 3 blocks from 22, 0 bytes left over
    record.SetValue(1, "12345");      // 51 bytes: 3 blocks, the last 5 bytes (filler) in the clear
    const Bytes plain = Build(record);
    const Bytes enciphered = Build(record, &key);
    ASSERT_EQ(plain.size(), 51u);
    EXPECT_TRUE(std::equal(plain.begin(), plain.begin() + 22, enciphered.begin()));
    EXPECT_FALSE(std::equal(plain.begin() + 22, plain.begin() + 46, enciphered.begin() + 22));
    EXPECT_TRUE(std::equal(plain.begin() + 46, plain.end(), enciphered.begin() + 46));

    Bytes copy = enciphered;
    CRecord read;
    read.ReadPacked(copy.data(), copy.size(), &key);
    EXPECT_EQ(read.GetValue(1), "12345");
    EXPECT_EQ(read.GetNote(), "a\r\nb");
}

// A damaged or wrongly deciphered form, cut at every length, never makes the reader leave it.
TEST(PackedForm, UnpackingStaysInsideEveryTruncationAndGarbage) {
    CRecord record = SampleRecord();
    record.SetCustomLabelText(2, "label");
    const Bytes full = Build(record);
    CKeySchedule key;
    ExpandKey(key, reinterpret_cast<const uint8_t*>("k"), 1);
    for (size_t n = 0; n <= full.size(); ++n) {
        for (const CKeySchedule* k :
             {static_cast<const CKeySchedule*>(nullptr), static_cast<const CKeySchedule*>(&key)}) {
            auto* cut = new uint8_t[n ? n : 1];  // exactly n bytes, so a sanitizer sees overreads
            std::memcpy(cut, full.data(), n);
            CRecord r;
            r.ReadPacked(cut, n, k);
            std::memcpy(cut, full.data(), n);
            r.ReadPackedOld(cut, n, k);
            std::memcpy(cut, full.data(), n);
            r.ReadPackedV4(cut, n, k);
            CTypeItem t;
            std::memcpy(cut, full.data(), n);
            t.ReadPacked(cut, n, k);
            std::memcpy(cut, full.data(), n);
            t.ReadPackedOld(cut, n, k);
            delete[] cut;
        }
    }
    // No NUL anywhere: the texts end at the end of the buffer.
    Bytes noNul(40, 'x');
    CRecord r;
    r.ReadPacked(noNul.data(), noNul.size(), nullptr);
    EXPECT_EQ(r.GetValue(0), std::string(18, 'x'));
    EXPECT_EQ(r.GetValue(1), "");
}

TEST(PackedForm, OldLayoutOfSchemaOneAndTwo) {
    // Type: key bytes 6-7, icon, an ignored byte, name, six labels; never enciphered.
    Bytes type = {0x00, 0x07, 9, 0xEE, 'M', 'a', 'i', 'l', 0, 'U', 0, 'P', 0, 0, 0, 0, 0};
    CTypeItem t;
    t.m_maskBits = 3;
    t.ReadPackedOld(type.data(), type.size(), nullptr);
    EXPECT_EQ(t.m_key, ItemKey::BuiltIn(7));
    EXPECT_EQ(t.m_icon, 9);
    EXPECT_EQ(t.m_maskBits, 0);
    EXPECT_EQ(t.GetName(), "Mail");
    EXPECT_EQ(t.GetLabel(0), "U");
    EXPECT_EQ(t.GetLabel(1), "P");

    // Record: no name; everything after the first value's NUL is enciphered from an even offset.
    CKeySchedule key;
    ExpandKey(key, reinterpret_cast<const uint8_t*>("pw"), 2);
    // First value "abc": its NUL is at 7, the span starts at 8 (already even).
    Bytes plain = {0x00, 0x12, 5,   0,    'a', 'b', 'c', 0, 'v', '2', 0, 0, 0, 0,
                   0,    'n',  '1', '\n', 'n', '2', 0,   0, 0,   0,   0, 0, 0, 0};
    Bytes record = plain;
    CipherInPlace(key, record.data() + 8, record.size() - 8, true);
    CRecord r;
    r.m_categoryKey = ItemKey::BuiltIn(1);
    r.ReadPackedOld(record.data(), record.size(), &key);
    EXPECT_EQ(r.m_key, ItemKey::BuiltIn(0x12));
    EXPECT_EQ(r.m_icon, 5);
    EXPECT_EQ(r.GetValue(0), "abc");
    EXPECT_EQ(r.GetValue(1), "v2");
    EXPECT_EQ(r.GetNote(), "n1\r\nn2");
    EXPECT_EQ(r.m_categoryKey, ZeroKey);

    // First value "ab": the byte after its NUL is at odd offset 7, so the span starts at 8.
    Bytes odd = {0x00, 0x12, 5, 0, 'a', 'b', 0, 'X', 'v', '2', 0, 0, 0, 0, 0, 0, 0, 0};
    Bytes oddEnciphered = odd;
    CipherInPlace(key, oddEnciphered.data() + 8, 8, true);
    CRecord r2;
    r2.ReadPackedOld(oddEnciphered.data(), oddEnciphered.size(), &key);
    EXPECT_EQ(r2.GetValue(1), "Xv2");
}

TEST(PackedForm, LayoutOfSchemaFourIsEncipheredFromByteSix) {
    CKeySchedule key;
    ExpandKey(key, reinterpret_cast<const uint8_t*>("pw"), 2);
    Bytes plain = {0x00, 0x33, 0, 0, 0xAB, 0xCD, 'H', 'o', 'm', 'e', 0, 0, 0, 0, 0, 0, 0, 0};
    Bytes packed = plain;
    CipherInPlace(key, packed.data() + 6, packed.size() - 6, true);
    CCategoryItem c;
    c.ReadPackedV4(packed.data(), packed.size(), &key);
    EXPECT_EQ(c.m_key, ItemKey::BuiltIn(0x33));
    EXPECT_EQ(c.GetName(), "Home");
    EXPECT_EQ(c.m_checksum, 0xABCD);
}

}  // namespace
}  // namespace tessarin
