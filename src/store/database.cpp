#include "store/database.h"

#include "base/text_case.h"
#include "resources/string_ids.h"
#include "store/core_context.h"

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

CCategoryItem* CDatabaseObj::FindCategoryByName(std::string_view name) const {
    return static_cast<CCategoryItem*>(m_categories.FindByName(name));
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
                                      CNoticeList& notices) {
    const CStringTable& strings = m_context->Strings();
    const std::string& unfiled = strings.Get(str::kUnfiled);
    const std::string_view typeName = columns.empty() ? std::string_view() : columns[0];

    ItemKey typeKey = ZeroKey;
    if (!EqualsNoCase(typeName, unfiled)) {
        CTypeItem* type = FindTypeByName(typeName);
        if (!type) {
            auto created = m_types.CreateItem();
            auto* newType = static_cast<CTypeItem*>(created.get());
            newType->SetName(typeName);
            for (int i = 0; i < kFieldCount; ++i)
                newType->SetValue(i, strings.Get(str::kFieldLabel1 + i));
            newType->m_modified = true;
            type = static_cast<CTypeItem*>(m_types.AddSorted(std::move(created)));
            notices.push_back({kActionAdded, kKindType, type->m_recordNumber});
        }
        typeKey = type->m_key;
        if (icon == 255)
            icon = type->m_icon;
    }

    ItemKey categoryKey = ZeroKey;
    if (!categoryName.empty() && !EqualsNoCase(categoryName, unfiled)) {
        CCategoryItem* category = FindCategoryByName(categoryName);
        if (!category) {
            auto created = m_categories.CreateItem();
            static_cast<CCategoryItem*>(created.get())->SetName(categoryName);
            created->m_modified = true;
            category = static_cast<CCategoryItem*>(m_categories.AddSorted(std::move(created)));
            notices.push_back({kActionAdded, kKindCategory, category->m_recordNumber});
        }
        categoryKey = category->m_key;
    }

    auto created = m_records.CreateItem();
    auto* record = static_cast<CRecord*>(created.get());
    record->m_key = typeKey;
    record->m_categoryKey = categoryKey;
    record->m_maskBits = mask;
    for (int i = 0; i < kFieldCount; ++i)
        record->SetCustomLabelText(i, customLabels[i]);
    record->m_icon = icon;
    for (int i = 0; i < kFieldCount; ++i)
        record->SetValue(i, static_cast<size_t>(i) + 1 < columns.size() ? columns[i + 1] : "");
    std::string note;
    for (size_t c = kFieldCount + 1; c < columns.size(); ++c) {
        if (columns[c].empty())
            continue;
        note += columns[c];
        if (c + 1 < columns.size())
            note += "\r\n";
    }
    record->SetNote(note);
    record->m_modified = true;
    m_records.Add(std::move(created));
    notices.push_back({kActionAdded, kKindRecord, record->m_recordNumber});
    return record;
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
