// startup.h -- game-mode selection, the console messages and the program's entry
#pragma once

#include <string>

// The four mode strings, tried in this order.
inline constexpr const char* gameModeStrings[] = {"1280x1024:32", "1152x864:32", "1024x768:32",
                                                  "800x600:32"};

// The failure message; the u umlaut is the single ISO 8859-1 byte 0xFC.
inline constexpr const char noGameModeMessage[] =
    "Bildschirmmodi werden von der Grafikkarte nicht unterst\xFCtzt.\n";

std::string startupMessage(int width, int height, int depth, int refreshRate);

// Sets each mode string in turn and returns the first that GLUT calls possible, or nullptr.
// GLUT's game-mode string stays set to the one returned.
const char* chooseGameMode();

// Everything main does: initialise GLUT, choose and enter the game mode, register the callbacks
// and run the main loop. Returns only with exit code 1 when no mode can be used.
int runTarvik(int argc, char** argv);
