// input.h -- the keyboard, mouse and motion callbacks
#pragma once

#include <cstdint>

extern std::int32_t pointerX;   // last dragged pointer position minus halfWidth, pixels
extern std::int32_t pointerY;   // last dragged pointer position minus halfHeight; y grows down
extern std::int32_t dragStartX; // window position of the left press that began the drag
extern std::int32_t dragStartY;
extern std::int32_t dragDX; // dragStartX - x of the last motion while dragging
extern std::int32_t dragDY; // dragStartY - y of the last motion while dragging

// A left drag longer than this many pixels, measured to its last reported motion, ends the
// program.
inline constexpr int quitDragLength = 600;

void onKeyboard(unsigned char key, int x, int y);
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);

// Puts the pointer and drag tracker back to their start-up values; for tests, which reach a
// known state only through this and resetScene.
void resetPointer();
