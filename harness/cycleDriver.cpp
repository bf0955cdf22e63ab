// cycleDriver.cpp -- whole cycles played in-process through the callbacks the program registers
#include "harness/cycleDriver.h"

#include "app/input.h"
#include "assembly/dealing.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"

#include <GL/glut.h>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void stuck(const char* what, int limit) {
    std::fprintf(stderr, "the cycle did not reach %s within %d steps; phase %d\n", what, limit,
                 static_cast<int>(Phase));
    std::exit(1);
}

} // namespace

void CycleDriver::press(int button, int x, int y) {
    onMouse(button, GLUT_DOWN, x, y);
    onMouse(button, GLUT_UP, x, y);
}

void CycleDriver::step() {
    onIdle();
    if (afterStep) {
        afterStep();
    }
}

void CycleDriver::stepUntil(const char* what, const std::function<bool()>& done, int limit) {
    for (int taken = 0; !done(); ++taken) {
        if (taken == limit) {
            stuck(what, limit);
        }
        step();
    }
}

void CycleDriver::gather(const std::string& presses) {
    if (presses == "g") {
        onKeyboard('g', 0, 0);
        return;
    }
    for (char c : presses) {
        press(c == 'L' ? GLUT_LEFT_BUTTON : GLUT_RIGHT_BUTTON);
    }
}

std::string CycleDriver::finishCycle(int limit) {
    std::string picture;
    for (int taken = 0; taken < limit; ++taken) {
        if (beforeStep) {
            beforeStep();
        }
        if (Phase == 3 && placedCount < placedPoolSize) {
            dealStrip(1);
        } else if ((Phase == 6 && burstDistance == 0) || (Phase == 7 && burstDistance == 300)) {
            press(imageSaved == 0 ? GLUT_LEFT_BUTTON : GLUT_RIGHT_BUTTON);
        }
        const int phase = Phase;
        step();
        if (imageSaved == 1 && picture.empty()) {
            picture = imageName;
        }
        if (phase == 9 && Phase == 1) {
            return picture;
        }
    }
    stuck("the next cycle", limit);
}
