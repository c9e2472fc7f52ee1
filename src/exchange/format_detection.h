#pragma once

// Which format an import file is in, from its first bytes.
#include <cstddef>
#include <string_view>

#include "exchange/import_row.h"

namespace tessarin {

// First, a file whose first line is the documented first line of another password manager's export
// (after a byte-order mark), or that opens as Bitwarden's JSON export does, is that export. Else
// looks at the first 512 bytes: a control character other than tab, line ends, form feed and 0x1D
// makes it not text; then the magics of exchange files (1.0, 2.0 or a later version), this
// program's CSV, Cryptinfo, Yaps and MobileSafe, in that order; any other text is plain CSV.
ExchangeFormat DetectFormat(std::string_view bytes);

}  // namespace tessarin
