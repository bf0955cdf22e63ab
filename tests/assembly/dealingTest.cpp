// dealingTest.cpp -- strips, the deal timer, the placements' flights and the glyph records
#include "assembly/dealing.h"
#include "assembly/elements.h"
#include "harness/glWindow.h"
#include "scene/generator.h"
#include "scene/listTable.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"
#include "support/feedback.h"
#include "support/points.h"
#include "support/sceneTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

int pattern(int i) { return (i * 7 / 3) % 2; }

class Dealing : public SceneTest<21> {
  protected:
    // Gathering done with the kinds of pattern, and the phase-2 step taken.
    void stripsBuilt() {
        for (int i = 0; i < elementPoolSize; ++i) {
            addElement(pattern(i));
            elements[i].age = 100;
        }
        Phase = 2;
        onIdle();
        ASSERT_EQ(Phase, 3);
    }
};

} // namespace

TEST_F(Dealing, StripBuildingIsOneStepThatPacksTheKindsNamesTheImageAndReseedsWithZero) {
    stripsBuilt();
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(placed.size(), 48u);
    EXPECT_EQ(placedCount, 0);
    EXPECT_EQ(generatorState(), 0u);
    for (int s = 0; s < stripPoolSize; ++s) {
        // The first element of each pair is the high bit.
        const int codeA = 2 * pattern(4 * s) + pattern(4 * s + 1);
        const int codeB = 2 * pattern(4 * s + 2) + pattern(4 * s + 3);
        EXPECT_EQ(strips[s].codeA, codeA);
        EXPECT_EQ(strips[s].codeB, codeB);
        EXPECT_EQ(strips[s].remaining, 3);
        EXPECT_FLOAT_EQ(strips[s].pos.x, elements[4 * s].end.x);
        EXPECT_NE(listTable[stripSlot(s)], -1);
    }
    EXPECT_EQ(imageName.rfind("101-", 0), 0u) << "the sum of 4 codeA + codeB, worked by hand";
    EXPECT_EQ(imageName.substr(imageName.size() - 4), ".png");
    // Strip 1's list shows its elements 0.35 apart along x from its origin: with each element
    // a point at its own origin and x from -0.5 to 1.5 across 1280 pixels, at 320 + 224 j.
    for (int i = 4; i < 8; ++i) {
        compileMarker(elementSlot(i));
    }
    buildStrips();
    flatView(1280, 1024, -0.5, 1.5, -1.0, 1.0);
    const auto items = captureFeedback([] { callSlot(stripSlot(1)); });
    EXPECT_EQ(markersIn(items), (std::vector<int>{104, 105, 106, 107}));
    const auto points = itemsOfKind(items, FeedbackItem::point);
    ASSERT_EQ(points.size(), 4u);
    for (int j = 0; j < 4; ++j) {
        EXPECT_NEAR(points[j].vertices[0].x, 320.0f + 224.0f * j, 0.01f) << j;
        EXPECT_NEAR(points[j].vertices[0].y, 512.0f, 0.01f) << j;
    }
}

TEST_F(Dealing, EveryCycleDealsTheSameStripsWithTheSameControlPointsFromSeedZero) {
    // Replayed by hand from state 0: state * 214013 + 2531011 mod 2^32, bits 16..30; a strip
    // pick (draw mod 16, again while used up), then two offsets of a sign and a magnitude draw.
    const int sources[48] = {6,  5, 13, 1,  0, 11, 14, 5, 13, 8,  13, 1,  2, 4,  1,  6,
                             0,  4, 4,  9,  3, 6,  7,  0, 10, 3,  15, 5,  8, 15, 12, 12,
                             15, 3, 12, 11, 7, 8,  9,  9, 7,  10, 2,  11, 2, 14, 14, 10};
    // The first deals' offsets by the same replay: (+0.76, +1.10), (+1.70, -0.24), (-0.84, +0.74).
    const double controls[3][3] = {{3.0, 1.26, 9.10}, {3.0, 2.20, 7.76}, {3.0, -0.34, 8.74}};
    for (int cycle = 0; cycle < 2; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        stripsBuilt();
        while (placedCount < placedPoolSize) {
            dealStrip(1); // the timer, called as it would fire
        }
        for (int p = 0; p < placedPoolSize; ++p) {
            const Strip& placement = placed[p];
            EXPECT_EQ(placement.source, sources[p]) << p;
            EXPECT_EQ(placement.codeA, strips[placement.source].codeA);
            EXPECT_EQ(placement.start.y, strips[placement.source].pos.y);
            EXPECT_EQ(placement.end.y, placementCell(p).y);
            EXPECT_EQ(placement.age, 0);
        }
        for (int p = 0; p < 3; ++p) {
            SCOPED_TRACE("control of placement " + std::to_string(p));
            expectPoint(placed[p].control, controls[p][0], controls[p][1], controls[p][2]);
        }
        restartScene();
    }
}

TEST_F(Dealing, TheFirstDealIsArmedAtOneSecondThenEveryIntervalAndALateTickDealsNothing) {
    dealInterval = 250.0f;
    stripsBuilt();
    quitRequested = 1; // nothing is dealt once quitting has begun
    const std::uint32_t seed = generatorState();
    dealStrip(1);
    EXPECT_EQ(placedCount, 0);
    EXPECT_EQ(generatorState(), seed);
    quitRequested = -1;
    ASSERT_EQ(armedTimers().size(), 1u);
    EXPECT_EQ(armedTimers()[0].milliseconds, 1000u) << "whatever the interval";
    dealInterval = 0.5f; // re-armed as 0 ms: deals follow as fast as the timer fires
    for (std::size_t fired = 0; fired < armedTimers().size() && fired < 60; ++fired) {
        const ArmedTimer timer = armedTimers()[fired];
        EXPECT_EQ(timer.tick, &dealStrip);
        EXPECT_EQ(timer.value, 1);
        EXPECT_EQ(timer.milliseconds, fired == 0 ? 1000u : 0u);
        timer.tick(timer.value);
    }
    EXPECT_EQ(placedCount, placedPoolSize);
    EXPECT_EQ(armedTimers().size(), 48u) << "not re-armed after the 48th deal";
    // A tick with every strip used up, or after the restart emptied the pool, does nothing.
    for (int late = 0; late < 2; ++late) {
        const std::uint32_t before = generatorState();
        dealStrip(1);
        EXPECT_EQ(generatorState(), before);
        restartScene();
    }
    EXPECT_EQ(placedCount, 0);
    EXPECT_EQ(armedTimers().size(), 48u);
}

TEST_F(Dealing, PlacementsFlyByTheirAgeBeforeTheStepThenTheRowsGiveTheGlyphs) {
    stripsBuilt();
    // Placements 46 and 47 are dealt between the same two idle steps.
    while (placedCount < placedPoolSize - 2) {
        dealStrip(1);
    }
    onIdle();
    dealStrip(1);
    dealStrip(1);
    int steps = 0;
    while (Phase == 3 && steps < 200) {
        onIdle();
        ++steps;
    }
    EXPECT_EQ(steps, 100);
    EXPECT_EQ(Phase, 4);
    EXPECT_EQ(placed[47].age, 100);
    EXPECT_FLOAT_EQ(placed[47].pos.x, placed[47].end.x);
    EXPECT_FLOAT_EQ(placed[47].pos.y, placed[47].end.y);
    EXPECT_EQ(placed[46].age, 100);
    // Placement 0 saw 101 steps; its age stopped at 100 and it stays on its cell.
    EXPECT_EQ(placed[0].age, 100);
    EXPECT_FLOAT_EQ(placed[0].pos.x, placed[0].end.x);
    // 46 reached age 100 on that same final step: it keeps the point of age 99.
    const Strip& p = placed[46];
    const double t = 0.99, u = 0.01;
    EXPECT_NEAR(p.pos.y, p.start.y * u * u + 2 * p.control.y * u * t + p.end.y * t * t, 1e-5);
    EXPECT_NE(p.pos.y, p.end.y);
    for (int q = 0; q < placedPoolSize; ++q) {
        EXPECT_NE(listTable[placementSlot(q)], -1);
    }
    // Then the glyphs are read from the rows of placements, in one step.
    onIdle();
    EXPECT_EQ(Phase, 5);
    ASSERT_EQ(glyphs.size(), 12u);
    for (int g = 0; g < glyphPoolSize; ++g) {
        EXPECT_EQ(glyphs[g].gridX, placed[4 * g].codeA * 4 + placed[4 * g].codeB);
        EXPECT_EQ(glyphs[g].shade, placed[4 * g + 3].codeB);
    }
}
