#include "store/type_edits.h"

#include "base/text_case.h"
#include "resources/string_ids.h"
#include "store/core_context.h"

namespace tessarin {

namespace {

bool IsUnfiled(const CDatabaseObj& database, std::string_view name) {
    return EqualsNoCase(name, database.m_types.Strings().Get(str::kUnfiled));
}

}  // namespace

int CheckTypeName(const CDatabaseObj& database, std::string_view name, const CTypeItem* editing) {
    if (name.empty())
        return str::kTypeNameMissing;
    if (IsUnfiled(database, name))
        return str::kTypeNameExists;
    const CBaseItem* same = database.m_types.FindByName(name);
    if (same && same != editing)
        return str::kTypeNameExists;
    return 0;
}

int CheckCategoryName(const CDatabaseObj& database, std::string_view name) {
    if (name.empty())
        return str::kTypeNameMissing;
    if (IsUnfiled(database, name))
        return str::kTypeNameExists;
    return 0;
}

CTypeEdits EditsOf(const CTypeItem& type) {
    CTypeEdits edits;
    edits.name = std::string(type.GetName());
    for (int i = 0; i < kFieldCount; ++i)
        edits.labels[i] = std::string(type.GetLabel(i));
    edits.mask = type.m_maskBits;
    edits.icon = type.m_icon;
    return edits;
}

CTypeChange ApplyTypeEdits(CDatabaseObj& database, CTypeItem& type, const CTypeEdits& edits,
                           bool isNew) {
    CTypeChange change;
    if (isNew || type.GetName() != edits.name) {
        type.SetName(edits.name);
        change.renamed = true;
    }
    for (int i = 0; i < kFieldCount; ++i) {
        const uint16_t bit = static_cast<uint16_t>(1u << i);
        if (isNew || type.GetLabel(i) != edits.labels[i]) {
            type.SetValue(i, edits.labels[i]);
            change.relabelled |= bit;
        }
        if (isNew || (type.m_maskBits & bit) != (edits.mask & bit)) {
            type.m_maskBits = static_cast<uint16_t>((type.m_maskBits & ~bit) | (edits.mask & bit));
            change.remasked |= bit;
        }
    }
    if (isNew || type.m_icon != edits.icon) {
        type.m_icon = edits.icon;
        change.newIcon = true;
    }
    if (!isNew && (change.relabelled || change.remasked || change.newIcon))
        database.ApplyTypeChange(type, change.relabelled, change.remasked, change.newIcon);
    if (change.Any())
        type.m_modified = true;
    return change;
}

}  // namespace tessarin
