#pragma once

// What a change to the database tells the sync listener: action, kind and record number.
#include <cstdint>
#include <vector>

namespace tessarin {

enum NoticeAction : uint32_t {
    kActionReloadAll = 1,  // the whole database changed (arrives from outside only)
    kActionAdded = 2,
    kActionChanged = 3,
    kActionDeleted = 4,  // arrives from outside only
};

struct CChangeNotice {
    uint32_t action = 0;
    uint32_t kind = 0;  // 0 record, 1 type, 2 category
    uint32_t recordNumber = 0;
    friend bool operator==(const CChangeNotice&, const CChangeNotice&) = default;
};

using CNoticeList = std::vector<CChangeNotice>;

}  // namespace tessarin
