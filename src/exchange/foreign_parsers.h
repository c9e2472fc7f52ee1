#pragma once

// The row parsers of the text exports of other password keepers. Each delivers one record a call:
// type name, fields 1 to 6, then note parts.
#include <memory>
#include <string_view>

#include "exchange/import_row.h"

namespace tessarin {

inline constexpr std::string_view kCryptinfoMagic = "CryptInfo Export";
inline constexpr std::string_view kMobileSafeMagic = "Mobile AM Export:";
inline constexpr std::string_view kYapsMagic = "#Yaps Data";

std::unique_ptr<IRowParser> MakeCryptinfoParser(std::string_view text);
std::unique_ptr<IRowParser> MakeEWalletParser(std::string_view text);
std::unique_ptr<IRowParser> MakeMobileSafeParser(std::string_view text);
std::unique_ptr<IRowParser> MakeYapsParser(std::string_view text);

}  // namespace tessarin
