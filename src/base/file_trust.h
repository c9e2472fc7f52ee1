#pragma once

// Whether a file the program reads and obeys (a library it loads, the translation file) can only
// have been put there by the user or the system: no other user may have written or replaced it.
#include <string>

namespace tessarin {

// True when the file at `path` (after its links) is a regular file owned by root or by the user,
// writable by neither its group nor others, and the same holds for the folder it lies in and for
// the folder of `path` itself (where a link could be swapped).
bool IsTrustedFile(const std::string& path);

}  // namespace tessarin
