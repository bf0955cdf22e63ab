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
double dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V toV(const Point3& p) { return {p.x, p.y, p.z}; }

V faceNormal(const DigitMesh& m, const MeshTriangle& t) {
    const V a = toV(m.vertices[t.vertex[0]]);
    const V n = cross(toV(m.vertices[t.vertex[1]]) - a, toV(m.vertices[t.vertex[2]]) - a);
    const double length = std::sqrt(dot(n, n));
    return {n.x / length, n.y / length, n.z / length};
}

// The published sizes and extent of each digit, to six decimals.
struct DigitFacts {
    int digit;
    std::vector<int> sizes;          // vertices, normals, triangles, triangles of one cap
    std::vector<double> outline;     // x from, x to, y from, y to
    std::vector<double> solid;       // the same with the bulge
    std::vector<double> frontDepths; // |z| of layers 0 to 3
    double bulge;
    int flankPoint;                // a point whose next edge runs straight down the right side
    double flankX;                 // its x
    std::vector<int> splitCorners; // outline points whose layers 2 to 6 carry two normals
};

const DigitFacts zeroFacts(0, {315, 315, 630, 35}, {-0.115292, 0.115292, -0.299836, 0.049835},
                           {-0.131217, 0.131217, -0.316251, 0.066251},
                           {0.0497654, 0.0388170, 0.0258781, 0.0129391}, 0.0159249, 0, 0.115292,
                           {});
const DigitFacts oneFacts(1, {180, 190, 356, 18}, {-0.117269, 0.117269, -0.297880, 0.047880},
                          {-0.134744, 0.134761, -0.313976, 0.068670},
                          {0.0503005, 0.0392344, 0.0261563, 0.0130783}, 0.0160960, 1, 0.026699,
                          {0, 13});

// One unit in the sixth decimal, plus float storage.
constexpr double sixDecimals = 1.0e-6 + 1.0e-7;

void PrintTo(const DigitFacts& f, std::ostream* os) { *os << "digit " << f.digit; }

class DigitTables : public ::testing::TestWithParam<DigitFacts> {};

TEST_P(DigitTables, SizesLayersAndExtentMatchThePublishedDigit) {
    const DigitFacts& f = GetParam();
    const DigitMesh& m = digitMesh(f.digit);
    const int n = m.pointCount;
    EXPECT_EQ(
        (std::vector<int>{static_cast<int>(m.vertices.size()), static_cast<int>(m.normals.size()),
                          static_cast<int>(m.triangles.size()), m.capTriangles}),
        f.sizes);
    ASSERT_EQ(static_cast<int>(m.vertices.size()), 9 * n);

    // Vertex L * n + p is point p in layer L, at the layer's depth; the back half mirrors the
    // front. Layer 0 is the outline itself.
    std::array<double, 4> outline{1, -1, 1, -1}, solid = outline;
    auto extend = [](std::array<double, 4>& e, const Point3& p) {
        e = {std::min(e[0], double{p.x}), std::max(e[1], double{p.x}), std::min(e[2], double{p.y}),
             std::max(e[3], double{p.y})};
    };
    for (int v = 0; v < 9 * n; ++v) {
        const int l = v / n;
        const double depth = l < 4 ? -f.frontDepths[l] : l == 4 ? 0.0 : f.frontDepths[8 - l];
        EXPECT_NEAR(m.vertices[v].z, depth, 1e-7) << "vertex " << v;
        extend(solid, m.vertices[v]);
        if (l == 0) {
            extend(outline, m.vertices[v]);
        }
    }
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE("x from, x to, y from, y to: " + std::to_string(k));
        EXPECT_NEAR(outline[k], f.outline[k], sixDecimals);
        EXPECT_NEAR(solid[k], f.solid[k], sixDecimals);
    }

    // A point whose next edge runs straight down has a miter vector with x = 1, so it stands out in
    // x by the bulge times 1 - ((L - 4) / 4)^2: not at all in layers 0 and 8.
    for (int l = 0; l < 9; ++l) {
        const double share = 1.0 - (l - 4) * (l - 4) / 16.0;
        EXPECT_NEAR(m.vertices[l * n + f.flankPoint].x, f.flankX + f.bulge * share, sixDecimals)
            << "layer " << l;
    }
}

// The caps face -z and +z; as every directed edge is met once and its reverse once, that winding
// carries over to every side. Each corner's normal is a unit vector leaning the way of its face.
TEST_P(DigitTables, AClosedSurfaceWoundOutwardWithUnitNormalsSplitOnlyAtSharpCorners) {
    const DigitFacts& f = GetParam();
    const DigitMesh& m = digitMesh(f.digit);

    std::map<std::pair<int, int>, int> edges;
    std::vector<int> uses(m.normals.size(), 0);
    std::map<int, std::set<int>> normalsOf;
    for (int i = 0; i < static_cast<int>(m.triangles.size()); ++i) {
        SCOPED_TRACE("triangle " + std::to_string(i));
        const MeshTriangle& t = m.triangles[i];
        for (int c = 0; c < 3; ++c) {
            ASSERT_TRUE(t.vertex[c] >= 0 && t.vertex[c] < static_cast<int>(m.vertices.size()));
            ASSERT_TRUE(t.normal[c] >= 0 && t.normal[c] < static_cast<int>(m.normals.size()));
            ++edges[{t.vertex[c], t.vertex[(c + 1) % 3]}];
        }
        const V n = faceNormal(m, t);
        if (i < 2 * m.capTriangles) {
            EXPECT_NEAR(n.z, i < m.capTriangles ? -1.0 : 1.0, 1e-9) << "the caps face -z, +z";
        }
        for (int c = 0; c < 3; ++c) {
            const V normal = toV(m.normals[t.normal[c]]);
            ++uses[t.normal[c]];
            normalsOf[t.vertex[c]].insert(t.normal[c]);
            EXPECT_NEAR(dot(normal, normal), 1.0, 2e-6);
            EXPECT_GT(dot(normal, n), 0.1) << "normal " << t.normal[c];
        }
    }
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 1) << edge.first << "->" << edge.second;
        EXPECT_EQ(edges.count({edge.second, edge.first}), 1u) << edge.first << "->" << edge.second;
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
    // The one's point 1, where the stem's right side meets the top of the foot serif, in the middle
    // layer 4. Both edges are straight and every point bulges along its miter, so each of the six
    // side triangles there leans out along its edge's normal, (1, 0) or (0, 1): the plain mean is
    // the bisector (by hand). Weighted by area (the stem's edge is 5.4 times the serif's) it would
    // be (0.9907, 0.1343, 0.0219), by a throwaway calculation.
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
