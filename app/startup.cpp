// startup.cpp -- game-mode selection, the console messages and the program's entry
#include "app/startup.h"

#include "app/application.h"
#include "app/input.h"
#include "app/swapControl.h"
#include "scene/frame.h"
#include "scene/phaseSequencer.h"

#include <GL/glut.h>
#include <cstdio>

std::string startupMessage(int width, int height, int depth, int refreshRate) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Starte tarvikWerk.\nBildschirmaufloesung %dx%d Pixel bei %d bit Farbtiefe und "
                  "%d hertz\n",
                  width, height, depth, refreshRate);
    return text;
}

const char* chooseGameMode() {
    for (const char* mode : gameModeStrings) {
        glutGameModeString(mode);
        if (glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) != 0) {
            return mode;
        }
    }
    return nullptr;
}

namespace {

void print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace

int runTarvik(int argc, char** argv) {
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    if (chooseGameMode() == nullptr) {
        print(noGameModeMessage);
        return 1;
    }
    print(startupMessage(
        glutGameModeGet(GLUT_GAME_MODE_WIDTH), glutGameModeGet(GLUT_GAME_MODE_HEIGHT),
        glutGameModeGet(GLUT_GAME_MODE_PIXEL_DEPTH), glutGameModeGet(GLUT_GAME_MODE_REFRESH_RATE)));
    // Everything after this point needs the game-mode window's context. GLUT said the mode was
    // possible; if entering it fails all the same, say so as for a missing mode rather than
    // drawing without a context.
    if (glutEnterGameMode() == 0) {
        print(noGameModeMessage);
        return 1;
    }
    requestSwapInterval();
    auto* application = new Application(argc, argv); // lives until the process ends
    glutDisplayFunc(onDisplay);
    glutMouseFunc(onMouse);
    glutKeyboardFunc(onKeyboard);
    glutMotionFunc(onMotion);
    glutIdleFunc(onIdle);
    glutPassiveMotionFunc(nullptr);
    application->init();
    glutMainLoop();
    return 0;
}
