// burstTest.cpp -- burst vectors, the burst layout of the placement lists, and whole cycles
#include "assembly/burst.h"
#include "assembly/dealing.h"
#include "scene/generator.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"
#include "support/feedback.h"
#include "support/points.h"
#include "support/sceneTest.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

class Burst : public SceneTest<31> {
  protected:
    void SetUp() override {
        SceneTest::SetUp();
        dealPlacements(5);
        for (int i = 0; i < elementPoolSize; ++i) {
            compileMarker(elementSlot(i));
        }
    }
};

// Feedback of one placement list under an orthographic view where window x and y are scene x
// and y plus 500.
std::vector<FeedbackItem> drawPlacementList(int p) {
    flatView(1000, 1000, -500, 500, -500, 500, -1000, 1000);
    return captureFeedback([p] { callSlot(placementSlot(p)); });
}

double length(const Point3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

} // namespace

TEST_F(Burst, VectorsFromAKnownStateAndTheCollapseOnesPointAway) {
    // Replayed by hand from state 0 with the cells of placements 0 and 1: draws (sign, r1, r2,
    // r3) of (even, 19, 38, 37), (odd, 97, 65, 85) and, for vector 5, (even, 91, 55, 6); then
    // (r1 * 0.01 * sign - x, r2 * 0.01 * sign - y, -z - r3 * 0.04 or (z - r3 * 0.04) * 50),
    // normalised.
    const int k[3] = {0, 1, 5};
    const double outward[3][3] = {{0.4537410, -0.4356920, 0.7773619},
                                  {0.5319930, -0.4155501, 0.7377681},
                                  {0.3489217, -0.4413818, 0.8267018}};
    const double collapse[3][3] = {{0.0100642, -0.0096639, -0.9999026},
                                   {0.0102299, -0.0079908, -0.9999157},
                                   {0.0082404, -0.0104240, -0.9999117}};
    for (const bool collapsing : {false, true}) {
        SCOPED_TRACE(collapsing ? "collapse" : "outward");
        seedGenerator(0);
        makeBurstVectors(collapsing);
        EXPECT_EQ(generatorState(), 4'275'084'032u) << "768 draws, replayed by hand";
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE("vector " + std::to_string(k[i]));
            const double* v = collapsing ? collapse[i] : outward[i];
            expectPoint(burstVectors[k[i]], v[0], v[1], v[2]);
        }
        for (int i = 0; i < burstVectorCount; ++i) {
            EXPECT_NEAR(length(burstVectors[i]), 1.0, 1e-6) << i;
            EXPECT_EQ(burstVectors[i].z < 0.0f, collapsing) << i;
        }
    }
}

TEST_F(Burst, ElementsMoveAlongTheSumOfTheVectorsBeforeThem) {
    const Point3 v[4] = {{1, 0, 0}, {0, 1, 0}, {0.6f, 0.8f, 0}, {0, 0, 1}};
    for (int j = 0; j < 4; ++j) {
        burstVectors[4 * 7 + j] = v[j];
    }
    burstDistance = 72; // a spin of 360 degrees leaves every element upright
    burstLayout(300);
    const int s = placed[7].source;
    const auto items = drawPlacementList(7);
    const std::vector<int> markers = markersIn(items);
    ASSERT_EQ(markers.size(), 4u);
    double sumX = 0, sumY = 0;
    for (int j = 0; j < 4; ++j) {
        SCOPED_TRACE("element " + std::to_string(j));
        sumX += v[j].x;
        sumY += v[j].y;
        EXPECT_EQ(markers[j], elementSlot(4 * s + j)) << "the strip's own element lists";
        const FeedbackVertex point = pointAfter(items, markers[j]);
        EXPECT_NEAR(point.x - 500.0, 0.35 * j + 30.0 * sumX, 1e-3);
        EXPECT_NEAR(point.y - 500.0, 30.0 * sumY, 1e-3);
    }
}

TEST_F(Burst, TheFirstElementMovesByTheLayoutDistanceAndSpinsByTheBurstDistance) {
    burstVectors[0] = {0.6f, -0.8f, 0.0f};
    auto expectFirstElementAt = [](double x, double y) {
        const auto items = drawPlacementList(0);
        ASSERT_GE(items.size(), 2u);
        EXPECT_NEAR(items[1].vertices.at(0).x - 500.0, x, 1e-3);
        EXPECT_NEAR(items[1].vertices.at(0).y - 500.0, y, 1e-3);
    };
    // Full burst: 300 x 0.1 = 30 units along the vector; the point sits on the y axis, so only
    // the turn about x (1500 degrees, 60 past whole turns) swings it round (0, -0.13, 0):
    // y offset 0.13 cos 60 - 0.13 = -0.065.
    burstDistance = 300;
    burstLayout(300);
    expectFirstElementAt(18.0, -24.065);
    // A collapse step from -24: the law gives -45 (by hand), the layout takes 45 x 20 = 900,
    // 90 units along the vector; the spin is -45 x 5 = -225 degrees (900 x 5 would be 180):
    // y offset 0.13 cos(-225) - 0.13 = -0.2219239.
    burstDistance = -24;
    collapseStep();
    EXPECT_EQ(burstDistance, -45);
    expectFirstElementAt(54.0, -72.2219239);
}
