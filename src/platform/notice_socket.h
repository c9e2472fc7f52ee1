#pragma once

// Change notices between processes over Unix datagram sockets in the user's runtime folder, one
// socket per endpoint, named after it. Each notice is one line: the message's name, then the
// first parameter (kind in the high 16 bits, action in the low 16 bits) and the second (the record
// number), in decimal. See docs/ipc.md.
#include <chrono>
#include <optional>
#include <string>

#include "store/notice_channel.h"

namespace tessarin {

std::string EndpointPath(const std::string& endpoint);

// The line of a notice, and the notice of a line (none when it is not one).
std::string NoticeLine(const CChangeNotice& notice);
std::optional<CChangeNotice> ParseNoticeLine(const std::string& line);

// Posts without waiting; a notice for an endpoint that nobody holds, or whose queue is full, is
// dropped.
class CSocketPoster : public INoticePoster {
public:
    bool Post(const std::string& endpoint, const CChangeNotice& notice) override;
};

// Holds an endpoint and receives the notices posted to it.
class CNoticeReceiver {
public:
    explicit CNoticeReceiver(const std::string& endpoint);
    ~CNoticeReceiver();
    CNoticeReceiver(const CNoticeReceiver&) = delete;
    CNoticeReceiver& operator=(const CNoticeReceiver&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    // For an event loop to watch.
    int Descriptor() const { return m_fd; }
    // The next notice, waiting at most `timeout` for one; malformed datagrams are skipped.
    std::optional<CChangeNotice> Receive(std::chrono::milliseconds timeout);

private:
    std::string m_path;
    int m_fd = -1;
};

}  // namespace tessarin
