// Loading and saving with the items' cipher work spread over threads give what one thread gives:
// the same bytes, the same items in the same order, the same error at the same item, and the filler
// source in the same state afterwards.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/work_crew.h"
#include "security/password.h"
#include "store/archive.h"
#include "store/database_archive.h"
#include "store/database_key.h"
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

// One thread is the reference; the others hand batches of a few items to the crew, so that even
// short lists make many batches and the last one is short.
using CThreads = test::CItemThreadsScope;

struct CSetting {
    size_t threads;
    size_t batchItems;
};
constexpr CSetting kSpread[] = {{2, 1}, {2, 3}, {3, 2}, {5, 7}, {4, 256}};

// A context with a key, so that items are enciphered.
class CKeyedContext : public CTestContext {
public:
    explicit CKeyedContext(bool keyed = true) {
        if (keyed)
            SetDatabaseKey(*this, CSecret("threads"));
    }
    // The next bytes the filler source gives: equal sources give equal bytes.
    Bytes NextFiller() {
        Bytes bytes(16);
        for (uint8_t& b : bytes)
            b = Filler().NextByte();
        return bytes;
    }
};

// `records` records of varied content: notes, custom labels, empty and long values, flags.
void Fill(CDatabaseObj& database, size_t records) {
    CTypeItem* web = AddType(database, "Web", 18);
    web->SetValue(0, "Site");
    web->m_columns.entries[2].width = 77;
    AddType(database, "Bank", 19);
    CCategoryItem* home = AddCategory(database, "Home", 51);
    for (size_t i = 0; i < records; ++i) {
        const std::string n = std::to_string(i);
        CRecord* record =
            AddRecord(database, i % 3 ? web : nullptr, i % 2 ? home : nullptr,
                      {"record " + n, n + "@example.com", std::string(i % 40, char('a' + i % 26))},
                      i % 4 ? "" : "line " + n + "\r\nnext");
        if (i % 5 == 0)
            record->SetCustomLabelText(static_cast<int>(i % 6), "Own " + n);
        record->m_recordNumber = static_cast<uint32_t>(1000 + i);
        record->m_modified = i % 7 == 0;
        record->m_reservedLongs = {static_cast<uint32_t>(i), 3};
    }
}

void ExpectSameItems(const CItemList& expected, const CItemList& actual) {
    ASSERT_EQ(expected.Size(), actual.Size());
    for (size_t i = 0; i < expected.Size(); ++i) {
        const CBaseItem& a = *expected.At(i);
        const CBaseItem& b = *actual.At(i);
        SCOPED_TRACE("item " + std::to_string(i));
        EXPECT_STREQ(a.ClassName(), b.ClassName());
        EXPECT_EQ(a.m_recordNumber, b.m_recordNumber);
        EXPECT_EQ(a.m_key, b.m_key);
        EXPECT_EQ(a.m_icon, b.m_icon);
        EXPECT_EQ(a.m_maskBits, b.m_maskBits);
        EXPECT_EQ(a.m_checksum, b.m_checksum);
        EXPECT_EQ(a.m_modified, b.m_modified);
        EXPECT_EQ(a.m_deleted, b.m_deleted);
        EXPECT_EQ(a.m_reservedWord, b.m_reservedWord);
        EXPECT_EQ(a.m_reservedLongs, b.m_reservedLongs);
        EXPECT_EQ(a.GetName(), b.GetName());
        EXPECT_EQ(a.GetNote(), b.GetNote());
        for (int v = 0; v < kFieldCount; ++v)
            EXPECT_EQ(a.GetValue(v), b.GetValue(v));
        if (const auto* ra = dynamic_cast<const CRecord*>(&a)) {
            const auto& rb = dynamic_cast<const CRecord&>(b);
            EXPECT_EQ(ra->m_categoryKey, rb.m_categoryKey);
            for (int v = 0; v < kFieldCount; ++v)
                EXPECT_EQ(ra->GetCustomLabel(v), rb.GetCustomLabel(v));
        }
        if (const auto* ta = dynamic_cast<const CTypeItem*>(&a)) {
            EXPECT_EQ(ta->m_columns, dynamic_cast<const CTypeItem&>(b).m_columns);
        }
    }
}

void ExpectSameDatabase(const CDatabaseObj& expected, const CDatabaseObj& actual) {
    ExpectSameItems(expected.m_records, actual.m_records);
    ExpectSameItems(expected.m_types, actual.m_types);
    ExpectSameItems(expected.m_categories, actual.m_categories);
}

TEST(ArchiveThreads, SavesWriteTheBytesOfOneThreadAndDrawTheSameFiller) {
    for (bool keyed : {true, false}) {
        for (size_t records : {0, 1, 2, 7, 64, 301}) {
            CKeyedContext oneContext(keyed);
            CDatabaseObj one(oneContext);
            Fill(one, records);
            Bytes expected;
            {
                const CThreads threads(1);
                expected = StoreToBytes(one);
            }
            const Bytes fillerAfter = oneContext.NextFiller();
            for (const CSetting& setting : kSpread) {
                SCOPED_TRACE(std::to_string(records) + " records, " +
                             std::to_string(setting.threads) + " threads, batches of " +
                             std::to_string(setting.batchItems) + (keyed ? ", keyed" : ""));
                CKeyedContext context(keyed);
                CDatabaseObj database(context);
                Fill(database, records);
                const CThreads threads(setting.threads, setting.batchItems);
                EXPECT_EQ(StoreToBytes(database), expected);
                EXPECT_EQ(context.NextFiller(), fillerAfter);
            }
        }
    }
}

TEST(ArchiveThreads, LoadsReadTheItemsOfOneThread) {
    for (size_t records : {0, 1, 2, 7, 64, 301}) {
        CKeyedContext context;
        CDatabaseObj source(context);
        Fill(source, records);
        const Bytes file = StoreToBytes(source);
        CDatabaseObj expected(context);
        {
            const CThreads threads(1);
            ASSERT_EQ(LoadFromBytes(expected, file), "");
        }
        ASSERT_EQ(expected.m_records.Size(), records);
        for (const CSetting& setting : kSpread) {
            SCOPED_TRACE(std::to_string(records) + " records, " + std::to_string(setting.threads) +
                         " threads, batches of " + std::to_string(setting.batchItems));
            const CThreads threads(setting.threads, setting.batchItems);
            CDatabaseObj read(context);
            ASSERT_EQ(LoadFromBytes(read, file), "");
            ExpectSameDatabase(expected, read);
        }
    }
}

// A file cut short anywhere, or with a bad object reference in the middle of the records: the same
// error, and the same items read before it.
TEST(ArchiveThreads, DamageInTheMiddleGivesTheErrorAndTheItemsOfOneThread) {
    CKeyedContext context;
    CDatabaseObj source(context);
    Fill(source, 23);
    const Bytes file = StoreToBytes(source);
    std::vector<Bytes> damaged;
    for (size_t n = 0; n < file.size(); n += 7)
        damaged.emplace_back(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
    // Record 12's class reference (0x8001) made to point at a class that does not exist. The
    // records start after the 57-byte header and their count; the first introduces its class.
    size_t at = 57 + 2 + 13 + 22 + source.RecordAt(0)->PackedSize();
    for (size_t i = 1; i < 12; ++i)
        at += 24 + source.RecordAt(i)->PackedSize();
    Bytes badReference = file;
    ASSERT_EQ(Bytes(file.begin() + at, file.begin() + at + 2), Bytes({0x01, 0x80}));
    badReference[at] = 0x07;
    damaged.push_back(badReference);

    for (const Bytes& bytes : damaged) {
        SCOPED_TRACE(std::to_string(bytes.size()) + " bytes");
        CDatabaseObj expected(context);
        std::string error;
        {
            const CThreads threads(1);
            error = LoadFromBytes(expected, bytes);
        }
        ASSERT_NE(error, "");
        for (const CSetting& setting : kSpread) {
            const CThreads threads(setting.threads, setting.batchItems);
            CDatabaseObj read(context);
            EXPECT_EQ(LoadFromBytes(read, bytes), error);
            ExpectSameDatabase(expected, read);
        }
    }
}

// Records stored under the older item schemas: those of schema 1 and 2 are packed again as they are
// read, drawing filler in file order; those of schema 4 are read on the crew's threads.
TEST(ArchiveThreads, OlderItemSchemasReadAsOnOneThread) {
    for (const uint8_t schema : {2, 4}) {
        const bool extraWord = schema == 2;
        Bytes file(40, 0);
        file.insert(file.end(), {0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
        file.insert(file.end(),
                    {11, 0, 0xFF, 0xFF, schema, 0, 7, 0, 'C', 'R', 'e', 'c', 'o', 'r', 'd'});
        for (uint8_t i = 0; i < 11; ++i) {
            if (i > 0)
                file.insert(file.end(), {0x01, 0x80});
            Bytes packed = {0x00, uint8_t(9 + i), 4, 0};
            if (schema == 4)
                packed.insert(packed.end(), {0x12, 0x34});
            packed.insert(packed.end(), {'A', uint8_t('a' + i), 0, 'B', 0, 0, 0, 0, 0, 'n', 0});
            file.insert(file.end(), {uint8_t(packed.size()), 0, 0, 0});
            file.insert(file.end(), packed.begin(), packed.end());
            file.insert(file.end(), {uint8_t(20 + i), 0, 0, 0, 1, 0, 0, 0});
            if (extraWord)
                file.insert(file.end(), {0xAA, 0xBB});
            file.insert(file.end(), 10, 0);
        }
        file.insert(file.end(), {0, 0, 0, 0});

        CTestContext oneContext;
        CDatabaseObj expected(oneContext);
        {
            const CThreads threads(1);
            ASSERT_EQ(LoadFromBytes(expected, file), "");
        }
        ASSERT_EQ(expected.m_records.Size(), 11u);
        EXPECT_EQ(expected.RecordAt(10)->GetValue(0), "Ak");
        for (const CSetting& setting : kSpread) {
            SCOPED_TRACE("schema " + std::to_string(schema) + ", " +
                         std::to_string(setting.threads) + " threads");
            CTestContext context;
            CDatabaseObj read(context);
            const CThreads threads(setting.threads, setting.batchItems);
            ASSERT_EQ(LoadFromBytes(read, file), "");
            ExpectSameDatabase(expected, read);
            // Whatever the repacking drew, the next save draws on from the same state.
            CTestContext sameContext;
            CDatabaseObj again(sameContext);
            {
                const CThreads one(1);
                LoadFromBytes(again, file);
            }
            EXPECT_EQ(StoreToBytes(read), StoreToBytes(again));
        }
    }
}

// A sink that fails once it has taken `limit` bytes.
class CFailingSink : public IByteSink {
public:
    explicit CFailingSink(size_t limit) : m_limit(limit) {}
    void Write(const void*, size_t size) override {
        if (m_taken + size > m_limit)
            throw std::runtime_error("the disk is full");
        m_taken += size;
    }

private:
    size_t m_limit;
    size_t m_taken = 0;
};

// A save that fails half way leaves the filler source where one thread leaves it, so the next save
// writes the same bytes.
TEST(ArchiveThreads, AFailedSaveLeavesTheFillerAsOneThreadDoes) {
    for (const size_t limit : {size_t(0), size_t(64) << 10, size_t(128) << 10}) {
        CKeyedContext oneContext;
        CDatabaseObj one(oneContext);
        Fill(one, 2000);
        {
            const CThreads threads(1);
            CFailingSink sink(limit);
            EXPECT_THROW(StoreDatabase(one, sink, oneContext.DatabaseKey(), oneContext.Filler()),
                         std::runtime_error);
        }
        const Bytes fillerAfter = oneContext.NextFiller();
        for (const CSetting& setting : kSpread) {
            SCOPED_TRACE(std::to_string(limit) + " bytes, " + std::to_string(setting.threads) +
                         " threads, batches of " + std::to_string(setting.batchItems));
            CKeyedContext context;
            CDatabaseObj database(context);
            Fill(database, 2000);
            const CThreads threads(setting.threads, setting.batchItems);
            CFailingSink sink(limit);
            EXPECT_THROW(StoreDatabase(database, sink, context.DatabaseKey(), context.Filler()),
                         std::runtime_error);
            EXPECT_EQ(context.NextFiller(), fillerAfter);
        }
    }
}

TEST(WorkCrew, RunsEveryPieceOnceWhateverTheNumberOfHelpers) {
    for (size_t helpers : {0, 1, 3}) {
        std::atomic<int> runs[100] = {};
        {
            CWorkCrew crew(helpers);
            for (auto& r : runs)
                crew.Post([&r] { ++r; });
            std::atomic<int>& last = runs[99];
            crew.RunUntil([&last] { return last.load() > 0; });
            EXPECT_EQ(last.load(), 1);
            crew.Wait();
            for (auto& r : runs)
                EXPECT_EQ(r.load(), 1) << helpers << " helpers";
            // Handed out after a wait, and left for the destructor to wait for.
            for (auto& r : runs)
                crew.Post([&r] { ++r; });
        }
        for (auto& r : runs)
            EXPECT_EQ(r.load(), 2) << helpers << " helpers";
    }
}

}  // namespace
}  // namespace tessarin
