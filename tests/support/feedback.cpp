// feedback.cpp -- what GL's feedback mode reports for a piece of drawing
#include "support/feedback.h"

#include <GL/gl.h>
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
    auto vertexAt = [&](GLint& i) {
        FeedbackVertex v{buffer[i],     buffer[i + 1], buffer[i + 2], buffer[i + 3],
                         buffer[i + 4], buffer[i + 5], buffer[i + 6]};
        i += 7;
        return v;
    };
    for (GLint i = 0; i < used;) {
        const auto token = static_cast<GLint>(buffer[i++]);
        FeedbackItem item{};
        switch (token) {
        case GL_POINT_TOKEN:
            item.kind = FeedbackItem::point;
            item.vertices.push_back(vertexAt(i));
            break;
        case GL_LINE_TOKEN:
        case GL_LINE_RESET_TOKEN:
            item.kind = FeedbackItem::line;
            item.vertices.push_back(vertexAt(i));
            item.vertices.push_back(vertexAt(i));
            break;
        case GL_POLYGON_TOKEN: {
            item.kind = FeedbackItem::polygon;
            const auto n = static_cast<int>(buffer[i++]);
            for (int k = 0; k < n; ++k) {
                item.vertices.push_back(vertexAt(i));
            }
            break;
        }
        case GL_PASS_THROUGH_TOKEN:
            item.kind = FeedbackItem::passThrough;
            item.marker = buffer[i++];
            break;
        default:
            ADD_FAILURE() << "unexpected feedback token " << token << " at " << i - 1;
            return items;
        }
        items.push_back(std::move(item));
    }
    return items;
}

int countKind(const std::vector<FeedbackItem>& items, FeedbackItem::Kind kind) {
    int n = 0;
    for (const FeedbackItem& item : items) {
        n += item.kind == kind ? 1 : 0;
    }
    return n;
}
