#pragma once

// Follows the desktop's choice of a light or dark look: the desktop portal's "color-scheme"
// setting, else a GTK theme named dark. TESSARIN_COLOR_SCHEME=dark or light decides instead.
namespace tessarin {

// Call once the application object exists, before any window is made.
void FollowDesktopColorScheme();

}  // namespace tessarin
