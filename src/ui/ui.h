#pragma once

// The desktop program's views and dialogs (Qt Widgets). They fill their controls from the core,
// pass what the user typed to the core's rules, and show the messages the core names. The
// application shell (src/app) hosts them.
