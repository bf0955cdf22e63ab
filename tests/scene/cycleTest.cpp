// cycleTest.cpp -- whole cycles in-process: gather, deal, draw, burst, capture, collapse
#include "harness/cycleDriver.h"
#include "harness/glWindow.h"
#include "harness/tempDir.h"
#include "scene/sceneStore.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// One cycle of 64 left presses from a fresh reset. Returns the image name.
std::string playCycle() {
    EXPECT_EQ(Phase, 1);
    EXPECT_EQ(elementCount, 0);
    return CycleDriver().playCycle(std::string(elementPoolSize, 'L'));
}

} // namespace

TEST(Cycle, TwoWholeCyclesEachLeaveTheirPictureAndStartAfresh) {
    useGlWindow();
    freshScene(41);
    TempDir dir;
    std::filesystem::create_directory("tarvikImages");
    const std::string first = playCycle();
    EXPECT_EQ(first.rfind("240-", 0), 0u) << "64 ones: every code is 3";
    EXPECT_TRUE(std::filesystem::exists("tarvikImages/" + first));
    EXPECT_EQ(Phase, 1);
    EXPECT_EQ(elementCount, 0);
    EXPECT_TRUE(placed.empty());
    EXPECT_TRUE(glyphs.empty());
    std::filesystem::remove("tarvikImages/" + first);
    const std::string second = playCycle();
    EXPECT_TRUE(std::filesystem::exists("tarvikImages/" + second));
    EXPECT_TRUE(std::filesystem::exists("tarvikImages/tarvik01.html"));
}
