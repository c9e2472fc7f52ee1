#pragma once

// Password health: the masked fields of the listed records that hold a weak password, none at
// all, or one that another record holds too. The desktop program's "Password Health" dialog and
// `tessarin-cli health` both show what this finds; neither ever shows a value.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/items.h"

namespace tessarin {

class CDatabaseObj;
class CStringTable;

enum class HealthReason : uint8_t { Empty, Weak, Reused };

struct CHealthFinding {
    size_t row = 0;  // of the rows checked, from 0
    int field = 0;   // 0-5
    HealthReason reason = HealthReason::Empty;
    // Reused: the other rows whose masked fields hold the same value, in order.
    std::vector<size_t> sameAs;
    friend bool operator==(const CHealthFinding&, const CHealthFinding&) = default;
};

// Checks the masked fields of `rows` (a list's rows, in its order). A field is empty; or weak
// (IsWeakPassword, with the record's unmasked values as words a guesser would try first) and
// reused, either or both, when a masked field of another row holds the same bytes. The findings
// come in row order, then by field, then empty, weak, reused.
std::vector<CHealthFinding> CheckPasswordHealth(const std::vector<CRecord*>& rows);

// The reason in words (Windows-1252): "weak", "empty", "reused (also in rows 4, 9)", with rows
// numbered from 1 as the list shows them.
std::string HealthReasonText(const CStringTable& strings, const CHealthFinding& finding);

// The field's label as a finding names it: the record's or its type's, else "Field N".
std::string HealthFieldLabel(const CStringTable& strings, const CDatabaseObj& database,
                             const CRecord& record, int field);

}  // namespace tessarin
