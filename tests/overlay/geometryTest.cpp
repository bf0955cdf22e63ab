// geometryTest.cpp -- figure sizes, corners and the ellipse's vertices as plain arithmetic; the
// arms' lengths and the figures' extents are the figure lists' test
#include "overlay/geometry.h"

#include <gtest/gtest.h>
#include <vector>

TEST(OverlayGeometry, SizeTablesByCode) {
    const float bars[] = {1, 2, 4, 8};
    const float radii[] = {14, 28, 70, 140};
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(barThickness(s), bars[s]);
        EXPECT_EQ(ellipseRadius(s), radii[s]);
    }
}

TEST(OverlayGeometry, QuadFiguresRunFromTheCornerUpAcrossAndDown) {
    // Sizes 0: an 18 by 18 square 6 up and right of the glyph point (149, 149).
    const auto square = figureQuad(Glyph{0, 0, 0, 0, 8, 8});
    const float corners[4][2] = {{155, 155}, {155, 173}, {173, 173}, {173, 155}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(square[k].x, corners[k][0]) << k;
        EXPECT_EQ(square[k].y, corners[k][1]) << k;
    }
}

TEST(OverlayGeometry, EllipseEmits628VerticesClockwiseFromTheTop) {
    // From the corner (19, 19): radius 140 across and 70 up, centred on (159, 89).
    std::vector<OverlayPoint> points;
    forEachEllipseVertex(Glyph{3, 0, 3, 2, 0, 0}, [&](OverlayPoint p) { points.push_back(p); });
    ASSERT_EQ(points.size(), 628u);
    const float cx = 159.0f, cy = 89.0f;
    EXPECT_EQ(points[0].x, cx);
    EXPECT_EQ(points[0].y, cy + 70.0f);
    EXPECT_GT(points[1].x, cx) << "clockwise: the second point lies right of the top";
    for (const OverlayPoint& p : points) {
        EXPECT_NEAR(std::hypot((p.x - cx) / 140.0, (p.y - cy) / 70.0), 1.0, 1e-5);
    }
    // The last emitted point is short of the top by about 0.013 rad: the loop never closes itself,
    // the primitive does.
    const OverlayPoint last = points.back();
    EXPECT_LT(last.x, cx);
    EXPECT_NEAR(std::atan2((last.x - cx) / 140.0, (last.y - cy) / 70.0) + 2 * M_PI, 6.27, 0.002);
}
