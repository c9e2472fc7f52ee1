#pragma once

// The 18 record types and 2 categories that a new database starts with. Their keys are small fixed
// numbers, the same everywhere, so they count as built-in.
#include <memory>
#include <string_view>

#include "store/item_list.h"

namespace tessarin {

// Appends the built-in types in table order, texts from the string table in force now.
void CreateBuiltInTypes(CItemList& types);
// A new type made as the built-in type of that name (as the string table names it now, compared
// without regard to case): its name, labels, icon and masked fields, marked modified, without a
// key (it gets one of its own when added, so that it never shares one with a built-in type that
// was deleted). None when no built-in type has that name.
std::unique_ptr<CBaseItem> NewTypeLikeBuiltIn(CItemList& types, std::string_view name);

// Appends "Business" and "Personal".
void CreateBuiltInCategories(CItemList& categories);

}  // namespace tessarin
