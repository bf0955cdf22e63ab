// frameTest.cpp -- which lists each phase's frame calls, where, and the GL state it leaves
#include "scene/frame.h"
#include "app/application.h"
#include "harness/glWindow.h"
#include "overlay/crossHair.h"
#include "overlay/glyphFigures.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"
#include "support/feedback.h"
#include "support/pixels.h"
#include "support/sceneTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

std::vector<int> range(int from, int count) {
    std::vector<int> r;
    for (int i = 0; i < count; ++i) {
        r.push_back(from + i);
    }
    return r;
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class Frame : public SceneTest<3> {
  protected:
    // A cycle far enough along that every pass has something to call.
    void populate() {
        elementCount = 64;
        for (Element& e : elements) {
            e.age = 100;
            e.path[100] = e.end;
        }
        placed.assign(placedPoolSize, Strip{});
        placedCount = 48;
        for (int s = 0; s < stripPoolSize; ++s) {
            strips[s].remaining = s % 4;
            strips[s].pos = {0.0f, 0.0f, -20.0f};
        }
        for (Strip& p : placed) {
            p.pos = {0.0f, 0.0f, -20.0f};
        }
        for (int slot = 0; slot < listTableSize; ++slot) {
            compileMarker(slot);
        }
    }
};

} // namespace

TEST_F(Frame, ClearsToBlackAndSetsViewportAndProjection) {
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    freshScene(3);
    glViewport(10, 10, 20, 20);
    onDisplay();
    for (const auto& [x, y] : {std::pair{0, 0}, {640, 512}, {1279, 1023}}) {
        const Rgb p = readPixel(x, y);
        EXPECT_NEAR(p.r + p.g + p.b, 0.0f, pixelTolerance) << "at (" << x << ", " << y << ")";
    }
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{0, 0, 1280, 1024}));
    // 60 degrees, aspect 1, 0.1 to 200: cot 30 = 1.7320508, -200.1 / 199.9, -2 x 200 x 0.1 / 199.9.
    const double expected[16] = {1.7320508, 0, 0,          0,  0, 1.7320508, 0,          0,
                                 0,         0, -1.0010005, -1, 0, 0,         -0.2001001, 0};
    GLdouble projection[16], modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(projection[i], expected[i], 1e-6) << i;
        EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0 : 0.0) << i;
    }
}

TEST_F(Frame, EachPhaseCallsItsPassesSlotsInOrder) {
    populate();
    std::vector<int> strips;
    for (int s = 0; s < 16; ++s) {
        if (s % 4 != 0) {
            strips.push_back(stripSlot(s)); // a strip dealt three times is not drawn
        }
    }
    const std::vector<int> placements = range(250, 48);
    const std::vector<int> burst = {frameSlot, diagramSlot};
    const std::vector<std::pair<int, std::vector<int>>> expected = {
        {0, range(100, 64)},      {1, range(100, 64)},     {2, range(100, 64)},
        {3, strips + placements}, {4, placements},         {5, placements + range(300, 2)},
        {6, burst + placements},  {7, burst + placements}, {8, burst + placements},
        {9, burst + placements},
    };
    // Each frame restores what it switches: depth testing is on from phase 3 to the cycle's end.
    for (const auto& [phase, slots] : expected) {
        SCOPED_TRACE("phase " + std::to_string(phase));
        Phase = phase;
        EXPECT_EQ(markersIn(captureFeedback(drawFrame)), slots);
        const GLboolean depth = phase >= 3 ? GL_TRUE : GL_FALSE;
        (depth ? glEnable : glDisable)(GL_DEPTH_TEST);
        onDisplay();
        EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
        EXPECT_FALSE(glIsEnabled(GL_LIGHT5));
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), depth);
        GLint depthOfStack = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthOfStack);
        EXPECT_EQ(depthOfStack, 1);
        EXPECT_EQ(drainGlErrors(), static_cast<unsigned>(GL_NO_ERROR));
    }
    Phase = 3; // a strip fades by a third with each deal
    const auto items = captureFeedback(drawFrame);
    for (int s = 1; s < 4; ++s) {
        EXPECT_NEAR(pointAfter(items, stripSlot(s)).a, 0.33333f * s, 1e-6f) << s;
    }
}

TEST_F(Frame, TheDrawingOverlayFollowsTheScheduleFlagsAndTheArmsFadeOverTheReturnSweep) {
    populate();
    Phase = 5;
    currentGlyph = 2;
    stepCount = 13; // once the fill is done, the arms' alpha is (26 - 13) x 0.04
    // Each flag in turn, what the overlay calls after the frame (300) and the finished glyphs,
    // and the alpha of the arms in their grey 0.8 (0: not drawn).
    const struct {
        std::int32_t* flag;
        std::vector<int> slots;
        float arms;
    } flags[] = {{&frameDone, {302}, 0.0f},
                 {&sweepYDone, {302, 303}, 1.0f},
                 {&armYDone, {302, 303, 304}, 1.0f},
                 {&outlineDone, {302, 303, 304, 312}, 1.0f},
                 {&fillDone, {302, 303, 312}, 0.52f}};
    for (const auto& [flag, slots, arms] : flags) {
        *flag = 1;
        const auto items = captureFeedback(drawFrame);
        const std::vector<int> called = markersIn(items);
        EXPECT_EQ(std::vector<int>(called.begin() + placedPoolSize, called.end()),
                  (std::vector<int>{300, 310, 311} + slots));
        if (arms > 0.0f) {
            const FeedbackVertex arm = pointAfter(items, armSlot);
            EXPECT_NEAR(arm.a, arms, 1e-6f);
            EXPECT_NEAR(arm.r, 0.8f, 1e-6f);
            EXPECT_NEAR(arm.b, 0.8f, 1e-6f);
        }
    }
}

TEST_F(Frame, TheDrawingOverlaySitsAt500By350WithAFinishedGlyphInItsGreyOverBlack) {
    glyphs.assign(glyphPoolSize, Glyph{});
    glyphs[0] = {0, 1, 1, 1, 8, 8};         // a 53-unit square from (155, 155), grey 0.5
    placed.assign(placedPoolSize, Strip{}); // for the sub-steps to spin; none is drawn
    Phase = 5;
    stepCount = 13; // the fade's last call: opaque
    frameFadeStep();
    stepCount = 25; // the fill's last call: opaque
    fillStep(0);
    currentGlyph = 1;
    drawFrame();
    const Rgb inside = readPixel(500 + 180, 350 + 180);
    EXPECT_NEAR(inside.r, 0.5, pixelTolerance) << "Expected grey 0.5 at (680, 530)";
    EXPECT_NEAR(inside.b, 0.5, pixelTolerance);
    const Rgb outside = readPixel(500 + 100, 350 + 250);
    EXPECT_NEAR(outside.r, 0.0, pixelTolerance) << "Expected black at (600, 600)";
}

TEST_F(Frame, ElementsSitOnTheirPathPointAndFadeInByAge) {
    populate();
    Phase = 1;
    elements[0].age = 10;
    elements[0].path[10] = {0.0f, 0.0f, -10.0f};
    compileMarker(elementSlot(0), 1.0f); // one unit off the origin along x, to see the turns
    const auto items = captureFeedback(drawFrame);
    const FeedbackVertex v = pointAfter(items, elementSlot(0));
    // 72 degrees about y, then about x: (cos 72, sin^2 72, -10 - sin 72 cos 72) in the eye =
    // (0.309017, 0.904508, -10.293893); x = 640 + 640 x 1.7320508 x 0.309017 / 10.293893 and
    // y = 512 + 512 x 1.7320508 x 0.904508 / 10.293893 (worked out in a throwaway script).
    EXPECT_NEAR(v.x, 673.2769f, 0.01f);
    EXPECT_NEAR(v.y, 589.9226f, 0.01f);
    EXPECT_NEAR(v.a, 0.1f, 1e-6f);
    EXPECT_NEAR(pointAfter(items, elementSlot(1)).a, 1.0f, 1e-6f) << "clamped from 10";
}

TEST_F(Frame, PlacementsAreLitInTheirMaterialAndTurnedAboutYByAge) {
    populate();
    Phase = 4;
    placedCount = 1;
    placed[0].age = 5;
    // A point off the axis of the turn, with a normal facing away from light 5.
    beginSlotList(placementSlot(0));
    glPassThrough(static_cast<float>(placementSlot(0)));
    glNormal3f(0.0f, -1.0f, 0.0f);
    glBegin(GL_POINTS);
    glVertex3f(1.0f, 0.0f, 0.0f);
    glEnd();
    endSlotList();
    const GLfloat sceneAmbient[] = {0.2f, 0.2f, 0.2f, 1.0f}, junk[] = {0.9f, 0.9f, 0.9f, 0.9f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, sceneAmbient);
    for (const GLenum name : {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_SHININESS}) {
        glMaterialfv(GL_FRONT, name, junk);
    }
    glColor4f(1.0f, 0.0f, 1.0f, 1.0f); // what an unlit point would show
    const FeedbackVertex v = pointAfter(captureFeedback(drawFrame), placementSlot(0));
    // 36 degrees about y: (cos 36, 0, -20 - sin 36) in the eye, through the 60-degree
    // perspective onto 1280 by 1024: x = 640 + 640 x 1.7320508 x 0.809017 / 20.587785.
    EXPECT_NEAR(v.x, 683.5601f, 0.01f);
    EXPECT_NEAR(v.y, 512.0f, 0.01f);
    // Facing away, only ambient light: 0.2 x 0.1 (scene) + 0.1 x 0.1 (light 5); alpha from the
    // diffuse material.
    EXPECT_NEAR(v.r, 0.03f, 1e-5f);
    EXPECT_NEAR(v.b, 0.03f, 1e-5f);
    EXPECT_NEAR(v.a, 1.0f, 1e-6f);
    const std::pair<GLenum, float> material[] = {
        {GL_AMBIENT, 0.1f}, {GL_DIFFUSE, 0.5f}, {GL_SPECULAR, 1.0f}, {GL_SHININESS, 50.0f}};
    for (const auto& [name, value] : material) {
        GLfloat got[4] = {};
        glGetMaterialfv(GL_FRONT, name, got);
        EXPECT_FLOAT_EQ(got[0], value) << name;
        if (name != GL_SHININESS) {
            EXPECT_FLOAT_EQ(got[2], value) << name;
            EXPECT_FLOAT_EQ(got[3], 1.0f) << name;
        }
    }
}

TEST_F(Frame, TheBurstOverlayGrowsAndShrinksWithTheDistance) {
    populate();
    Phase = 9;
    // A point at the overlay's (150, 150) lands in the middle of the overlay square.
    compileMarker(frameSlot, 150.0f, 150.0f);
    const struct {
        int width, height, distance;
        float x, y; // expected window position of the middle
    } cases[] = {
        {1280, 1024, 0, 650.0f, 500.0f},   // where phase 5 draws it
        {1280, 1024, 300, 650.0f, 500.0f}, // (200, 50) with side 900
        {1024, 768, -150, 687.5f, 537.5f}, // (650, 500) with side 75
        {1024, 768, 300, 575.0f, 425.0f},  // (200, 50) with side 750
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.height) + " lines at " + std::to_string(c.distance));
        setScreenValues(c.width, c.height);
        burstDistance = c.distance;
        const FeedbackVertex v = pointAfter(captureFeedback(drawFrame), frameSlot);
        EXPECT_NEAR(v.x, c.x, 0.01f);
        EXPECT_NEAR(v.y, c.y, 0.01f);
    }
}

TEST_F(Frame, TheScanLineCrossesTheCaptureSquareAtTheCountdown) {
    populate();
    Phase = 8;
    burstDistance = 300;
    captureCountdown = 450;
    glDisable(GL_DEPTH_TEST);
    glColor3f(0.3f, 0.3f, 0.3f); // the line sets its own white
    const auto lines = itemsOfKind(captureFeedback(drawFrame), FeedbackItem::line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NEAR(lines[0].vertices[0].x, 200.0f, 0.01f);
    EXPECT_NEAR(lines[0].vertices[1].x, 1100.0f, 0.01f);
    EXPECT_NEAR(lines[0].vertices[0].y, 500.0f, 0.01f);
    EXPECT_EQ(lines[0].vertices[0].g, 1.0f);
}
