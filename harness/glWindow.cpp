// glWindow.cpp -- one real GL context per test process, in a plain GLUT window
#include "harness/glWindow.h"

#include "app/application.h"
#include "app/input.h"
#include "assembly/dealing.h"
#include "scene/generator.h"
#include "scene/sceneStore.h"

#include <GL/freeglut.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

bool shown = false;

// freeglut draws a window only once the server has mapped it, and skips the redisplays asked
// for before: on a busy machine a test that counts frames would miss its first ones.
void waitUntilShown() {
    glutDisplayFunc([] { shown = true; });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!shown) {
        if (std::chrono::steady_clock::now() > until) {
            std::fprintf(stderr, "the test window was not shown within 30 s\n");
            std::exit(2);
        }
        glutPostRedisplay();
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void waitForSize(int width, int height) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (glutGet(GLUT_WINDOW_WIDTH) != width || glutGet(GLUT_WINDOW_HEIGHT) != height) {
        if (std::chrono::steady_clock::now() > until) {
            std::fprintf(stderr, "the test window did not take the size %dx%d within 30 s\n", width,
                         height);
            std::exit(2);
        }
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Mesa's software renderer asks the server for the drawable's size again after a swap.
    glutSwapBuffers();
}

} // namespace

void useGlWindow(int width, int height) {
    static int window = 0;
    if (window == 0) {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') {
            std::fprintf(stderr, "this test needs an X server: run it under launcher/xrun\n");
            std::exit(2);
        }
        int argc = 1;
        char name[] = "tarvik-test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowPosition(0, 0);
        glutInitWindowSize(width, height);
        window = glutCreateWindow("tarvik-test");
        waitUntilShown();
        // freeglut refuses to run its event loop for a window without one; tests that count
        // frames register their own.
        glutDisplayFunc([] {});
        glFrontFace(GL_CCW);
        armTimer = [](unsigned milliseconds, void (*tick)(int), int value) {
            armedTimers().push_back({milliseconds, tick, value});
        };
    } else if (glutGet(GLUT_WINDOW_WIDTH) != width || glutGet(GLUT_WINDOW_HEIGHT) != height) {
        // freeglut asks the server for the new size only on its next event round, and GL draws
        // into the old size until then: a case that read pixels at once would read a window
        // of the size an earlier case in the same process asked for.
        glutReshapeWindow(width, height);
        waitForSize(width, height);
    }
    setScreenValues(width, height);
}

std::vector<ArmedTimer>& armedTimers() {
    static std::vector<ArmedTimer> timers;
    return timers;
}

void freshScene(unsigned seed) {
    armedTimers().clear();
    seedGenerator(seed);
    Phase = 0;
    paused = 0;
    quitRequested = -1;
    resetPointer();
    resetScene();
}

unsigned drainGlErrors() {
    GLenum first = GL_NO_ERROR;
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError()) {
        if (first == GL_NO_ERROR) {
            first = e;
        }
    }
    return first;
}
