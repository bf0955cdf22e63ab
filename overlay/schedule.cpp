// schedule.cpp -- the phase-5 drawing schedule: eight sub-steps per glyph, twelve glyphs
#include "overlay/schedule.h"

#include "overlay/crossHair.h"
#include "overlay/glyphFigures.h"
#include "overlay/stepFraction.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>

namespace {

constexpr int lastGlyph = glyphPoolSize - 1;

// One guarded block of the schedule: once the previous sub-step's flag is set and this one's
// is clear, either notes this sub-step as ended (the call after its last) or runs it. The flag
// set here lets the next block start its sub-step in the same call, with stepCount 0.
template <class Step> void subStepBlock(std::int32_t previousDone, std::int32_t& done, Step step) {
    if (previousDone == 0 || done != 0) {
        return;
    }
    if (stepCount >= subStepEndCount) {
        done = 1;
        stepCount = 0;
    } else {
        step();
    }
}

// The finished diagram for phases 6 to 9: the glyph lists called by id, in glyph order.
void compileDiagramList() {
    beginSlotList(diagramSlot);
    glPushMatrix();
    glLoadIdentity();
    for (int g = 0; g <= currentGlyph; ++g) {
        callSlot(glyphSlot(g));
    }
    glPopMatrix();
    endSlotList();
}

} // namespace

void runPhase5Schedule() {
    const int a = currentGlyph;
    if (frameDone == 0) {
        if (stepCount >= frameEndCount) {
            frameDone = 1;
            stepCount = 0;
        } else {
            frameFadeStep();
        }
    }
    // Both sweeps are one sub-step function: sweepXDone tells it which way to move.
    subStepBlock(frameDone, sweepXDone, [a] { crossHairSweepStep(a); });
    subStepBlock(sweepXDone, sweepYDone, [a] { crossHairSweepStep(a); });
    subStepBlock(sweepYDone, armXDone, [a] { armXStep(a); });
    subStepBlock(armXDone, armYDone, [a] { armYStep(a); });
    subStepBlock(armYDone, outlineDone, [a] { outlineStep(a); });
    subStepBlock(outlineDone, fillDone, [a] { fillStep(a); });
    if (fillDone == 0) {
        return;
    }
    if (stepCount < subStepEndCount) {
        crossHairReturnStep(a);
        return;
    }
    // stepCount keeps its 26: the next glyph's frame fade-in finishes at its first call.
    clearScheduleFlags();
    if (currentGlyph < lastGlyph) {
        currentGlyph += 1;
    } else {
        Phase = 6;
        compileDiagramList();
    }
}
