#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store/archive.h"
#include "store/database_archive.h"
#include "support/fixtures.h"

namespace tessarin {
namespace {

using Bytes = std::vector<uint8_t>;
using test::AddCategory;
using test::AddRecord;
using test::AddType;
using test::CTestContext;
using test::LoadFromBytes;
using test::StoreToBytes;

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

// The database header of a version 5 file without password, name or reserved values.
Bytes EmptyHeader() {
    Bytes header(40, 0);
    const Bytes rest = {0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    header.insert(header.end(), rest.begin(), rest.end());
    return header;
}

TEST(DatabaseArchive, AnEmptyDatabaseIs63Bytes) {
    CTestContext context;
    CDatabaseObj database(context);
    const Bytes expected = Concat({EmptyHeader(), {0, 0, 0, 0, 0, 0}});
    EXPECT_EQ(StoreToBytes(database), expected);
    EXPECT_EQ(expected.size(), 63u);
}

TEST(DatabaseArchive, ObjectsIntroduceTheirClassOnceThenReferToIt) {
    CTestContext context;
    CDatabaseObj database(context);
    for (int i = 0; i < 3; ++i)
        AddRecord(database, nullptr, nullptr, {});
    AddType(database, "T1", 1);
    AddType(database, "T2", 2);
    const Bytes bytes = StoreToBytes(database);

    // Record data: length 36, the packed form, record number, flags, reserved fields.
    const size_t recordData = 4 + 36 + 4 + 2 + 2 + 2 + 4 + 4;
    size_t pos = 57;
    EXPECT_EQ(Bytes(bytes.begin() + pos, bytes.begin() + pos + 2), Bytes({3, 0}));
    pos += 2;
    EXPECT_EQ(Bytes(bytes.begin() + pos, bytes.begin() + pos + 13),
              Concat({{0xFF, 0xFF, 5, 0, 7, 0}, Text("CRecord")}));
    pos += 13 + recordData;
    EXPECT_EQ(Bytes(bytes.begin() + pos, bytes.begin() + pos + 2), Bytes({0x01, 0x80}));
    pos += 2 + recordData;
    EXPECT_EQ(Bytes(bytes.begin() + pos, bytes.begin() + pos + 2), Bytes({0x01, 0x80}));
    pos += 2 + recordData;
    // Class 1 and objects 2-4 are taken: the type class is number 5, its first object 6.
    EXPECT_EQ(Bytes(bytes.begin() + pos, bytes.begin() + pos + 17),
              Concat({{2, 0, 0xFF, 0xFF, 5, 0, 9, 0}, Text("CTypeItem")}));
    pos += 17 + 4 + 38 + 18 + 96;  // "T1" packs to 2 + 30 + 6 bytes
    EXPECT_EQ(Bytes(bytes.begin() + pos, bytes.begin() + pos + 2), Bytes({0x05, 0x80}));
}

TEST(DatabaseArchive, ClassNumbersBeyond0x7FFFTakeTheLongForm) {
    CTestContext context;
    CDatabaseObj database(context);
    for (int i = 0; i < 0x8000; ++i)
        AddRecord(database, nullptr, nullptr, {});
    AddType(database, "A");
    AddType(database, "B");
    const Bytes bytes = StoreToBytes(database);
    // Records: class 1 and objects 2..0x8001, so the type class is 0x8002.
    const Bytes longTag = {0xFF, 0x7F, 0x02, 0x80, 0x00, 0x80};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), longTag.begin(), longTag.end()), bytes.end());
    // The record count still fits 16 bits; the reader follows both forms.
    CDatabaseObj read(context);
    EXPECT_EQ(LoadFromBytes(read, bytes), "");
    EXPECT_EQ(read.m_records.Size(), 0x8000u);
    EXPECT_EQ(read.m_types.Size(), 2u);
}

TEST(DatabaseArchive, StringsAndCountsChooseTheirPrefixByLength) {
    struct Case {
        size_t length;
        Bytes prefix;
    };
    const Case cases[] = {{0, {0}},
                          {254, {254}},
                          {255, {0xFF, 0xFF, 0x00}},
                          {0xFFFD, {0xFF, 0xFD, 0xFF}},
                          {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0, 0}},
                          {70000, {0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}}};
    for (const Case& c : cases) {
        CMemorySink sink;
        CArchiveWriter out(sink);
        const std::string text(c.length, 'q');
        out.WriteString(text);
        out.Flush();
        const Bytes& bytes = sink.Bytes();
        ASSERT_EQ(Bytes(bytes.begin(), bytes.begin() + c.prefix.size()), c.prefix) << c.length;
        CMemorySource source(bytes.data(), bytes.size());
        CArchiveReader in(source);
        EXPECT_EQ(in.ReadString(), text) << c.length;
    }
    for (uint32_t count : {0u, 0xFFFEu, 0xFFFFu, 0x12345u}) {
        CMemorySink sink;
        CArchiveWriter out(sink);
        out.WriteCount(count);
        out.Flush();
        EXPECT_EQ(sink.Bytes().size(), count < 0xFFFF ? 2u : 6u);
        CMemorySource source(sink.Bytes().data(), sink.Bytes().size());
        CArchiveReader in(source);
        EXPECT_EQ(in.ReadCount(), count);
    }
}

TEST(DatabaseArchive, WideStringsAreReadAsWindows1252) {
    // FF FE FF marks 16-bit characters; then the length, then the characters.
    const Bytes bytes = {0xFF, 0xFE, 0xFF, 4, 'a', 0, 0xE9, 0, 0xAC, 0x20, 0x00, 0x04};
    CMemorySource source(bytes.data(), bytes.size());
    CArchiveReader in(source);
    EXPECT_EQ(in.ReadString(), "a\xE9\x80?");
}

TEST(DatabaseArchive, EverythingRoundTrips) {
    CTestContext context;
    CDatabaseObj database(context);
    database.m_reservedLong = 0x01020304;
    database.m_reservedWord = -2;
    database.m_reservedLongs = {5, 6};
    database.m_handheldName = "Palm \xE9";
    CTypeItem* type = AddType(database, "Web", 18);
    type->SetValue(0, "Site");
    type->m_maskBits = 4;
    type->m_columns.entries[3].width = 99;
    type->m_columns.tail = {7, 8};
    CCategoryItem* category = AddCategory(database, "Priv\xE9", 52);
    CRecord* record = AddRecord(database, type, category, {"a,b", "", "\x80\xFF"}, "n\r\nm");
    record->SetCustomLabelText(5, "Own");
    record->m_recordNumber = 77;
    record->m_modified = true;
    record->m_deleted = true;
    record->m_reservedWord = 9;
    record->m_reservedLongs = {10, 11};

    CDatabaseObj read(context);
    ASSERT_EQ(LoadFromBytes(read, StoreToBytes(database)), "");
    EXPECT_EQ(read.m_reservedLong, 0x01020304u);
    EXPECT_EQ(read.m_reservedWord, -2);
    EXPECT_EQ(read.m_reservedLongs, (std::array<uint32_t, 2>{5, 6}));
    EXPECT_EQ(read.m_handheldName, "Palm \xE9");
    ASSERT_EQ(read.m_types.Size(), 1u);
    const CTypeItem* t = read.TypeAt(0);
    EXPECT_EQ(t->GetName(), "Web");
    EXPECT_EQ(t->GetLabel(0), "Site");
    EXPECT_EQ(t->m_columns, type->m_columns);
    ASSERT_EQ(read.m_records.Size(), 1u);
    const CRecord* r = read.RecordAt(0);
    EXPECT_EQ(r->GetValue(0), "a,b");
    EXPECT_EQ(r->GetValue(2), "\x80\xFF");
    EXPECT_EQ(r->GetNote(), "n\r\nm");
    EXPECT_EQ(r->GetCustomLabel(5), "Own");
    EXPECT_EQ(r->m_key, t->m_key);
    EXPECT_EQ(r->m_categoryKey, ItemKey::BuiltIn(52));
    EXPECT_EQ(r->m_recordNumber, 77u);
    EXPECT_TRUE(r->m_modified);
    EXPECT_TRUE(r->m_deleted);
    EXPECT_EQ(r->m_reservedWord, 9);
    EXPECT_EQ(r->m_reservedLongs, (std::array<uint32_t, 2>{10, 11}));
    EXPECT_EQ(read.CategoryAt(0)->GetName(), "Priv\xE9");
}

Bytes SmallDatabase(CTestContext& context) {
    CDatabaseObj database(context);
    CTypeItem* type = AddType(database, "Web", 18);
    CCategoryItem* category = AddCategory(database, "Home");
    AddRecord(database, type, category, {"one", "two"}, "note");
    AddRecord(database, nullptr, nullptr, {"three"});
    return StoreToBytes(database);
}

TEST(DatabaseArchive, EveryTruncationIsAnArchiveError) {
    CTestContext context;
    const Bytes full = SmallDatabase(context);
    for (size_t n = 0; n < full.size(); ++n) {
        CDatabaseObj read(context);
        EXPECT_NE(LoadFromBytes(read, Bytes(full.begin(), full.begin() + n)), "") << n;
        for (const auto& item : read.m_types.Items())  // partial content keeps its invariants
            EXPECT_EQ(item->Kind(), kKindType);
    }
}

TEST(DatabaseArchive, MalformedObjectsAreRefused) {
    const Bytes header = EmptyHeader();
    struct Case {
        const char* what;
        Bytes lists;
    };
    const Bytes recordData(24 - 2, 0);
    const Case cases[] = {
        {"unknown class", Concat({{1, 0, 0xFF, 0xFF, 5, 0, 7, 0}, Text("CThingy"), recordData})},
        {"class name of 64 bytes",
         Concat({{1, 0, 0xFF, 0xFF, 5, 0, 64, 0}, Bytes(64, 'C'), recordData})},
        {"null reference", {1, 0, 0, 0}},
        {"back reference",
         Concat({{2, 0, 0xFF, 0xFF, 5, 0, 7, 0}, Text("CRecord"), recordData, {2, 0}})},
        {"class reference out of range", {1, 0, 0x07, 0x80}},
        {"object number given as a class",
         Concat({{2, 0, 0xFF, 0xFF, 5, 0, 7, 0}, Text("CRecord"), recordData, {0x02, 0x80}})},
        {"a type in the record list",
         Concat({{1, 0, 0xFF, 0xFF, 5, 0, 9, 0}, Text("CTypeItem"), recordData, Bytes(96, 0)})},
        {"a database inside a list",
         Concat({{1, 0, 0xFF, 0xFF, 5, 0, 12, 0}, Text("CDatabaseObj"), Bytes(63, 0)})},
        {"a huge packed length",
         {1, 0, 0xFF, 0xFF, 5, 0, 7, 0, 'C', 'R', 'e', 'c', 'o', 'r', 'd', 0xFF, 0xFF, 0xFF, 0x7F}},
        {"a huge count", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}},
    };
    CTestContext context;
    for (const Case& c : cases) {
        CDatabaseObj read(context);
        EXPECT_NE(LoadFromBytes(read, Concat({header, c.lists, {0, 0, 0, 0}})), "") << c.what;
    }
    Bytes later = SmallDatabase(context);
    later[44] = 6;
    CDatabaseObj read(context);
    EXPECT_NE(LoadFromBytes(read, later), "");
}

// Item data of an older class description: schema, packed form, number, flags (+ extra word for
// schema 1 and 2), reserved fields.
Bytes OldItem(const Bytes& packed, bool extraWord) {
    Bytes out = {uint8_t(packed.size()), 0, 0, 0};
    out.insert(out.end(), packed.begin(), packed.end());
    const Bytes tail = {7, 0, 0, 0, 1, 0, 0, 0};
    out.insert(out.end(), tail.begin(), tail.end());
    if (extraWord)
        out.insert(out.end(), {0xAA, 0xBB});
    out.insert(out.end(), 10, 0);
    return out;
}

TEST(DatabaseArchive, AVersion4FileGetsBuiltInCategoriesAndConvertedTypes) {
    Bytes header(40, 0);
    header.insert(header.end(), {0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    const Bytes oldType = {0x00, 0x09, 4,   0, 'C', 'a', 'r', 0, 'P', 'l',
                           'a',  't',  'e', 0, 0,   0,   0,   0, 0};
    const Bytes zeroKeyType = {0x00, 0x00, 4, 0, 'X', 0, 0, 0, 0, 0, 0, 0};
    const Bytes oldRecord = {0x00, 0x09, 4, 0, 'A', 'B', '1', 0, 0, 0, 0, 0, 0, 'n', 0};
    const Bytes file = Concat({header,
                               {1, 0, 0xFF, 0xFF, 2, 0, 7, 0},
                               Text("CRecord"),
                               OldItem(oldRecord, true),
                               {2, 0, 0xFF, 0xFF, 1, 0, 9, 0},
                               Text("CCategory"),
                               OldItem(oldType, true),
                               {0x03, 0x80},
                               OldItem(zeroKeyType, true)});
    CTestContext context;
    CDatabaseObj read(context);
    ASSERT_EQ(LoadFromBytes(read, file), "");
    EXPECT_EQ(read.m_version, 4);  // the caller upgrades and saves at once
    ASSERT_EQ(read.m_types.Size(), 1u);
    const CTypeItem* type = read.TypeAt(0);
    EXPECT_STREQ(type->ClassName(), "CTypeItem");
    EXPECT_EQ(type->GetName(), "Car");
    EXPECT_EQ(type->GetLabel(0), "Plate");
    EXPECT_EQ(type->m_key, ItemKey::BuiltIn(9));
    EXPECT_EQ(type->m_recordNumber, 7u);
    EXPECT_TRUE(type->m_modified);
    EXPECT_EQ(type->m_columns, CColumnLayout::Default());
    ASSERT_EQ(read.m_categories.Size(), 2u);
    EXPECT_EQ(read.CategoryAt(0)->m_key, ItemKey::BuiltIn(51));
    ASSERT_EQ(read.m_records.Size(), 1u);
    EXPECT_EQ(read.RecordAt(0)->GetValue(0), "AB1");
    EXPECT_EQ(read.RecordAt(0)->GetNote(), "n");

    // Written back, it is a current file that reads the same.
    read.m_version = 5;
    CDatabaseObj again(context);
    ASSERT_EQ(LoadFromBytes(again, StoreToBytes(read)), "");
    EXPECT_EQ(again.TypeAt(0)->GetName(), "Car");
    EXPECT_EQ(again.RecordAt(0)->GetValue(0), "AB1");
    EXPECT_EQ(again.m_categories.Size(), 2u);
}

}  // namespace
}  // namespace tessarin
