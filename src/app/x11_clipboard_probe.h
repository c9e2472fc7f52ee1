#pragma once

// The clipboard probe of an X11 display: it asks the CLIPBOARD selection's owner for its text over
// a connection of its own, on a thread of its own, and reads only the first characters. An owner
// that holds much text, or hangs, never holds up the window.
#include <memory>

#include "ui/clipboard_probe.h"

namespace tessarin {

// The X11 probe when the program runs on an X11 display, else the local one.
std::unique_ptr<IClipboardProbe> MakeClipboardProbe();

}  // namespace tessarin
