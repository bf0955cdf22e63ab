// phaseSequencerTest.cpp -- the idle steps' phase transitions, the pause and the countdown
#include "scene/phaseSequencer.h"
#include "assembly/dealing.h"
#include "harness/tempDir.h"
#include "scene/frame.h"
#include "scene/sceneStore.h"
#include "support/sceneTest.h"

#include <GL/freeglut.h>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

int framesDrawn = 0;
void countFrame() { ++framesDrawn; }

class PhaseSequencer : public SceneTest<11> {
  protected:
    // Placements at their cells, as dealing leaves them.
    void SetUp() override {
        SceneTest::SetUp();
        elementCount = 64;
        dealPlacements();
        glyphs.assign(glyphPoolSize, Glyph{});
    }
};

} // namespace

TEST_F(PhaseSequencer, WhilePausedNothingAdvancesButFramesAreStillRequested) {
    glutDisplayFunc(countFrame);
    placedCount = 1;
    placed[0].age = 5;
    elements[0].age = 5;
    for (const auto& [phase, distance] :
         {std::pair{1, 0}, {3, 0}, {6, 300}, {7, 0}, {8, 300}, {9, 0}}) {
        SCOPED_TRACE("phase " + std::to_string(phase));
        Phase = phase;
        burstDistance = distance;
        captureArmed = phase == 8 ? 1 : 0;
        paused = 1;
        for (int i = 0; i < 20; ++i) {
            framesDrawn = 0;
            onIdle();
            glutMainLoopEvent();
            EXPECT_EQ(framesDrawn, 1);
        }
        EXPECT_EQ(Phase, phase);
        EXPECT_EQ(elements[0].age, 5);
        EXPECT_EQ(placed[0].age, 5);
        EXPECT_EQ(burstDistance, distance);
        EXPECT_EQ(captureCountdown, 899);
        paused = 0;
    }
}

TEST_F(PhaseSequencer, CaptureCountsDownInSeventyStepsAndCapturesOnce) {
    TempDir dir;
    std::filesystem::create_directory("tarvikImages");
    Phase = 8;
    captureArmed = 1;
    burstDistance = 300;
    imageName = "7-1234.png";
    std::vector<int> countdown;
    while (Phase == 8 && countdown.size() < 1000) {
        onIdle();
        countdown.push_back(captureCountdown);
    }
    ASSERT_EQ(countdown.size(), 70u);
    EXPECT_EQ(std::vector<int>(countdown.begin(), countdown.begin() + 5),
              (std::vector<int>{855, 813, 773, 735, 699}));
    EXPECT_EQ(std::vector<int>(countdown.end() - 3, countdown.end()), (std::vector<int>{4, 2, 0}));
    EXPECT_EQ(Phase, 7);
    EXPECT_EQ(imageSaved, 1);
    EXPECT_EQ(captureArmed, 0);
    EXPECT_TRUE(std::filesystem::exists("tarvikImages/7-1234.png"));
    std::filesystem::remove("tarvikImages/7-1234.png");
    for (int i = 0; i < 30; ++i) {
        onIdle();
    }
    EXPECT_EQ(Phase, 7);
    EXPECT_FALSE(std::filesystem::exists("tarvikImages/7-1234.png")) << "one capture a cycle";
}

TEST_F(PhaseSequencer, CollapseRestartsOnTheStepAfterTheFloor) {
    Phase = 9;
    int steps = 0;
    while (Phase == 9 && steps < 100) {
        onIdle();
        ++steps;
        if (Phase == 9) {
            EXPECT_EQ(teardownPending == 1, burstDistance == -150) << "step " << steps;
        }
    }
    EXPECT_EQ(steps, 13);
    EXPECT_EQ(Phase, 1);
    EXPECT_EQ(elementCount, 0);
    EXPECT_EQ(burstDistance, 0);
    EXPECT_TRUE(placed.empty());
}

TEST_F(PhaseSequencer, RestAtZeroStaysStillFromOneSettlesInOneStepAndBurstReachesFullInTwelve) {
    Phase = 6;
    for (int i = 0; i < 50; ++i) {
        onIdle();
    }
    EXPECT_EQ(Phase, 6);
    EXPECT_EQ(burstDistance, 0);
    for (int p = 0; p < placedPoolSize; ++p) {
        EXPECT_EQ(listTable[placementSlot(p)], -1) << "no layout at rest";
    }
    // From 1 the settle takes one last step, trunc((1 - 1) / 1.5) = 0, laid out at 0.
    burstDistance = 1;
    onIdle();
    EXPECT_EQ(burstDistance, 0);
    EXPECT_NE(listTable[placementSlot(0)], -1);
    Phase = 7;
    std::vector<int> distances;
    for (int i = 0; i < 14; ++i) {
        onIdle();
        distances.push_back(burstDistance);
    }
    EXPECT_EQ(distances, (std::vector<int>{1, 2, 3, 4, 5, 7, 10, 15, 24, 45, 116, 300, 300, 300}));
    EXPECT_EQ(Phase, 7);
}

TEST_F(PhaseSequencer, PhasesOutsideTheCycleDoNothing) {
    for (int phase : {0, 10, -1}) {
        Phase = phase;
        onIdle();
        EXPECT_EQ(Phase, phase);
    }
}
