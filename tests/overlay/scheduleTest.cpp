// scheduleTest.cpp -- the phase-5 schedule through real lists: call counts, the cross-hair's
// fractions, the stipple and the hand-over
#include "diagramScene.h"

#include "harness/glWindow.h"
#include "overlay/crossHair.h"
#include "overlay/geometry.h"
#include "overlay/glyphFigures.h"
#include "overlay/schedule.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>

namespace {

// Calls per glyph until phase 5 ends; a glyph's count includes the call that ends it.
std::vector<int> glyphLengths(float speed) {
    setUpDiagram();
    diagramSpeed = speed;
    std::vector<int> lengths;
    int calls = 0;
    int glyph = currentGlyph;
    while (Phase == 5 && lengths.size() < 20) {
        runPhase5Schedule();
        ++calls;
        if (currentGlyph != glyph || Phase != 5) {
            lengths.push_back(calls);
            calls = 0;
            glyph = currentGlyph;
        }
    }
    return lengths;
}

void expectLengths(float speed, int first, int later, int total) {
    SCOPED_TRACE(speed);
    const std::vector<int> lengths = glyphLengths(speed);
    ASSERT_EQ(lengths.size(), 12u);
    EXPECT_EQ(lengths[0], first);
    for (std::size_t g = 1; g < 12; ++g) {
        EXPECT_EQ(lengths[g], later) << "glyph " << g;
    }
    EXPECT_EQ(std::accumulate(lengths.begin(), lengths.end(), 0), total);
    EXPECT_EQ(Phase, 6) << "the last call hands over";
    EXPECT_EQ(currentGlyph, 11);
}

// The moving cross-hair's point (slot 302).
OverlayPoint crossHairAt() {
    const std::vector<FeedbackItem> points =
        itemsOfKind(slotFeedback(crossHairSlot), FeedbackItem::point);
    if (points.size() != 1) {
        ADD_FAILURE() << points.size() << " cross-hair points";
        return {-1.0f, -1.0f};
    }
    return {points[0].vertices[0].x, points[0].vertices[0].y};
}

} // namespace

TEST(Phase5Schedule, CallsPerGlyphAtSpeedOne1point2AndInfinity) {
    expectLengths(1.0f, 196, 183, 2209);
    expectLengths(1.2f, 168, 155, 1873);
    // Glyph 0: 14 fade-in calls, one for each of the seven later sub-steps, one to end the
    // glyph; later glyphs fade in with one call.
    expectLengths(std::numeric_limits<float>::infinity(), 22, 9, 121);
}

TEST(Phase5Schedule, CrossHairSweepsAcrossThenDownAndReturnsAlongBoth) {
    setUpDiagram();
    glyphs[0].gridX = 15; // column 268: 119 units right of the centre
    glyphs[0].gridY = 0;  // row 13: 136 units down
    overlayView(300);
    runScheduleUntil([] { return frameDone == 1; });
    // Each call's fraction is the step arithmetic's; here, which way each sub-step moves.
    const auto calls = [](int n) {
        for (int k = 0; k < n; ++k) {
            runPhase5Schedule();
        }
    };
    const auto expectAt = [](double x, double y) {
        const OverlayPoint at = crossHairAt();
        EXPECT_NEAR(at.x, x, 1e-3);
        EXPECT_NEAR(at.y, y, 1e-3);
    };
    expectAt(149, 149);
    calls(10); // the sweep across at t = 0.4
    expectAt(149 + 119 * 0.4, 149);
    calls(15); // its last call
    expectAt(268, 149);
    calls(11); // the sweep down at t = 0.4
    expectAt(268, 149 - 136 * 0.4);
    runScheduleUntil([] { return fillDone == 1; }); // the return's first call, t = 0.96
    calls(12);                                      // t = 0.48
    expectAt(149 + 119 * 0.48, 149 - 136 * 0.48);
    calls(12); // the return's last call, at the centre
    expectAt(149, 149);
    EXPECT_EQ(stepCount, 26);
    runPhase5Schedule();
    EXPECT_EQ(currentGlyph, 1);
}

TEST(Phase5Schedule, StippledListsSwitchStippleOffAtTheirEndAndOutlineDashesTighten) {
    setUpDiagram();
    // Stipple switched on, pattern and repeat, as a list leaves them behind in the GL state.
    auto stippleAfter = [](int slot) {
        glDisable(GL_LINE_STIPPLE);
        glLineStipple(1, 0xFFFF);
        callSlot(slot);
        GLint pattern = 0, repeat = 0;
        glGetIntegerv(GL_LINE_STIPPLE_PATTERN, &pattern);
        glGetIntegerv(GL_LINE_STIPPLE_REPEAT, &repeat);
        return std::vector<int>{glIsEnabled(GL_LINE_STIPPLE), pattern, repeat};
    };
    // Cross-hairs and arms: dashes of 0xAAAA at factor 2, switched off before the list ends.
    const std::vector<int> crossHairDashes{GL_FALSE, 0xAAAA, 2};
    frameFadeStep();
    EXPECT_EQ(stippleAfter(centreCrossSlot), crossHairDashes);
    const std::pair<void (*)(int), int> dashed[] = {
        {crossHairSweepStep, crossHairSlot}, {armXStep, armSlot}, {armYStep, armSlot}};
    for (const auto& [subStep, slot] : dashed) {
        stepCount = 0;
        subStep(0);
        EXPECT_EQ(stippleAfter(slot), crossHairDashes) << "slot " << slot;
    }
    // The outline's factor is 52 / (stepCount + 1) before each call, by hand.
    stepCount = 0;
    std::vector<int> repeats;
    while (stepCount < 26 && repeats.size() < 40) {
        outlineStep(0);
        const std::vector<int> left = stippleAfter(outlineSlot);
        EXPECT_EQ(left[0], GL_FALSE) << "call " << repeats.size();
        EXPECT_EQ(left[1], 0xAAAA) << "call " << repeats.size();
        repeats.push_back(left[2]);
    }
    ASSERT_EQ(repeats.size(), 26u);
    const std::vector<int> firstEleven{52, 26, 17, 13, 10, 8, 7, 6, 5, 5, 4};
    EXPECT_EQ(std::vector<int>(repeats.begin(), repeats.begin() + 11), firstEleven);
    EXPECT_EQ(repeats.back(), 2);
    EXPECT_TRUE(std::is_sorted(repeats.rbegin(), repeats.rend()));
}

TEST(Phase5Schedule, HandOverAfterGlyph11CompilesTheUnionOfAllTwelveInOrder) {
    setUpDiagram();
    diagramSpeed = 3.0f;
    const int calls = runScheduleUntil([] { return Phase != 5; });
    EXPECT_EQ(Phase, 6);
    EXPECT_EQ(currentGlyph, 11);
    EXPECT_EQ(fillDone + frameDone + sweepXDone + sweepYDone + armXDone + armYDone + outlineDone,
              0);
    EXPECT_LT(calls, 5000);
    // The union calls the glyph lists by id: recompiled as markers, they show the order.
    for (int g = 0; g < glyphPoolSize; ++g) {
        compileMarker(glyphSlot(g));
    }
    std::vector<int> expected;
    for (int g = 0; g < glyphPoolSize; ++g) {
        expected.push_back(310 + g);
    }
    EXPECT_EQ(markersIn(slotFeedback(diagramSlot)), expected);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}
