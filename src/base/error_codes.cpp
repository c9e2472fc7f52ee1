#include "base/error_codes.h"

#include <cerrno>
#include <cstdio>

namespace tessarin {

std::string HexCode(int code) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(code));
    return text;
}

bool IsVolumeUnavailable(int code) {
    switch (code) {
        case ENETUNREACH:  // network unreachable
        case ENETDOWN:
        case EHOSTUNREACH:  // bad network path
        case EHOSTDOWN:
        case ESTALE:  // bad network name: the share's handle is no longer valid
        case ENOMEDIUM:
        case ENODEV:
        case ENXIO:
            return true;
        default:
            return false;
    }
}

bool IsPathNotFound(int code) {
    return code == ENOENT || code == ENOTDIR;
}

bool IsFileExists(int code) {
    return code == EEXIST || code == ENOTEMPTY;
}

}  // namespace tessarin
