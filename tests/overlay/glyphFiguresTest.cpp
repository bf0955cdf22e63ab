// glyphFiguresTest.cpp -- the arm and figure lists and the spinning placements, as GL's feedback
// mode reports them
#include "diagramScene.h"

#include "overlay/crossHair.h"
#include "overlay/geometry.h"
#include "overlay/glyphFigures.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

TEST(ArmFigures, ALineAcrossStoppedAt300ThenABoxOfFixedWidthGrowingUp) {
    setUpDiagram();
    overlayView(1000);
    glyphs[0] = {0, 0, 3, 2, 8, 0}; // from (149, 13); full lengths 350 across and 175 up
    stepCount = 11;                 // t = 0.44: 149 + 154 passes the overlay's edge
    armXStep(0);
    const auto line = itemsOfKind(slotFeedback(armSlot), FeedbackItem::line);
    ASSERT_EQ(line.size(), 1u);
    expectBounds(line, {149, 13, 300, 13});
    armYStep(0); // counter 12: t = 0.48
    const auto box = itemsOfKind(slotFeedback(armSlot), FeedbackItem::line);
    ASSERT_EQ(box.size(), 4u) << "the box replaces the line";
    expectBounds(box, {149, 13, 149 + 345, 13 + 175 * 0.48f});
}

TEST(GlyphFigure, EachShapeOutlinedThenFilledInItsGreyFadingInAndLeavingLineMode) {
    setUpDiagram();
    overlayView(1000);
    const struct {
        const char* name;
        Glyph glyph; // shape, shade, sizeX, sizeY, gridX, gridY
        Box expected;
    } cases[] = {
        {"square", {0, 0, 0, 0, 8, 8}, {155, 155, 173, 173}},
        {"flat bar", {1, 1, 2, 0, 0, 0}, {19, 19, 19 + 158, 20}},
        {"narrow bar", {2, 2, 0, 2, 15, 0}, {274, 19, 275, 19 + 158}},
        {"rectangle", {0, 3, 1, 2, 0, 15}, {19, 274, 19 + 53, 274 + 158}},
        {"ellipse", {3, 1, 3, 3, 0, 0}, {19, 19, 299, 299}},
    };
    const float grey[] = {0.3f, 0.5f, 0.8f, 1.0f};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        glyphs[3] = c.glyph;
        // A closed loop: one line per vertex. The ellipse stays one even when filled.
        const int loopLines = c.glyph.shape == 3 ? ellipseVertexCount : 4;
        stepCount = 0;
        outlineStep(3);
        const auto outline = slotFeedback(outlineSlot);
        EXPECT_EQ(countKind(outline, FeedbackItem::line), loopLines);
        expectBounds(outline, c.expected);
        stepCount = 12; // t = 0.48
        fillStep(3);
        const auto fill = slotFeedback(glyphSlot(3));
        ASSERT_FALSE(fill.empty());
        EXPECT_EQ(countKind(fill, FeedbackItem::line), loopLines == 4 ? 0 : loopLines);
        EXPECT_EQ(countKind(fill, FeedbackItem::polygon) > 0, loopLines == 4);
        expectBounds(fill, c.expected);
        EXPECT_NEAR(fill[0].vertices[0].r, grey[c.glyph.shade], 0.002);
        EXPECT_NEAR(fill[0].vertices[0].a, 0.48, 1e-5) << "fading in with t";
    }
    // The finished glyph's list leaves the polygon mode at GL_LINE.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    callSlot(glyphSlot(3));
    GLint modes[2] = {0, 0};
    glGetIntegerv(GL_POLYGON_MODE, modes);
    EXPECT_EQ(modes[0], GL_LINE);
    EXPECT_EQ(modes[1], GL_LINE);
}

TEST(SpinningPlacements, EachSubStepTurnsItsStripOrElementPair) {
    setUpDiagram();
    // Marker lists for every element and strip show which parts a placement list calls.
    for (int i = 0; i < elementPoolSize; ++i) {
        compileMarker(elementSlot(i));
    }
    for (int s = 0; s < stripPoolSize; ++s) {
        compileMarker(stripSlot(s));
    }
    flatView(300, 200, -1.0, 2.0, -1.0, 1.0); // window x = 100 (x + 1), y = 100 (y + 1)
    diagramSpeed = 1.25f;                     // counter 5 gives t = 0.25: a quarter turn
    constexpr int a = 1;

    // Placement p's list calls its strip, or the strip's four elements 0.35 apart along x; the
    // bits of turned mark the parts turned. A quarter turn about the axis through y = -0.13
    // brings the origin to (-0.13, 0.13) in y and z.
    auto expectPlacement = [](int p, bool elements, unsigned turned) {
        SCOPED_TRACE(testing::Message() << "placement " << p);
        const auto items = slotFeedback(placementSlot(p));
        const auto points = itemsOfKind(items, FeedbackItem::point);
        const int s = placed[p].source;
        const std::vector<int> markers =
            elements ? std::vector<int>{100 + 4 * s, 101 + 4 * s, 102 + 4 * s, 103 + 4 * s}
                     : std::vector<int>{200 + s};
        EXPECT_EQ(markersIn(items), markers);
        ASSERT_EQ(points.size(), markers.size());
        for (std::size_t k = 0; k < markers.size(); ++k) {
            const bool on = ((turned >> k) & 1u) != 0;
            EXPECT_NEAR(points[k].vertices[0].x, 100 * (0.35f * k + 1), 0.01) << "part " << k;
            EXPECT_NEAR(points[k].vertices[0].y, on ? 87 : 100, 0.01) << "part " << k;
            EXPECT_NEAR(points[k].vertices[0].z, on ? 0.435 : 0.5, 1e-4) << "part " << k;
        }
    };
    auto spin = [](void (*subStep)(int)) {
        stepCount = 5;
        subStep(a);
    };
    spin(crossHairSweepStep);
    expectPlacement(4 * a, false, 1);
    sweepXDone = 1;
    spin(crossHairSweepStep);
    expectPlacement(4 * a, false, 0);
    expectPlacement(4 * a + 1, false, 1);
    // Each pair of sub-steps turns the elements of one placement, the first pair then the second.
    const std::tuple<void (*)(int), int, unsigned> pairs[] = {{armXStep, 2, 0b0011},
                                                              {armYStep, 2, 0b1100},
                                                              {outlineStep, 3, 0b0011},
                                                              {fillStep, 3, 0b1100}};
    for (const auto& [subStep, placement, turned] : pairs) {
        spin(subStep);
        expectPlacement(4 * a + placement, true, turned);
    }
    // Other rows are left alone.
    EXPECT_EQ(listTable[placementSlot(0)], -1);
    EXPECT_EQ(listTable[placementSlot(8)], -1);
}
