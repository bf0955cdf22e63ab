// sceneStoreTest.cpp -- what resetScene lays out and switches, and what restartScene releases
#include "scene/sceneStore.h"
#include "harness/glWindow.h"
#include "scene/generator.h"
#include "scene/listTable.h"
#include "support/points.h"
#include "support/sceneTest.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

using SceneStore = SceneTest<1>;

void expectNoSlotList() {
    for (int slot = 0; slot < listTableSize; ++slot) {
        ASSERT_EQ(listTable[slot], -1) << "slot " << slot;
    }
}

} // namespace

TEST_F(SceneStore, ResetLaysOutTheGridInGroupsOfFourAndDrawsThreeOffsetsPerSlotInOrder) {
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
    // The control points: three offsets per slot in order, 384 draws in all.
    freshScene(2024);
    const std::uint32_t afterReset = generatorState();
    seedGenerator(2024);
    for (int i = 0; i < elementPoolSize; ++i) {
        SCOPED_TRACE(i);
        const float x = signedOffset();
        const float y = signedOffset();
        const float z = signedOffset();
        expectPoint(elements[i].control, x, static_cast<float>(y + 3.0),
                    static_cast<float>(z - 10.0));
        expectPoint(elements[i].start, 0, 0, 0);
        expectPoint(elements[i].path[0], 0, 0, 0);
        EXPECT_EQ(elements[i].age, 0);
    }
    EXPECT_EQ(generatorState(), afterReset) << "384 draws, no more";
}

TEST_F(SceneStore, ResetRestoresEveryScalarButPauseAndQuitAndSetsTheCycleGlState) {
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
    paused = quitRequested = 1;
    imageName = "kept.png";
    placed.assign(placedPoolSize, Strip{});
    glyphs.assign(glyphPoolSize, Glyph{});
    Phase = 9;
    // Each switch the other way round, and state a reset sets.
    const std::pair<GLenum, bool> switches[] = {{GL_TEXTURE_2D, false}, {GL_DEPTH_TEST, false},
                                                {GL_LIGHTING, false},   {GL_CULL_FACE, true},
                                                {GL_LINE_SMOOTH, true}, {GL_BLEND, true}};
    for (const auto& [cap, on] : switches) {
        (on ? glDisable : glEnable)(cap);
    }
    glBlendFunc(GL_ONE, GL_ZERO);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glLineWidth(3.0f);
    glClearColor(1, 1, 1, 1);
    const GLfloat junk[] = {0.5f, 0.5f, 0.5f, 0.5f};
    glLightfv(GL_LIGHT5, GL_DIFFUSE, junk);
    glLightfv(GL_LIGHT5, GL_AMBIENT, junk);

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
    paused = 0;
    quitRequested = -1;
    expectNoSlotList();
    EXPECT_TRUE(glIsList(static_cast<GLuint>(meshLists[0])));
    EXPECT_TRUE(glIsList(static_cast<GLuint>(meshLists[1])));
    EXPECT_NE(meshLists[0], meshLists[1]);
    for (const auto& [cap, on] : switches) {
        EXPECT_EQ(glIsEnabled(cap), on) << cap;
    }
    GLint source = 0, destination = 0, hint = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_LINE_SMOOTH_HINT, &hint);
    EXPECT_EQ((std::vector<GLint>{source, destination, hint}),
              (std::vector<GLint>{GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DONT_CARE}));
    GLfloat width = 0, clear[4] = {1, 1, 1, 1}, diffuse[4] = {}, ambient[4] = {};
    glGetFloatv(GL_LINE_WIDTH, &width);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    glGetLightfv(GL_LIGHT5, GL_DIFFUSE, diffuse);
    glGetLightfv(GL_LIGHT5, GL_AMBIENT, ambient);
    EXPECT_EQ(width, 1.0f);
    EXPECT_EQ(clear[0] + clear[1] + clear[2] + clear[3], 0.0f);
    EXPECT_EQ(diffuse[0], 1.0f);
    EXPECT_FLOAT_EQ(ambient[0], 0.1f);
    EXPECT_EQ(drainGlErrors(), static_cast<unsigned>(GL_NO_ERROR));
}

TEST_F(SceneStore, RecompilingKeepsASlotsListAndRestartDeletesEveryListAndBothMeshes) {
    std::vector<GLuint> made;
    for (int slot = 0; slot < listTableSize; ++slot) {
        beginSlotList(slot);
        endSlotList();
        made.push_back(static_cast<GLuint>(listTable[slot]));
    }
    made.push_back(static_cast<GLuint>(meshLists[0]));
    made.push_back(static_cast<GLuint>(meshLists[1]));
    beginSlotList(frameSlot); // recompiling a slot keeps its one list
    endSlotList();
    EXPECT_EQ(static_cast<GLuint>(listTable[frameSlot]), made[frameSlot]);
    Phase = 9;
    restartScene();
    for (GLuint id : made) {
        EXPECT_FALSE(glIsList(id)) << "list " << id << " outlived the restart";
    }
    expectNoSlotList();
    EXPECT_EQ(Phase, 1);
    EXPECT_TRUE(glIsList(static_cast<GLuint>(meshLists[0])));
    EXPECT_TRUE(glIsList(static_cast<GLuint>(meshLists[1])));
}
