// feedback.cpp -- what GL's feedback mode reports for a piece of drawing
#include "support/feedback.h"

#include "scene/listTable.h"

#include <GL/gl.h>
#include <algorithm>
#include <gtest/gtest.h>

std::vector<FeedbackItem> captureFeedback(const std::function<void()>& draw, int maxFloats) {
    constexpr float sentinel = -12345.0f;
    std::vector<GLfloat> buffer(static_cast<std::size_t>(maxFloats), sentinel);
    glFeedbackBuffer(maxFloats, GL_3D_COLOR, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<FeedbackItem> items;
    if (used < 0) {
        ADD_FAILURE() << "feedback buffer of " << maxFloats << " floats overflowed";
        return items;
    }
    for (GLint i = 0; i < used;) {
        const auto token = static_cast<GLint>(buffer[i++]);
        FeedbackItem item{};
        auto take = [&](int n) {
            for (int k = 0; k < n; ++k, i += 7) {
                item.vertices.push_back({buffer[i], buffer[i + 1], buffer[i + 2], buffer[i + 3],
                                         buffer[i + 4], buffer[i + 5], buffer[i + 6]});
            }
        };
        if (token == GL_POINT_TOKEN) {
            item.kind = FeedbackItem::point;
            take(1);
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            item.kind = FeedbackItem::line;
            take(2);
        } else if (token == GL_POLYGON_TOKEN) {
            item.kind = FeedbackItem::polygon;
            take(static_cast<int>(buffer[i++]));
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            item.kind = FeedbackItem::passThrough;
            item.marker = buffer[i++];
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token << " at " << i - 1;
            return items;
        }
        items.push_back(std::move(item));
    }
    return items;
}

int countKind(const std::vector<FeedbackItem>& items, FeedbackItem::Kind kind) {
    return static_cast<int>(itemsOfKind(items, kind).size());
}

std::vector<FeedbackItem> itemsOfKind(const std::vector<FeedbackItem>& items,
                                      FeedbackItem::Kind kind) {
    std::vector<FeedbackItem> chosen;
    std::copy_if(items.begin(), items.end(), std::back_inserter(chosen),
                 [kind](const FeedbackItem& item) { return item.kind == kind; });
    return chosen;
}

void flatView(int width, int height, double left, double right, double bottom, double top,
              double near, double far) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, near, far);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void compileMarker(int slot, float x, float y, float z) {
    beginSlotList(slot);
    glPassThrough(static_cast<GLfloat>(slot));
    glBegin(GL_POINTS);
    glVertex3f(x, y, z);
    glEnd();
    endSlotList();
}

std::vector<int> markersIn(const std::vector<FeedbackItem>& items) {
    std::vector<int> markers;
    for (const FeedbackItem& item : itemsOfKind(items, FeedbackItem::passThrough)) {
        markers.push_back(static_cast<int>(item.marker));
    }
    return markers;
}

FeedbackVertex pointAfter(const std::vector<FeedbackItem>& items, int slot) {
    for (std::size_t i = 0; i + 1 < items.size(); ++i) {
        if (items[i].kind == FeedbackItem::passThrough && items[i].marker == slot &&
            items[i + 1].kind == FeedbackItem::point) {
            return items[i + 1].vertices[0];
        }
    }
    ADD_FAILURE() << "slot " << slot << " drew no point";
    return {};
}
