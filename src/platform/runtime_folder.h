#pragma once

#include <string>

namespace tessarin {

// The per-user folder for the lock and the notice endpoints: $XDG_RUNTIME_DIR, else a folder of the
// user's own under the temporary folder, readable by nobody else. Empty when neither can be had.
std::string RuntimeFolder();

}  // namespace tessarin
