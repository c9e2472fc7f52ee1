#include "store/record_edits.h"

namespace tessarin {

CRecordEdits EditsOf(const CDatabaseObj& database, const CRecord& record) {
    CRecordEdits edits;
    edits.typeKey = record.GetTypeKey();
    edits.categoryKey = record.m_categoryKey;
    for (int i = 0; i < kFieldCount; ++i) {
        edits.values[i] = std::string(record.GetValue(i));
        edits.labels[i] = database.LabelFor(record, i, false);
    }
    edits.mask = record.m_maskBits;
    edits.icon = record.m_icon;
    edits.note = std::string(record.GetNote());
    return edits;
}

void TakeType(const CDatabaseObj& database, const ItemKey& typeKey, CRecordEdits& edits) {
    edits.typeKey = typeKey;
    edits.labels = database.m_types.LabelsOf(typeKey);
    edits.mask = database.m_types.MaskOf(typeKey);
    const CTypeItem* type = typeKey == ZeroKey ? nullptr : database.FindType(typeKey);
    edits.icon = type ? type->m_icon : kDefaultIcon;
}

bool ApplyRecordEdits(const CDatabaseObj& database, CRecord& record, const CRecordEdits& edits) {
    bool changed = false;
    if (edits.typeKey != record.GetTypeKey()) {
        record.SetTypeKey(edits.typeKey);
        changed = true;
    }
    // Two categories may share a name: the one chosen is the one whose entry was picked.
    const CCategoryItem* category = database.FindCategory(edits.categoryKey);
    const ItemKey categoryKey = category && !category->m_deleted ? category->m_key : ZeroKey;
    if (categoryKey != record.m_categoryKey) {
        record.m_categoryKey = categoryKey;
        changed = true;
    }
    for (int i = 0; i < kFieldCount; ++i) {
        if (record.GetValue(i) != edits.values[i]) {
            record.SetValue(i, edits.values[i]);
            changed = true;
        }
    }
    // Labels are compared with what the record shows now, under its (possibly new) type.
    const CTypeItem* type = database.FindType(record.GetTypeKey());
    for (int i = 0; i < kFieldCount; ++i) {
        if (database.LabelFor(record, i, false) != edits.labels[i]) {
            record.SetCustomLabel(i, edits.labels[i], type);
            changed = true;
        }
    }
    if (record.m_maskBits != edits.mask || record.m_icon != edits.icon) {
        record.m_maskBits = edits.mask;
        record.m_icon = edits.icon;
        changed = true;
    }
    if (record.GetNote() != edits.note) {
        record.SetNote(edits.note);
        changed = true;
    }
    if (changed)
        record.m_modified = true;
    return changed;
}

void ApplyCustomLabels(CRecord& record, const std::array<std::string, kFieldCount>& labels,
                       uint16_t mask) {
    for (int i = 0; i < kFieldCount; ++i)
        record.SetCustomLabelText(i, labels[i]);
    record.m_maskBits = mask;
    record.m_modified = true;
}

std::unique_ptr<CRecord> DuplicateOf(CItemList& records, const CRecord& original) {
    std::unique_ptr<CBaseItem> item = records.CreateItem();
    auto* record = static_cast<CRecord*>(item.get());
    const uint32_t ownNumber = record->m_recordNumber;
    record->CopyFrom(original);
    record->m_recordNumber = ownNumber;
    record->m_modified = false;
    record->m_deleted = false;
    record->m_checksum = 0;
    item.release();
    return std::unique_ptr<CRecord>(record);
}

std::optional<std::string> LabelControlText(std::string_view label) {
    if (label.empty())
        return std::nullopt;
    std::string text(label);
    if (text.back() != ':')
        text += ':';
    return text;
}

std::string_view WithoutTrailingColon(std::string_view label) {
    if (!label.empty() && label.back() == ':')
        label.remove_suffix(1);
    return label;
}

bool FitsPacked(const CBaseItem& item) {
    return item.PackedSize() <= kMaxPackedSize;
}

}  // namespace tessarin
