// dealingTest.cpp -- strips, the deal timer, the placements' flights and the glyph records
#include "assembly/dealing.h"
#include "assembly/elements.h"
#include "scene/generator.h"
#include "scene/listTable.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"
#include "support/glWindow.h"

#include <GL/freeglut.h>
#include <chrono>
#include <gtest/gtest.h>

namespace {

class Dealing : public ::testing::Test {
  protected:
    void SetUp() override {
        useGlWindow();
        freshScene(21);
    }
    // Gathering done with these kinds, and the phase-2 step taken.
    void stripsBuilt(int (*kindOf)(int)) {
        for (int i = 0; i < elementPoolSize; ++i) {
            addElement(kindOf(i));
            elements[i].age = 100;
        }
        Phase = 2;
        onIdle();
        ASSERT_EQ(Phase, 3);
    }
    // Deals all 48 by calling the timer directly, as it would fire.
    void dealAll() {
        while (placedCount < placedPoolSize) {
            dealStrip(1);
        }
    }
};

int allZeros(int) { return 0; }
int allOnes(int) { return 1; }
int pattern(int i) { return (i * 7 / 3) % 2; }

} // namespace

TEST_F(Dealing, StripCodesGiveTheImageNameAndTheSeedIsAlwaysZero) {
    stripsBuilt(allZeros);
    EXPECT_EQ(imageName.rfind("0-", 0), 0u);
    EXPECT_EQ(imageName.substr(imageName.size() - 4), ".png");
    EXPECT_EQ(generatorState(), 0u);
    freshScene(99);
    stripsBuilt(allOnes);
    EXPECT_EQ(stripCodeSum(), 240);
    EXPECT_EQ(imageName.rfind("240-", 0), 0u);
    EXPECT_EQ(generatorState(), 0u);
    for (const Strip& s : strips) {
        EXPECT_EQ(s.codeA, 3);
        EXPECT_EQ(s.codeB, 3);
    }
}

TEST_F(Dealing, AStripsCodesPackItsFourKindsFirstElementHigh) {
    stripsBuilt(pattern);
    for (int s = 0; s < stripPoolSize; ++s) {
        EXPECT_EQ(strips[s].codeA, 2 * pattern(4 * s) + pattern(4 * s + 1));
        EXPECT_EQ(strips[s].codeB, 2 * pattern(4 * s + 2) + pattern(4 * s + 3));
        EXPECT_FLOAT_EQ(strips[s].pos.x, elements[4 * s].end.x);
    }
}

TEST_F(Dealing, EachStripIsDealtExactlyThreeTimesIntoTheCellsInOrder) {
    stripsBuilt(pattern);
    dealAll();
    int dealt[stripPoolSize] = {};
    for (int p = 0; p < placedPoolSize; ++p) {
        const Strip& placement = placed[p];
        ++dealt[placement.source];
        EXPECT_EQ(placement.codeA, strips[placement.source].codeA);
        EXPECT_FLOAT_EQ(placement.start.x, strips[placement.source].pos.x);
        EXPECT_FLOAT_EQ(placement.control.x, 3.0f);
        EXPECT_FLOAT_EQ(placement.end.x, placementCell(p).x);
        EXPECT_FLOAT_EQ(placement.end.y, placementCell(p).y);
        EXPECT_EQ(placement.age, 0);
    }
    for (int s = 0; s < stripPoolSize; ++s) {
        EXPECT_EQ(dealt[s], 3) << "strip " << s;
        EXPECT_EQ(strips[s].remaining, 0);
    }
}

TEST_F(Dealing, TwoCyclesWithTheSameCodesDealAlike) {
    stripsBuilt(pattern);
    dealAll();
    const std::vector<Strip> first = placed;
    const std::string firstName = imageName;
    restartScene();
    stripsBuilt(pattern);
    dealAll();
    for (int p = 0; p < placedPoolSize; ++p) {
        EXPECT_EQ(placed[p].source, first[p].source) << p;
        EXPECT_EQ(placed[p].control.y, first[p].control.y) << p;
        EXPECT_EQ(placed[p].control.z, first[p].control.z) << p;
    }
}

TEST_F(Dealing, NothingIsDealtOnceQuittingHasBegun) {
    stripsBuilt(pattern);
    quitRequested = 1;
    const std::uint32_t before = generatorState();
    dealStrip(1);
    EXPECT_EQ(placedCount, 0);
    EXPECT_EQ(generatorState(), before);
    quitRequested = -1;
}

TEST_F(Dealing, TheTimerReArmsItselfUntil48PlacementsExist) {
    stripsBuilt(pattern);
    dealInterval = 0.5f; // armed as 0 ms: deals follow as fast as the timer fires
    dealStrip(1);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (placedCount < placedPoolSize && std::chrono::steady_clock::now() < until) {
        glutMainLoopEvent();
    }
    EXPECT_EQ(placedCount, placedPoolSize);
    for (int i = 0; i < 50; ++i) {
        glutMainLoopEvent();
    }
    EXPECT_EQ(placedCount, placedPoolSize) << "no 49th deal";
}

TEST_F(Dealing, PlacementsFlyByTheirAgeBeforeTheStepAndTheLastLandsOnItsCell) {
    stripsBuilt(pattern);
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
    // 46 reached age 100 on that same final step: it keeps the point of age 99.
    const Strip& p = placed[46];
    const double t = 0.99, u = 0.01;
    EXPECT_NEAR(p.pos.y, p.start.y * u * u + 2 * p.control.y * u * t + p.end.y * t * t, 1e-5);
    EXPECT_NE(p.pos.y, p.end.y);
    for (int q = 0; q < placedPoolSize; ++q) {
        EXPECT_NE(listTable[placementSlot(q)], -1);
    }
}

TEST_F(Dealing, GlyphsAreReadFromTheRowsOfPlacements) {
    stripsBuilt(pattern);
    dealAll();
    Phase = 4;
    onIdle();
    ASSERT_EQ(glyphs.size(), 12u);
    for (int g = 0; g < glyphPoolSize; ++g) {
        EXPECT_EQ(glyphs[g].gridX, placed[4 * g].codeA * 4 + placed[4 * g].codeB);
        EXPECT_EQ(glyphs[g].shade, placed[4 * g + 3].codeB);
    }
}
