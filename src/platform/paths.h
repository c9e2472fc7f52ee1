#pragma once

#include <string>

namespace tessarin {

// The user's documents folder, as the desktop's settings name it.
std::string DocumentsFolder();

// The folder of the running program's file.
std::string ProgramFolder();

}  // namespace tessarin
