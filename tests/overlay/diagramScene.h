// diagramScene.h -- a phase-5 scene for the overlay tests, and probes of the lists it compiles
#pragma once

#include "overlay/schedule.h"
#include "support/feedback.h"

#include <vector>

// A fresh scene in phase 5: twelve zeroed glyphs, 48 placements whose sources are
// (7p + 3) mod 16 (every strip three times, never p mod 16), empty element and strip lists.
void setUpDiagram(unsigned seed = 1);

// Viewport and projection that make feedback window coordinates equal overlay units from 0 to
// side, so that figures past the 300-unit overlay are seen unclipped. Identity modelview and,
// as in the frame's overlay passes, no culling.
void overlayView(int side = 1000);

// Feedback of one slot's list drawn under the current view.
std::vector<FeedbackItem> slotFeedback(int slot);

struct Box {
    float minX, minY, maxX, maxY;
};
// Expects the bounding box of every vertex of the items to be want, to within 1e-3.
void expectBounds(const std::vector<FeedbackItem>& items, const Box& want);

// Calls runPhase5Schedule until the predicate holds after a call; returns the number of calls,
// at most limit.
template <class Until> int runScheduleUntil(Until until, int limit = 5000) {
    int calls = 0;
    while (calls < limit) {
        runPhase5Schedule();
        ++calls;
        if (until()) {
            break;
        }
    }
    return calls;
}
