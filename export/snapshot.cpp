// snapshot.cpp -- capturing the overlay square of the last frame into a PNG, then the gallery
#include "export/snapshot.h"

Snapshot::Snapshot(const std::string& name, float scale)
    : filePath("tarvikImages/" + name), scale(scale) {
    saveFrame();
}

Snapshot::~Snapshot() = default;

int Snapshot::saveFrame() { return 1; }
