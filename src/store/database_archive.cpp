#include "store/database_archive.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "store/builtins.h"
#include "store/core_context.h"

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

// An object of a class the file names, with a record number drawn as for any new item.
std::unique_ptr<CBaseItem> Create(const CClassInfo& info, CCoreContext& context) {
    std::unique_ptr<CBaseItem> item;
    if (info.kind >= kKindRecord)
        item = NewItemOfKind(info.kind);
    else if (info.name == "CCategory")
        item = std::make_unique<CCategory>();
    else
        item = std::make_unique<CBaseItem>();
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

struct CLoader {
    CArchiveReader& in;
    CCoreContext& context;
    const CKeySchedule* key;
    const CItemWanted* wanted;
    CPackedBytes packed;

    // The next item of a list, or none when only one item is wanted and this is another.
    std::unique_ptr<CBaseItem> ReadItem(int listKind) {
        const CArchiveClass& description = in.ReadObjectStart();
        const CClassInfo& info = ClassNamed(description.name);
        if (!Fits(listKind, info))
            throw CArchiveError("a list holds an item of the wrong class");
        const uint16_t schema = description.schema;
        const bool old = schema == 1 || schema == 2;

        const uint32_t size = in.Read32();
        in.Require(size);
        packed.resize(size);
        in.ReadBytes(packed.data(), size);
        const uint32_t recordNumber = in.Read32();
        const bool modified = in.Read16() != 0;
        const bool deleted = in.Read16() != 0;
        if (old)
            in.Read16();
        const uint16_t reservedWord = in.Read16();
        const uint32_t reserved0 = in.Read32();
        const uint32_t reserved1 = in.Read32();

        if (wanted && (recordNumber == 0 || recordNumber != wanted->recordNumber ||
                       (wanted->kind != -1 && wanted->kind != listKind))) {
            if (info.columns) {
                uint8_t skipped[CColumnLayout::kBytes];
                in.ReadBytes(skipped, sizeof skipped);
            }
            return nullptr;
        }

        auto item = Create(info, context);
        if (old)
            item->ReadPackedOld(packed.data(), size, key);
        else if (schema == 4)
            item->ReadPackedV4(packed.data(), size, key);
        else
            item->ReadPacked(packed.data(), size, key);
        item->m_recordNumber = recordNumber;
        item->m_modified = modified;
        item->m_deleted = deleted;
        if (old) {
            // Older layouts are packed again in the current one, so the next save writes them like
            // any other item.
            item->BuildPacked(packed, key, context.Filler());
        }
        item->m_checksum = packed.size() >= 2 ? ReadBE16(packed.data()) : 0;
        item->m_reservedWord = reservedWord;
        item->m_reservedLongs = {reserved0, reserved1};
        if (auto* type = dynamic_cast<CTypeItem*>(item.get()))
            ReadColumns(in, type->m_columns);
        return item;
    }

    void ReadList(CItemList& list) {
        const uint32_t count = in.ReadCount();
        // Every item takes at least 24 bytes; a count beyond that is damage, not a reason to
        // reserve memory.
        in.Require(uint64_t(count) * 24);
        if (!wanted)
            list.Reserve(count);
        for (uint32_t i = 0; i < count; ++i)
            if (auto item = ReadItem(list.Kind()))
                list.Add(std::move(item));
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

void WriteItem(CArchiveWriter& out, const CBaseItem& item, const CKeySchedule* key,
               CFillerSource& filler, CPackedBytes& packed) {
    out.WriteObjectStart(item.ClassName(), kSchema);
    item.BuildPacked(packed, key, filler);
    out.Write32(static_cast<uint32_t>(packed.size()));
    out.WriteBytes(packed.data(), packed.size());
    out.Write32(item.m_recordNumber);
    out.Write16(item.m_modified ? 1 : 0);
    out.Write16(item.m_deleted ? 1 : 0);
    out.Write16(item.m_reservedWord);
    out.Write32(item.m_reservedLongs[0]);
    out.Write32(item.m_reservedLongs[1]);
    if (const auto* type = dynamic_cast<const CTypeItem*>(&item))
        WriteColumns(out, type->m_columns);
}

void WriteList(CArchiveWriter& out, const CItemList& list, const CKeySchedule* key,
               CFillerSource& filler, CPackedBytes& packed) {
    out.WriteCount(static_cast<uint32_t>(list.Size()));
    for (const auto& item : list.Items())
        WriteItem(out, *item, key, filler, packed);
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
