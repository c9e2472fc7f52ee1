#pragma once

// The 18 record types and 2 categories that a new database starts with. Their keys are small fixed
// numbers, the same everywhere, so they count as built-in.
#include "store/item_list.h"

namespace tessarin {

// Appends the built-in types in table order, texts from the string table in force now.
void CreateBuiltInTypes(CItemList& types);
// Appends "Business" and "Personal".
void CreateBuiltInCategories(CItemList& categories);

}  // namespace tessarin
