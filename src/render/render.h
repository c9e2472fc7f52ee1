#pragma once

// The drawing layer: what the desktop program and the command-line tool both draw with QtGui alone
// (no widgets): the program's own pictures, custom icons, the printed report. It decides nothing;
// what to draw comes from the core.
