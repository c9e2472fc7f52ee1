#include "listing/password_health.h"

#include <string_view>
#include <unordered_map>

#include "resources/string_ids.h"
#include "resources/string_table.h"
#include "security/password_strength.h"
#include "store/database.h"

namespace tessarin {

namespace {

bool IsMasked(const CRecord& record, int field) {
    return (record.m_maskBits >> field) & 1;
}

// The record's unmasked values: what someone who guesses its passwords may well know.
std::vector<std::string> KnownWords(const CRecord& record) {
    std::vector<std::string> words;
    for (int field = 0; field < kFieldCount; ++field)
        if (!IsMasked(record, field) && !record.GetValue(field).empty())
            words.emplace_back(record.GetValue(field));
    return words;
}

}  // namespace

std::vector<CHealthFinding> CheckPasswordHealth(const std::vector<CRecord*>& rows) {
    // Which rows hold each masked value (the values stay where they are; only views are kept).
    std::unordered_map<std::string_view, std::vector<size_t>> holders;
    for (size_t row = 0; row < rows.size(); ++row)
        for (int field = 0; field < kFieldCount; ++field) {
            const std::string_view value = rows[row]->GetValue(field);
            if (!IsMasked(*rows[row], field) || value.empty())
                continue;
            std::vector<size_t>& list = holders[value];
            if (list.empty() || list.back() != row)
                list.push_back(row);
        }

    std::vector<CHealthFinding> findings;
    for (size_t row = 0; row < rows.size(); ++row) {
        const CRecord& record = *rows[row];
        const std::vector<std::string> known = KnownWords(record);
        for (int field = 0; field < kFieldCount; ++field) {
            if (!IsMasked(record, field))
                continue;
            const std::string_view value = record.GetValue(field);
            if (value.empty()) {
                findings.push_back({row, field, HealthReason::Empty, {}});
                continue;
            }
            if (IsWeakPassword(value, known))
                findings.push_back({row, field, HealthReason::Weak, {}});
            const std::vector<size_t>& holding = holders[value];
            if (holding.size() > 1) {
                CHealthFinding reused{row, field, HealthReason::Reused, {}};
                for (size_t other : holding)
                    if (other != row)
                        reused.sameAs.push_back(other);
                findings.push_back(std::move(reused));
            }
        }
    }
    return findings;
}

std::string HealthReasonText(const CStringTable& strings, const CHealthFinding& finding) {
    switch (finding.reason) {
        case HealthReason::Empty:
            return strings.Get(str::kHealthEmpty);
        case HealthReason::Weak:
            return strings.Get(str::kHealthWeak);
        case HealthReason::Reused:
            break;
    }
    std::string rows;
    for (size_t other : finding.sameAs)
        rows += (rows.empty() ? "" : ", ") + std::to_string(other + 1);
    return strings.Format(
        finding.sameAs.size() == 1 ? str::kHealthReusedInRow : str::kHealthReusedInRows, {rows});
}

std::string HealthFieldLabel(const CStringTable& strings, const CDatabaseObj& database,
                             const CRecord& record, int field) {
    std::string label = database.LabelFor(record, field, false);
    return label.empty() ? strings.Get(str::kFieldLabel1 + field) : label;
}

}  // namespace tessarin
