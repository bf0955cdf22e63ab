// stepFraction.cpp -- the per-call arithmetic of the diagram sub-steps: fractions, alphas, stipple
#include "overlay/stepFraction.h"

#include "scene/sceneStore.h"

#include <cmath>

SubStepTick risingStep(std::int32_t stepCount, float speed) {
    const double product = stepCount * 0.04 * static_cast<double>(speed);
    // 0 x infinity is NaN: an infinitely fast sub-step counts as done at its first call. Values
    // of 1 or more are settled in double, before a huge product could meet the float's range.
    if (std::isnan(product) || product >= 1.0) {
        return {1.0f, subStepEndCount};
    }
    const auto t = static_cast<float>(product);
    // A product just below 1 can round up to 1 in single precision; it then ends the sub-step.
    if (t >= 1.0f) {
        return {1.0f, subStepEndCount};
    }
    return {t, stepCount + 1};
}

float advanceRisingStep() {
    const SubStepTick tick = risingStep(stepCount, diagramSpeed);
    stepCount = tick.stepCount;
    return tick.t;
}

SubStepTick returnStep(std::int32_t stepCount, float speed) {
    const std::int32_t counted = stepCount + 1;
    const float t = (25.0f - static_cast<float>(counted) * speed) * 0.04f;
    // Written so that a NaN would also end the return at the centre.
    if (!(t > 0.0f)) {
        return {0.0f, subStepEndCount};
    }
    return {t, counted};
}

FrameTick frameStep(std::int32_t stepCount) {
    const auto n = static_cast<float>(stepCount);
    const float alpha = n * 0.006f * n;
    return {alpha, alpha >= 1.0f ? frameEndCount : stepCount + 1};
}
