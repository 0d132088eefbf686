// Test entry: the engine needs its application object before any test runs,
// and every suite runs headless unless told otherwise.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/cvi.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    if (!InitCVIRTE(argc, argv)) return 2;
    return RUN_ALL_TESTS();
}
