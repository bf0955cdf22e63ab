// crossHair.cpp -- the overlay frame's fade-in and the cross-hair's sweeps out and back
#include "overlay/crossHair.h"

#include "assembly/dealing.h"
#include "overlay/geometry.h"
#include "overlay/spinningPlacements.h"
#include "overlay/stepFraction.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <optional>

namespace {

constexpr GLushort dashes = 0xAAAA;
constexpr float crossHairGap = 9.0f; // the lines stop this far short of the point

// The cross-hair at `at`: stippled lines in from the left and bottom edges, and a 3-pixel
// point. With an alpha the colours are given with it, without one they are opaque.
void crossHairFigure(OverlayPoint at, std::optional<float> alpha) {
    glPushMatrix();
    glLoadIdentity();
    glLineStipple(2, dashes);
    glEnable(GL_LINE_STIPPLE);
    if (alpha) {
        glColor4f(0.6f, 0.6f, 0.6f, *alpha);
    } else {
        glColor3f(0.6f, 0.6f, 0.6f);
    }
    glPointSize(1.0f);
    glBegin(GL_LINES);
    glVertex2f(0.0f, at.y);
    glVertex2f(at.x - crossHairGap, at.y);
    glVertex2f(at.x, 0.0f);
    glVertex2f(at.x, at.y - crossHairGap);
    glEnd();
    glDisable(GL_LINE_STIPPLE);
    if (alpha) {
        glColor4f(1.0f, 1.0f, 1.0f, *alpha);
    } else {
        glColor3f(1.0f, 1.0f, 1.0f);
    }
    glPointSize(3.0f);
    glBegin(GL_POINTS);
    glVertex2f(at.x, at.y);
    glEnd();
    glPopMatrix();
}

void compileMovingCrossHair(OverlayPoint at) {
    beginSlotList(crossHairSlot);
    crossHairFigure(at, std::nullopt);
    endSlotList();
}

void overlaySquare() {
    glVertex2f(0.0f, 0.0f);
    glVertex2f(0.0f, overlaySide);
    glVertex2f(overlaySide, overlaySide);
    glVertex2f(overlaySide, 0.0f);
}

} // namespace

void frameFadeStep() {
    const FrameTick tick = frameStep(stepCount);
    stepCount = tick.stepCount;
    beginSlotList(frameSlot);
    glPushMatrix();
    glLoadIdentity();
    glColor3f(0.0f, 0.0f, 0.0f);
    glBegin(GL_POLYGON);
    overlaySquare();
    glEnd();
    glPopMatrix();
    glPushMatrix();
    glLoadIdentity();
    glColor4f(0.7f, 0.7f, 0.7f, tick.alpha);
    glBegin(GL_LINE_LOOP);
    overlaySquare();
    glEnd();
    glPopMatrix();
    endSlotList();

    beginSlotList(centreCrossSlot);
    crossHairFigure({overlayCentre, overlayCentre}, tick.alpha);
    endSlotList();
}

void crossHairSweepStep(int a) {
    const float t = advanceRisingStep();
    const float angle = spinAngle(t);
    const Glyph& g = glyphs[a];
    if (sweepXDone == 0) {
        compileSpinningStrip(4 * a, angle);
        compileMovingCrossHair(crossHairPoint(g, t, 0.0f));
    } else {
        compilePlacementList(4 * a);
        compileSpinningStrip(4 * a + 1, angle);
        compileMovingCrossHair(crossHairPoint(g, 1.0f, t));
    }
}

void crossHairReturnStep(int a) {
    const SubStepTick tick = returnStep(stepCount, diagramSpeed);
    stepCount = tick.stepCount;
    compileMovingCrossHair(crossHairPoint(glyphs[a], tick.t, tick.t));
}
