#pragma once

// The built-in texts as data, sorted by number, for CStringTable to load.
#include <span>
#include <string_view>

namespace tessarin {

struct StringTableEntry {
    int id;
    std::string_view text;
};

std::span<const StringTableEntry> BuiltInStrings();

}  // namespace tessarin
