// Test runner of what draws and shows: a temporary home as for every test, and a Qt application on
// the offscreen platform (no display needed), made before any test runs.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>

#include "support/test_home.h"

int main(int argc, char** argv) {
    const tessarin::test::CTestHome home;
    if (!home.Made())
        return 2;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The same fonts and palette whatever desktop runs the tests.
    setenv("QT_QPA_PLATFORMTHEME", "", 1);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
