#pragma once

// Types, categories and records. The database file stores each item as its packed form: the
// big-endian image of its content in the handheld's record layout, built anew at every save and
// read back into the fields at every load.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/random_source.h"
#include "base/secure_memory.h"
#include "store/item_key.h"
#include "store/item_text.h"

namespace tessarin {

class CKeySchedule;

inline constexpr int kFieldCount = 6;
inline constexpr uint16_t kDefaultIcon = 24;
inline constexpr size_t kPackedHeaderSize = 22;
inline constexpr size_t kFillerSize = 7;
// The largest packed form whose checksum and encipherment still cover all of its content (both
// count their length in 16 bits).
inline constexpr size_t kMaxPackedSize = 0xFFFF + kFillerSize;

// A packed form in memory. Before encipherment and after decipherment it holds an item's secrets in
// the clear, so the memory is wiped when it is given back.
using CPackedBytes = std::vector<uint8_t, CWipingAllocator<uint8_t>>;

enum ItemKind : int { kKindRecord = 0, kKindType = 1, kKindCategory = 2 };

// The record list's columns for records of one type: 96 bytes in the file.
struct CColumnEntry {
    uint16_t column = 0;
    uint16_t width = 0;
    uint8_t visible = 0;
    uint8_t flag = 0;
    friend bool operator==(const CColumnEntry&, const CColumnEntry&) = default;
};

struct CColumnLayout {
    static constexpr int kEntries = 15;
    static constexpr uint16_t kMinWidth = 24;

    uint32_t count = 0;
    std::array<CColumnEntry, kEntries> entries{};
    std::array<uint8_t, 2> tail{};

    static constexpr size_t kBytes = 96;

    // A layout without the default table: every entry (index, 50, visible, 0).
    CColumnLayout();
    // The layout a new type gets: ten default columns.
    static CColumnLayout Default();
    friend bool operator==(const CColumnLayout&, const CColumnLayout&) = default;

    // The 96-byte image, little-endian, as the database file and the "Show Columns2" preference
    // store it.
    std::array<uint8_t, kBytes> ToBytes() const;
    static CColumnLayout FromBytes(const uint8_t* bytes);
};

class CBaseItem {
public:
    virtual ~CBaseItem() = default;

    // The runtime class name, as the database file names it.
    virtual const char* ClassName() const { return "CBaseItem"; }
    // -1 for the base; 0 record, 1 type, 2 category.
    virtual int Kind() const { return -1; }

    virtual bool HasIdentity() const { return m_recordNumber != 0; }
    bool IsEmpty() const;
    virtual bool IsBuiltIn() const { return false; }

    // Copies record number, flags, values, mask, key, icon and checksum; the classes
    // below also copy their own fields when `other` is of their class.
    virtual void CopyFrom(const CBaseItem& other);

    std::string_view GetValue(int index) const { return m_text.Get(static_cast<size_t>(index)); }
    void SetValue(int index, std::string_view text);
    virtual std::string_view GetName() const { return {}; }
    virtual std::string_view GetNote() const { return {}; }

    // A hash of everything the file stores of the item except its packed form's filler and
    // checksum: two versions of an item with equal fingerprints are the same item as stored.
    // Never kNoFilePrint.
    virtual uint64_t Fingerprint() const;

    // The packed form.
    virtual size_t PackedSize() const { return kFillerSize; }
    // Writes header and texts (not the filler); returns the position after the last text.
    virtual size_t PackInto(uint8_t* buffer) const;
    // Reads header and texts of the current layout. Never reads outside [buffer, buffer + size).
    virtual void UnpackFrom(const uint8_t* buffer, size_t size);

    // Builds the packed form into `out`: texts, filler, checksum, then, when a key is given,
    // encipherment from byte 22 on.
    void BuildPacked(CPackedBytes& out, const CKeySchedule* key, CFillerSource& filler) const;
    // Reads a packed form of the current layout, deciphering it in place first when a key is given.
    void ReadPacked(uint8_t* packed, size_t size, const CKeySchedule* key);
    // Reads the layout of item schema 1 and 2 (records are deciphered first).
    virtual void ReadPackedOld(uint8_t* packed, size_t size, const CKeySchedule* key);
    // Reads the layout of item schema 4 (deciphered from byte 6 on).
    void ReadPackedV4(uint8_t* packed, size_t size, const CKeySchedule* key);

    uint16_t m_maskBits = 0;
    uint16_t m_icon = kDefaultIcon;
    bool m_modified = false;
    bool m_deleted = false;
    uint16_t m_checksum = 0;
    uint16_t m_reservedWord = 0;
    uint32_t m_recordNumber = 0;
    std::array<uint32_t, 2> m_reservedLongs{};
    ItemKey m_key;
    // The item's fingerprint as the database file held it when this process last read or wrote
    // the file; kNoFilePrint for an item the file did not hold then. Only the file lifecycle sets
    // it, and it is never copied with the item: it is how a save tells this process's own changes
    // from those another writer saved in the meantime.
    static constexpr uint64_t kNoFilePrint = 0;
    uint64_t m_filePrint = kNoFilePrint;

protected:
    explicit CBaseItem(size_t textSlots) : m_text(textSlots) {}
    CBaseItem(const CBaseItem&) = default;
    CBaseItem& operator=(const CBaseItem&) = default;

    // The older layouts: key bytes 6-7, icon, then from `textsAt` the name (types and
    // categories), the six values and the note (records).
    void ReadOldLayout(const uint8_t* packed, size_t size, size_t textsAt);
    // Texts that the older layouts carry beside the values.
    virtual bool HasName() const { return false; }
    virtual void SetNameFromPacked(std::string_view) {}
    virtual bool HasNoteInPacked() const { return false; }
    virtual void SetNoteFromPacked(std::string_view) {}

    // Slots 0-5 hold the values; the classes below add theirs after them.
    CItemText m_text;

public:
    CBaseItem() : CBaseItem(kFieldCount) {}
};

// An item with a name: the base of types and categories. Files of older versions may hold types of
// this very class; they are converted when loaded.
class CCategory : public CBaseItem {
public:
    CCategory() : CBaseItem(kFieldCount + 1) {}
    const char* ClassName() const override { return "CCategory"; }
    bool HasIdentity() const override { return IsBuiltIn() || m_recordNumber != 0; }
    bool IsBuiltIn() const override { return m_key.IsBuiltIn(); }
    void CopyFrom(const CBaseItem& other) override;

    std::string_view GetName() const override { return m_text.Get(kNameSlot); }
    void SetName(std::string_view name) { m_text.Set(kNameSlot, name); }

protected:
    static constexpr size_t kNameSlot = kFieldCount;
    bool HasName() const override { return true; }
    void SetNameFromPacked(std::string_view name) override { SetName(name); }
};

class CCategoryItem : public CCategory {
public:
    const char* ClassName() const override { return "CCategoryItem"; }
    int Kind() const override { return kKindCategory; }
    size_t PackedSize() const override;
    size_t PackInto(uint8_t* buffer) const override;
    void UnpackFrom(const uint8_t* buffer, size_t size) override;
};

// A record type: a name, six field labels (the values), the mask that new records get, an icon,
// and the column layout of the list for its records.
class CTypeItem : public CCategory {
public:
    const char* ClassName() const override { return "CTypeItem"; }
    int Kind() const override { return kKindType; }
    size_t PackedSize() const override;
    size_t PackInto(uint8_t* buffer) const override;
    void UnpackFrom(const uint8_t* buffer, size_t size) override;

    std::string_view GetLabel(int index) const { return GetValue(index); }
    uint64_t Fingerprint() const override;

    CColumnLayout m_columns = CColumnLayout::Default();
};

class CRecord : public CBaseItem {
public:
    CRecord() : CBaseItem(kFieldCount + 1 + kFieldCount) {}
    const char* ClassName() const override { return "CRecord"; }
    int Kind() const override { return kKindRecord; }
    void CopyFrom(const CBaseItem& other) override;
    uint64_t Fingerprint() const override;

    size_t PackedSize() const override;
    size_t PackInto(uint8_t* buffer) const override;
    void UnpackFrom(const uint8_t* buffer, size_t size) override;
    void ReadPackedOld(uint8_t* packed, size_t size, const CKeySchedule* key) override;

    // A record's own key is the key of its type.
    void SetTypeKey(const ItemKey& key) { m_key = key; }
    const ItemKey& GetTypeKey() const { return m_key; }

    // Lines end in CR LF in memory.
    std::string_view GetNote() const override { return m_text.Get(kNoteSlot); }
    void SetNote(std::string_view note) { m_text.Set(kNoteSlot, note); }
    // An empty custom label means that the type's label applies.
    std::string_view GetCustomLabel(int index) const {
        return m_text.Get(kLabelSlot + static_cast<size_t>(index));
    }
    void SetCustomLabelText(int index, std::string_view text);
    int CustomLabelCount() const;
    // The six values, the note and the six custom labels at once: one allocation instead of one
    // per text, for records made in bulk.
    void SetTexts(const std::array<std::string_view, kFieldCount>& values, std::string_view note,
                  const std::array<std::string_view, kFieldCount>& customLabels);

    // Sets the type key, icon and mask from the type (none: zero key, icon 24, mask 0) and clears
    // every custom label.
    void ApplyType(const CTypeItem* type);
    // The label of field `index`: the custom label, else the type's label as stored, else (no type)
    // the default label. With `addColon`, a non-empty label gets a ":" unless it ends in one.
    std::string LabelFor(int index, const CTypeItem* type, std::string_view defaultLabel,
                         bool addColon) const;
    // Stores an empty custom label when `text` equals the type's label, so the record follows later
    // renames of that label.
    void SetCustomLabel(int index, std::string_view text, const CTypeItem* type);
    // "****" in place of a non-empty masked value while masking is on.
    std::string_view DisplayValue(int index, bool masking) const;
    // The six values and the note back to back, to be looked through in one pass; a place found
    // in them belongs to one value or the note when InOneText says so.
    std::string_view ValuesAndNote() const { return m_text.Leading(kNoteSlot + 1); }
    bool InOneText(size_t at, size_t length) const { return m_text.InOneSlot(at, length); }
    void PrefetchTexts() const { m_text.Prefetch(); }

    ItemKey m_categoryKey;

protected:
    static constexpr size_t kNoteSlot = kFieldCount;
    static constexpr size_t kLabelSlot = kFieldCount + 1;
    bool HasNoteInPacked() const override { return true; }
    void SetNoteFromPacked(std::string_view note) override;
};

// A new, empty item of a kind: CRecord, CTypeItem or CCategoryItem (any other kind).
std::unique_ptr<CBaseItem> NewItemOfKind(int kind);

// The texts between the header and the filler of a packed form: a NUL-terminated string at `pos`
// that ends at the buffer's end when its NUL is missing.
std::string_view ReadPackedString(const uint8_t* buffer, size_t size, size_t& pos);

// A note as stored in a packed form: CR characters dropped.
size_t PackedNoteSize(std::string_view note);
// A note read from a packed form: every LF becomes CR LF.
std::string NoteFromPacked(std::string_view packed);

// The item checksum: CRC-16 (initial value 1259) over the first (size - 7) bytes, bytes 0-1 taken
// as zero, the length counted in 16 bits.
uint16_t PackedChecksum(const uint8_t* packed, size_t size);

}  // namespace tessarin
