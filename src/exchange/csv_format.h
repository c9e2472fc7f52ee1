#pragma once

// CSV files: this program's export (a first line, then one record a line) and the row parsers that
// read CSV of any origin and TopSecret's export.
#include <memory>
#include <string_view>

#include "exchange/import_row.h"

namespace tessarin {

inline constexpr std::string_view kCsvMagic = "Tessarin Export File";

std::unique_ptr<IRowParser> MakeCsvParser(std::string_view text);
std::unique_ptr<IRowParser> MakeTopSecretParser(std::string_view text);

}  // namespace tessarin
