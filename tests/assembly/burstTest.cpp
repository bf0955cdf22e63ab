// burstTest.cpp -- burst vectors, the burst layout of the placement lists, and whole cycles
#include "assembly/burst.h"
#include "assembly/dealing.h"
#include "scene/generator.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"
#include "support/feedback.h"
#include "support/glWindow.h"

#include <GL/gl.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {

class Burst : public ::testing::Test {
  protected:
    void SetUp() override {
        useGlWindow();
        freshScene(31);
        placed.assign(placedPoolSize, Strip{});
        for (int p = 0; p < placedPoolSize; ++p) {
            placed[p].end = placed[p].pos = placementCell(p);
            placed[p].source = (p * 5) % 16;
        }
        placedCount = placedPoolSize;
    }
};

// Element lists that report their slot and draw one point at their origin.
void compileElementMarkers() {
    for (int i = 0; i < elementPoolSize; ++i) {
        beginSlotList(elementSlot(i));
        glPassThrough(static_cast<float>(elementSlot(i)));
        glBegin(GL_POINTS);
        glVertex3f(0.0f, 0.0f, 0.0f);
        glEnd();
        endSlotList();
    }
}

// Feedback of one placement list under an orthographic view where window x and y are scene x
// and y plus 500.
std::vector<FeedbackItem> drawPlacementList(int p) {
    glViewport(0, 0, 1000, 1000);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-500, 500, -500, 500, -1000, 1000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return captureFeedback([p] { callSlot(placementSlot(p)); });
}

double length(const Point3& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

} // namespace

TEST_F(Burst, VectorsAreUnitLengthAndTheCollapseOnesPointAway) {
    for (const bool collapse : {false, true}) {
        SCOPED_TRACE(collapse ? "collapse" : "outward");
        const std::uint32_t before = generatorState();
        makeBurstVectors(collapse);
        const auto first = burstVectors;
        seedGenerator(before);
        for (int i = 0; i < 768; ++i) {
            drawRandom();
        }
        const std::uint32_t after768 = generatorState();
        seedGenerator(before);
        makeBurstVectors(collapse);
        EXPECT_EQ(generatorState(), after768);
        for (int k = 0; k < burstVectorCount; ++k) {
            EXPECT_NEAR(length(burstVectors[k]), 1.0, 1e-6) << k;
            EXPECT_EQ(burstVectors[k].x, first[k].x) << "same state, same vectors";
            if (collapse) {
                EXPECT_LT(burstVectors[k].z, -0.99f) << k;
            } else {
                EXPECT_GT(burstVectors[k].z, 0.0f) << "towards the eye " << k;
            }
        }
    }
}

TEST_F(Burst, ElementsMoveAlongTheSumOfTheVectorsBeforeThem) {
    compileElementMarkers();
    const Point3 v[4] = {{1, 0, 0}, {0, 1, 0}, {0.6f, 0.8f, 0}, {0, 0, 1}};
    for (int j = 0; j < 4; ++j) {
        burstVectors[4 * 7 + j] = v[j];
    }
    burstDistance = 72; // a spin of 360 degrees leaves every element upright
    burstLayout(300);
    const int s = placed[7].source;
    const auto items = drawPlacementList(7);
    std::vector<std::pair<int, FeedbackVertex>> points;
    for (std::size_t i = 0; i + 1 < items.size(); ++i) {
        if (items[i].kind == FeedbackItem::passThrough) {
            points.emplace_back(static_cast<int>(items[i].marker), items[i + 1].vertices.at(0));
        }
    }
    ASSERT_EQ(points.size(), 4u);
    double sumX = 0, sumY = 0;
    for (int j = 0; j < 4; ++j) {
        SCOPED_TRACE("element " + std::to_string(j));
        sumX += v[j].x;
        sumY += v[j].y;
        EXPECT_EQ(points[j].first, elementSlot(4 * s + j)) << "the strip's own element lists";
        EXPECT_NEAR(points[j].second.x - 500.0, 0.35 * j + 30.0 * sumX, 1e-3);
        EXPECT_NEAR(points[j].second.y - 500.0, 30.0 * sumY, 1e-3);
    }
}

TEST_F(Burst, AtFullBurstTheFirstElementMovesThirtyUnitsAndSpins) {
    compileElementMarkers();
    burstVectors[0] = {0.6f, -0.8f, 0.0f};
    burstDistance = 300;
    burstLayout(300);
    const auto items = drawPlacementList(0);
    ASSERT_GE(items.size(), 2u);
    const FeedbackVertex p = items[1].vertices.at(0);
    // 1500 degrees (60 beyond whole turns) about y leaves the point where it is; the turn about
    // x swings it round the line through (0, -0.13, 0).
    const double a = 60.0 * M_PI / 180.0;
    EXPECT_NEAR(p.x - 500.0, 18.0, 1e-3);
    EXPECT_NEAR(p.y - 500.0, -24.0 + 0.13 * std::cos(a) - 0.13, 1e-3);
}
