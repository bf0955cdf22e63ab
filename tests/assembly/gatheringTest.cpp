// gatheringTest.cpp -- adding elements, the element lists' wire overlay, the end of gathering
#include "app/application.h"
#include "app/input.h"
#include "assembly/elements.h"
#include "scene/generator.h"
#include "scene/listTable.h"
#include "scene/phaseSequencer.h"
#include "scene/sceneStore.h"
#include "support/feedback.h"
#include "support/sceneTest.h"

#include <GL/glut.h>
#include <gtest/gtest.h>

namespace {

using Gathering = SceneTest<9>;

// Lines and polygons that element i's list draws, seen from the camera at the element's slot.
// The lines must be opaque white whatever colour the caller left current.
std::pair<int, int> linesAndPolygons(int i) {
    glDisable(GL_CULL_FACE);
    flatView(1280, 1024, -0.5, 0.5, -0.5, 0.5);
    glColor4f(0.2f, 0.4f, 0.6f, 0.5f);
    const auto items = captureFeedback([i] { callSlot(elementSlot(i)); });
    glEnable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    int notWhite = 0;
    for (const FeedbackItem& item : items) {
        for (const FeedbackVertex& v : item.vertices) {
            const bool white = v.r == 1.0f && v.g == 1.0f && v.b == 1.0f && v.a == 1.0f;
            notWhite += item.kind == FeedbackItem::line && !white ? 1 : 0;
        }
    }
    EXPECT_EQ(notWhite, 0) << "line vertices of element " << i << " that are not opaque white";
    return {countKind(items, FeedbackItem::line), countKind(items, FeedbackItem::polygon)};
}

} // namespace

TEST_F(Gathering, AnElementsPathIsComputedWhenAddedAndFillTakesOneDrawForEachOfTheRest) {
    onMotion(halfWidth + 200, halfHeight - 100);
    addElement(1);
    const Element& e = elements[0];
    EXPECT_EQ(elementCount, 1);
    EXPECT_EQ(e.kind, 1);
    EXPECT_FLOAT_EQ(e.path[0].x, 1.0f);
    EXPECT_FLOAT_EQ(e.path[0].y, 0.5f);
    EXPECT_FLOAT_EQ(e.path[100].x, e.end.x);
    EXPECT_FLOAT_EQ(e.path[100].z, -20.0f);
    EXPECT_NEAR(e.path[50].z, 0.25 * 0 + 0.5 * e.control.z + 0.25 * e.end.z, 1e-5);
    // After ten clicks, a fill adds 54 from one pointer offset with one draw each.
    for (int i = 1; i < 10; ++i) {
        addElement(i % 2);
    }
    onMotion(halfWidth - 400, halfHeight + 200);
    const std::uint32_t before = generatorState();
    fillElements();
    EXPECT_EQ(elementCount, 64);
    seedGenerator(before);
    for (int i = 10; i < 64; ++i) {
        EXPECT_EQ(elements[i].kind, drawRandom() % 2) << i;
        EXPECT_FLOAT_EQ(elements[i].start.x, -2.0f);
        EXPECT_FLOAT_EQ(elements[i].start.y, -1.0f);
    }
    const std::uint32_t after54 = generatorState();
    fillElements();
    EXPECT_EQ(elementCount, 64);
    EXPECT_EQ(generatorState(), after54) << "a full pool takes no draw";
}

TEST_F(Gathering, TheWireOverlayIsInTheListsCompiledAtAgesZeroTo32Only) {
    addElement(0);
    for (int age = 0; age <= 100; ++age) {
        ASSERT_EQ(elements[0].age, age);
        gatherStep();
        const auto [lines, polygons] = linesAndPolygons(0);
        EXPECT_GT(polygons, 0) << "age " << age;
        if (age < 33) {
            EXPECT_GT(lines, 0) << "age " << age;
        } else {
            EXPECT_EQ(lines, 0) << "age " << age;
        }
    }
    EXPECT_EQ(elements[0].age, 100);
}

TEST_F(Gathering, OnlyThe64thElementsArrivalEndsGathering) {
    for (int i = 0; i < 63; ++i) {
        addElement(1);
    }
    for (int step = 0; step < 300; ++step) {
        onIdle();
    }
    EXPECT_EQ(Phase, 1) << "63 resting elements never end gathering";
    addElement(0);
    for (int step = 1; step <= 100; ++step) {
        onIdle();
    }
    EXPECT_EQ(elements[63].age, 100);
    EXPECT_EQ(Phase, 1);
    // The next step still recompiles every list, now without the overlay, and then ends.
    const std::int32_t id = listTable[elementSlot(63)];
    glDeleteLists(static_cast<GLuint>(id), 1);
    onIdle();
    EXPECT_EQ(Phase, 2);
    EXPECT_TRUE(glIsList(static_cast<GLuint>(id))) << "recompiled on the last step";
    EXPECT_EQ(linesAndPolygons(63).first, 0);
}
