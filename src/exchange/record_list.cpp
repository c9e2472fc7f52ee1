#include "exchange/record_list.h"

namespace tessarin {

std::vector<const CRecord*> LiveRecords(const CDatabaseObj& database) {
    std::vector<const CRecord*> records;
    records.reserve(database.m_records.Size());
    for (const auto& item : database.m_records.Items())
        if (!item->m_deleted)
            records.push_back(static_cast<const CRecord*>(item.get()));
    return records;
}

}  // namespace tessarin
