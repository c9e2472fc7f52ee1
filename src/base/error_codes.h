#pragma once

// System error codes are errno values. The few places that act on a particular kind of failure ask
// these questions, so the mapping from errno values to meanings lives in one place.
#include <string>

namespace tessarin {

// A system error code as messages show it: lower-case hexadecimal.
std::string HexCode(int code);

// The volume holding the file has gone away (a network share disconnected, a medium removed).
bool IsVolumeUnavailable(int code);
// A folder on the way does not exist.
bool IsPathNotFound(int code);
// The target already exists.
bool IsFileExists(int code);

}  // namespace tessarin
