// sceneStoreTest.cpp -- what resetScene lays out and switches, and what restartScene releases
#include "scene/sceneStore.h"
#include "harness/glWindow.h"
#include "scene/generator.h"
#include "scene/listTable.h"
#include "support/points.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

class SceneStore : public ::testing::Test {
  protected:
    void SetUp() override { useGlWindow(); }
};

} // namespace

TEST_F(SceneStore, ResetLaysOutTheGridInGroupsOfFourAndDrawsThreeOffsetsPerSlotInOrder) {
    freshScene(7);
    // 0 and 15 end a row's first and last groups, 4 starts its second group, 16 the second row.
    const struct {
        int element;
        float x, y;
    } ends[] = {{0, 5.0f, 0.0f},
                {4, 6.75f, 0.0f},
                {15, 11.3f, 0.0f},
                {16, 5.0f, -0.8f},
                {63, 11.3f, -2.4f}};
    for (const auto& e : ends) {
        SCOPED_TRACE("element " + std::to_string(e.element));
        expectPoint(elements[e.element].end, e.x, e.y, -20.0f);
    }
    for (const Element& e : elements) {
        expectPoint(e.start, 0, 0, 0);
        expectPoint(e.path[0], 0, 0, 0);
        EXPECT_EQ(e.age, 0);
    }
    // The control points: three offsets per slot in order, 384 draws in all.
    freshScene(2024);
    seedGenerator(2024);
    for (int i = 0; i < elementPoolSize; ++i) {
        SCOPED_TRACE(i);
        const float x = signedOffset();
        const float y = signedOffset();
        const float z = signedOffset();
        expectPoint(elements[i].control, x, static_cast<float>(y + 3.0),
                    static_cast<float>(z - 10.0));
    }
    seedGenerator(2024);
    for (int i = 0; i < 384; ++i) {
        drawRandom();
    }
    const std::uint32_t after384 = generatorState();
    freshScene(2024);
    EXPECT_EQ(generatorState(), after384);
}

TEST_F(SceneStore, ResetRestoresEveryScalarButPauseAndQuit) {
    freshScene(1);
    // Every integer that a reset sets to 0.
    std::int32_t* const zeroed[] = {&elementCount, &placedCount, &stepCount,       &currentGlyph,
                                    &frameDone,    &sweepXDone,  &sweepYDone,      &armXDone,
                                    &armYDone,     &outlineDone, &fillDone,        &burstDistance,
                                    &captureArmed, &imageSaved,  &teardownPending, &dragging};
    for (std::int32_t* value : zeroed) {
        *value = 11;
    }
    diagramSpeed = 9.0f;
    dealInterval = 3.0f;
    captureCountdown = 0;
    paused = 1;
    quitRequested = 1;
    imageName = "kept.png";
    placed.assign(placedPoolSize, Strip{});
    glyphs.assign(glyphPoolSize, Glyph{});
    Phase = 9;

    resetScene();

    for (std::size_t i = 0; i < std::size(zeroed); ++i) {
        EXPECT_EQ(*zeroed[i], 0) << "integer " << i << " in the list";
    }
    EXPECT_EQ(Phase, 1);
    EXPECT_EQ(diagramSpeed, 1.0f);
    EXPECT_EQ(dealInterval, 1000.0f);
    EXPECT_EQ(captureCountdown, 899);
    EXPECT_TRUE(placed.empty());
    EXPECT_TRUE(glyphs.empty());
    EXPECT_EQ(paused, 1) << "the pause outlives a reset";
    EXPECT_EQ(quitRequested, 1);
    EXPECT_EQ(imageName, "kept.png");
    for (int slot = 0; slot < listTableSize; ++slot) {
        ASSERT_EQ(listTable[slot], -1) << "slot " << slot;
    }
    paused = 0;
    quitRequested = -1;
}

TEST_F(SceneStore, ResetCompilesBothMeshesAndSetsTheCycleGlState) {
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glLineWidth(3.0f);
    glClearColor(1, 1, 1, 1);
    freshScene(1);

    EXPECT_TRUE(glIsList(static_cast<GLuint>(meshLists[0])));
    EXPECT_TRUE(glIsList(static_cast<GLuint>(meshLists[1])));
    EXPECT_NE(meshLists[0], meshLists[1]);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_LINE_SMOOTH));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    GLint source = 0, destination = 0, hint = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_LINE_SMOOTH_HINT, &hint);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(hint, GL_DONT_CARE);
    GLfloat width = 0, clear[4] = {1, 1, 1, 1};
    glGetFloatv(GL_LINE_WIDTH, &width);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(width, 1.0f);
    EXPECT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 0.0f);
    GLfloat diffuse[4] = {}, ambient[4] = {};
    glGetLightfv(GL_LIGHT5, GL_DIFFUSE, diffuse);
    glGetLightfv(GL_LIGHT5, GL_AMBIENT, ambient);
    EXPECT_EQ(diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(ambient[0], 0.1f);
    EXPECT_EQ(drainGlErrors(), static_cast<unsigned>(GL_NO_ERROR));
}

TEST_F(SceneStore, RecompilingKeepsASlotsListAndRestartDeletesEveryListAndBothMeshes) {
    freshScene(1);
    std::vector<GLuint> made;
    for (int slot = 0; slot < listTableSize; ++slot) {
        beginSlotList(slot);
        endSlotList();
        made.push_back(static_cast<GLuint>(listTable[slot]));
    }
    made.push_back(static_cast<GLuint>(meshLists[0]));
    made.push_back(static_cast<GLuint>(meshLists[1]));
    placed.assign(placedPoolSize, Strip{});
    glyphs.assign(glyphPoolSize, Glyph{});
    Phase = 9;

    const std::int32_t frameList = listTable[frameSlot];
    beginSlotList(frameSlot); // recompiling a slot keeps its one list
    endSlotList();
    EXPECT_EQ(listTable[frameSlot], frameList);
    restartScene();

    for (GLuint id : made) {
        EXPECT_FALSE(glIsList(id)) << "list " << id << " outlived the restart";
    }
    for (int slot = 0; slot < listTableSize; ++slot) {
        ASSERT_EQ(listTable[slot], -1) << "slot " << slot;
    }
    EXPECT_TRUE(placed.empty());
    EXPECT_TRUE(glyphs.empty());
    EXPECT_EQ(Phase, 1);
    EXPECT_TRUE(glIsList(static_cast<GLuint>(meshLists[0])));
    EXPECT_TRUE(glIsList(static_cast<GLuint>(meshLists[1])));
}
