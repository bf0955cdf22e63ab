// digitMeshes.h -- the two built-in digits as vertex, normal and triangle tables
#pragma once

#include "scene/sceneStore.h"

#include <array>
#include <vector>

inline constexpr int digitLayers = 9; // layer 0 is the front face (facing -z), 8 the back face

// One digit's outline in the xy plane and how it is extruded along z.
struct DigitOutline {
    // Model units. Contours follow one another; each keeps the solid on its right seen from +z,
    // so outer contours run clockwise and holes counter-clockwise.
    std::vector<std::array<double, 2>> points;
    std::vector<int> contourSizes;     // points per contour, in storage order
    std::array<double, digitLayers> z; // depth of each layer, z(8 - L) = -z(L)
    double bulge;                      // model units: how far the middle layer stands out
    std::vector<int> splitCorners;     // sharp outline points whose middle layers carry two normals
};

struct MeshTriangle {
    std::array<int, 3> vertex; // corners 0, 1, 2, counter-clockwise seen from outside
    std::array<int, 3> normal; // the normal of each corner, indexed apart from the vertices
};

struct DigitMesh {
    int pointCount;   // outline points; the vertex of point p in layer L is L * pointCount + p
    int capTriangles; // triangles of one cap
    std::vector<Point3> vertices; // model units
    std::vector<Point3> normals;  // unit vectors; the vertex order, then the extra split normals
    std::vector<MeshTriangle> triangles; // front cap, back cap, then the sides edge by edge
};

// Digit 0 is the zero, any other value the one.
const DigitOutline& digitOutline(int digit);

// The cap triangulation of the outline (holes kept open) as triples of outline point indices,
// each counter-clockwise seen from -z. Uses GLU's tessellator, which needs no GL context.
std::vector<std::array<int, 3>> triangulateCap(const DigitOutline& outline);

// Extrudes the outline into nine layers whose sides bulge outward towards the middle layer.
DigitMesh buildDigitMesh(const DigitOutline& outline);

// The tables of digit 0 (the zero) or of the one for any other value, built on first use.
const DigitMesh& digitMesh(int digit);
