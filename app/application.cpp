// application.cpp -- the Application object, the screen values, the projection and the exit
#include "app/application.h"

#include "app/lighting.h"
#include "app/wallClock.h"
#include "scene/generator.h"
#include "scene/sceneStore.h"

#include <GL/glu.h>
#include <GL/glut.h>
#include <cstdlib>

std::int32_t screenWidth = 0;
std::int32_t screenHeight = 0;
std::int32_t halfWidth = 0;
std::int32_t halfHeight = 0;
float captureScale = 1.0f;

Application::Application(int, char**) {}

Application::~Application() = default;

void Application::init() {
    Phase = 0;
    quitRequested = -1;
    seedGenerator(static_cast<std::uint32_t>(wallClockSeconds()));
    // The two permanent pools are static arrays: there is nothing to allocate and nothing that
    // can fail here.
    resetScene();
    applyLight5();
    const GLfloat modelAmbient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, modelAmbient);
    const GLfloat spotDirection[] = {0.0f, 0.0f, -1.0f};
    glLightfv(GL_LIGHT5, GL_SPOT_DIRECTION, spotDirection);
    glLightf(GL_LIGHT5, GL_SPOT_CUTOFF, 180.0f);
    glLightf(GL_LIGHT5, GL_SPOT_EXPONENT, 0.0f);
    glDisable(GL_FOG);
    glFrontFace(GL_CCW);
    setScreenValues(glutGameModeGet(GLUT_GAME_MODE_WIDTH), glutGameModeGet(GLUT_GAME_MODE_HEIGHT));
    glutSetCursor(GLUT_CURSOR_NONE);
}

void setScreenValues(int width, int height) {
    screenWidth = width;
    screenHeight = height;
    halfWidth = width / 2;
    halfHeight = height / 2;
    captureScale = static_cast<float>(height / 1024.0);
}

void setProjection(int width, int height) {
    setScreenValues(width, height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 1.0, 0.1, 200.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void quit() {
    glutIdleFunc(nullptr);
    glutMouseFunc(nullptr);
    releaseCyclePools();
    // A mode switched through the video-mode extension outlives the process on X11: hand the
    // desktop its mode back before leaving.
    glutLeaveGameMode();
    std::exit(0);
}
