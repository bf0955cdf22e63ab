// cycleTest.cpp -- whole cycles in-process: gather, deal, draw, burst, capture, collapse
#include "harness/cycleDriver.h"
#include "harness/glWindow.h"
#include "harness/tempDir.h"
#include "scene/sceneStore.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(Cycle, TwoWholeCyclesEachLeaveTheirPictureAndStartAfresh) {
    useGlWindow();
    freshScene(41);
    TempDir dir;
    std::filesystem::create_directory("tarvikImages");
    for (int cycle = 0; cycle < 2; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        const std::string name = CycleDriver().playCycle(std::string(elementPoolSize, 'L'));
        EXPECT_EQ(name.rfind("240-", 0), 0u) << "64 ones: every code is 3";
        EXPECT_TRUE(std::filesystem::remove("tarvikImages/" + name)) << name;
        EXPECT_EQ(Phase, 1);
        EXPECT_EQ(elementCount, 0);
        EXPECT_TRUE(placed.empty());
        EXPECT_TRUE(glyphs.empty());
    }
    EXPECT_TRUE(std::filesystem::exists("tarvikImages/tarvik01.html"));
}
