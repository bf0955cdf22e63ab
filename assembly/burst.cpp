// burst.cpp -- the burst vectors, the burst layout and the distance laws of rest, burst, collapse
#include "assembly/burst.h"

#include "scene/generator.h"
#include "scene/listTable.h"

#include <GL/gl.h>
#include <cmath>

namespace {
constexpr int fullBurst = 300;
constexpr int collapsed = -150;
} // namespace

void normalise(Point3& v) {
    const float length = static_cast<float>(std::sqrt(static_cast<double>(v.x) * v.x +
                                                      static_cast<double>(v.y) * v.y +
                                                      static_cast<double>(v.z) * v.z));
    if (length != 0.0f) {
        v.x = static_cast<float>(v.x / static_cast<double>(length));
        v.y = static_cast<float>(v.y / static_cast<double>(length));
        v.z = static_cast<float>(v.z / static_cast<double>(length));
    }
}

void makeBurstVectors(bool collapse) {
    for (int k = 0; k < burstVectorCount; ++k) {
        const Point3& cell = placed[k / 4].end;
        const double sign = drawRandom() % 2 == 1 ? 1.0 : -1.0;
        const int r1 = drawRandom() % 100;
        const int r2 = drawRandom() % 100;
        const int r3 = drawRandom() % 100;
        Point3& v = burstVectors[k];
        v.x = static_cast<float>(r1 * 0.01 * sign - cell.x);
        v.y = static_cast<float>(r2 * 0.01 * sign - cell.y);
        v.z = collapse ? static_cast<float>((cell.z - r3 * 0.04) * 50.0)
                       : static_cast<float>(-cell.z - r3 * 0.04);
        normalise(v);
    }
}

void burstLayout(int a) {
    const auto spin = static_cast<float>(burstDistance * 5.0);
    for (int p = 0; p < placedCount; ++p) {
        const int s = placed[p].source;
        beginSlotList(placementSlot(p));
        glPushMatrix();
        for (int j = 0; j < 4; ++j) {
            const Point3& v = burstVectors[4 * p + j];
            // Not undone between elements: each element moves along the vectors of all before it.
            glTranslatef(static_cast<float>(a * v.x * 0.1), static_cast<float>(a * v.y * 0.1),
                         static_cast<float>(a * v.z * 0.1));
            glPushMatrix();
            glTranslatef(0.0f, -0.13f, 0.0f);
            glRotatef(spin, 1.0f, 0.0f, 0.0f);
            glRotatef(spin, 0.0f, 1.0f, 0.0f);
            glTranslatef(0.0f, 0.13f, 0.0f);
            callSlot(elementSlot(4 * s + j));
            glPopMatrix();
            if (j < 3) {
                glTranslatef(0.35f, 0.0f, 0.0f);
            }
        }
        glPopMatrix();
        endSlotList();
    }
}

int settleLaw(int distance) {
    if (distance <= 0) {
        return distance;
    }
    const int next = static_cast<int>((distance - 1) / 1.5);
    return next > 0 ? next : 0;
}

int burstLaw(int distance) {
    // Double precision throughout: the product of an int32 distance would overflow as int.
    const double grown = distance + 1.0;
    const double next = std::trunc(grown * (grown / 30.0 + 1.0));
    return next > fullBurst ? fullBurst : static_cast<int>(next);
}

int collapseLaw(int distance) {
    const double lowered = distance - 1.0;
    const double next = std::trunc((std::fabs(lowered) / 30.0 + 1.0) * lowered);
    // A collapse started during the settle may begin at a positive distance. From 1 to 6 the
    // law falls by one a step, but 7 and 8 are fixed points and 9 or more grow until they leave
    // the int32 range. Where the law would not fall, the distance settles as in phase 6 instead,
    // until the law falls by itself and runs on to -150 as from rest.
    if (next >= distance) {
        return settleLaw(distance);
    }
    return next < collapsed ? collapsed : static_cast<int>(next);
}

void restStep() {
    if (burstDistance >= 1) {
        burstDistance = settleLaw(burstDistance);
        burstLayout(burstDistance);
    }
}

void burstStep() {
    burstDistance = burstLaw(burstDistance);
    burstLayout(burstDistance);
}

void collapseStep() {
    burstDistance = collapseLaw(burstDistance);
    burstLayout(static_cast<int>(-burstDistance * 20.0));
    if (teardownPending != 0) {
        restartScene();
    }
    if (burstDistance == collapsed) {
        teardownPending = 1;
    }
}
