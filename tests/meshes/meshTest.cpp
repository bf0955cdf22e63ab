// meshTest.cpp -- the compiled digit lists through real GL: feedback, culling, pixels
#include "meshes/mesh.h"
#include "harness/glWindow.h"
#include "meshes/digitMeshes.h"
#include "support/feedback.h"
#include "support/pixels.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int side = 400; // window pixels; the view below spans 0.4 model units: 1000 px a unit
constexpr double viewLeft = -0.2, viewBottom = -0.325, viewSize = 0.4;

// Orthographic view of the digit's box looking along -z, model turned by the given angles
// (degrees) about y and then x. Culling, lighting and depth test off.
void orthoView(float turnY = 0.0f, float turnX = 0.0f) {
    useGlWindow(side, side);
    flatView(side, side, viewLeft, viewLeft + viewSize, viewBottom, viewBottom + viewSize);
    // Turn about the digit's middle, so that it stays in view.
    glTranslatef(0.0f, -0.125f, 0.0f);
    glRotatef(turnX, 1.0f, 0.0f, 0.0f);
    glRotatef(turnY, 0.0f, 1.0f, 0.0f);
    glTranslatef(0.0f, 0.125f, 0.0f);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glFrontFace(GL_CCW);
}

std::vector<FeedbackItem> feedbackOf(int list) {
    return captureFeedback([list] { glCallList(static_cast<GLuint>(list)); });
}

float windowX(double x) { return static_cast<float>((x - viewLeft) / viewSize * side); }
float windowY(double y) { return static_cast<float>((y - viewBottom) / viewSize * side); }

// Unlit, the list's feedback shows every triangle of the table in order, in the colour the
// caller left current. Lit by one white directional light with no ambient and a white diffuse
// material, a corner's red value is max(0, n . l): the colours show which normal reached it.
TEST(Mesh, ListHoldsEveryTriangleInTableOrderEachCornerWithItsOwnNormal) {
    const GLfloat zero[] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const double l[3] = {1.0 / std::sqrt(14.0), 2.0 / std::sqrt(14.0), 3.0 / std::sqrt(14.0)};
    const GLfloat direction[] = {1.0f, 2.0f, 3.0f, 0.0f};
    for (const int kind : {0, 1}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        orthoView();
        const Mesh mesh(kind);
        ASSERT_EQ(drainGlErrors(), static_cast<unsigned>(GL_NO_ERROR));
        ASSERT_TRUE(glIsList(static_cast<GLuint>(mesh.list(kind))));
        const DigitMesh& table = digitMesh(kind);

        GLfloat before[16], after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, before);
        glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
        const auto items = feedbackOf(mesh.list(kind));
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_TRUE(std::equal(before, before + 16, after)) << "the list leaves the matrix alone";
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
        GLint frontFace = 0;
        glGetIntegerv(GL_FRONT_FACE, &frontFace);
        EXPECT_EQ(frontFace, GL_CCW) << "the tables' winding decides what culling keeps";

        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, zero);
        glLightfv(GL_LIGHT0, GL_AMBIENT, zero);
        glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
        glLightfv(GL_LIGHT0, GL_SPECULAR, zero);
        glLightfv(GL_LIGHT0, GL_POSITION, direction);
        for (const GLenum name : {GL_AMBIENT, GL_SPECULAR, GL_EMISSION}) {
            glMaterialfv(GL_FRONT_AND_BACK, name, zero);
        }
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
        glEnable(GL_LIGHTING);
        glEnable(GL_LIGHT0);
        const auto lit = feedbackOf(mesh.list(kind));
        glDisable(GL_LIGHTING);

        ASSERT_EQ(items.size(), table.triangles.size());
        ASSERT_EQ(countKind(items, FeedbackItem::polygon), static_cast<int>(items.size()));
        ASSERT_EQ(lit.size(), items.size());
        int litCorners = 0;
        for (std::size_t i = 0; i < items.size(); ++i) {
            SCOPED_TRACE("triangle " + std::to_string(i));
            ASSERT_EQ(items[i].vertices.size(), 3u);
            for (std::size_t c = 0; c < 3; ++c) {
                const FeedbackVertex& got = items[i].vertices[c];
                const Point3& want = table.vertices[table.triangles[i].vertex[c]];
                EXPECT_NEAR(got.x, windowX(want.x), 0.01f);
                EXPECT_NEAR(got.y, windowY(want.y), 0.01f);
                EXPECT_NEAR(got.r, 0.25f, 1e-6f) << "no colour inside the list";
                EXPECT_NEAR(got.b, 0.75f, 1e-6f);
                const Point3& n = table.normals[table.triangles[i].normal[c]];
                const double shade = std::max(0.0, n.x * l[0] + n.y * l[1] + n.z * l[2]);
                EXPECT_NEAR(lit[i].vertices[c].r, shade, 2e-3) << "corner " << c;
                litCorners += shade > 0.1 ? 1 : 0;
            }
        }
        EXPECT_GT(litCorners, static_cast<int>(items.size())) << "the light reaches many corners";
    }
}

TEST(Mesh, TheZerosHoleStaysOpenFromFrontAndBack) {
    for (const float turn : {0.0f, 180.0f}) {
        SCOPED_TRACE("turned " + std::to_string(turn) + " degrees");
        orthoView(turn);
        const Mesh mesh(0);
        glEnable(GL_CULL_FACE);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glColor3f(1.0f, 1.0f, 1.0f);
        glCallList(static_cast<GLuint>(mesh.list(0)));
        glFinish();
        struct Probe {
            const char* what;
            double x, y;
            float want;
        };
        // The hole spans x -0.062 to 0.062 (0.046 at the bulge) around y -0.125; the ring
        // runs out to x 0.115.
        const Probe probes[] = {{"hole centre", 0.0, -0.125, 0.0f},
                                {"right ring", 0.089, -0.125, 1.0f},
                                {"left ring", -0.089, -0.125, 1.0f},
                                {"bottom ring", 0.0, -0.274, 1.0f},
                                {"outside", 0.18, 0.05, 0.0f}};
        for (const Probe& p : probes) {
            const int x = static_cast<int>(windowX(p.x));
            const int y = static_cast<int>(windowY(p.y));
            const Rgb got = readPixel(x, y);
            EXPECT_NEAR(got.r, p.want, pixelTolerance)
                << p.what << ": expected " << p.want << ", observed " << got.r << " at (" << x
                << ", " << y << ")";
        }
    }
}

TEST(Mesh, EveryKindButZeroCompilesTheOne) {
    orthoView();
    const Mesh one(1);
    const Mesh seven(7);
    const Mesh zero(0);
    ASSERT_NE(one.list(1), seven.list(7));
    ASSERT_TRUE(glIsList(static_cast<GLuint>(seven.list(7))));
    EXPECT_EQ(seven.list(7), seven.list(1)) << "kind 7 keeps its list where kind 1 does";
    const auto a = feedbackOf(one.list(1));
    const auto b = feedbackOf(seven.list(7));
    ASSERT_EQ(b.size(), digitMesh(1).triangles.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(a[i].vertices[c].x, b[i].vertices[c].x) << i;
            EXPECT_EQ(a[i].vertices[c].y, b[i].vertices[c].y) << i;
            EXPECT_EQ(a[i].vertices[c].z, b[i].vertices[c].z) << i;
        }
    }
    EXPECT_EQ(feedbackOf(zero.list(0)).size(), digitMesh(0).triangles.size());
}

} // namespace
