// pixels.h -- probing what a frame drew
#pragma once

struct Rgb {
    float r, g, b;
};

// Reads one pixel of the current read buffer (the back buffer) as floats.
Rgb readPixel(int x, int y);

// Tolerance of a probe: three steps of an 8-bit channel.
inline constexpr float pixelTolerance = 3.0f / 255.0f;
