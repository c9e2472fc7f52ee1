#pragma once

// The rules of editing one record in the record dialog and in "Customize Record": which texts the
// labels show, what a save copies into the record, what a duplicate starts from, and what an item
// can hold.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "store/database.h"

namespace tessarin {

// Names of types and categories, and field labels, hold at most this many characters.
inline constexpr size_t kMaxNameLength = 31;
// The record dialog's note holds at most this many characters.
inline constexpr size_t kMaxNoteLength = 4096;

// What the record dialog holds for its record while it is open.
struct CRecordEdits {
    ItemKey typeKey;
    // The category chosen; a key that no live category has files the record as unfiled.
    ItemKey categoryKey;
    std::array<std::string, kFieldCount> values;
    // Without the colon the label controls add.
    std::array<std::string, kFieldCount> labels;
    uint16_t mask = 0;
    uint16_t icon = kDefaultIcon;
    std::string note;
};

// The dialog's state for a record: its real values, note, icon, mask, type and category, and its
// labels (custom, else the type's, else the default).
CRecordEdits EditsOf(const CDatabaseObj& database, const CRecord& record);

// The six labels, mask and icon of a type chosen in the dialog (the zero key, or a key no type
// has: "Field 1" to "Field 6", mask 0, icon 24). Values stay as typed.
void TakeType(const CDatabaseObj& database, const ItemKey& typeKey, CRecordEdits& edits);

// Copies the dialog's state into the record: type key, category (the zero key when no live
// category has the chosen key), values (byte for byte), labels through SetCustomLabel, mask, icon
// and note. The record is marked modified when anything changed; whether it did.
bool ApplyRecordEdits(const CDatabaseObj& database, CRecord& record, const CRecordEdits& edits);

// "Customize Fields" from the list: the six labels are stored as they stand (equal to the type's
// or not), and the mask; the record is marked modified.
void ApplyCustomLabels(CRecord& record, const std::array<std::string, kFieldCount>& labels,
                       uint16_t mask);

// A fresh record of the list that copies `original` (values, note, icon, mask, custom labels, type
// and category) but keeps a record number of its own and starts neither modified nor deleted: two
// records of one number would be one record to the sync and to every change notice.
std::unique_ptr<CRecord> DuplicateOf(CItemList& records, const CRecord& original);

// The text of a label control: the label with ":" after it unless it ends in one; none for an
// empty label (the control keeps the text it had).
std::optional<std::string> LabelControlText(std::string_view label);
// A label as "Customize Record" shows it for editing: without one trailing ":".
std::string_view WithoutTrailingColon(std::string_view label);

// Whether the item's packed form stays within kMaxPackedSize, so that it is wholly enciphered and
// covered by its checksum.
bool FitsPacked(const CBaseItem& item);

}  // namespace tessarin
