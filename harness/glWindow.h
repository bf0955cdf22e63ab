// glWindow.h -- one real GL context per test process, in a plain GLUT window
#pragma once

#include <vector>

// Opens a double-buffered RGB window with depth of the given size on the X server named by
// DISPLAY, once per process (a later call with another size resizes it and waits until GL
// draws at that size), and sets the screen values to that size. Fails the process with
// a message when there is no display: tests that need GL never skip.
void useGlWindow(int width = 1280, int height = 1024);

// A GLUT timer the piece asked for. useGlWindow makes the piece record its timers here instead
// of arming them, so that no test leaves a deal timer behind to tick into a later test.
struct ArmedTimer {
    unsigned milliseconds;
    void (*tick)(int);
    int value;
};
std::vector<ArmedTimer>& armedTimers();

// Seeds the generator, resets the scene and the pointer and forgets the recorded timers: the
// known state every scene test starts from. Needs useGlWindow first.
void freshScene(unsigned seed = 1);

// glGetError, drained: the first error seen, GL_NO_ERROR if none.
unsigned drainGlErrors();
