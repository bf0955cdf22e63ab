// pngFile.h -- the capture arithmetic and the 8-bit greyscale PNG file of a snapshot
#pragma once

#include "export/wholeFile.h"

#include <string>
#include <vector>

// Results of writeGreyPng, and so of Snapshot::saveFrame. No caller reads them; they say how
// far a write got.
inline constexpr int pngWritten = fileWritten;         // the file holds the whole picture
inline constexpr int pngNoFile = fileNotCreated;       // no file could be created, or the
                                                       // picture could not take its place
inline constexpr int pngNoWriteStruct = 2;             // libpng could not make its write structure
inline constexpr int pngNoInfoStruct = 3;              // libpng could not make its info structure
inline constexpr int pngWriteFailed = fileWriteFailed; // libpng reported an error, or the data or
                                                       // its directory entry could not be flushed

// Edge of the captured square in pixels: trunc(scale * 600) + 300, the product in double
// precision. 900 at a scale of 1.0 (1024 screen lines), 651 at 0.5859375 (600 lines).
int captureSide(float scale);

// A red value read back from the frame buffer, 0.0 to 1.0, as a grey byte: trunc(255 * value)
// in double precision, so 1.0 gives 255 and 0.5 gives 127. Values outside 0 to 1 (and NaN)
// are held to the nearest end of the range.
unsigned char greyByte(float value);

// side x side grey bytes, top row first, from side x side red values as glReadPixels returns
// them (bottom row first): byte row r is frame row side - 1 - r, columns keep their order.
std::vector<unsigned char> uprightRows(const std::vector<float>& frame, int side);

// Writes side x side grey bytes (top row first) as an 8-bit greyscale, non-interlaced PNG with
// libpng's defaults to path, whole or not at all and durably (writeWhole), so path never holds a
// torn picture and a picture reported written survives a power cut. Returns one of the results
// above.
int writeGreyPng(const std::string& path, const std::vector<unsigned char>& pixels, int side);
