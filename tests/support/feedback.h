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

// The items of one kind, in order.
std::vector<FeedbackItem> itemsOfKind(const std::vector<FeedbackItem>& items,
                                      FeedbackItem::Kind kind);

// Viewport (0, 0, width, height), an orthographic projection of the box given and an identity
// modelview: feedback's window coordinates are then model x and y, scaled and shifted.
void flatView(int width, int height, double left, double right, double bottom, double top,
              double near = -1.0, double far = 1.0);

// Marker lists: compiles the slot as glPassThrough(slot) and one point at (x, y, z), so that
// feedback shows which lists a drawing called, in which order, where and in which colour.
void compileMarker(int slot, float x = 0.0f, float y = 0.0f, float z = 0.0f);

// The pass-through markers in order.
std::vector<int> markersIn(const std::vector<FeedbackItem>& items);

// The point a marker list drew right after its marker; fails the calling test if none did.
FeedbackVertex pointAfter(const std::vector<FeedbackItem>& items, int slot);
