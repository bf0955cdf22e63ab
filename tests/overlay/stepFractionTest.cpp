// stepFractionTest.cpp -- fractions and alphas of the diagram sub-steps, no GL
#include "overlay/stepFraction.h"
#include "scene/sceneStore.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {

constexpr float infinity = std::numeric_limits<float>::infinity();

// The values (fraction or alpha) of one sub-step's calls, from counter 0 until it reaches end.
template <class Step>
std::vector<float> callsOf(Step step, float speed, std::int32_t end = subStepEndCount) {
    std::vector<float> values;
    for (std::int32_t count = 0; count < end && values.size() < 200;) {
        const auto [value, next] = step(count, speed);
        values.push_back(value);
        count = next;
    }
    return values;
}

} // namespace

TEST(StepFraction, RisingTakes26CallsAndReturn25AtSpeedOneAnd22And21At1point2) {
    const std::vector<float> rising = callsOf(risingStep, 1.0f);
    ASSERT_EQ(rising.size(), 26u);
    for (std::size_t k = 0; k < 25; ++k) {
        EXPECT_NEAR(rising[k], 0.04 * k, 1e-6) << "call " << k;
    }
    EXPECT_EQ(rising.back(), 1.0f);
    const std::vector<float> back = callsOf(returnStep, 1.0f);
    ASSERT_EQ(back.size(), 25u);
    for (std::size_t k = 0; k < 24; ++k) {
        EXPECT_NEAR(back[k], 0.96 - 0.04 * k, 1e-6) << "call " << k;
    }
    EXPECT_EQ(back.back(), 0.0f);

    const std::vector<float> faster = callsOf(risingStep, 1.2f);
    ASSERT_EQ(faster.size(), 22u);
    EXPECT_NEAR(faster[20], 20 * 0.04 * 1.2, 1e-6);
    EXPECT_EQ(faster.back(), 1.0f) << "1.008 at counter 21 is cut to 1";
    const std::vector<float> fasterBack = callsOf(returnStep, 1.2f);
    ASSERT_EQ(fasterBack.size(), 21u);
    EXPECT_EQ(fasterBack.back(), 0.0f);
}

TEST(StepFraction, SpeedChangeTakesEffectAtTheNextCall) {
    // Ten calls at 1.0, then doubled: the counter carries on, t jumps and ends early.
    stepCount = 10;
    diagramSpeed = 2.0f;
    EXPECT_NEAR(advanceRisingStep(), 0.8, 1e-6);
    EXPECT_NEAR(advanceRisingStep(), 0.88, 1e-6);
    EXPECT_NEAR(advanceRisingStep(), 0.96, 1e-6);
    EXPECT_EQ(advanceRisingStep(), 1.0f);
    EXPECT_EQ(stepCount, subStepEndCount);
}

TEST(StepFraction, InfiniteSpeedEndsEverySubStepAtItsFirstCallWithoutNaN) {
    const SubStepTick rising = risingStep(0, infinity);
    EXPECT_EQ(rising.t, 1.0f);
    EXPECT_EQ(rising.stepCount, subStepEndCount);
    const SubStepTick back = returnStep(0, infinity);
    EXPECT_EQ(back.t, 0.0f);
    EXPECT_EQ(back.stepCount, subStepEndCount);
    // The largest finite speed: a product beyond the float range still ends cleanly.
    const float huge = std::numeric_limits<float>::max();
    EXPECT_EQ(risingStep(0, huge).t, 0.0f);
    EXPECT_EQ(risingStep(1, huge).t, 1.0f);
    EXPECT_EQ(returnStep(0, huge).t, 0.0f);
}

TEST(FrameFade, GlyphZeroFadesIn14CallsLaterGlyphsOneOpaqueCall) {
    const std::vector<float> alphas =
        callsOf([](std::int32_t count, float) { return frameStep(count); }, 1.0f, frameEndCount);
    ASSERT_EQ(alphas.size(), 14u);
    for (std::size_t k = 0; k < alphas.size(); ++k) {
        EXPECT_NEAR(alphas[k], 0.006 * k * k, 1e-6) << "call " << k;
    }
    // Later glyphs start where the previous glyph's return left the counter.
    const FrameTick later = frameStep(subStepEndCount);
    EXPECT_NEAR(later.alpha, 4.056, 1e-5);
    EXPECT_EQ(later.stepCount, frameEndCount);
}
