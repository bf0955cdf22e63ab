// glWindow.h -- one real GL context per test process, in a plain GLUT window
#pragma once

// Opens a double-buffered RGB window with depth of the given size on the X server named by
// DISPLAY, once per process, and sets the screen values to that size. Fails the process with
// a message when there is no display: tests that need GL never skip.
void useGlWindow(int width = 1280, int height = 1024);

// Seeds the generator, resets the scene and the pointer: the known state every scene test
// starts from. Needs useGlWindow first.
void freshScene(unsigned seed = 1);

// glGetError, drained: the first error seen, GL_NO_ERROR if none.
unsigned drainGlErrors();
