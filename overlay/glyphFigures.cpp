// glyphFigures.cpp -- the four sub-steps that draw a glyph's figure: two arms, outline and fill
#include "overlay/glyphFigures.h"

#include "overlay/geometry.h"
#include "overlay/spinningPlacements.h"
#include "overlay/stepFraction.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>

namespace {

constexpr GLushort dashes = 0xAAAA;
constexpr int ellipseShape = 3;

void vertex(OverlayPoint p) { glVertex2f(p.x, p.y); }

// The figure's vertices, for whichever primitive the caller has begun.
void figureVertices(const Glyph& g) {
    if (g.shape == ellipseShape) {
        forEachEllipseVertex(g, vertex);
    } else {
        for (const OverlayPoint& p : figureQuad(g)) {
            vertex(p);
        }
    }
}

// Opens an overlay list with dashes of the given repeat; the figure follows.
void beginStippled(int slot, int factor) {
    beginSlotList(slot);
    glPushMatrix();
    glLoadIdentity();
    glLineStipple(factor, dashes);
    glEnable(GL_LINE_STIPPLE);
}

void endStippled() {
    glDisable(GL_LINE_STIPPLE);
    glPopMatrix();
    endSlotList();
}

// Both arms share one slot; the colour comes from the drawing pass.
void compileArmLine(OverlayPoint from, float xEnd) {
    beginStippled(armSlot, 2);
    glBegin(GL_LINES);
    vertex(from);
    glVertex2f(xEnd, from.y);
    glEnd();
    endStippled();
}

void compileArmBox(OverlayPoint from, float width, float yEnd) {
    beginStippled(armSlot, 2);
    glBegin(GL_LINE_LOOP);
    vertex(from);
    glVertex2f(from.x, yEnd);
    glVertex2f(from.x + width, yEnd);
    glVertex2f(from.x + width, from.y);
    glEnd();
    endStippled();
}

} // namespace

void armXStep(int a) {
    const float t = advanceRisingStep();
    compileSpinningPair(4 * a + 2, 0, spinAngle(t));
    const Glyph& g = glyphs[a];
    const OverlayPoint p = glyphPoint(g);
    compileArmLine(p, armEnd(p.x, g.sizeX, t));
}

void armYStep(int a) {
    const float t = advanceRisingStep();
    compileSpinningPair(4 * a + 2, 2, spinAngle(t));
    const Glyph& g = glyphs[a];
    const OverlayPoint p = glyphPoint(g);
    compileArmBox(p, boxWidth(g.sizeX), armEnd(p.y, g.sizeY, t));
}

void outlineStep(int a) {
    // The dash length follows the counter as it was before this call.
    const int factor = outlineStippleFactor(stepCount);
    const float t = advanceRisingStep();
    compileSpinningPair(4 * a + 3, 0, spinAngle(t));
    // The colour comes from the drawing pass; the geometry does not depend on t.
    beginStippled(outlineSlot, factor);
    glBegin(GL_LINE_LOOP);
    figureVertices(glyphs[a]);
    glEnd();
    endStippled();
}

void fillStep(int a) {
    const float t = advanceRisingStep();
    compileSpinningPair(4 * a + 3, 2, spinAngle(t));
    const Glyph& g = glyphs[a];
    const float grey = shadeGrey(g.shade);
    beginSlotList(glyphSlot(a));
    glPushMatrix();
    glLoadIdentity();
    glColor4f(grey, grey, grey, t);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    // The ellipse stays a line loop even here: it is never filled.
    glBegin(g.shape == ellipseShape ? GL_LINE_LOOP : GL_POLYGON);
    figureVertices(g);
    glEnd();
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glPopMatrix();
    endSlotList();
}
