// snapshot.cpp -- capturing the overlay square of the last frame into a PNG, then the gallery
#include "export/snapshot.h"

#include "export/gallery.h"
#include "export/pngFile.h"
#include "export/wholeFile.h"
#include "scene/frame.h"

#include <GL/gl.h>
#include <vector>

namespace {

// Lower left corner of the captured square in window pixels.
constexpr int captureX = 200;
constexpr int captureY = 50;

} // namespace

Snapshot::Snapshot(const std::string& name, float scale)
    : filePath("tarvikImages/" + name), scale(scale) {
    // What writes killed midway left behind goes before this capture writes anything.
    removeStaleTemporaries("tarvikImages");
    saveFrame();
    writeGallery();
}

Snapshot::~Snapshot() = default;

int Snapshot::saveFrame() {
    const int side = captureSide(scale);
    // GL leaves the pixels of the square that lie outside the window unwritten (at 768 and 600
    // screen lines the square reaches past the top): they stay 0, black in the file.
    std::vector<float> frame(static_cast<std::size_t>(side) * side, 0.0f);
    // What the back buffer holds after a swap is up to the platform, so the frame that was
    // shown last is drawn into it once more. The read uses the default read buffer, the back
    // buffer; float rows are 4-byte aligned, as the default pack alignment wants.
    drawFrame();
    glReadPixels(captureX, captureY, side, side, GL_RED, GL_FLOAT, frame.data());
    const std::vector<unsigned char> pixels = uprightRows(frame, side);
    frame = {};
    return writeGreyPng(filePath, pixels, side);
}
