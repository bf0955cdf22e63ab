// picturesTest.cpp -- frames of gathering and of the end of dealing, for people to look at
#include "app/application.h"
#include "app/input.h"
#include "assembly/dealing.h"
#include "assembly/elements.h"
#include "scene/frame.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"
#include "support/glWindow.h"
#include "support/pixels.h"

#include <filesystem>
#include <gtest/gtest.h>

// Elements leave the pointer in batches, so the frame shows them at many ages along their
// flights, young ones with their wire overlay.
TEST(Pictures, GatheringAndTheEndOfDealing) {
    useGlWindow();
    freshScene(51);
    for (int batch = 0; batch < 8; ++batch) {
        onMotion(halfWidth - 300 + batch * 60, halfHeight + 150);
        for (int k = 0; k < 8; ++k) {
            addElement((batch + k) % 2);
        }
        for (int step = 0; step < 6; ++step) {
            onIdle();
        }
    }
    drawFrame();
    EXPECT_TRUE(std::filesystem::exists(savePicture("gathering.png", screenWidth, screenHeight)));

    while (Phase == 1) {
        onIdle();
    }
    onIdle();
    ASSERT_EQ(Phase, 3);
    while (placedCount < placedPoolSize) {
        dealStrip(1);
        onIdle();
        onIdle();
    }
    while (Phase == 3) {
        onIdle();
    }
    drawFrame();
    EXPECT_TRUE(std::filesystem::exists(savePicture("dealt.png", screenWidth, screenHeight)));
}
