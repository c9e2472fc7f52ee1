#include "app/key_state.h"

#include <QGuiApplication>

#include <X11/XKBlib.h>

namespace tessarin {

std::optional<CKeyStates> ReadKeyStates() {
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    const auto on = [display](const char* name) {
        Bool state = False;
        const Atom atom = XInternAtom(display, name, True);
        return atom != None &&
               XkbGetNamedIndicator(display, atom, nullptr, &state, nullptr, nullptr) && state;
    };
    CKeyStates states;
    states.capsLock = on("Caps Lock");
    states.numLock = on("Num Lock");
    states.scrollLock = on("Scroll Lock");
    return states;
}

}  // namespace tessarin
