// meshTest.cpp -- the compiled digit lists through real GL's feedback
#include "meshes/mesh.h"
#include "harness/glWindow.h"
#include "meshes/digitMeshes.h"
#include "support/feedback.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr int side = 400; // window pixels; the view below spans 0.4 model units: 1000 px a unit
constexpr double viewLeft = -0.2, viewBottom = -0.325, viewSize = 0.4;

float windowX(double x) { return static_cast<float>((x - viewLeft) / viewSize * side); }
float windowY(double y) { return static_cast<float>((y - viewBottom) / viewSize * side); }

} // namespace

// Unlit, the list's feedback shows every triangle of the table in order, in the colour the caller
// left current. Lit by one white directional light with no ambient and a white diffuse material, a
// corner's red value is max(0, n . l): the colours show which normal reached it. Every kind but 0
// compiles the one.
TEST(Mesh, ListHoldsEveryTriangleInTableOrderEachCornerWithItsOwnNormal) {
    useGlWindow(side, side);
    flatView(side, side, viewLeft, viewLeft + viewSize, viewBottom, viewBottom + viewSize);
    glDisable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    const GLfloat zero[] = {0.0f, 0.0f, 0.0f, 1.0f};
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const double l[3] = {1.0 / std::sqrt(14.0), 2.0 / std::sqrt(14.0), 3.0 / std::sqrt(14.0)};
    const GLfloat direction[] = {1.0f, 2.0f, 3.0f, 0.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, zero);
    glLightfv(GL_LIGHT0, GL_AMBIENT, zero);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, zero);
    glLightfv(GL_LIGHT0, GL_POSITION, direction);
    for (const GLenum name : {GL_AMBIENT, GL_SPECULAR, GL_EMISSION}) {
        glMaterialfv(GL_FRONT_AND_BACK, name, zero);
    }
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glEnable(GL_LIGHT0);

    for (const int kind : {0, 1, 7}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        const Mesh mesh(kind);
        ASSERT_EQ(drainGlErrors(), static_cast<unsigned>(GL_NO_ERROR));
        const auto list = static_cast<GLuint>(mesh.list(kind));
        ASSERT_TRUE(glIsList(list));
        const DigitMesh& table = digitMesh(kind == 0 ? 0 : 1);

        GLfloat before[16], after[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, before);
        glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
        const auto items = captureFeedback([list] { glCallList(list); });
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_TRUE(std::equal(before, before + 16, after)) << "the list leaves the matrix alone";
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
        GLint frontFace = 0;
        glGetIntegerv(GL_FRONT_FACE, &frontFace);
        EXPECT_EQ(frontFace, GL_CCW) << "the tables' winding decides what culling keeps";
        glEnable(GL_LIGHTING);
        const auto lit = captureFeedback([list] { glCallList(list); });
        glDisable(GL_LIGHTING);

        ASSERT_EQ(items.size(), table.triangles.size());
        ASSERT_EQ(countKind(items, FeedbackItem::polygon), static_cast<int>(items.size()));
        ASSERT_EQ(lit.size(), items.size());
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
            }
        }
    }
}
