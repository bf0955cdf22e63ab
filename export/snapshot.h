// snapshot.h -- capturing the overlay square of the last frame into a PNG, then the gallery
#pragma once

#include <string>

// All the work is done by the constructor: saveFrame, then writeGallery whatever saveFrame
// achieved. Nothing reads the object afterwards.
class Snapshot {
  public:
    Snapshot(const std::string& name, float scale);
    virtual ~Snapshot();

    // 0 after a written file; 1 when the file could not be created; 2 and 3 when libpng's
    // write or info structure could not be made; 4 when libpng failed while writing.
    int saveFrame();

  private:
    std::string filePath; // "tarvikImages/" and the name, whatever its length
    float scale;          // the screen height / 1024
};
