// frame.h -- the display callback: one frame of the current phase, then the buffer swap
#pragma once

// Draws only from the display lists of the table and the records' positions and ages; compiles
// nothing and changes no scene state. Leaves lighting, light 5, culling and depth testing as
// it found them.
void onDisplay();

// The frame of onDisplay without the buffer swap, so that a capture reads the frame that was
// drawn last from the back buffer, whatever a swap leaves there.
void drawFrame();
