#pragma once

// The main window's endpoint "Tessarin Desktop": change notices from the sync components, and the
// instance check with the command-line hand-over from a second copy of the program. One Unix
// stream socket in the runtime folder; see docs/ipc.md for the lines spoken on it.
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <QObject>
#include <QTimer>

#include "base/unique_handle.h"
#include "store/notice_lines.h"

class QSocketNotifier;

namespace tessarin {

// Holds the endpoint while the main window exists and answers what arrives, in the event loop.
// Only processes of the same user are heard; at most kMaxConnections connections are served at
// once, each for at most kConnectionSeconds, and a line longer than a hand-over closes its
// connection.
class CDesktopEndpoint : public QObject {
    Q_OBJECT
public:
    explicit CDesktopEndpoint(std::string endpoint, QObject* parent = nullptr);
    ~CDesktopEndpoint() override;

    // Takes the endpoint: replaces a socket whose holder died; false when a live holder has it or
    // the socket cannot be made.
    bool Listen();
    bool IsListening() const { return static_cast<bool>(m_listener); }

    std::function<void(const CChangeNotice&)> m_onNotice;
    // Brings the window to the front.
    std::function<void()> m_onActivate;
    // A copy-data message: true when handled. Called after the answer went back, so that it may
    // ask the user. A command line is only passed on when it is a path that may be offered
    // (IsHandOverPath); otherwise the answer is 0 and nothing happens.
    std::function<bool(uint32_t tag, const std::string& data)> m_onCopyData;

private:
    void Accept();
    void Read(int fd);
    void Close(int fd);
    void HandleLine(int fd, const std::string& line);
    void CloseOverdue();

    struct CConnection {
        CFileHandle socket;  // closed after its notifier has gone
        std::unique_ptr<QSocketNotifier> notifier;
        CLineBuffer lines;
        std::chrono::steady_clock::time_point closeBy;
    };
    std::string m_path;
    CFileHandle m_listener;  // closed after its notifier has gone
    std::unique_ptr<QSocketNotifier> m_acceptNotifier;
    std::map<int, CConnection> m_connections;
    QTimer m_overdue;
};

// The instance check of a second copy: finds the copy that holds the endpoint and answers the
// check, asks it to come to the front and, when `commandLine` is not empty, hands it over with
// tag 0. False when no copy answers (none runs, or a dead one left its socket).
bool ActivateOtherCopy(const std::string& endpoint, const std::string& commandLine);

}  // namespace tessarin
