#pragma once

// Runs the desktop program; the process's exit code.
namespace tessarin {

int RunDesktopApp(int argc, char** argv);

}  // namespace tessarin
