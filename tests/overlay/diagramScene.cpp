// diagramScene.cpp -- a phase-5 scene for the overlay tests, and probes of the lists it compiles
#include "diagramScene.h"

#include "harness/glWindow.h"
#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <algorithm>
#include <gtest/gtest.h>

void setUpDiagram(unsigned seed) {
    useGlWindow();
    freshScene(seed);
    glyphs.assign(glyphPoolSize, Glyph{});
    placed.assign(placedPoolSize, Strip{});
    for (int p = 0; p < placedPoolSize; ++p) {
        placed[p].source = (7 * p + 3) % stripPoolSize;
        placed[p].age = maxAge;
    }
    placedCount = placedPoolSize;
    Phase = 5;
    // A finished glyph list leaves GL_LINE behind; start each case from GL's default.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void overlayView(int side) {
    flatView(side, side, 0.0, side, 0.0, side);
    // As in the overlay passes: the figures wind clockwise and would be culled.
    glDisable(GL_CULL_FACE);
}

std::vector<FeedbackItem> slotFeedback(int slot) {
    return captureFeedback([slot] { callSlot(slot); }, 200000);
}

void expectBounds(const std::vector<FeedbackItem>& items, const Box& want) {
    Box box{1e30f, 1e30f, -1e30f, -1e30f};
    for (const FeedbackItem& item : items) {
        for (const FeedbackVertex& v : item.vertices) {
            box = {std::min(box.minX, v.x), std::min(box.minY, v.y), std::max(box.maxX, v.x),
                   std::max(box.maxY, v.y)};
        }
    }
    EXPECT_NEAR(box.minX, want.minX, 1e-3f);
    EXPECT_NEAR(box.minY, want.minY, 1e-3f);
    EXPECT_NEAR(box.maxX, want.maxX, 1e-3f);
    EXPECT_NEAR(box.maxY, want.maxY, 1e-3f);
}
