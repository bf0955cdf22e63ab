// digitMeshes.cpp -- builds the two built-in digits' tables from their outlines
#include "meshes/digitMeshes.h"

#include <GL/glu.h>
#include <cmath>
#include <cstdint>

namespace {

struct Vec {
    double x, y, z;
};

Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec unit(Vec a) {
    const double length = std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z);
    return {a.x / length, a.y / length, a.z / length};
}

// Layer depths from the front face to the middle; the back half mirrors them.
std::array<double, digitLayers> mirroredDepths(double d0, double d1, double d2, double d3) {
    return {-d0, -d1, -d2, -d3, 0.0, d3, d2, d1, d0};
}

DigitOutline zeroOutline() {
    return {{// outer contour: right flank, down, round the bottom, up the left flank, over the top
             {0.115292, -0.096044},
             {0.115292, -0.154056},
             {0.107834, -0.204337},
             {0.085458, -0.252592},
             {0.049219, -0.288025},
             {0.000170, -0.299836},
             {-0.053802, -0.285803},
             {-0.075268, -0.265850},
             {-0.095571, -0.234055},
             {-0.115292, -0.154056},
             {-0.115292, -0.096044},
             {-0.107880, -0.045740},
             {-0.085643, 0.002551},
             {-0.049542, 0.038014},
             {-0.000539, 0.049835},
             {0.053240, 0.035888},
             {0.074824, 0.015986},
             {0.095328, -0.015827},
             // hole: right flank, up, over, down the left, round the bottom
             {0.062462, -0.096044},
             {0.056434, -0.055695},
             {0.038350, -0.020620},
             {-0.000184, -0.002995},
             {-0.021908, -0.007913},
             {-0.039531, -0.022669},
             {-0.056729, -0.055802},
             {-0.062462, -0.096044},
             {-0.062462, -0.154056},
             {-0.056391, -0.194501},
             {-0.038179, -0.229319},
             {-0.021825, -0.242584},
             {0.000355, -0.247006},
             {0.022056, -0.242072},
             {0.039673, -0.227270},
             {0.056765, -0.194258},
             {0.062462, -0.154056}},
            {18, 17},
            mirroredDepths(0.0497654, 0.0388170, 0.0258781, 0.0129391),
            0.0159249,
            {}};
}

DigitOutline oneOutline() {
    return {{// top of the stem, down its right side
             {0.026699, 0.047880},
             {0.026699, -0.244482},
             // the foot serif
             {0.080687, -0.244482},
             {0.109045, -0.251946},
             {0.117269, -0.271328},
             {0.109045, -0.290614},
             {0.080687, -0.297880},
             {-0.080687, -0.297880},
             {-0.109096, -0.290467},
             {-0.117269, -0.271033},
             {-0.109096, -0.251798},
             {-0.080687, -0.244482},
             // up the stem's left side
             {-0.026699, -0.244482},
             {-0.026699, -0.021684},
             // the flag, pointing to the upper left
             {-0.074450, -0.034312},
             {-0.091728, -0.037380},
             {-0.109266, -0.029337},
             {-0.116679, -0.009540},
             {-0.111116, 0.007278},
             {-0.088297, 0.018132}},
            {20},
            mirroredDepths(0.0503005, 0.0392344, 0.0261563, 0.0130783),
            0.0160960,
            // the top of the stem and the root of the flag, both about 75 degrees inside
            {0, 13}};
}

// How far layer L stands out, as a share of the bulge: 0 at the faces, 1 in the middle.
double bulgeFactor(int layer) {
    const double t = (layer - 4) / 4.0;
    return 1.0 - t * t;
}

// The unit normal of the edge from a to b pointing to its left, away from the solid.
std::array<double, 2> outwardNormal(const std::array<double, 2>& a,
                                    const std::array<double, 2>& b) {
    const double dx = b[0] - a[0];
    const double dy = b[1] - a[1];
    const double length = std::hypot(dx, dy);
    return {-dy / length, dx / length};
}

// Contour neighbours of outline point p: the points before and after it, wrapping round.
struct Neighbours {
    int before, after;
};

std::vector<Neighbours> contourNeighbours(const DigitOutline& outline) {
    std::vector<Neighbours> result(outline.points.size());
    int start = 0;
    for (const int size : outline.contourSizes) {
        for (int i = 0; i < size; ++i) {
            result[start + i] = {start + (i + size - 1) % size, start + (i + 1) % size};
        }
        start += size;
    }
    return result;
}

// The corners the tessellator hands back, three to a triangle, as outline point indices.
struct TessOutput {
    std::vector<int> corners;
};

// Registering an edge-flag callback makes the tessellator emit separate triangles only, never
// fans or strips; the flags themselves are of no use here.
void GLAPIENTRY tessEdgeFlag(GLboolean, void*) {}
void GLAPIENTRY tessVertex(void* vertex, void* output) {
    static_cast<TessOutput*>(output)->corners.push_back(
        static_cast<int>(reinterpret_cast<std::intptr_t>(vertex)));
}

} // namespace

const DigitOutline& digitOutline(int digit) {
    static const DigitOutline zero = zeroOutline();
    static const DigitOutline one = oneOutline();
    return digit == 0 ? zero : one;
}

std::vector<std::array<int, 3>> triangulateCap(const DigitOutline& outline) {
    // The tessellator keeps pointers to the coordinates until the polygon ends.
    std::vector<std::array<GLdouble, 3>> coords;
    coords.reserve(outline.points.size());
    for (const auto& p : outline.points) {
        coords.push_back({p[0], p[1], 0.0});
    }
    TessOutput output;
    GLUtesselator* tess = gluNewTess();
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA, reinterpret_cast<_GLUfuncptr>(tessEdgeFlag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<_GLUfuncptr>(tessVertex));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_ODD);
    // Triangles come out counter-clockwise about the given normal: seen from -z.
    gluTessNormal(tess, 0.0, 0.0, -1.0);
    gluTessBeginPolygon(tess, &output);
    std::size_t next = 0;
    for (const int size : outline.contourSizes) {
        gluTessBeginContour(tess);
        for (int i = 0; i < size; ++i, ++next) {
            gluTessVertex(tess, coords[next].data(),
                          reinterpret_cast<void*>(static_cast<std::intptr_t>(next)));
        }
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);

    std::vector<std::array<int, 3>> triangles;
    for (std::size_t i = 0; i + 2 < output.corners.size(); i += 3) {
        triangles.push_back({output.corners[i], output.corners[i + 1], output.corners[i + 2]});
    }
    return triangles;
}

DigitMesh buildDigitMesh(const DigitOutline& outline) {
    const int n = static_cast<int>(outline.points.size());
    const std::vector<Neighbours> neighbours = contourNeighbours(outline);
    auto vertexIndex = [n](int point, int layer) { return layer * n + point; };

    // Vertices: each outline point moved along its miter vector, which keeps every side of
    // the bulged outline at the same distance from the side it came from.
    std::vector<Vec> positions(digitLayers * n);
    for (int p = 0; p < n; ++p) {
        const auto& point = outline.points[p];
        const Neighbours& nb = neighbours[p];
        const auto u = outwardNormal(outline.points[nb.before], point);
        const auto w = outwardNormal(point, outline.points[nb.after]);
        const double scale = 1.0 + u[0] * w[0] + u[1] * w[1];
        const double miterX = (u[0] + w[0]) / scale;
        const double miterY = (u[1] + w[1]) / scale;
        for (int layer = 0; layer < digitLayers; ++layer) {
            const double shift = outline.bulge * bulgeFactor(layer);
            positions[vertexIndex(p, layer)] = {point[0] + shift * miterX,
                                                point[1] + shift * miterY, outline.z[layer]};
        }
    }

    DigitMesh mesh{};
    mesh.pointCount = n;
    int normalCount = digitLayers * n;
    auto plain = [](int a, int b, int c) { return MeshTriangle{{a, b, c}, {a, b, c}}; };

    const std::vector<std::array<int, 3>> cap = triangulateCap(outline);
    mesh.capTriangles = static_cast<int>(cap.size());
    for (const auto& t : cap) {
        mesh.triangles.push_back(
            plain(vertexIndex(t[0], 0), vertexIndex(t[1], 0), vertexIndex(t[2], 0)));
    }
    const int back = digitLayers - 1;
    for (const auto& t : cap) {
        mesh.triangles.push_back(
            plain(vertexIndex(t[0], back), vertexIndex(t[2], back), vertexIndex(t[1], back)));
    }

    // A split corner's vertices in layers 2 to 6 get a second normal for the side after the
    // corner; the side before it keeps the vertex's own normal.
    std::vector<int> splitNormal(positions.size(), -1);
    for (const int corner : outline.splitCorners) {
        for (int layer = 2; layer <= 6; ++layer) {
            splitNormal[vertexIndex(corner, layer)] = normalCount++;
        }
    }
    for (int a = 0; a < n; ++a) {
        const int b = neighbours[a].after;
        for (int layer = 0; layer < back; ++layer) {
            const int a0 = vertexIndex(a, layer), a1 = vertexIndex(a, layer + 1);
            const int b0 = vertexIndex(b, layer), b1 = vertexIndex(b, layer + 1);
            auto normalOfA = [&](int v) {
                const int split = splitNormal[v];
                return split >= 0 ? split : v;
            };
            mesh.triangles.push_back({{b0, a0, a1}, {b0, normalOfA(a0), normalOfA(a1)}});
            mesh.triangles.push_back({{a1, b1, b0}, {normalOfA(a1), b1, b0}});
        }
    }

    // Normals: the plain mean of the unit face normals around each, not weighted by area.
    std::vector<Vec> sums(normalCount, Vec{0.0, 0.0, 0.0});
    for (const MeshTriangle& t : mesh.triangles) {
        const Vec& v0 = positions[t.vertex[0]];
        const Vec& v1 = positions[t.vertex[1]];
        const Vec& v2 = positions[t.vertex[2]];
        const Vec face = unit(cross(v1 - v0, v2 - v0));
        for (const int k : t.normal) {
            sums[k] = sums[k] + face;
        }
    }
    auto toPoint = [](Vec v) {
        return Point3{static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
    };
    for (const Vec& v : positions) {
        mesh.vertices.push_back(toPoint(v));
    }
    for (const Vec& s : sums) {
        mesh.normals.push_back(toPoint(unit(s)));
    }
    return mesh;
}

const DigitMesh& digitMesh(int digit) {
    static const DigitMesh zero = buildDigitMesh(digitOutline(0));
    static const DigitMesh one = buildDigitMesh(digitOutline(1));
    return digit == 0 ? zero : one;
}
