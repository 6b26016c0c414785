// Main for the test executables that need the program's own QApplication, so that the exception
// boundary at event delivery is under test, on Qt's offscreen platform unless the environment
// names another.
#include "AppShell.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TGuardedApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
