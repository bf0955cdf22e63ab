// geometryTest.cpp -- overlay coordinates, arm ends and figure vertices as plain arithmetic
#include "overlay/geometry.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

Glyph glyphAt(int gridX, int gridY, int sizeX, int sizeY, int shape = 0) {
    Glyph g{};
    g.gridX = gridX;
    g.gridY = gridY;
    g.sizeX = sizeX;
    g.sizeY = sizeY;
    g.shape = shape;
    return g;
}

} // namespace

TEST(OverlayGeometry, ArmStopsAt300AndTheBoxIsNeitherGrownNorStopped) {
    // From 149 with sizeX 3 the full arm would reach 499.
    EXPECT_FLOAT_EQ(armEnd(149.0f, 3, 0.4f), 149.0f + 140.0f);
    EXPECT_EQ(armEnd(149.0f, 3, 0.44f), 300.0f);
    EXPECT_EQ(armEnd(149.0f, 3, 1.0f), 300.0f);
    EXPECT_EQ(armEnd(13.0f, 0, 1.0f), 48.0f);
    EXPECT_EQ(boxWidth(0), 30.0f);
    EXPECT_EQ(boxWidth(3), 345.0f);
}

TEST(OverlayGeometry, SizeTablesByCode) {
    const float bars[] = {1, 2, 4, 8};
    const float radii[] = {14, 28, 70, 140};
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(barThickness(s), bars[s]);
        EXPECT_EQ(ellipseRadius(s), radii[s]);
    }
    EXPECT_EQ(shadeGrey(0), 0.3f);
    EXPECT_EQ(shadeGrey(3), 1.0f);
}

TEST(OverlayGeometry, QuadFiguresRunFromTheCornerUpAcrossAndDown) {
    // Sizes 0: an 18 by 18 square 6 up and right of the glyph point (149, 149). Its sizes and
    // those of the bars are the figure lists' test.
    const auto square = figureQuad(glyphAt(8, 8, 0, 0, 0));
    const float corners[4][2] = {{155, 155}, {155, 173}, {173, 173}, {173, 155}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(square[k].x, corners[k][0]) << k;
        EXPECT_EQ(square[k].y, corners[k][1]) << k;
    }
}

TEST(OverlayGeometry, EllipseEmits628VerticesClockwiseFromTheTop) {
    const Glyph g = glyphAt(0, 0, 3, 3, 3);
    std::vector<OverlayPoint> points;
    forEachEllipseVertex(g, [&](OverlayPoint p) { points.push_back(p); });
    ASSERT_EQ(points.size(), 628u);
    const float cx = 19.0f + 140.0f;
    const float cy = 19.0f + 140.0f;
    EXPECT_EQ(points[0].x, cx);
    EXPECT_EQ(points[0].y, cy + 140.0f);
    EXPECT_GT(points[1].x, cx) << "clockwise: the second point lies right of the top";
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const OverlayPoint& p : points) {
        EXPECT_NEAR(std::hypot(p.x - cx, p.y - cy), 140.0, 1e-3);
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    EXPECT_NEAR(minX, 19.0f, 0.01);
    EXPECT_NEAR(maxX, 299.0f, 0.01);
    EXPECT_NEAR(minY, 19.0f, 0.01);
    EXPECT_EQ(maxY, 299.0f);
    // The last emitted point is short of the top by about 0.013 rad: the loop never closes
    // itself, the primitive does.
    const OverlayPoint last = points.back();
    EXPECT_LT(last.x, cx);
    EXPECT_NEAR(std::atan2(last.x - cx, last.y - cy) + 2 * M_PI, 6.27, 0.002);
}
