// The CSV writer: never enciphered; icon numbers, mask bits and custom labels are not written.
#include "exchange/csv_format.h"
#include "exchange/exchange_writer.h"
#include "exchange/live_items.h"
#include "exchange/value_writer.h"
#include "resources/string_ids.h"
#include "store/core_context.h"

namespace tessarin {

std::string BuildCsvText(const CDatabaseObj& database, const std::vector<const CRecord*>& records) {
    const CLiveItemsByKey types(database.m_types);
    const CLiveItemsByKey categories(database.m_categories);
    const std::string& unfiled = database.m_types.Strings().Get(str::kUnfiled);
    auto nameOf = [&](const CBaseItem* item) {
        return item ? item->GetName() : std::string_view(unfiled);
    };

    size_t size = 32;
    for (const CRecord* record : records) {
        size += record->GetNote().size() + 64;
        for (int i = 0; i < kFieldCount; ++i)
            size += record->GetValue(i).size();
    }
    std::string out;
    out.reserve(size);
    out.append(kCsvMagic).append("\r\n");
    for (const CRecord* record : records) {
        AppendPlainValue(out, nameOf(types.Find(record->m_key)));
        out += ',';
        for (int i = 0; i < kFieldCount; ++i) {
            AppendPlainValue(out, record->GetValue(i));
            out += ',';
        }
        AppendPlainValue(out, record->GetNote());
        out += ',';
        AppendPlainValue(out, nameOf(categories.Find(record->m_categoryKey)));
        out.append("\r\n");
    }
    return out;
}

}  // namespace tessarin
