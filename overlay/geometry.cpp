// geometry.cpp -- overlay coordinates of the cross-hair, the arms and the four glyph figures
#include "overlay/geometry.h"

namespace {

constexpr int squared(int s) { return s * s; }

} // namespace

OverlayPoint glyphPoint(const Glyph& g) {
    return {static_cast<float>(overlayCoordinate(g.gridX)),
            static_cast<float>(overlayCoordinate(g.gridY))};
}

OverlayPoint figureCorner(const Glyph& g) {
    const OverlayPoint p = glyphPoint(g);
    return {p.x + 6.0f, p.y + 6.0f};
}

float figureRight(const Glyph& g) {
    return figureCorner(g).x + static_cast<float>(35 * squared(g.sizeX) + 18);
}

float figureTop(const Glyph& g) {
    return figureCorner(g).y + static_cast<float>(35 * squared(g.sizeY) + 18);
}

OverlayPoint crossHairPoint(const Glyph& g, float tx, float ty) {
    return {static_cast<float>((g.gridX - 8) * static_cast<double>(tx) * 17.0 + 149.0),
            static_cast<float>((g.gridY - 8) * static_cast<double>(ty) * 17.0 + 149.0)};
}

float armEnd(float from, int sizeCode, float t) {
    const double end = t * (35.0 * squared(sizeCode) + 35.0) + from;
    return end > overlaySide ? overlaySide : static_cast<float>(end);
}

float boxWidth(int sizeX) { return static_cast<float>(35 * squared(sizeX) + 30); }

float barThickness(int sizeCode) { return static_cast<float>(std::pow(2.0, sizeCode)); }

float ellipseRadius(int sizeCode) { return static_cast<float>(28 * squared(sizeCode) + 28) / 2.0f; }

float shadeGrey(int shade) {
    constexpr std::array<float, 4> greys{0.3f, 0.5f, 0.8f, 1.0f};
    return greys[static_cast<std::size_t>(shade)];
}

std::array<OverlayPoint, 4> figureQuad(const Glyph& g) {
    const OverlayPoint q = figureCorner(g);
    float right = figureRight(g);
    float top = figureTop(g);
    if (g.shape == 1) {
        top = q.y + barThickness(g.sizeY);
    } else if (g.shape == 2) {
        right = q.x + barThickness(g.sizeX);
    }
    return {{{q.x, q.y}, {q.x, top}, {right, top}, {right, q.y}}};
}
