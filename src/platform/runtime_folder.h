#pragma once

#include <string>

namespace tessarin {

// The per-user folder for the lock and the notice endpoints: $XDG_RUNTIME_DIR when it is a folder
// of the user's own that nobody else may write to; else "tessarin-runtime" in the user's cache
// folder ($XDG_CACHE_HOME, by default ~/.cache), made with mode 0700 and kept so. Empty when
// neither can be had (then nothing is locked or announced).
std::string RuntimeFolder();

}  // namespace tessarin
