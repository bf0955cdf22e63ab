// assemblyPureTest.cpp -- flight points, cells, names, glyph codes, timer delays, distance laws
#include "assembly/bezier.h"
#include "assembly/burst.h"
#include "assembly/dealing.h"
#include "assembly/elements.h"
#include "support/points.h"

#include <array>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

TEST(Flight, StartsAtThePointerOffsetAt200PixelsAUnitAndTheBezierPullsToTheEnd) {
    expectPoint(elementStart(0, 0), 0, 0, 0);
    expectPoint(elementStart(200, -100), 1.0, 0.5, 0);
    expectPoint(elementStart(-640, 512), -3.2, -2.56, 0);
    const Point3 s{1, 2, 0}, c{0.5f, 3.5f, -10.5f}, e{5, 0, -20};
    expectPoint(bezierPoint(s, c, e, 0.0), 1, 2, 0);
    expectPoint(bezierPoint(s, c, e, 1.0), 5, 0, -20);
    expectPoint(bezierPoint(s, c, e, 0.5), 0.25 * 1 + 0.5 * 0.5 + 0.25 * 5,
                0.25 * 2 + 0.5 * 3.5 + 0.25 * 0, 0.5 * -10.5 + 0.25 * -20);
}

TEST(Dealing, PlacementCellsFillRowsOfFourFromTheTopLeft) {
    expectPoint(placementCell(0), -11.0, 10.0, -20.0);
    expectPoint(placementCell(5), -9.25, 8.3, -20.0);
    expectPoint(placementCell(47), -5.75, -8.7, -20.0);
}

TEST(Dealing, ImageNamesCarryTheSumAndEveryDigitOfTheSeconds) {
    EXPECT_EQ(imageNameFor(0, 1765152000), "0-1765152000.png");
    EXPECT_EQ(imageNameFor(240, 1001605040), "240-1001605040.png");
    EXPECT_EQ(imageNameFor(17, 4102444800LL), "17-4102444800.png") << "after 2038";
}

TEST(Dealing, TimerDelaysTruncateAndStayInRangeForAnyInterval) {
    EXPECT_EQ(timerDelay(1000.0f), 1000);
    EXPECT_EQ(timerDelay(666.6667f), 666);
    EXPECT_EQ(timerDelay(0.99f), 0);
    EXPECT_EQ(timerDelay(0.0f), 0);
    EXPECT_EQ(timerDelay(2.0e9f), 2000000000);
    EXPECT_EQ(timerDelay(1e30f), INT_MAX);
    EXPECT_EQ(timerDelay(std::numeric_limits<float>::infinity()), INT_MAX);
    EXPECT_EQ(timerDelay(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(Dealing, AGlyphTakesItsFieldsFromTheRowsFourPlacements) {
    const auto strip = [](int codeA, int codeB) {
        Strip s{};
        s.codeA = codeA;
        s.codeB = codeB;
        return s;
    };
    const Glyph g = glyphFromRow(strip(1, 2), strip(3, 0), strip(2, 1), strip(0, 3));
    EXPECT_EQ((std::array<int, 6>{g.gridX, g.gridY, g.sizeX, g.sizeY, g.shape, g.shade}),
              (std::array<int, 6>{6, 12, 2, 1, 0, 3}));
}

TEST(Burst, NormaliseGivesUnitLengthAndLeavesZeroAlone) {
    Point3 v{3, 0, -4};
    normalise(v);
    expectPoint(v, 0.6, 0, -0.8);
    Point3 zero{0, 0, 0};
    normalise(zero);
    expectPoint(zero, 0, 0, 0);
}

namespace {
std::vector<int> run(int (*law)(int), int from, int steps) {
    std::vector<int> values;
    for (int i = 0; i < steps; ++i) {
        from = law(from);
        values.push_back(from);
    }
    return values;
}
} // namespace

TEST(Burst, TheLawsGiveTheirSequences) {
    EXPECT_EQ(run(burstLaw, 0, 13),
              (std::vector<int>{1, 2, 3, 4, 5, 7, 10, 15, 24, 45, 116, 300, 300}));
    EXPECT_EQ(run(settleLaw, 300, 12),
              (std::vector<int>{199, 132, 87, 57, 37, 24, 15, 9, 5, 2, 0, 0}));
    EXPECT_EQ(run(collapseLaw, 0, 13),
              (std::vector<int>{-1, -2, -3, -4, -5, -7, -10, -15, -24, -45, -116, -150, -150}));
}

TEST(Burst, ACollapseFromAnyPositiveDistanceEndsAtExactlyMinus150) {
    for (int start = 1; start <= 300; ++start) {
        SCOPED_TRACE(start);
        int d = start;
        int steps = 0;
        while (d != -150 && steps < 100) {
            const int next = collapseLaw(d);
            ASSERT_LT(next, d) << "every step falls";
            d = next;
            ++steps;
        }
        EXPECT_EQ(d, -150);
        if (start <= 6) {
            EXPECT_EQ(steps, 12 + start) << "small starts fall one a step, as the law gives";
        }
    }
}
