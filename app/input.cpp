// input.cpp -- the keyboard, mouse and motion callbacks
#include "app/input.h"

#include "app/application.h"
#include "assembly/burst.h"
#include "assembly/elements.h"
#include "export/snapshot.h"
#include "scene/sceneStore.h"

#include <GL/glut.h>
#include <cmath>

std::int32_t pointerX = 0;
std::int32_t pointerY = 0;
std::int32_t dragStartX = 0;
std::int32_t dragStartY = 0;
std::int32_t dragDX = 0;
std::int32_t dragDY = 0;

namespace {

// Speed changes are taken in double precision and stored back as float.
float scaled(float value, double factor) { return static_cast<float>(value * factor); }
float divided(float value, double divisor) { return static_cast<float>(value / divisor); }

[[noreturn]] void quitRequestedByUser() {
    quitRequested = 1;
    quit();
}

} // namespace

void resetPointer() {
    pointerX = pointerY = 0;
    dragStartX = dragStartY = 0;
    dragDX = dragDY = 0;
    dragging = 0;
}

void onKeyboard(unsigned char key, int, int) {
    switch (key) {
    case 27: // Escape
        quitRequestedByUser();
    case ' ':
        paused = (paused + 1) % 2;
        break;
    case '+':
        dealInterval = divided(dealInterval, 1.5);
        break;
    case '-':
        dealInterval = scaled(dealInterval, 1.5);
        break;
    case 'g':
        fillElements();
        break;
    case 's':
        Snapshot("test.png", captureScale);
        break;
    default:
        break;
    }
}

void onMotion(int x, int y) {
    pointerX = x - halfWidth;
    pointerY = y - halfHeight;
    if (dragging == 1) {
        dragDX = dragStartX - x;
        dragDY = dragStartY - y;
    }
}

// The rows are tested in order for every event, each against the state the rows before it
// left: a left press in phase 6 at distance 300 enters phase 7 and then, at once, phase 8.
void onMouse(int button, int state, int x, int y) {
    const bool leftPress = button == GLUT_LEFT_BUTTON && state == GLUT_DOWN;
    const bool leftRelease = button == GLUT_LEFT_BUTTON && state == GLUT_UP;
    const bool rightPress = button == GLUT_RIGHT_BUTTON && state == GLUT_DOWN;

    if (leftPress) {
        dragging = 1;
        dragStartX = x;
        dragStartY = y;
    }
    if (leftRelease) {
        dragging = 0;
        // int64: the square of a drag across any screen fits, however far the pointer went.
        const std::int64_t squared =
            static_cast<std::int64_t>(dragDX) * dragDX + static_cast<std::int64_t>(dragDY) * dragDY;
        if (static_cast<std::int64_t>(std::sqrt(static_cast<double>(squared))) > quitDragLength) {
            quitRequestedByUser();
        }
        dragDX = dragDY = dragStartX = dragStartY = 0;
    }
    if (leftPress && elementCount < elementPoolSize) {
        addElement(1);
    }
    if (rightPress && elementCount < elementPoolSize) {
        addElement(0);
    }
    if (leftPress && Phase == 3) {
        dealInterval = divided(dealInterval, 1.5);
    }
    if (rightPress && Phase == 3) {
        dealInterval = scaled(dealInterval, 1.5);
    }
    if (leftPress && Phase == 5) {
        diagramSpeed = scaled(diagramSpeed, 1.2);
    }
    if (rightPress && Phase == 5) {
        // Tested on the quotient before it is stored, so the speed never falls below 1.0.
        const double slower = diagramSpeed / 1.2;
        if (slower >= 1.0) {
            diagramSpeed = static_cast<float>(slower);
        }
    }
    if (leftPress && Phase == 6) {
        makeBurstVectors(false);
        Phase = 7;
    }
    if (rightPress && Phase == 6) {
        makeBurstVectors(true);
        Phase = 9;
    }
    if (rightPress && Phase == 7) {
        Phase = 6;
    }
    if (leftPress && Phase == 7 && imageSaved == 0 && burstDistance == 300) {
        Phase = 8;
        captureArmed = 1;
    }
}
