#pragma once

// The states of the Caps Lock, Num Lock and Scroll Lock keys, for the status bar. Read from the
// X server's keyboard indicators; where the display is not X11 the states are unknown.
#include <optional>

namespace tessarin {

struct CKeyStates {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

// None when the display cannot tell.
std::optional<CKeyStates> ReadKeyStates();

}  // namespace tessarin
