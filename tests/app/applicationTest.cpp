// applicationTest.cpp -- the GL state that start-up leaves for the lit placements
#include "app/application.h"
#include "harness/glWindow.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <vector>

TEST(Application, InitSetsTheLightModelLightFiveFogAndFrontFaces) {
    useGlWindow();
    // The opposite of every value init must set, so that each one shows.
    const GLfloat other[] = {0.7f, 0.7f, 0.7f, 0.7f};
    for (const GLenum name :
         {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_POSITION, GL_SPOT_DIRECTION}) {
        glLightfv(GL_LIGHT5, name, other);
    }
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, other);
    glLightf(GL_LIGHT5, GL_SPOT_CUTOFF, 45.0f);
    glLightf(GL_LIGHT5, GL_SPOT_EXPONENT, 7.0f);
    glEnable(GL_FOG);
    glFrontFace(GL_CW);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity(); // as in the fresh context: the position and direction stay in eye terms
    Application application(0, nullptr);
    application.init();
    useGlWindow(); // init took the screen values from a game mode this window does not have

    auto light = [](GLenum name, int count) {
        std::vector<GLfloat> v(4, -1.0f);
        glGetLightfv(GL_LIGHT5, name, v.data());
        v.resize(static_cast<std::size_t>(count));
        return v;
    };
    using V = std::vector<GLfloat>;
    // The start-up values, written out as the piece's light table and spot give them.
    EXPECT_EQ(light(GL_AMBIENT, 4), (V{0.1f, 0.1f, 0.1f, 1.0f}));
    EXPECT_EQ(light(GL_DIFFUSE, 4), (V{1.0f, 1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(light(GL_SPECULAR, 4), (V{1.0f, 1.0f, 1.0f, 1.0f}));
    EXPECT_EQ(light(GL_POSITION, 4), (V{3.0f, 1.0f, 1.0f, 0.1f}));
    EXPECT_EQ(light(GL_SPOT_DIRECTION, 3), (V{0.0f, 0.0f, -1.0f}));
    EXPECT_EQ(light(GL_SPOT_CUTOFF, 1), (V{180.0f}));
    EXPECT_EQ(light(GL_SPOT_EXPONENT, 1), (V{0.0f}));
    GLfloat model[4] = {};
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, model);
    EXPECT_EQ(V(model, model + 4), (V{0.2f, 0.2f, 0.2f, 1.0f}));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    GLint front = 0;
    glGetIntegerv(GL_FRONT_FACE, &front);
    EXPECT_EQ(front, GL_CCW);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT5)) << "switched on only around each placement";
}
