#pragma once

// One user's whole database: the three item lists and the fields of the file's header.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/change_notice.h"
#include "store/database_merge.h"
#include "store/file_sign.h"
#include "store/item_list.h"

namespace tessarin {

class CCoreContext;
class CNameIndex;

inline constexpr uint16_t kCurrentVersion = 5;
inline constexpr size_t kCheckBlockSize = 40;

// Whether what is in memory stands for the file, which decides what a save may do to the file.
enum class LoadState {
    Fresh,    // a new database, not read from any file
    Loaded,   // read whole, or created where no file was
    Partial,  // reading failed half way: the file is kept beside itself before a save replaces it
    Unread,   // the file exists but was not read (lock not obtained, no access): never saved over
};

class CDatabaseObj {
public:
    explicit CDatabaseObj(CCoreContext& context);
    CDatabaseObj(const CDatabaseObj&) = delete;
    CDatabaseObj& operator=(const CDatabaseObj&) = delete;

    CCoreContext& Context() { return *m_context; }

    // Back to a new, empty database: zero check block, version 5, reserved fields zero, no items.
    void Empty();

    // The list of kind 0 (records), 1 (types) or 2 (categories).
    CItemList& ListOf(int kind);
    // With kind -1: the types, then the categories, then the records.
    CBaseItem* FindItem(int kind, uint32_t recordNumber);
    std::unique_ptr<CBaseItem> TakeItem(int kind, uint32_t recordNumber);

    CTypeItem* FindType(const ItemKey& key) const;
    CTypeItem* FindTypeByName(std::string_view name) const;
    CCategoryItem* FindCategory(const ItemKey& key) const;
    CRecord* RecordAt(size_t index) const { return static_cast<CRecord*>(m_records.At(index)); }
    CTypeItem* TypeAt(size_t index) const { return static_cast<CTypeItem*>(m_types.At(index)); }
    CCategoryItem* CategoryAt(size_t index) const {
        return static_cast<CCategoryItem*>(m_categories.At(index));
    }

    // The record's label of field `index` (custom, else the type's, else the default).
    std::string LabelFor(const CRecord& record, int index, bool addColon) const;

    // Updates every live record of the type: bits of `relabelled` clear the custom label of that
    // field, bits of `changedMask` take the type's mask bit; with `applyIcon` the type's icon.
    void ApplyTypeChange(const CTypeItem& type, uint16_t relabelled, uint16_t changedMask,
                         bool applyIcon);
    // Unfiles the records of the type (or category), then deletes it.
    void DeleteType(CTypeItem* type);
    void DeleteCategory(CCategoryItem* category);
    void ApplyColumnsToAllTypes(const CColumnLayout& layout);

    // Builds one record from a row of text columns: column 0 names the type ("Unfiled" for none),
    // columns 1-6 are the values, columns 7 and up lines of the note. Missing types and categories
    // are created. Every item created adds a notice to `notices`. Types and categories are looked
    // up and filed through the indexes when given (bulk additions), else in the lists.
    // Returns none, and creates nothing, when the record, or a type or category it would create,
    // would pack into more than kMaxPackedSize bytes: such an item could not be wholly enciphered.
    CRecord* AddFromColumns(const std::vector<std::string>& columns, std::string_view categoryName,
                            uint16_t icon, uint16_t mask,
                            const std::array<std::string, kFieldCount>& customLabels,
                            CNoticeList& notices, CNameIndex* typeIndex = nullptr,
                            CNameIndex* categoryIndex = nullptr);

    // Live items of each kind, and records marked deleted.
    size_t CountLive(int kind) const;

    std::array<uint8_t, kCheckBlockSize> m_checkBlock{};
    uint32_t m_reservedLong = 0;
    uint16_t m_version = kCurrentVersion;
    int16_t m_reservedWord = 0;
    std::array<uint32_t, 2> m_reservedLongs{};
    // Base name of the companion icon file; read and written back, never changed here.
    std::string m_handheldName;
    CItemList m_types;
    CItemList m_records;
    CItemList m_categories;
    std::string m_path;
    bool m_saveSuspended = false;
    LoadState m_loadState = LoadState::Fresh;
    // The check block of the file as this object last read or wrote it; none before either. A save
    // finds another one on disk only when the password was changed elsewhere.
    std::optional<std::array<uint8_t, kCheckBlockSize>> m_fileCheckBlock;
    // The file as this object last read or wrote it, and the items it held then, per kind: a save
    // that finds another file there brings in what its writer changed before writing its own.
    CKnownFile m_knownFile;
    std::array<std::vector<CFiledItem>, 3> m_filedItems;
    // Told when such a merge changed what is in memory; none: nobody shows the items.
    IDatabaseObserver* m_observer = nullptr;

private:
    CCoreContext* m_context;
};

}  // namespace tessarin
