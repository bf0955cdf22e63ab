// stepFraction.h -- the per-call arithmetic of the diagram sub-steps: fractions, alphas, stipple
#pragma once

#include <cstdint>

// The step counter at which a sub-step has ended: the frame fade-in at 100 or more, every other
// sub-step at 26 or more.
inline constexpr std::int32_t frameEndCount = 100;
inline constexpr std::int32_t subStepEndCount = 26;

// One call of a sub-step: the fraction it draws with (0..1) and the step counter after the call.
struct SubStepTick {
    float t;
    std::int32_t stepCount;
};

// The six rising sub-steps: t = stepCount x 0.04 x speed, 0 at the first call; a call that
// reaches 1 draws with exactly 1 and ends the sub-step (counter 26). An infinite speed ends the
// sub-step at its first call, with t = 1.
SubStepTick risingStep(std::int32_t stepCount, float speed);

// One rising call against the schedule's own stepCount and diagramSpeed: advances stepCount
// and returns the fraction the call draws with.
float advanceRisingStep();

// The return sub-step: the counter goes up first, then t = (25 - counter x speed) x 0.04 in
// single precision; a call that reaches 0 or below draws with 0 and ends the sub-step.
SubStepTick returnStep(std::int32_t stepCount, float speed);

// One call of the frame fade-in: alpha = stepCount x 0.006 x stepCount in single precision,
// unclamped (4.056 at 26); an alpha of 1 or more ends the fade (counter 100).
struct FrameTick {
    float alpha;
    std::int32_t stepCount;
};
FrameTick frameStep(std::int32_t stepCount);

// Stipple repeat of the outline at this counter (before the call's update): 52 down to 2.
constexpr int outlineStippleFactor(std::int32_t stepCount) { return 52 / (stepCount + 1); }

// Degrees of the spin that goes with a fraction: one whole turn over a sub-step.
constexpr float spinAngle(float t) { return static_cast<float>(t * 360.0); }
