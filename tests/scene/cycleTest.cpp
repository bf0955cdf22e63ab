// cycleTest.cpp -- whole cycles in-process: gather, deal, draw, burst, capture, collapse
#include "app/input.h"
#include "assembly/dealing.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"
#include "support/glWindow.h"
#include "support/tempDir.h"

#include <GL/glut.h>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

// Idle steps until the phase leaves `phase`; fails after `limit` steps.
int stepThrough(int phase, int limit) {
    int steps = 0;
    while (Phase == phase && steps < limit) {
        onIdle();
        ++steps;
    }
    EXPECT_NE(Phase, phase) << "still in phase " << phase << " after " << limit << " steps";
    return steps;
}

void press(int button) {
    onMouse(button, GLUT_DOWN, 640, 512);
    onMouse(button, GLUT_UP, 640, 512);
}

// One cycle from a fresh reset, with the deal timer's ticks called directly. Returns the
// image name.
std::string playCycle() {
    EXPECT_EQ(Phase, 1);
    EXPECT_EQ(elementCount, 0);
    for (int i = 0; i < elementPoolSize; ++i) {
        press(GLUT_LEFT_BUTTON);
    }
    EXPECT_EQ(stepThrough(1, 1000), 101) << "the 64th arrives after 100 steps, then one more";
    EXPECT_EQ(stepThrough(2, 1), 1);
    while (placedCount < placedPoolSize) {
        dealStrip(1);
    }
    stepThrough(3, 1000);
    EXPECT_EQ(stepThrough(4, 1), 1);
    EXPECT_EQ(stepThrough(5, 5000), 2209);
    EXPECT_EQ(Phase, 6);
    press(GLUT_LEFT_BUTTON);
    EXPECT_EQ(Phase, 7);
    for (int i = 0; i < 12; ++i) {
        onIdle();
    }
    EXPECT_EQ(burstDistance, 300);
    press(GLUT_LEFT_BUTTON);
    EXPECT_EQ(Phase, 8);
    EXPECT_EQ(stepThrough(8, 100), 70);
    EXPECT_EQ(imageSaved, 1);
    press(GLUT_RIGHT_BUTTON);
    EXPECT_EQ(Phase, 6);
    for (int i = 0; i < 11; ++i) {
        onIdle();
    }
    EXPECT_EQ(burstDistance, 0) << "settled back along the same vectors";
    press(GLUT_RIGHT_BUTTON);
    EXPECT_EQ(Phase, 9);
    EXPECT_EQ(stepThrough(9, 100), 13);
    return imageName;
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
