#pragma once

// Change notices between processes over Unix stream sockets in the user's runtime folder, one
// listening socket per endpoint, named after it. A poster connects, writes its notices as lines and
// closes; each line is the message's name, then the first parameter (kind in the high 16 bits,
// action in the low 16 bits) and the second (the record number), in decimal. See docs/ipc.md.
#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "base/unique_handle.h"
#include "store/notice_lines.h"

namespace tessarin {

std::string EndpointPath(const std::string& endpoint);

// Posts without waiting: a notice for an endpoint that nobody holds, or that cannot take more just
// now, is dropped.
class CSocketPoster : public INoticePoster {
public:
    bool Post(const std::string& endpoint, const CChangeNotice& notice) override;
    size_t PostAll(const std::string& endpoint, const CNoticeList& notices) override;
};

// Holds an endpoint and receives the notices posted to it by processes of the same user; others
// are refused. At most kMaxConnections connections are read at once, each for at most
// kConnectionSeconds.
class CNoticeReceiver {
public:
    explicit CNoticeReceiver(const std::string& endpoint);
    ~CNoticeReceiver();
    CNoticeReceiver(const CNoticeReceiver&) = delete;
    CNoticeReceiver& operator=(const CNoticeReceiver&) = delete;

    bool IsOpen() const { return static_cast<bool>(m_listener); }
    // For an event loop to watch; when it becomes readable, call Receive with no wait until it
    // gives nothing.
    int Descriptor() const { return m_listener.Get(); }
    // The next notice, waiting at most `timeout` for one; lines that are not notices are skipped.
    std::optional<CChangeNotice> Receive(std::chrono::milliseconds timeout);

private:
    struct CConnection {
        CFileHandle fd;
        CLineBuffer lines;
        std::chrono::steady_clock::time_point closeBy;
    };
    // Takes what has arrived without waiting; false when nothing did.
    bool Gather();
    void Drop(size_t index);

    std::string m_path;
    CFileHandle m_listener;
    std::vector<CConnection> m_connections;
    std::deque<CChangeNotice> m_ready;
};

}  // namespace tessarin
