#include "store/database.h"

#include "base/text_case.h"
#include "resources/string_ids.h"
#include "store/core_context.h"
#include "store/name_index.h"

namespace tessarin {

CDatabaseObj::CDatabaseObj(CCoreContext& context)
    : m_types(kKindType, context),
      m_records(kKindRecord, context),
      m_categories(kKindCategory, context),
      m_context(&context) {}

void CDatabaseObj::Empty() {
    m_checkBlock.fill(0);
    m_reservedLong = 0;
    m_version = kCurrentVersion;
    m_reservedWord = 0;
    m_reservedLongs = {};
    m_handheldName.clear();
    m_types.Clear();
    m_records.Clear();
    m_categories.Clear();
    m_loadState = LoadState::Fresh;
    m_fileCheckBlock.reset();
    m_knownFile.Forget();
    for (auto& filed : m_filedItems)
        filed.clear();
}

CItemList& CDatabaseObj::ListOf(int kind) {
    switch (kind) {
        case kKindType:
            return m_types;
        case kKindCategory:
            return m_categories;
        default:
            return m_records;
    }
}

CBaseItem* CDatabaseObj::FindItem(int kind, uint32_t recordNumber) {
    if (kind >= kKindRecord && kind <= kKindCategory)
        return ListOf(kind).FindByNumber(recordNumber);
    for (CItemList* list : {&m_types, &m_categories, &m_records})
        if (CBaseItem* item = list->FindByNumber(recordNumber))
            return item;
    return nullptr;
}

std::unique_ptr<CBaseItem> CDatabaseObj::TakeItem(int kind, uint32_t recordNumber) {
    CBaseItem* item = FindItem(kind, recordNumber);
    if (!item)
        return nullptr;
    return ListOf(item->Kind()).Take(item);
}

CTypeItem* CDatabaseObj::FindType(const ItemKey& key) const {
    return static_cast<CTypeItem*>(m_types.FindByKey(key));
}

CTypeItem* CDatabaseObj::FindTypeByName(std::string_view name) const {
    return static_cast<CTypeItem*>(m_types.FindByName(name));
}

CCategoryItem* CDatabaseObj::FindCategory(const ItemKey& key) const {
    return static_cast<CCategoryItem*>(m_categories.FindByKey(key));
}

std::string CDatabaseObj::LabelFor(const CRecord& record, int index, bool addColon) const {
    const int position = index >= 0 && index < kFieldCount ? index : kFieldCount - 1;
    return record.LabelFor(index, FindType(record.m_key),
                           m_context->Strings().Get(str::kFieldLabel1 + position), addColon);
}

void CDatabaseObj::ApplyTypeChange(const CTypeItem& type, uint16_t relabelled, uint16_t changedMask,
                                   bool applyIcon) {
    for (const auto& item : m_records.Items()) {
        auto& record = static_cast<CRecord&>(*item);
        if (!MatchesFilter(record, type.m_key, AnyKey))
            continue;
        for (int i = 0; i < kFieldCount; ++i) {
            if (relabelled >> i & 1)
                record.SetCustomLabelText(i, {});
            if (changedMask >> i & 1)
                record.m_maskBits = static_cast<uint16_t>((record.m_maskBits & ~(1u << i)) |
                                                          (type.m_maskBits & (1u << i)));
        }
        if (applyIcon)
            record.m_icon = type.m_icon;
        record.m_modified = true;
    }
}

void CDatabaseObj::DeleteType(CTypeItem* type) {
    if (!type)
        return;
    for (const auto& item : m_records.Items()) {
        if (item->m_key == type->m_key) {
            item->m_key = ZeroKey;
            item->m_modified = true;
        }
    }
    m_types.Delete(type);
}

void CDatabaseObj::DeleteCategory(CCategoryItem* category) {
    if (!category)
        return;
    for (const auto& item : m_records.Items()) {
        auto& record = static_cast<CRecord&>(*item);
        if (record.m_categoryKey == category->m_key) {
            record.m_categoryKey = ZeroKey;
            record.m_modified = true;
        }
    }
    m_categories.Delete(category);
}

void CDatabaseObj::ApplyColumnsToAllTypes(const CColumnLayout& layout) {
    for (const auto& item : m_types.Items())
        static_cast<CTypeItem&>(*item).m_columns = layout;
}

CRecord* CDatabaseObj::AddFromColumns(const std::vector<std::string>& columns,
                                      std::string_view categoryName, uint16_t icon, uint16_t mask,
                                      const std::array<std::string, kFieldCount>& customLabels,
                                      CNoticeList& notices, CNameIndex* typeIndex,
                                      CNameIndex* categoryIndex) {
    const CStringTable& strings = m_context->Strings();
    const std::string& unfiled = strings.Get(str::kUnfiled);
    const std::string_view typeName = columns.empty() ? std::string_view() : columns[0];

    // The record first, to know its size before anything is created for it.
    auto record = std::make_unique<CRecord>();
    record->m_maskBits = mask;
    std::array<std::string_view, kFieldCount> values;
    std::array<std::string_view, kFieldCount> labels;
    for (size_t i = 0; i < kFieldCount; ++i) {
        values[i] = i + 1 < columns.size() ? std::string_view(columns[i + 1]) : std::string_view();
        labels[i] = customLabels[i];
    }
    std::string note;
    for (size_t c = kFieldCount + 1; c < columns.size(); ++c) {
        if (columns[c].empty())
            continue;
        note += columns[c];
        if (c + 1 < columns.size())
            note += "\r\n";
    }
    record->SetTexts(values, note, labels);
    record->m_modified = true;
    if (record->PackedSize() > kMaxPackedSize)
        return nullptr;

    auto findType = [&](std::string_view name) {
        return static_cast<CTypeItem*>(typeIndex ? typeIndex->FindByName(name)
                                                 : m_types.FindByName(name));
    };
    auto findCategory = [&](std::string_view name) {
        return static_cast<CCategoryItem*>(categoryIndex ? categoryIndex->FindByName(name)
                                                         : m_categories.FindByName(name));
    };

    CTypeItem* type = nullptr;
    std::unique_ptr<CBaseItem> newType;
    if (!EqualsNoCase(typeName, unfiled)) {
        type = findType(typeName);
        if (!type) {
            newType = m_types.CreateItem();
            auto* created = static_cast<CTypeItem*>(newType.get());
            created->SetName(typeName);
            for (int i = 0; i < kFieldCount; ++i)
                created->SetValue(i, strings.Get(str::kFieldLabel1 + i));
            created->m_modified = true;
            if (created->PackedSize() > kMaxPackedSize)
                return nullptr;
        }
    }
    CCategoryItem* category = nullptr;
    std::unique_ptr<CBaseItem> newCategory;
    if (!categoryName.empty() && !EqualsNoCase(categoryName, unfiled)) {
        category = findCategory(categoryName);
        if (!category) {
            newCategory = m_categories.CreateItem();
            static_cast<CCategoryItem*>(newCategory.get())->SetName(categoryName);
            newCategory->m_modified = true;
            if (newCategory->PackedSize() > kMaxPackedSize)
                return nullptr;
        }
    }

    if (newType) {
        type = static_cast<CTypeItem*>(typeIndex ? typeIndex->AddSorted(std::move(newType))
                                                 : m_types.AddSorted(std::move(newType)));
        notices.push_back({kActionAdded, kKindType, type->m_recordNumber});
    }
    if (newCategory) {
        category = static_cast<CCategoryItem*>(
            categoryIndex ? categoryIndex->AddSorted(std::move(newCategory))
                          : m_categories.AddSorted(std::move(newCategory)));
        notices.push_back({kActionAdded, kKindCategory, category->m_recordNumber});
    }
    if (type) {
        record->m_key = type->m_key;
        if (icon == 255)
            icon = type->m_icon;
    }
    if (category)
        record->m_categoryKey = category->m_key;
    record->m_icon = icon;
    // Numbered as the list's CreateItem does, after the type and category it made.
    record->m_recordNumber = m_context->NewRecordNumber();
    auto* added = static_cast<CRecord*>(m_records.Add(std::move(record)));
    notices.push_back({kActionAdded, kKindRecord, added->m_recordNumber});
    return added;
}

size_t CDatabaseObj::CountLive(int kind) const {
    const CItemList& list = kind == kKindType       ? m_types
                            : kind == kKindCategory ? m_categories
                                                    : m_records;
    size_t count = 0;
    for (const auto& item : list.Items())
        count += !item->m_deleted;
    return count;
}

}  // namespace tessarin
