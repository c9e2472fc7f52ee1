#include "base/test_switches.h"

#include <cstdlib>

namespace tessarin {

const char* TestSwitch([[maybe_unused]] const char* name) {
#if TESSARIN_TEST_SWITCHES
    return std::getenv(name);
#else
    return nullptr;
#endif
}

}  // namespace tessarin
