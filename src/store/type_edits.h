#pragma once

// The rules of the type and category editors: which names they accept, and what a changed type
// brings to the records of that type.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "store/database.h"

namespace tessarin {

// 0 when "Define Type" may take the name; else the message: str::kTypeNameMissing for an empty
// name, str::kTypeNameExists for "Unfiled" in any case or for the name of another live type
// (compared without case). `editing` is the type being edited, none for a new type: renaming a
// type to its own name in another case is accepted.
int CheckTypeName(const CDatabaseObj& database, std::string_view name, const CTypeItem* editing);

// The same for "Define Category": only empty names and "Unfiled" are refused; two categories may
// share a name.
int CheckCategoryName(const CDatabaseObj& database, std::string_view name);

// What "Define Type" holds for its type.
struct CTypeEdits {
    std::string name;
    std::array<std::string, kFieldCount> labels;
    uint16_t mask = 0;
    uint16_t icon = kDefaultIcon;
};
CTypeEdits EditsOf(const CTypeItem& type);

// What a save of "Define Type" changed.
struct CTypeChange {
    bool renamed = false;
    uint16_t relabelled = 0;  // bit i: label i changed
    uint16_t remasked = 0;    // bit i: mask bit i changed
    bool newIcon = false;
    bool Any() const { return renamed || relabelled || remasked || newIcon; }
};

// Copies the edits into the type. For a new type everything counts as changed. An existing type's
// records are brought in line (ApplyTypeChange) when a label, a mask bit or the icon changed; the
// type is marked modified when anything changed.
CTypeChange ApplyTypeEdits(CDatabaseObj& database, CTypeItem& type, const CTypeEdits& edits,
                           bool isNew);

}  // namespace tessarin
