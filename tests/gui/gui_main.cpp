// The view tests run offscreen unless told otherwise.
#include <gtest/gtest.h>

#include "Application.h"
#include <cstdlib>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// The toolkit's own start-up allocations that live to the end are not ours
// to find leaks in: leak checking stays on for the core tests only.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }
#endif

// A copy of the program that a test kills (recovery_gui_test.cpp).
int RecoveryKillChild(const std::string& folder);

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    gui::Application app(argc, argv);
    if (const char* folder = std::getenv("VKB_RECOVERY_CHILD")) return RecoveryKillChild(folder);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
