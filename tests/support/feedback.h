// feedback.h -- what GL's feedback mode reports for a piece of drawing
#pragma once

#include <functional>
#include <vector>

struct FeedbackVertex {
    float x, y, z;    // window coordinates and depth
    float r, g, b, a; // the clamped (lit, where lighting is on) colour
};

struct FeedbackItem {
    enum Kind { point, line, polygon, passThrough } kind;
    std::vector<FeedbackVertex> vertices; // 1, 2 or n; empty for a pass-through marker
    float marker = 0.0f;                  // the pass-through value
};

// Runs draw in GL_FEEDBACK mode with GL_3D_COLOR and returns the primitives in order. The
// buffer is sentinel-filled and sized for maxFloats; an overflow fails the calling test.
// Line tokens and line-reset tokens both come back as lines.
std::vector<FeedbackItem> captureFeedback(const std::function<void()>& draw,
                                          int maxFloats = 4'000'000);

int countKind(const std::vector<FeedbackItem>& items, FeedbackItem::Kind kind);
