// digitMeshesTest.cpp -- the digit tables: sizes, shape, winding and normals, without GL
#include "meshes/digitMeshes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
#include <utility>

namespace {

struct V {
    double x, y, z;
};
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator*(double s, V a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double length(V a) { return std::sqrt(dot(a, a)); }
V toV(const Point3& p) { return {p.x, p.y, p.z}; }

V corner(const DigitMesh& m, const MeshTriangle& t, int c) { return toV(m.vertices[t.vertex[c]]); }
V faceNormal(const DigitMesh& m, const MeshTriangle& t) {
    const V n = cross(corner(m, t, 1) - corner(m, t, 0), corner(m, t, 2) - corner(m, t, 0));
    return (1.0 / length(n)) * n;
}

// The published sizes and extent of each digit, to six decimals.
struct DigitFacts {
    int digit;
    std::array<int, 4> sizes;          // vertices, normals, triangles, triangles of one cap
    std::array<double, 4> outline;     // x from, x to, y from, y to
    std::array<double, 4> solid;       // the same with the bulge
    std::array<double, 4> frontDepths; // |z| of layers 0 to 3
    double bulge;
    int flankPoint;                // a point whose next edge runs straight down the right side
    double flankX;                 // its x
    std::vector<int> splitCorners; // outline points whose layers 2 to 6 carry two normals
};

const DigitFacts zeroFacts{0,
                           {315, 315, 630, 35},
                           {-0.115292, 0.115292, -0.299836, 0.049835},
                           {-0.131217, 0.131217, -0.316251, 0.066251},
                           {0.0497654, 0.0388170, 0.0258781, 0.0129391},
                           0.0159249,
                           0,
                           0.115292,
                           {}};
const DigitFacts oneFacts{1,
                          {180, 190, 356, 18},
                          {-0.117269, 0.117269, -0.297880, 0.047880},
                          {-0.134744, 0.134761, -0.313976, 0.068670},
                          {0.0503005, 0.0392344, 0.0261563, 0.0130783},
                          0.0160960,
                          1,
                          0.026699,
                          {0, 13}};

// One unit in the sixth decimal, plus float storage.
constexpr double sixDecimals = 1.0e-6 + 1.0e-7;

void PrintTo(const DigitFacts& f, std::ostream* os) { *os << "digit " << f.digit; }

// Twice the signed area of a triangle of outline points seen from -z (x runs to the left).
double areaSeenFromFront(const DigitOutline& o, const std::array<int, 3>& t) {
    const auto& a = o.points[t[0]];
    const auto& b = o.points[t[1]];
    const auto& c = o.points[t[2]];
    return -((b[0] - a[0]) * (c[1] - a[1]) - (c[0] - a[0]) * (b[1] - a[1]));
}

// Crossings of the ray from origin along dir with the mesh's triangles.
int crossings(const DigitMesh& m, V origin, V dir) {
    int count = 0;
    for (const MeshTriangle& t : m.triangles) {
        const V a = corner(m, t, 0), e1 = corner(m, t, 1) - a, e2 = corner(m, t, 2) - a;
        const V p = cross(dir, e2);
        const double det = dot(e1, p);
        if (std::abs(det) < 1e-18) {
            continue;
        }
        const V s = origin - a;
        const double u = dot(s, p) / det;
        const V q = cross(s, e1);
        const double v = dot(dir, q) / det;
        const double d = dot(e2, q) / det;
        count += (u >= 0 && v >= 0 && u + v <= 1 && d > 0) ? 1 : 0;
    }
    return count;
}

class DigitTables : public ::testing::TestWithParam<DigitFacts> {};

TEST_P(DigitTables, SizesCapsAndLayersMatchThePublishedDigit) {
    const DigitFacts& f = GetParam();
    const DigitMesh& m = digitMesh(f.digit);
    const auto [vertexCount, normalCount, triangleCount, capCount] = f.sizes;
    EXPECT_EQ(static_cast<int>(m.vertices.size()), vertexCount);
    EXPECT_EQ(static_cast<int>(m.normals.size()), normalCount);
    ASSERT_EQ(static_cast<int>(m.triangles.size()), triangleCount);
    ASSERT_EQ(m.capTriangles, capCount);
    EXPECT_EQ(triangleCount - 2 * capCount, m.pointCount * 2 * 8) << "two per edge and slab";

    // The cap covers the outline's own area (holes subtracted by their opposite orientation)
    // with proper triangles, counter-clockwise from -z.
    const DigitOutline& o = digitOutline(f.digit);
    double capArea = 0.0, outlineArea = 0.0;
    for (const auto& t : triangulateCap(o)) {
        const double area = areaSeenFromFront(o, t);
        EXPECT_GT(area, 1e-5) << t[0] << " " << t[1] << " " << t[2];
        capArea += area;
    }
    int start = 0;
    for (const int size : o.contourSizes) {
        for (int i = 0; i < size; ++i) {
            outlineArea += areaSeenFromFront(o, {start, start + i, start + (i + 1) % size});
        }
        start += size;
    }
    EXPECT_NEAR(capArea, outlineArea, 1e-9);

    const auto front = static_cast<float>(-f.frontDepths[0]);
    for (int i = 0; i < 2 * capCount; ++i) {
        SCOPED_TRACE("cap triangle " + std::to_string(i));
        const MeshTriangle& t = m.triangles[i];
        for (const int v : t.vertex) {
            EXPECT_EQ(m.vertices[v].z, i < capCount ? front : -front);
        }
        if (i >= capCount) {
            // The back cap repeats the front cap with corners 1 and 2 swapped.
            const MeshTriangle& t0 = m.triangles[i - capCount];
            const int shift = 8 * m.pointCount;
            EXPECT_EQ(t.vertex, (std::array<int, 3>{t0.vertex[0] + shift, t0.vertex[2] + shift,
                                                    t0.vertex[1] + shift}));
        }
    }

    std::map<float, std::vector<Point3>> layers; // by depth
    for (const Point3& v : m.vertices) {
        layers[v.z].push_back(v);
    }
    ASSERT_EQ(layers.size(), 9u);
    std::vector<double> depths;
    for (const auto& [z, points] : layers) {
        depths.push_back(z);
        EXPECT_EQ(static_cast<int>(points.size()), m.pointCount);
    }
    for (int l = 0; l < 4; ++l) {
        EXPECT_NEAR(depths[l], -f.frontDepths[l], 1e-7);
        EXPECT_NEAR(depths[8 - l], f.frontDepths[l], 1e-7);
    }
    EXPECT_NEAR(depths[4], 0.0, 1e-9);

    auto extent = [](const std::vector<Point3>& points) {
        std::array<double, 4> e{1, -1, 1, -1};
        for (const Point3& p : points) {
            e = {std::min(e[0], double{p.x}), std::max(e[1], double{p.x}),
                 std::min(e[2], double{p.y}), std::max(e[3], double{p.y})};
        }
        return e;
    };
    const auto outline = extent(layers.begin()->second);
    const auto solid = extent(m.vertices);
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE("x from, x to, y from, y to: " + std::to_string(k));
        EXPECT_NEAR(outline[k], f.outline[k], sixDecimals);
        EXPECT_NEAR(solid[k], f.solid[k], sixDecimals);
    }

    // Layers 0 and 8 are the outline itself. A point whose next edge runs straight down has
    // a miter vector with x = 1, so it stands out in x by the bulge times 1 - ((L - 4) / 4)^2.
    for (int l = 0; l < 9; ++l) {
        const Point3& v = m.vertices[l * m.pointCount + f.flankPoint];
        const double share = 1.0 - (l - 4) * (l - 4) / 16.0;
        EXPECT_NEAR(v.x, f.flankX + f.bulge * share, sixDecimals) << "layer " << l;
    }
    for (int p = 0; p < m.pointCount; ++p) {
        const Point3& a = m.vertices[p];
        const Point3& b = m.vertices[8 * m.pointCount + p];
        EXPECT_TRUE(a.x == b.x && a.y == b.y) << "point " << p;
    }
}

TEST_P(DigitTables, AClosedSurfaceWoundOutwardWithUnitNormalsSplitOnlyAtSharpCorners) {
    const DigitFacts& f = GetParam();
    const DigitMesh& m = digitMesh(f.digit);

    // Wound consistently: every directed edge is met once, its reverse once.
    std::map<std::pair<int, int>, int> edges;
    for (const MeshTriangle& t : m.triangles) {
        for (int c = 0; c < 3; ++c) {
            ++edges[{t.vertex[c], t.vertex[(c + 1) % 3]}];
        }
    }
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 1) << edge.first << "->" << edge.second;
        EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << edge.first << "->" << edge.second;
    }

    // Each face normal leads out of the solid: a point just in front of the triangle is
    // outside (even crossings of a ray), a point just behind it inside (odd). Each corner's
    // normal is a unit vector leaning the same way.
    const V dir{0.5123, 0.6311, 0.5826};
    std::vector<int> uses(m.normals.size(), 0);
    std::map<int, std::set<int>> normalsOf;
    for (int i = 0; i < static_cast<int>(m.triangles.size()); ++i) {
        SCOPED_TRACE("triangle " + std::to_string(i));
        const MeshTriangle& t = m.triangles[i];
        for (const int v : t.vertex) {
            ASSERT_TRUE(v >= 0 && v < static_cast<int>(m.vertices.size()));
        }
        const V n = faceNormal(m, t);
        const V centre = (1.0 / 3.0) * (corner(m, t, 0) + corner(m, t, 1) + corner(m, t, 2));
        EXPECT_EQ(crossings(m, centre + 1e-5 * n, dir) % 2, 0);
        EXPECT_EQ(crossings(m, centre - 1e-5 * n, dir) % 2, 1);
        if (i < 2 * m.capTriangles) {
            EXPECT_NEAR(n.z, i < m.capTriangles ? -1.0 : 1.0, 1e-9) << "the caps face -z, +z";
        }
        for (int c = 0; c < 3; ++c) {
            const int k = t.normal[c];
            ASSERT_TRUE(k >= 0 && k < static_cast<int>(m.normals.size()));
            ++uses[k];
            normalsOf[t.vertex[c]].insert(k);
            EXPECT_NEAR(length(toV(m.normals[k])), 1.0, 1e-6);
            EXPECT_GT(dot(toV(m.normals[k]), n), 0.1) << "normal " << k;
        }
    }
    EXPECT_EQ(std::count(uses.begin(), uses.end(), 0), 0) << "every normal is used";

    std::set<int> split, expected;
    for (const int p : f.splitCorners) {
        for (int l = 2; l <= 6; ++l) {
            expected.insert(l * m.pointCount + p);
        }
    }
    for (const auto& [vertex, normals] : normalsOf) {
        ASSERT_LE(normals.size(), 2u);
        if (normals.size() == 2) {
            split.insert(vertex);
            const V a = toV(m.normals[*normals.begin()]);
            const V b = toV(m.normals[*normals.rbegin()]);
            EXPECT_LT(dot(a, b), 0.5) << "vertex " << vertex << ": the two sides differ";
        }
    }
    EXPECT_EQ(split, expected);
}

INSTANTIATE_TEST_SUITE_P(Digits, DigitTables, ::testing::Values(zeroFacts, oneFacts),
                         [](const auto& info) { return info.param.digit == 0 ? "Zero" : "One"; });

TEST(DigitTables, ANormalIsThePlainMeanOfItsFacesNotWeightedByArea) {
    // The one's point 1, where the stem's right side meets the top of the foot serif, in the
    // middle layer 4. Both edges are straight and every point bulges along its miter, so each
    // of the six side triangles there leans out along its edge's normal, (1, 0) or (0, 1): the
    // plain mean is the bisector (by hand). Weighted by area (the stem's edge is 5.4 times the
    // serif's) it would be (0.9907, 0.1343, 0.0219), by a throwaway calculation.
    const DigitMesh& m = digitMesh(1);
    const int vertex = 4 * m.pointCount + 1;
    // (0.026699, -0.244482) moved by D = 0.0160960 along the miter (1, 1).
    EXPECT_NEAR(m.vertices[vertex].x, 0.042795, 1e-6);
    EXPECT_NEAR(m.vertices[vertex].y, -0.228386, 1e-6);
    int uses = 0;
    for (const MeshTriangle& t : m.triangles) {
        for (int c = 0; c < 3; ++c) {
            if (t.vertex[c] == vertex) {
                ++uses;
                const Point3& n = m.normals[t.normal[c]];
                EXPECT_NEAR(n.x, 0.7071068, 1e-6);
                EXPECT_NEAR(n.y, 0.7071068, 1e-6);
                EXPECT_NEAR(n.z, 0.0, 1e-6);
            }
        }
    }
    EXPECT_EQ(uses, 6);
}

} // namespace
