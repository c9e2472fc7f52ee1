#include "store/database_archive.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "base/bytes.h"
#include "store/builtins.h"
#include "store/core_context.h"
#include "store/item_batches.h"
#include "store/packed_form.h"

namespace tessarin {

namespace {

constexpr uint16_t kSchema = 5;

void ReadColumns(CArchiveReader& in, CColumnLayout& layout) {
    uint8_t bytes[CColumnLayout::kBytes];
    in.ReadBytes(bytes, sizeof bytes);
    layout = CColumnLayout::FromBytes(bytes);
}

void WriteColumns(CArchiveWriter& out, const CColumnLayout& layout) {
    const auto bytes = layout.ToBytes();
    out.WriteBytes(bytes.data(), bytes.size());
}

// The item classes a file may name, and what each is.
struct CClassInfo {
    std::string_view name;
    int kind;  // as the item's Kind()
    bool columns;
};

constexpr CClassInfo kClasses[] = {
    {"CRecord", kKindRecord, false},
    {"CTypeItem", kKindType, true},
    {"CCategoryItem", kKindCategory, false},
    {"CCategory", -1, false},
    {"CBaseItem", -1, false},
};

const CClassInfo& ClassNamed(std::string_view name) {
    for (const CClassInfo& info : kClasses)
        if (info.name == name)
            return info;
    if (name == "CDatabaseObj")
        throw CArchiveError("a list holds a whole database");
    throw CArchiveError("the file names an unknown class");
}

// A new object of a class the file names.
std::unique_ptr<CBaseItem> NewItem(const CClassInfo& info) {
    if (info.kind >= kKindRecord)
        return NewItemOfKind(info.kind);
    if (info.name == "CCategory")
        return std::make_unique<CCategory>();
    return std::make_unique<CBaseItem>();
}

// The same with a record number drawn as for any new item.
std::unique_ptr<CBaseItem> Create(const CClassInfo& info, CCoreContext& context) {
    std::unique_ptr<CBaseItem> item = NewItem(info);
    item->m_recordNumber = context.NewRecordNumber();
    return item;
}

// Which classes each list may hold: records only records, categories only categories; the types
// list also the item classes that older files stored types as.
bool Fits(int listKind, const CClassInfo& info) {
    switch (listKind) {
        case kKindRecord:
            return info.kind == kKindRecord;
        case kKindCategory:
            return info.kind == kKindCategory;
        default:
            return info.kind != kKindRecord;
    }
}

bool IsOldSchema(uint16_t schema) {
    return schema == 1 || schema == 2;
}

// What the file says about an item around its packed form.
struct CItemFrame {
    const CClassInfo* info = nullptr;
    uint16_t schema = 0;
    uint32_t size = 0;
    uint32_t recordNumber = 0;
    bool modified = false;
    bool deleted = false;
    uint16_t reservedWord = 0;
    uint32_t reserved0 = 0;
    uint32_t reserved1 = 0;
};

// Sets what the framing says.
void SetFrame(CBaseItem& item, const CItemFrame& frame) {
    item.m_recordNumber = frame.recordNumber;
    item.m_modified = frame.modified;
    item.m_deleted = frame.deleted;
    item.m_reservedWord = frame.reservedWord;
    item.m_reservedLongs = {frame.reserved0, frame.reserved1};
}

// Reads the item's content from its packed form of the current layout or of item schema 4, and
// takes its checksum from the form's first two bytes.
void Unpack(CBaseItem& item, uint16_t schema, uint8_t* bytes, size_t size,
            const CKeySchedule* key) {
    if (schema == 4)
        item.ReadPackedV4(bytes, size, key);
    else
        item.ReadPacked(bytes, size, key);
    item.m_checksum = size >= 2 ? ReadBE16(bytes) : 0;
}

// The same for item schema 1 and 2, whose items are packed again in the current layout (drawing
// filler) so that the next save writes them like any other; `repacked` may hold `bytes`.
void UnpackOld(CBaseItem& item, uint8_t* bytes, size_t size, const CKeySchedule* key,
               CFillerSource& filler, CPackedBytes& repacked) {
    item.ReadPackedOld(bytes, size, key);
    item.BuildPacked(repacked, key, filler);
    item.m_checksum = repacked.size() >= 2 ? ReadBE16(repacked.data()) : 0;
}

// A batch being loaded: the framing of its items, read on the calling thread, and their packed
// forms still to be deciphered and read. The crew makes the items; those of item schema 1 and 2
// were made and read at once.
struct CLoadBatch : CBatchState {
    struct Entry {
        CItemFrame frame;
        size_t offset;  // of the packed form in `bytes`
        size_t layout;  // a type's column layout in `layouts`
        std::unique_ptr<CBaseItem> item;
    };
    std::vector<Entry> entries;
    std::vector<CColumnLayout> layouts;
    CBatchBytes bytes;

    void Clear() {
        entries.clear();
        layouts.clear();
        bytes.Clear();
    }

    void Unpack(const CKeySchedule* key) {
        for (size_t i = 0; i < entries.size(); ++i) {
            Entry& e = entries[i];
            if (e.item)
                continue;
            try {
                std::unique_ptr<CBaseItem> item = NewItem(*e.frame.info);
                tessarin::Unpack(*item, e.frame.schema, bytes.At(e.offset), e.frame.size, key);
                SetFrame(*item, e.frame);
                if (e.frame.info->columns)
                    static_cast<CTypeItem&>(*item).m_columns = layouts[e.layout];
                e.item = std::move(item);
            } catch (...) {
                Fail(i);
                break;
            }
        }
    }
};

// A batch being saved: items [first, first + count) of the list, with the filler each one's
// packed form gets, drawn in order on the calling thread.
struct CStoreBatch : CBatchState {
    size_t first = 0;
    size_t count = 0;
    CFillerSource fillerBefore;  // the source as it was before this batch drew
    std::vector<CFillerBytes> filler;
    CBatchBytes bytes;
    std::vector<size_t> ends;  // where each packed form ends

    void Pack(const CItemList& list, const CKeySchedule* key) {
        for (size_t i = 0; i < count; ++i) {
            try {
                const CBaseItem& item = *list.At(first + i);
                const size_t size = item.PackedSize();
                PackItem(item, bytes.Extend(size), size, filler[i], key);
                ends.push_back(bytes.Size());
            } catch (...) {
                Fail(i);
                break;
            }
        }
    }
};

struct CLoader {
    CArchiveReader& in;
    CCoreContext& context;
    const CKeySchedule* key;
    const CItemWanted* wanted;
    CPackedBytes packed;

    // An item's framing, its packed form read into the bytes that place(size) gives.
    template <typename Place>
    CItemFrame ReadFrame(int listKind, Place&& place) {
        const CArchiveClass& description = in.ReadObjectStart();
        CItemFrame frame;
        frame.info = &ClassNamed(description.name);
        if (!Fits(listKind, *frame.info))
            throw CArchiveError("a list holds an item of the wrong class");
        frame.schema = description.schema;
        frame.size = in.Read32();
        in.Require(frame.size);
        in.ReadBytes(place(frame.size), frame.size);
        frame.recordNumber = in.Read32();
        frame.modified = in.Read16() != 0;
        frame.deleted = in.Read16() != 0;
        if (IsOldSchema(frame.schema))
            in.Read16();
        frame.reservedWord = in.Read16();
        frame.reserved0 = in.Read32();
        frame.reserved1 = in.Read32();
        return frame;
    }

    // Sets what the framing says; a type's column layout follows in the file.
    void ApplyFrame(CBaseItem& item, const CItemFrame& frame) {
        SetFrame(item, frame);
        if (auto* type = dynamic_cast<CTypeItem*>(&item))
            ReadColumns(in, type->m_columns);
    }

    // The next item of a list, or none when only one item is wanted and this is another.
    std::unique_ptr<CBaseItem> ReadItem(int listKind) {
        const CItemFrame frame = ReadFrame(listKind, [this](uint32_t size) {
            packed.resize(size);
            return packed.data();
        });
        if (wanted && (frame.recordNumber == 0 || frame.recordNumber != wanted->recordNumber ||
                       (wanted->kind != -1 && wanted->kind != listKind))) {
            if (frame.info->columns) {
                uint8_t skipped[CColumnLayout::kBytes];
                in.ReadBytes(skipped, sizeof skipped);
            }
            return nullptr;
        }
        auto item = Create(*frame.info, context);
        if (IsOldSchema(frame.schema))
            UnpackOld(*item, packed.data(), frame.size, key, context.Filler(), packed);
        else
            Unpack(*item, frame.schema, packed.data(), frame.size, key);
        ApplyFrame(*item, frame);
        return item;
    }

    void ReadList(CItemList& list) {
        const uint32_t count = in.ReadCount();
        // Every item takes at least 24 bytes; a count beyond that is damage, not a reason to
        // reserve memory.
        in.Require(uint64_t(count) * 24);
        if (wanted) {
            for (uint32_t i = 0; i < count; ++i)
                if (auto item = ReadItem(list.Kind()))
                    list.Add(std::move(item));
            return;
        }
        list.Reserve(count);
        if (const size_t threads = ItemThreadsFor(count); threads > 1) {
            ReadInBatches(list, count, threads);
            return;
        }
        for (uint32_t i = 0; i < count; ++i)
            list.Add(ReadItem(list.Kind()));
    }

    // As ReadList, the packed forms deciphered and read on the crew's threads: the items are made
    // here as their framing is read, in file order, and go to the list in that order. When the file
    // is damaged, the items before the damage go to the list and the error is thrown, as on one
    // thread.
    void ReadInBatches(CItemList& list, uint32_t count, size_t threads) {
        CWorkCrew crew(threads - 1);
        CBatchRing<CLoadBatch> ring(crew);
        const size_t batchItems = std::max<size_t>(ItemThreads().batchItems, 1);
        // Past this many bytes a batch is handed out before it has all its items.
        constexpr size_t kBatchBytes = size_t(256) << 10;
        using Wait = CBatchRing<CLoadBatch>::Wait;
        auto takeBack = [&](Wait wait) {
            ring.TakeBack(wait, [&list](CLoadBatch& batch) {
                const size_t kept = batch.failure ? batch.failedAt : batch.entries.size();
                for (size_t i = 0; i < kept; ++i)
                    list.Add(std::move(batch.entries[i].item));
                batch.Clear();
                if (batch.failure)
                    std::rethrow_exception(std::exchange(batch.failure, nullptr));
            });
        };
        const CKeySchedule* const schedule = key;
        auto handOut = [&] { ring.HandOut([schedule](CLoadBatch& b) { b.Unpack(schedule); }); };

        CLoadBatch* batch = nullptr;
        try {
            for (uint32_t i = 0; i < count; ++i) {
                while (!batch && !(batch = ring.Free()))
                    takeBack(Wait::ForOldest);
                size_t offset = 0;
                const CItemFrame frame = ReadFrame(list.Kind(), [&](uint32_t size) {
                    offset = batch->bytes.Size();
                    return batch->bytes.Extend(size);
                });
                // The record number is drawn here, in file order, as on one thread; the item
                // takes the file's.
                std::unique_ptr<CBaseItem> item;
                if (IsOldSchema(frame.schema)) {
                    item = Create(*frame.info, context);
                    UnpackOld(*item, batch->bytes.At(offset), frame.size, key, context.Filler(),
                              packed);
                    ApplyFrame(*item, frame);
                } else {
                    context.NewRecordNumber();
                    if (frame.info->columns)
                        ReadColumns(in, batch->layouts.emplace_back());
                }
                batch->entries.push_back(
                    {frame, offset, batch->layouts.size() - 1, std::move(item)});
                if (batch->entries.size() >= batchItems || batch->bytes.Size() >= kBatchBytes) {
                    handOut();
                    batch = nullptr;
                    takeBack(Wait::None);
                }
            }
        } catch (...) {
            // What was read whole before the damage still goes to the list, unless the crew's
            // work failed on an item before it: that failure is the one thrown.
            if (batch && !batch->entries.empty())
                handOut();
            takeBack(Wait::ForAll);
            throw;
        }
        if (batch && !batch->entries.empty())
            handOut();
        takeBack(Wait::ForAll);
    }
};

// Files below version 5 keep types as objects of older classes: each one with a key becomes a
// CTypeItem copied from it, with the default column layout; those without a key are dropped.
// Current files go through the same conversion for any type that is not a CTypeItem, so the list
// only ever holds types, also after a load that failed half way.
void NormaliseTypes(CItemList& types, bool convertAll) {
    CItemList::Storage kept;
    for (auto& item : types.ReleaseAll()) {
        if (!convertAll && dynamic_cast<CTypeItem*>(item.get())) {
            kept.push_back(std::move(item));
        } else if (!item->m_key.IsZero()) {
            auto type = types.CreateItem();
            type->CopyFrom(*item);
            kept.push_back(std::move(type));
        }
    }
    for (auto& type : kept)
        types.Add(std::move(type));
}

// An item's data: framing around its packed form.
void WriteFramed(CArchiveWriter& out, const CBaseItem& item, const uint8_t* packed, size_t size) {
    out.WriteObjectStart(item.ClassName(), kSchema);
    out.Write32(static_cast<uint32_t>(size));
    out.WriteBytes(packed, size);
    out.Write32(item.m_recordNumber);
    out.Write16(item.m_modified ? 1 : 0);
    out.Write16(item.m_deleted ? 1 : 0);
    out.Write16(item.m_reservedWord);
    out.Write32(item.m_reservedLongs[0]);
    out.Write32(item.m_reservedLongs[1]);
    if (const auto* type = dynamic_cast<const CTypeItem*>(&item))
        WriteColumns(out, type->m_columns);
}

// As the one-thread loop of WriteList, the packed forms built and enciphered on the crew's threads.
// The filler is drawn here in item order and the items are written here in that order; after a
// failure the filler source is left as that loop would have left it.
void WriteInBatches(CArchiveWriter& out, const CItemList& list, const CKeySchedule* key,
                    CFillerSource& filler, size_t threads) {
    CWorkCrew crew(threads - 1);
    CBatchRing<CStoreBatch> ring(crew);
    const size_t batchItems = std::max<size_t>(ItemThreads().batchItems, 1);
    using Wait = CBatchRing<CStoreBatch>::Wait;
    auto writeBack = [&](Wait wait) {
        ring.TakeBack(wait, [&](CStoreBatch& batch) {
            const size_t built = batch.failure ? batch.failedAt : batch.count;
            size_t i = 0;
            try {
                for (size_t start = 0; i < built; start = batch.ends[i++])
                    WriteFramed(out, *list.At(batch.first + i), batch.bytes.At(start),
                                batch.ends[i] - start);
                if (batch.failure)
                    std::rethrow_exception(batch.failure);
            } catch (...) {
                // That loop draws an item's filler as it packs it, before writing it.
                filler = batch.fillerBefore;
                for (size_t drawn = 0; drawn < std::min(i + 1, batch.count); ++drawn)
                    DrawFiller(filler);
                throw;
            }
            batch.ends.clear();
            batch.bytes.Clear();
        });
    };
    for (size_t first = 0; first < list.Size();) {
        CStoreBatch* batch;
        while (!(batch = ring.Free()))
            writeBack(Wait::ForOldest);
        batch->first = first;
        batch->count = std::min(batchItems, list.Size() - first);
        batch->fillerBefore = filler;
        batch->filler.resize(batch->count);
        for (CFillerBytes& bytes : batch->filler)
            bytes = DrawFiller(filler);
        batch->ends.reserve(batch->count);
        first += batch->count;
        ring.HandOut([&list, key](CStoreBatch& b) { b.Pack(list, key); });
        writeBack(Wait::None);
    }
    writeBack(Wait::ForAll);
}

void WriteList(CArchiveWriter& out, const CItemList& list, const CKeySchedule* key,
               CFillerSource& filler, CPackedBytes& packed) {
    out.WriteCount(static_cast<uint32_t>(list.Size()));
    if (const size_t threads = ItemThreadsFor(list.Size()); threads > 1) {
        WriteInBatches(out, list, key, filler, threads);
        return;
    }
    for (const auto& item : list.Items()) {
        item->BuildPacked(packed, key, filler);
        WriteFramed(out, *item, packed.data(), packed.size());
    }
}

}  // namespace

void LoadDatabase(CDatabaseObj& database, IByteSource& source, const CKeySchedule* key,
                  const CItemWanted* wanted) {
    CArchiveReader in(source);
    in.ReadBytes(database.m_checkBlock.data(), kCheckBlockSize);
    database.m_reservedLong = in.Read32();
    database.m_version = in.Read16();
    if (database.m_version > kCurrentVersion)
        throw CArchiveError("the file was written by a later version of the program");
    if (database.m_version == kCurrentVersion)
        database.m_handheldName = in.ReadString();
    database.m_reservedWord = static_cast<int16_t>(in.Read16());
    database.m_reservedLongs[0] = in.Read32();
    database.m_reservedLongs[1] = in.Read32();

    CLoader loader{in, database.Context(), key, wanted, {}};
    loader.ReadList(database.m_records);
    const bool old = database.m_version < kCurrentVersion;
    try {
        loader.ReadList(database.m_types);
    } catch (...) {
        NormaliseTypes(database.m_types, old);
        throw;
    }
    NormaliseTypes(database.m_types, old);
    if (old)
        CreateBuiltInCategories(database.m_categories);
    else
        loader.ReadList(database.m_categories);
}

void StoreDatabase(const CDatabaseObj& database, IByteSink& sink, const CKeySchedule* key,
                   CFillerSource& filler) {
    CArchiveWriter out(sink);
    out.WriteBytes(database.m_checkBlock.data(), kCheckBlockSize);
    out.Write32(database.m_reservedLong);
    out.Write16(kCurrentVersion);
    out.WriteString(database.m_handheldName);
    out.Write16(static_cast<uint16_t>(database.m_reservedWord));
    out.Write32(database.m_reservedLongs[0]);
    out.Write32(database.m_reservedLongs[1]);
    CPackedBytes packed;
    WriteList(out, database.m_records, key, filler, packed);
    WriteList(out, database.m_types, key, filler, packed);
    WriteList(out, database.m_categories, key, filler, packed);
    out.Flush();
}

}  // namespace tessarin
