// writePictures.cpp -- frames of one cycle and both digits, written for people to look at
//
// Not a test: nothing here is compared. Run it on a display, for example
//   launcher/xrun --xvfb -- build/tests/pictures/tarvik_pictures
// and it writes gathering.png, dealt.png, overlay-mid-glyph.png, overlay-finished.png and
// digits.png into build/pictures.
#include "app/application.h"
#include "app/input.h"
#include "app/lighting.h"
#include "assembly/dealing.h"
#include "assembly/elements.h"
#include "meshes/mesh.h"
#include "scene/frame.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"
#include "support/glWindow.h"
#include "support/pixels.h"

#include <GL/gl.h>
#include <cstdio>

namespace {

void frameToPicture(const char* name) {
    drawFrame();
    std::printf("%s\n", savePicture(name, screenWidth, screenHeight).c_str());
}

template <class Until> void stepUntil(Until until) {
    for (int step = 0; step < 10000 && !until(); ++step) {
        onIdle();
    }
}

// Elements leave the pointer in batches, so the frame shows them at many ages along their
// flights, young ones with their wire overlay. The cycle then runs on: the end of dealing,
// glyph 4 half-way through its outline, the finished diagram.
void oneCycle() {
    freshScene(51);
    for (int batch = 0; batch < 8; ++batch) {
        onMotion(halfWidth - 300 + batch * 60, halfHeight + 150);
        for (int k = 0; k < 8; ++k) {
            addElement((batch + k) % 2);
        }
        for (int step = 0; step < 6; ++step) {
            onIdle();
        }
    }
    frameToPicture("gathering.png");
    stepUntil([] { return Phase == 3; });
    // The deal timer's ticks, called between idle steps as they would fire.
    while (placedCount < placedPoolSize) {
        dealStrip(1);
        onIdle();
        onIdle();
    }
    stepUntil([] { return Phase == 4; });
    frameToPicture("dealt.png");
    diagramSpeed = 1.2f;
    stepUntil(
        [] { return currentGlyph == 4 && armYDone == 1 && outlineDone == 0 && stepCount == 13; });
    frameToPicture("overlay-mid-glyph.png");
    stepUntil([] { return Phase == 6; });
    frameToPicture("overlay-finished.png");
}

// Both digits side by side, lit as the placements are.
void bothDigits() {
    constexpr int width = 640, height = 400;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // 0.72 by 0.45 model units, the picture's shape, with y = -0.125 (the digits' middle) centred.
    glOrtho(-0.36, 0.36, -0.35, 0.1, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    applyLight5(); // in eye coordinates: the identity modelview
    applyPlacementMaterial();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT5);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const Mesh zero(0);
    const Mesh one(1);
    const struct {
        int list;
        float x, turn;
    } digits[] = {{zero.list(0), -0.15f, 25.0f}, {one.list(1), 0.15f, -25.0f}};
    for (const auto& d : digits) {
        glPushMatrix();
        glTranslatef(d.x, 0.0f, 0.0f);
        glRotatef(d.turn, 0.0f, 1.0f, 0.0f);
        glRotatef(15.0f, 1.0f, 0.0f, 0.0f);
        glCallList(static_cast<GLuint>(d.list));
        glPopMatrix();
    }
    glFinish();
    std::printf("%s\n", savePicture("digits.png", width, height).c_str());
}

} // namespace

int main() {
    useGlWindow();
    oneCycle();
    bothDigits();
    return 0;
}
