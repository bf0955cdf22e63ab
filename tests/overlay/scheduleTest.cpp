// scheduleTest.cpp -- the phase-5 schedule through real lists: call counts, the cross-hair's way,
// the stipple and the hand-over
#include "diagramScene.h"

#include "overlay/crossHair.h"
#include "overlay/glyphFigures.h"
#include "overlay/schedule.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <limits>

namespace {

// Runs phase 5 to its end from glyph 0 and expects the calls per glyph, each glyph's count
// including the call that ends it.
void expectLengths(float speed, int first, int later) {
    SCOPED_TRACE(speed);
    setUpDiagram();
    diagramSpeed = speed;
    std::vector<int> lengths;
    while (Phase == 5 && lengths.size() < 20) {
        const int glyph = currentGlyph;
        lengths.push_back(
            runScheduleUntil([glyph] { return currentGlyph != glyph || Phase != 5; }));
    }
    std::vector<int> expected(12, later);
    expected[0] = first;
    EXPECT_EQ(lengths, expected);
    EXPECT_EQ(Phase, 6) << "the last call hands over";
    EXPECT_EQ(currentGlyph, 11);
}

// Expects the moving cross-hair (slot 302) at (x, y): a white point, and grey lines in from the
// left and bottom edges that stop nine short of it.
void expectCrossHairAt(float x, float y) {
    const auto items = slotFeedback(crossHairSlot);
    const auto lines = itemsOfKind(items, FeedbackItem::line);
    const auto points = itemsOfKind(items, FeedbackItem::point);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(points.size(), 1u);
    const auto &across = lines[0].vertices, &up = lines[1].vertices;
    const FeedbackVertex& point = points[0].vertices[0];
    const float got[] = {across[0].x, across[0].y, across[1].x, across[1].y, up[0].x,
                         up[0].y,     up[1].x,     up[1].y,     point.x,     point.y};
    const float want[] = {0, y, x - 9, y, x, 0, x, y - 9, x, y};
    for (int k = 0; k < 10; ++k) {
        EXPECT_NEAR(got[k], want[k], 1e-3) << "coordinate " << k;
    }
    EXPECT_NEAR(across[0].r, 0.6, 0.01);
    EXPECT_EQ(point.r, 1.0f);
}

} // namespace

TEST(Phase5Schedule, CallsPerGlyphAtSpeedOneAndInfinityThenTheUnionOfAllTwelveInOrder) {
    expectLengths(1.0f, 196, 183);
    // Glyph 0: 14 fade-in calls, one for each of the seven later sub-steps, one to end the glyph;
    // later glyphs fade in with one call.
    expectLengths(std::numeric_limits<float>::infinity(), 22, 9);
    EXPECT_EQ(fillDone + frameDone + sweepXDone + sweepYDone + armXDone + armYDone + outlineDone,
              0);
    // The union calls the glyph lists by id: recompiled as markers, they show the order.
    std::vector<int> expected;
    for (int g = 0; g < glyphPoolSize; ++g) {
        compileMarker(glyphSlot(g));
        expected.push_back(310 + g);
    }
    EXPECT_EQ(markersIn(slotFeedback(diagramSlot)), expected);
    GLint depth = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
    EXPECT_EQ(depth, 1);
}

TEST(Phase5Schedule, FrameFadesInThenTheCrossHairSweepsAcrossThenDownAndReturnsAlongBoth) {
    setUpDiagram();
    glyphs[0].gridX = 15; // column 268: 119 units right of the centre
    glyphs[0].gridY = 0;  // row 13: 136 units down
    overlayView(300);
    // The frame's call at counter 10: an opaque black square under a border of alpha 0.6.
    runScheduleUntil([] { return stepCount == 11; });
    const auto frame = slotFeedback(frameSlot);
    const auto fill = itemsOfKind(frame, FeedbackItem::polygon);
    const auto border = itemsOfKind(frame, FeedbackItem::line);
    ASSERT_FALSE(fill.empty());
    ASSERT_EQ(border.size(), 4u);
    expectBounds(fill, {0, 0, 300, 300});
    expectBounds(border, {0, 0, 300, 300});
    EXPECT_EQ(fill[0].vertices[0].r, 0.0f);
    EXPECT_EQ(fill[0].vertices[0].a, 1.0f);
    EXPECT_NEAR(border[0].vertices[0].r, 0.7, 0.01);
    EXPECT_NEAR(border[0].vertices[0].a, 0.6, 1e-5);
    runScheduleUntil([] { return frameDone == 1; });
    // Each call's fraction is the step arithmetic's; here, which way each sub-step moves.
    const auto calls = [](int n) {
        for (int k = 0; k < n; ++k) {
            runPhase5Schedule();
        }
    };
    expectCrossHairAt(149, 149);
    calls(10); // the sweep across at t = 0.4
    expectCrossHairAt(149 + 119 * 0.4, 149);
    calls(15); // its last call
    expectCrossHairAt(268, 149);
    calls(11); // the sweep down at t = 0.4
    expectCrossHairAt(268, 149 - 136 * 0.4);
    calls(15); // its last call, at the glyph point
    expectCrossHairAt(268, 13);
    runScheduleUntil([] { return fillDone == 1; }); // the return's first call, t = 0.96
    calls(12);                                      // t = 0.48
    expectCrossHairAt(149 + 119 * 0.48, 149 - 136 * 0.48);
    calls(12); // the return's last call, at the centre
    expectCrossHairAt(149, 149);
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
    for (const int factor :
         {52, 26, 17, 13, 10, 8, 7, 6, 5, 5, 4, 4, 4, 3, 3, 3, 3, 2, 2, 2, 2, 2, 2, 2, 2, 2}) {
        outlineStep(0);
        EXPECT_EQ(stippleAfter(outlineSlot), (std::vector<int>{GL_FALSE, 0xAAAA, factor}));
    }
    EXPECT_EQ(stepCount, 26);
}
