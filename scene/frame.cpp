// frame.cpp -- the display callback: one frame of the current phase, then the buffer swap
#include "scene/frame.h"

#include "app/application.h"
#include "app/lighting.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/glu.h>
#include <GL/glut.h>

namespace {

// Phase-5 overlay square in window pixels.
constexpr int overlayX = 500;
constexpr int overlayY = 350;
constexpr int overlaySide = 300;

void translateTo(const Point3& p) { glTranslatef(p.x, p.y, p.z); }

// Switches: none; sets the colour and the modelview per element.
void drawElements() {
    for (int i = 0; i < elementCount; ++i) {
        const Element& e = elements[i];
        glLoadIdentity();
        translateTo(e.path[e.age]);
        glRotatef(static_cast<float>(e.age * 7.2), 1.0f, 0.0f, 0.0f);
        glRotatef(static_cast<float>(e.age * 7.2), 0.0f, 1.0f, 0.0f);
        // Fades in over about 32 steps; GL clamps the alpha to 1 after that.
        glColor4f(1.0f, 1.0f, 1.0f, static_cast<float>(e.age * 0.001 * e.age));
        callSlot(elementSlot(i));
    }
}

// Switches: none. A strip fades by a third with each deal and vanishes after its third.
void drawStrips() {
    for (int s = 0; s < stripPoolSize; ++s) {
        const float alpha = static_cast<float>(strips[s].remaining * 0.33333);
        if (alpha > 0.0f) {
            glLoadIdentity();
            translateTo(strips[s].pos);
            glColor4f(1.0f, 1.0f, 1.0f, alpha);
            callSlot(stripSlot(s));
        }
    }
}

// Switches lighting and light 5 on around each placement and off again.
void drawPlacements() {
    for (int i = 0; i < placedCount; ++i) {
        const Strip& p = placed[i];
        glLoadIdentity();
        glPushMatrix();
        applyPlacementMaterial();
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT5);
        translateTo(p.pos);
        glRotatef(static_cast<float>(p.age * 7.2), 0.0f, 1.0f, 0.0f);
        callSlot(placementSlot(i));
        glDisable(GL_LIGHTING);
        glDisable(GL_LIGHT5);
        glPopMatrix();
    }
}

// The 300 by 300 overlay coordinates; switches culling and depth testing off (the caller's
// closing step switches them on again) and pushes the modelview.
void beginOverlay() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 300.0, 0.0, 300.0);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glPushMatrix();
    glLoadIdentity();
}

void endOverlay() {
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}

// Side of the burst overlay square in pixels: it grows with the distance, scaled to the screen.
int burstOverlaySide() { return static_cast<int>(2.0 * captureScale * burstDistance + 300.0); }

// Switches culling and depth testing off for the overlay and on again; resets the projection.
void drawBurstOverlay() {
    const int side = burstOverlaySide();
    glViewport(overlayX - burstDistance, overlayY - burstDistance, side, side);
    beginOverlay();
    callSlot(frameSlot);
    callSlot(diagramSlot);
    endOverlay();
    setProjection(screenWidth, screenHeight);
}

// Switches culling and depth testing off for the overlay and on again; leaves the overlay's
// viewport and projection for the rest of the frame.
void drawDiagramOverlay() {
    glViewport(overlayX, overlayY, overlaySide, overlaySide);
    beginOverlay();
    callSlot(frameSlot);
    for (int g = 0; g < currentGlyph; ++g) {
        callSlot(glyphSlot(g));
    }
    callSlot(frameDone == 0 ? centreCrossSlot : crossHairSlot);
    if (sweepYDone != 0) {
        // The arms fade out over the return sweep's 26 steps.
        const float alpha = fillDone == 0 ? 1.0f : static_cast<float>((26 - stepCount) * 0.04);
        glColor4f(0.8f, 0.8f, 0.8f, alpha);
        callSlot(armSlot);
    }
    if (armYDone != 0 && fillDone == 0) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        callSlot(outlineSlot);
    }
    if (outlineDone != 0) {
        callSlot(glyphSlot(currentGlyph));
    }
    endOverlay();
}

// Depth testing and culling stay on; only the modelview is pushed and popped.
void drawScanLine() {
    const int side = burstOverlaySide();
    glViewport(200, 50, side, side);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0.0, 900.0, 0.0, 900.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_LINES);
    glColor3f(1.0f, 1.0f, 1.0f);
    glVertex2f(0.0f, static_cast<float>(captureCountdown));
    glVertex2f(900.0f, static_cast<float>(captureCountdown));
    glEnd();
    glPopMatrix();
}

} // namespace

void drawFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    setProjection(screenWidth, screenHeight);
    switch (Phase) {
    case 0:
    case 1:
    case 2:
        drawElements();
        break;
    case 3:
        drawStrips();
        drawPlacements();
        break;
    case 4:
        drawPlacements();
        break;
    case 5:
        drawPlacements();
        drawDiagramOverlay();
        break;
    case 6:
    case 7:
    case 9:
        drawBurstOverlay();
        drawPlacements();
        break;
    case 8:
        drawBurstOverlay();
        drawPlacements();
        drawScanLine();
        break;
    default:
        break;
    }
}

void onDisplay() {
    drawFrame();
    glutSwapBuffers();
}
