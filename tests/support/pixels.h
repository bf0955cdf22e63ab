// pixels.h -- probing what a frame drew, and pictures for people to look at
#pragma once

#include <string>

struct Rgb {
    float r, g, b;
};

// Reads one pixel of the current read buffer (the back buffer) as floats.
Rgb readPixel(int x, int y);

// Tolerance of a probe: three steps of an 8-bit channel.
inline constexpr float pixelTolerance = 3.0f / 255.0f;

// Writes the window's back buffer (width x height from the lower left) as an RGB PNG into the
// build tree's pictures folder and returns its path. For people to look at; never compared.
std::string savePicture(const std::string& name, int width, int height);
