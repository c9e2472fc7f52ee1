// Stands in for the sync listener: holds the endpoint (by default "TessarinListenerWindow") and
// prints every change notice it receives as "action kind record-number", one per line.
//   tessarin-notice-listener [ENDPOINT] [--count N] [--seconds S]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/notice_socket.h"

int main(int argc, char** argv) {
    std::string endpoint = tessarin::kListenerEndpoint;
    long count = -1;
    long seconds = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--count") == 0 && i + 1 < argc)
            count = std::atol(argv[++i]);
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atol(argv[++i]);
        else
            endpoint = argv[i];
    }
    tessarin::CNoticeReceiver receiver(endpoint);
    if (!receiver.IsOpen()) {
        std::fprintf(stderr, "cannot hold the endpoint \"%s\"\n", endpoint.c_str());
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (long received = 0; count < 0 || received < count;) {
        if (seconds >= 0 && std::chrono::steady_clock::now() >= deadline)
            break;
        if (auto notice = receiver.Receive(std::chrono::milliseconds(200))) {
            std::printf("%u %u %u\n", notice->action, notice->kind, notice->recordNumber);
            std::fflush(stdout);
            ++received;
        }
    }
    return 0;
}
