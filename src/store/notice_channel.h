#pragma once

// Change notices between processes. This program posts them to the sync listener and receives them
// from the sync components; posting never waits and a notice nobody listens for is dropped.
#include <string>

#include "store/change_notice.h"

namespace tessarin {

inline constexpr const char* kListenerEndpoint = "TessarinListenerWindow";
inline constexpr const char* kMainWindowEndpoint = "Tessarin Desktop";
inline constexpr const char* kNoticeMessageName = "WM_Tessarin10_DatabaseNotify";

class INoticePoster {
public:
    virtual ~INoticePoster() = default;
    // Posts the notice to the endpoint when something listens there; true when it was handed over.
    virtual bool Post(const std::string& endpoint, const CChangeNotice& notice) = 0;
    // Posts several in order; how many were handed over.
    virtual size_t PostAll(const std::string& endpoint, const CNoticeList& notices) {
        size_t posted = 0;
        for (const CChangeNotice& notice : notices)
            posted += Post(endpoint, notice);
        return posted;
    }
};

class CNoPoster : public INoticePoster {
public:
    bool Post(const std::string&, const CChangeNotice&) override { return false; }
};

}  // namespace tessarin
