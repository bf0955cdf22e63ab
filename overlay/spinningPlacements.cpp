// spinningPlacements.cpp -- placement lists of the glyph's row whose strip or element pair turns
#include "overlay/spinningPlacements.h"

#include "scene/listTable.h"
#include "scene/sceneStore.h"

#include <GL/gl.h>
#include <array>

namespace {

constexpr std::array<float, 4> elementOffsets{0.0f, 0.35f, 0.7f, 1.05f}; // x, scene units
constexpr float spinAxisY = -0.13f; // height of the spin axis in the strip's own coordinates

void spinAboutAxis(float angle) {
    glTranslatef(0.0f, spinAxisY, 0.0f);
    glRotatef(angle, 1.0f, 0.0f, 0.0f);
    glTranslatef(0.0f, -spinAxisY, 0.0f);
}

} // namespace

void compileSpinningStrip(int p, float angle) {
    beginSlotList(placementSlot(p));
    glPushMatrix();
    spinAboutAxis(angle);
    callSlot(stripSlot(placed[p].source));
    glPopMatrix();
    endSlotList();
}

void compileSpinningPair(int p, int firstSpinning, float angle) {
    const int s = placed[p].source;
    beginSlotList(placementSlot(p));
    for (int j = 0; j < 4; ++j) {
        glPushMatrix();
        glTranslatef(elementOffsets[j], 0.0f, 0.0f);
        if (j == firstSpinning || j == firstSpinning + 1) {
            spinAboutAxis(angle);
        }
        callSlot(elementSlot(4 * s + j));
        glPopMatrix();
    }
    endSlotList();
}
