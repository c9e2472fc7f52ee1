// Posts one change notice, as a sync component does:
//   tessarin-notice-post ENDPOINT ACTION KIND RECORD-NUMBER
// ENDPOINT is "Tessarin Desktop" for the program's main window. Exits 1 when nobody listens.
#include <cstdio>
#include <cstdlib>

#include "platform/notice_socket.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s ENDPOINT ACTION KIND RECORD-NUMBER\n", argv[0]);
        return 2;
    }
    const tessarin::CChangeNotice notice{static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0)),
                                         static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 0)),
                                         static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 0))};
    tessarin::CSocketPoster poster;
    return poster.Post(argv[1], notice) ? 0 : 1;
}
