// snapshot.h -- capturing the overlay square of the last frame into a PNG, then the gallery
#pragma once

#include <string>

// All the work is done by the constructor: the temporaries of killed writers are removed, then
// saveFrame, then writeGallery whatever saveFrame achieved. Nothing reads the object afterwards.
class Snapshot {
  public:
    // name: the PNG's file name inside tarvikImages, of any length. scale: captureScale.
    Snapshot(const std::string& name, float scale);
    virtual ~Snapshot();

    // Draws the current frame once more (without the swap) and writes the square of side
    // captureSide(scale) at window (200, 50) as a greyscale PNG to filePath. Returns one of the
    // pngFile.h results: 0 after a written file; 1 when the file could not be created; 2 and 3
    // when libpng's write or info structure could not be made; 4 when the write failed.
    int saveFrame();

  private:
    std::string filePath; // "tarvikImages/" and the name, whatever its length
    float scale;          // the screen height / 1024
};
