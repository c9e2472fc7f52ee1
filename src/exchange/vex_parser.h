#pragma once

// The row parsers of exchange files. Before the first row each skips lines 1 and 2 when the text
// begins with its own version's magic; line 2 says whether the values are enciphered.
#include <memory>
#include <string_view>

#include "exchange/import_row.h"

namespace tessarin {

std::unique_ptr<IRowParser> MakeVexParser(std::string_view text, const CKeySchedule* key,
                                          bool version2);

}  // namespace tessarin
