// glyphFiguresTest.cpp -- the cross-hair, arm and figure lists and the spinning placements, as
// GL's feedback mode reports them
#include "diagramScene.h"

#include "overlay/crossHair.h"
#include "overlay/geometry.h"
#include "overlay/glyphFigures.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr float tolerance = 1e-3f;

// Runs a rising sub-step from counter 0 to its end at speed 1.0; check runs after each call
// with the call's fraction.
template <class Step, class Check> void runSubStep(Step step, Check check) {
    stepCount = 0;
    for (int k = 0; stepCount < 26 && k < 40; ++k) {
        step();
        check(std::min(0.04 * k, 1.0));
    }
}

void expectBox(const Box& box, float minX, float minY, float maxX, float maxY) {
    EXPECT_NEAR(box.minX, minX, tolerance);
    EXPECT_NEAR(box.minY, minY, tolerance);
    EXPECT_NEAR(box.maxX, maxX, tolerance);
    EXPECT_NEAR(box.maxY, maxY, tolerance);
}

} // namespace

TEST(CrossHairFigure, StopsNineShortOfItsPointOnTheGrid) {
    setUpDiagram();
    overlayView(300);
    for (const auto& [gx, gy, x, y] : {std::array<int, 4>{0, 0, 13, 13},
                                       {8, 8, 149, 149},
                                       {15, 15, 268, 268},
                                       {0, 15, 13, 268}}) {
        SCOPED_TRACE(testing::Message() << "grid " << gx << ", " << gy);
        glyphs[0].gridX = gx;
        glyphs[0].gridY = gy;
        sweepXDone = 1;
        stepCount = 25; // the vertical sweep's last call: t = 1, the cross-hair at the point
        crossHairSweepStep(0);
        const auto items = slotFeedback(crossHairSlot);
        const auto lines = itemsOfKind(items, FeedbackItem::line);
        const auto points = itemsOfKind(items, FeedbackItem::point);
        ASSERT_EQ(lines.size(), 2u);
        ASSERT_EQ(points.size(), 1u);
        EXPECT_NEAR(lines[0].vertices[0].x, 0, tolerance);
        EXPECT_NEAR(lines[0].vertices[0].y, y, tolerance);
        EXPECT_NEAR(lines[0].vertices[1].x, x - 9, tolerance);
        EXPECT_NEAR(lines[1].vertices[0].x, x, tolerance);
        EXPECT_NEAR(lines[1].vertices[0].y, 0, tolerance);
        EXPECT_NEAR(lines[1].vertices[1].y, y - 9, tolerance);
        EXPECT_NEAR(points[0].vertices[0].x, x, tolerance);
        EXPECT_NEAR(points[0].vertices[0].y, y, tolerance);
        EXPECT_NEAR(lines[0].vertices[0].r, 0.6, 0.01);
        EXPECT_EQ(points[0].vertices[0].r, 1.0f);
    }
}

TEST(OverlayFrame, OpaqueBlackSquareUnderAFadingBorder) {
    setUpDiagram();
    overlayView(1000);
    stepCount = 10;
    frameFadeStep();
    const auto items = slotFeedback(frameSlot);
    const auto fill = itemsOfKind(items, FeedbackItem::polygon);
    const auto border = itemsOfKind(items, FeedbackItem::line);
    ASSERT_FALSE(fill.empty());
    expectBox(boundsOf(fill), 0, 0, 300, 300);
    EXPECT_EQ(fill[0].vertices[0].r, 0.0f);
    EXPECT_EQ(fill[0].vertices[0].a, 1.0f);
    ASSERT_EQ(border.size(), 4u);
    expectBox(boundsOf(border), 0, 0, 300, 300);
    EXPECT_NEAR(border[0].vertices[0].r, 0.7, 0.01);
    EXPECT_NEAR(border[0].vertices[0].a, 0.6, 1e-5);
}

TEST(ArmFigures, ALineAcrossThenABoxUpBothGrowingWithTheFraction) {
    setUpDiagram();
    overlayView(1000);
    glyphs[0] = {0, 0, 1, 1, 8, 8}; // from (149, 149); full lengths 70 across and up
    stepCount = 10;                 // t = 0.4
    armXStep(0);
    const auto line = itemsOfKind(slotFeedback(armSlot), FeedbackItem::line);
    ASSERT_EQ(line.size(), 1u);
    EXPECT_NEAR(line[0].vertices[0].x, 149, tolerance);
    EXPECT_NEAR(line[0].vertices[1].x, 149 + 70 * 0.4, tolerance);
    EXPECT_NEAR(line[0].vertices[1].y, 149, tolerance);
    armYStep(0); // counter 11: t = 0.44
    const auto box = itemsOfKind(slotFeedback(armSlot), FeedbackItem::line);
    ASSERT_EQ(box.size(), 4u) << "the box replaces the line";
    expectBox(boundsOf(box), 149, 149, 149 + 65, 149 + 70 * 0.44);
}

TEST(GlyphFigure, EachShapeOutlinedAndFilledLeavingLineMode) {
    setUpDiagram();
    overlayView(1000);
    struct Case {
        const char* name;
        Glyph glyph; // shape, shade, sizeX, sizeY, gridX, gridY
        Box expected;
    };
    const Case cases[] = {
        {"square", {0, 0, 0, 0, 8, 8}, {155, 155, 173, 173}},
        {"flat bar", {1, 1, 2, 0, 0, 0}, {19, 19, 19 + 158, 20}},
        {"narrow bar", {2, 2, 0, 2, 15, 0}, {274, 19, 275, 19 + 158}},
        {"rectangle", {0, 3, 1, 2, 0, 15}, {19, 274, 19 + 53, 274 + 158}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        glyphs[3] = c.glyph;
        stepCount = 0;
        outlineStep(3);
        const auto outline = slotFeedback(outlineSlot);
        EXPECT_EQ(countKind(outline, FeedbackItem::line), 4);
        expectBox(boundsOf(outline), c.expected.minX, c.expected.minY, c.expected.maxX,
                  c.expected.maxY);
        stepCount = 25;
        fillStep(3);
        const auto fill = itemsOfKind(slotFeedback(glyphSlot(3)), FeedbackItem::polygon);
        ASSERT_FALSE(fill.empty());
        expectBox(boundsOf(fill), c.expected.minX, c.expected.minY, c.expected.maxX,
                  c.expected.maxY);
        const float grey[] = {0.3f, 0.5f, 0.8f, 1.0f};
        EXPECT_NEAR(fill[0].vertices[0].r, grey[c.glyph.shade], 0.002);
        EXPECT_EQ(fill[0].vertices[0].a, 1.0f) << "opaque at the fill's last call";
        // The finished glyph's list leaves the polygon mode at GL_LINE.
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        callSlot(glyphSlot(3));
        GLint modes[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, modes);
        EXPECT_EQ(modes[0], GL_LINE);
        EXPECT_EQ(modes[1], GL_LINE);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
}

TEST(GlyphFigure, EllipseIsALineLoopInOutlineAndFill) {
    setUpDiagram();
    overlayView(1000);
    glyphs[5] = {3, 1, 3, 3, 0, 0}; // a circle of radius 140 from the corner (19, 19)
    stepCount = 0;
    outlineStep(5);
    const auto outline = slotFeedback(outlineSlot);
    // A closed loop: one line per vertex.
    EXPECT_EQ(countKind(outline, FeedbackItem::line), ellipseVertexCount);
    expectBox(boundsOf(outline), 19, 19, 299, 299);
    ASSERT_FALSE(outline.empty());
    EXPECT_NEAR(outline[0].vertices[0].x, 159, tolerance) << "starts at the top";
    EXPECT_NEAR(outline[0].vertices[0].y, 299, tolerance);

    stepCount = 12;
    fillStep(5);
    const auto fill = slotFeedback(glyphSlot(5));
    EXPECT_EQ(countKind(fill, FeedbackItem::line), ellipseVertexCount);
    EXPECT_EQ(countKind(fill, FeedbackItem::polygon), 0) << "the ellipse is never filled";
    ASSERT_FALSE(fill.empty());
    EXPECT_NEAR(fill[0].vertices[0].r, 0.5, 0.002);
    EXPECT_NEAR(fill[0].vertices[0].a, 0.48, 1e-5) << "fading in with t";
}

TEST(SpinningPlacements, EachSubStepTurnsItsStripOrElementPair) {
    setUpDiagram();
    markElementsAndStrips();
    flatView(300, 200, -1.0, 2.0, -1.0, 1.0); // window x = 100 (x + 1), y = 100 (y + 1)
    diagramSpeed = 1.25f;                     // counter 5 gives t = 0.25: a quarter turn
    constexpr int a = 1;

    // The point behind each marker of a placement list: offset along x, and whether turned.
    auto expectPlacement = [](int p, std::vector<std::pair<int, bool>> expected) {
        SCOPED_TRACE(testing::Message() << "placement " << p);
        const auto items = slotFeedback(placementSlot(p));
        const std::vector<int> markers = markersIn(items);
        const auto points = itemsOfKind(items, FeedbackItem::point);
        ASSERT_EQ(markers.size(), expected.size());
        ASSERT_EQ(points.size(), expected.size());
        for (std::size_t k = 0; k < expected.size(); ++k) {
            const auto [marker, turned] = expected[k];
            EXPECT_EQ(markers[k], marker);
            const float offset = marker >= 200 ? 0.0f : 0.35f * static_cast<float>(k);
            EXPECT_NEAR(points[k].vertices[0].x, 100 * (offset + 1), 0.01);
            // A quarter turn about the axis through y = -0.13 brings the origin to
            // (-0.13, 0.13) in y and z.
            EXPECT_NEAR(points[k].vertices[0].y, turned ? 87 : 100, 0.01) << "marker " << marker;
            EXPECT_NEAR(points[k].vertices[0].z, turned ? 0.435 : 0.5, 1e-4);
        }
    };
    auto elementsOf = [](int p, int firstTurned) {
        std::vector<std::pair<int, bool>> expected;
        for (int j = 0; j < 4; ++j) {
            expected.emplace_back(100 + 4 * placed[p].source + j,
                                  j == firstTurned || j == firstTurned + 1);
        }
        return expected;
    };

    auto spin = [](void (*subStep)(int)) {
        stepCount = 5;
        subStep(a);
    };
    spin(crossHairSweepStep);
    expectPlacement(4 * a, {{200 + placed[4 * a].source, true}});
    sweepXDone = 1;
    spin(crossHairSweepStep);
    expectPlacement(4 * a, {{200 + placed[4 * a].source, false}});
    expectPlacement(4 * a + 1, {{200 + placed[4 * a + 1].source, true}});
    // Each pair of sub-steps turns the elements of one placement, the first pair then the second.
    const std::tuple<void (*)(int), int, int> pairs[] = {
        {armXStep, 2, 0}, {armYStep, 2, 2}, {outlineStep, 3, 0}, {fillStep, 3, 2}};
    for (const auto& [subStep, placement, firstTurned] : pairs) {
        spin(subStep);
        expectPlacement(4 * a + placement, elementsOf(4 * a + placement, firstTurned));
    }
    // Other rows are left alone.
    EXPECT_EQ(listTable[placementSlot(0)], -1);
    EXPECT_EQ(listTable[placementSlot(8)], -1);
}
