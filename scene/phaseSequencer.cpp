// phaseSequencer.cpp -- the idle-driven phase machine and all its transitions
#include "scene/phaseSequencer.h"

#include "app/application.h"
#include "assembly/burst.h"
#include "assembly/dealing.h"
#include "assembly/elements.h"
#include "export/snapshot.h"
#include "overlay/schedule.h"
#include "scene/frame.h"
#include "scene/sceneStore.h"

#include <GL/glut.h>

int nextCaptureCountdown(int countdown) { return static_cast<int>((countdown - 1) / 1.05); }

namespace {

// Phase 2, one step.
void buildStripsAndArmDealing() {
    buildStrips();
    // Depth testing stays on to the end of the cycle; the overlay passes switch it off and on
    // within a frame and the next reset switches it off.
    glEnable(GL_DEPTH_TEST);
    Phase = 3;
    nameImage();
    placed.assign(placedPoolSize, Strip{});
    armFirstDeal();
}

// Phase 4, one step.
void deriveGlyphs() {
    glyphs.assign(glyphPoolSize, Glyph{});
    buildGlyphs();
    Phase = 5;
}

// Phase 8: the scan line sweeps down; when it reaches the bottom the full burst is drawn once
// more, without the line, and captured.
void captureStep() {
    if (captureArmed == 0) {
        return;
    }
    captureCountdown = nextCaptureCountdown(captureCountdown);
    if (captureCountdown > 0) {
        return;
    }
    captureCountdown = 0;
    Phase = 7;
    if (imageSaved == 0) {
        onDisplay();
        Snapshot(imageName, captureScale);
        imageSaved = 1;
        captureArmed = 0;
    }
}

} // namespace

void onIdle() {
    if (paused == 0) {
        switch (Phase) {
        case 1:
            gatherStep();
            break;
        case 2:
            buildStripsAndArmDealing();
            break;
        case 3:
            dealingStep();
            break;
        case 4:
            deriveGlyphs();
            break;
        case 5:
            runPhase5Schedule();
            break;
        case 6:
            restStep();
            break;
        case 7:
            burstStep();
            break;
        case 8:
            captureStep();
            break;
        case 9:
            collapseStep();
            break;
        default:
            break;
        }
    }
    glutPostRedisplay();
}
