#pragma once

// Environment switches that only the tests and the benchmarks set: a shorter lock wait, the folder
// of the fake sync platform libraries, ending the program once its list is painted. A build made
// to be installed ignores them all (the CMake option TESSARIN_TEST_SWITCHES is off there), so that
// nobody who can set a user's environment turns a shipped program into a test double.
namespace tessarin {

// The switch's value; null when it is not set, or when this build ignores switches.
const char* TestSwitch(const char* name);

}  // namespace tessarin
