// diagramPassTest.cpp -- what the phase-5 frame shows of the overlay lists, sub-step by sub-step
#include "diagramScene.h"

#include "harness/glWindow.h"
#include "scene/frame.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"
#include "support/pixels.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {

// The schedule flags as they stand while sub-step 1..8 runs: those of the sub-steps before it.
void enterSubStep(int subStep) {
    std::int32_t* flags[] = {&frameDone, &sweepXDone,  &sweepYDone, &armXDone,
                             &armYDone,  &outlineDone, &fillDone};
    for (int k = 0; k < 7; ++k) {
        *flags[k] = k < subStep - 1 ? 1 : 0;
    }
}

// The colour alpha that the arm marker (slot 303) was drawn with.
float armAlpha(const std::vector<FeedbackItem>& items) {
    for (std::size_t k = 0; k + 1 < items.size(); ++k) {
        if (items[k].kind == FeedbackItem::passThrough && items[k].marker == armSlot &&
            items[k + 1].kind == FeedbackItem::point) {
            return items[k + 1].vertices[0].a;
        }
    }
    return -1.0f;
}

} // namespace

TEST(DiagramPass, SlotsCalledFollowTheScheduleFlags) {
    setUpDiagram();
    placedCount = 0;
    for (int slot : {frameSlot, centreCrossSlot, crossHairSlot, armSlot, outlineSlot}) {
        compileMarker(slot);
    }
    for (int g = 0; g < glyphPoolSize; ++g) {
        compileMarker(glyphSlot(g));
    }
    for (int glyph : {0, 3}) {
        currentGlyph = glyph;
        std::vector<int> finished;
        for (int g = 0; g < glyph; ++g) {
            finished.push_back(glyphSlot(g));
        }
        for (int subStep = 1; subStep <= 8; ++subStep) {
            SCOPED_TRACE(testing::Message() << "glyph " << glyph << ", sub-step " << subStep);
            enterSubStep(subStep);
            stepCount = 13;
            std::vector<int> expected{frameSlot};
            expected.insert(expected.end(), finished.begin(), finished.end());
            expected.push_back(subStep == 1 ? centreCrossSlot : crossHairSlot);
            if (subStep >= 4) {
                expected.push_back(armSlot);
            }
            if (subStep == 6 || subStep == 7) {
                expected.push_back(outlineSlot);
            }
            if (subStep >= 7) {
                expected.push_back(glyphSlot(glyph));
            }
            const auto items = captureFeedback(drawFrame);
            EXPECT_EQ(markersIn(items), expected);
            if (subStep >= 4) {
                // Opaque until the return, then (26 - 13) x 0.04.
                EXPECT_NEAR(armAlpha(items), subStep == 8 ? 0.52 : 1.0, 1e-5);
            }
        }
    }
    // Over the return the arms fade from 1 at its first call to 0 at its last.
    enterSubStep(8);
    stepCount = 1;
    EXPECT_NEAR(armAlpha(captureFeedback(drawFrame)), 1.0, 1e-5);
    stepCount = 26;
    EXPECT_NEAR(armAlpha(captureFeedback(drawFrame)), 0.0, 1e-5);
}

TEST(DiagramPass, FinishedGlyphIsFilledInItsGreyOverTheBlackSquare) {
    setUpDiagram();
    glyphs[0] = {0, 1, 1, 1, 8, 8}; // a 53-unit square from (155, 155), grey 0.5
    diagramSpeed = 2.0f;
    runScheduleUntil([] { return currentGlyph == 1; });
    drawFrame();
    // Window pixels of overlay units: the phase-5 square lies at (500, 350).
    const Rgb inside = readPixel(500 + 180, 350 + 180);
    EXPECT_NEAR(inside.r, 0.5, pixelTolerance) << "Expected grey 0.5 at (680, 530)";
    EXPECT_NEAR(inside.b, 0.5, pixelTolerance);
    const Rgb outside = readPixel(500 + 100, 350 + 250);
    EXPECT_NEAR(outside.r, 0.0, pixelTolerance) << "Expected black at (600, 600)";
}
