// Test runner: points HOME and the XDG folders at a fresh temporary folder, so that no test can
// touch the real home folder of whoever runs them.
#include <gtest/gtest.h>

#include "support/test_home.h"

int main(int argc, char** argv) {
    const tessarin::test::CTestHome home;
    if (!home.Made())
        return 2;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
