// geometry.h -- overlay coordinates of the cross-hair, the arms and the four glyph figures
#pragma once

#include "scene/sceneStore.h"

#include <array>
#include <cmath>

// A vertex in overlay units: 0..300 in x and y from the lower left.
struct OverlayPoint {
    float x, y;
};

inline constexpr float overlaySide = 300.0f;   // the overlay square, and where the arms stop
inline constexpr float overlayCentre = 149.0f; // figures centre on 149, not 150

// A grid value 0..15 in overlay units: 13 for 0, 149 for 8, 268 for 15.
constexpr int overlayCoordinate(int g) { return (g - 8) * 17 + 149; }

// The glyph point (px, py): the glyph's grid column and row in overlay units.
OverlayPoint glyphPoint(const Glyph& g);

// The figure's lower-left corner (qx, qy), 6 units up and right of the glyph point.
OverlayPoint figureCorner(const Glyph& g);

// The figure's right edge R and top edge T: the corner plus 35 x size^2 + 18.
float figureRight(const Glyph& g);
float figureTop(const Glyph& g);

// The cross-hair on its way between the centre (fraction 0) and the glyph point (fraction 1),
// with separate fractions along x and y.
OverlayPoint crossHairPoint(const Glyph& g, float tx, float ty);

// Where an arm from `from` ends at fraction t: t x 35 x (size^2 + 1) further, stopped at 300.
float armEnd(float from, int sizeCode, float t);

// Width of the second arm's box: 35 x sizeX^2 + 30, neither growing nor stopped at 300.
float boxWidth(int sizeX);

// Thickness of a bar: 2^s, 1 to 8 units.
float barThickness(int sizeCode);

// Radius of the ellipse along one axis: 14, 28, 70 or 140 units.
float ellipseRadius(int sizeCode);

// Grey level of a filled figure: 0.3, 0.5, 0.8 or 1.0.
float shadeGrey(int shade);

// The four corners of the rectangle (shape 0), the flat bar (1) or the narrow bar (2), from
// the corner up, across and down.
std::array<OverlayPoint, 4> figureQuad(const Glyph& g);

inline constexpr int ellipseVertexCount = 628;

// Passes the ellipse's vertices (shape 3) to emit in order: the top point, then clockwise the
// points for the angles 0.01, 0.02, ... about 6.27. The angle is a float stepped by 0.01 while
// below 6.28318, and each point is emitted only once the next one is computed, so the last
// point computed is never emitted: 628 vertices in all.
template <class Emit> void forEachEllipseVertex(const Glyph& g, Emit&& emit) {
    const float rx = ellipseRadius(g.sizeX);
    const float ry = ellipseRadius(g.sizeY);
    const OverlayPoint corner = figureCorner(g);
    const float cx = corner.x + rx;
    const float cy = corner.y + ry;
    OverlayPoint previous{cx, cy + ry};
    for (float angle = 0.01f; angle < 6.28318; angle = static_cast<float>(angle + 0.01)) {
        const OverlayPoint next{static_cast<float>(cx + rx * std::sin(angle)),
                                static_cast<float>(cy + ry * std::cos(angle))};
        emit(previous);
        previous = next;
    }
}
