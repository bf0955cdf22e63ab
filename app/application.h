// application.h -- the Application object, the screen values, the projection and the exit
#pragma once

#include <cstdint>

// Created once by main, never destroyed: the process ends through quit or the start-up failure.
class Application {
  public:
    Application(int argc, char** argv); // both ignored: the piece takes no options of its own
    virtual ~Application();

    // Lights, the generator's start-up seed, the first reset, the screen values and the
    // invisible cursor. Needs the game-mode window's GL context.
    void init();
};

extern std::int32_t screenWidth;  // pixels of the game-mode screen
extern std::int32_t screenHeight; // pixels of the game-mode screen
extern std::int32_t halfWidth;    // screenWidth / 2, truncated
extern std::int32_t halfHeight;   // screenHeight / 2, truncated
extern float captureScale;        // screenHeight / 1024.0: 1.0 at 1024 lines, 0.5859375 at 600

// The screen size and the values derived from it; no GL.
void setScreenValues(int width, int height);

// Full-screen viewport, the 60-degree perspective with aspect 1.0 (the scene is stretched on a
// wide screen) and an identity modelview. Called at the start of every frame.
void setProjection(int width, int height);

// Stops idle steps and clicks, empties the per-cycle pools, gives the display its mode back
// and ends the process with exit code 0.
[[noreturn]] void quit();
