#pragma once

// The order of the record list: the sort setting, the comparison of two records (the sort column,
// then up to three more columns in the same direction), and the ordering of many rows at once.
#include <cstdint>
#include <span>

#include "base/locale.h"
#include "store/database.h"

namespace tessarin {

struct CSortSetting {
    // Column 1, ascending: what "Sort Info" holds until the user sorts.
    static constexpr uint32_t kDefaultInfo = 0x00010001;

    int column = 1;
    bool ascending = true;

    // Low 16 bits the column, high 16 bits non-zero for ascending. A column outside 0-9 (a damaged
    // preference) gives the default.
    static CSortSetting FromInfo(uint32_t info);
    uint32_t ToInfo() const { return (ascending ? 0x10000u : 0u) | static_cast<uint32_t>(column); }
    // A click on a column's header: the sort column flips its direction, another column sorts
    // ascending.
    CSortSetting AfterClick(int clickedColumn) const;

    friend bool operator==(const CSortSetting&, const CSortSetting&) = default;
};

// Negative, zero or positive as `a` comes before, with or after `b` in the list. Compares real
// values, never masked ones.
int CompareRecords(const CRecord& a, const CRecord& b, CSortSetting sort,
                   const CDatabaseObj& database, const ILocale& locale);

// Puts `rows` in the list's order; equal records keep the order they are given in. Where the
// comparison is a consistent order this is the order that inserting the rows one at a time, each
// before the first row it does not sort after, gives when they are inserted in reverse. Each text
// is parsed and collated once, not once per comparison. Texts of mixed kinds (dates, numbers,
// words) can make the comparison cyclic; the rows of each kind then keep their own order and the
// kinds are merged by the comparison, the same way on every run.
void SortRecords(std::span<CRecord*> rows, CSortSetting sort, const CDatabaseObj& database,
                 const ILocale& locale);

}  // namespace tessarin
