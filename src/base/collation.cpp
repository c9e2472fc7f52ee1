#include "base/collation.h"

#include "base/text_case.h"

namespace tessarin {

int CFixedCollation::Compare(std::string_view a, std::string_view b, bool caseSensitive) const {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const uint8_t x = LowerCp1252(static_cast<uint8_t>(a[i]));
        const uint8_t y = LowerCp1252(static_cast<uint8_t>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    if (!caseSensitive)
        return 0;
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<uint8_t>(a[i]);
        const auto y = static_cast<uint8_t>(b[i]);
        if (x != y)  // the same letter in another case: lower case first
            return LowerCp1252(x) == x ? -1 : 1;
    }
    return 0;
}

}  // namespace tessarin
