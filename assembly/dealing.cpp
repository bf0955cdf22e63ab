// dealing.cpp -- strips, the image name, the deal timer, the placements' flights and the glyphs
#include "assembly/dealing.h"

#include "app/wallClock.h"
#include "assembly/bezier.h"
#include "scene/frame.h"
#include "scene/generator.h"
#include "scene/listTable.h"

#include <GL/glut.h>
#include <climits>

namespace {

constexpr double elementSpacing = 0.35; // x distance of neighbouring elements in a strip

int stripCode(int firstKind, int secondKind) { return 2 * firstKind + secondKind; }

void compileStripList(int s) {
    beginSlotList(stripSlot(s));
    glPushMatrix();
    for (int j = 0; j < 4; ++j) {
        if (j > 0) {
            glTranslatef(static_cast<float>(elementSpacing), 0.0f, 0.0f);
        }
        callSlot(elementSlot(4 * s + j));
    }
    glPopMatrix();
    endSlotList();
}

} // namespace

void compilePlacementList(int p) {
    beginSlotList(placementSlot(p));
    callSlot(stripSlot(placed[p].source));
    endSlotList();
}

void buildStrips() {
    for (int s = 0; s < stripPoolSize; ++s) {
        Strip& strip = strips[s];
        strip.codeA = stripCode(elements[4 * s].kind, elements[4 * s + 1].kind);
        strip.codeB = stripCode(elements[4 * s + 2].kind, elements[4 * s + 3].kind);
        strip.remaining = 3;
        strip.pos = elements[4 * s].path[maxAge];
        compileStripList(s);
    }
}

int stripCodeSum() {
    int sum = 0;
    for (const Strip& strip : strips) {
        sum += strip.codeA * 4 + strip.codeB;
    }
    return sum;
}

std::string imageNameFor(int sum, std::int64_t seconds) {
    return std::to_string(sum) + "-" + std::to_string(seconds) + ".png";
}

void nameImage() {
    const int sum = stripCodeSum();
    imageName = imageNameFor(sum, wallClockSeconds());
    seedGenerator(static_cast<std::uint32_t>(burstDistance * sum));
}

TimerArm armTimer = glutTimerFunc;

void armFirstDeal() { armTimer(1000, dealStrip, 1); }

int timerDelay(float interval) {
    if (!(interval > 0.0f)) {
        return 0; // below one millisecond, and NaN, deal as fast as the timer fires
    }
    if (interval >= static_cast<float>(INT_MAX)) {
        return INT_MAX;
    }
    return static_cast<int>(interval);
}

void dealStrip(int) {
    // With every placement of the pool dealt (or no pool at all) every strip is used up, and
    // the draw below would never find one.
    if (quitRequested >= 0 || placedCount >= static_cast<int>(placed.size())) {
        return;
    }
    int s = drawRandom() % stripPoolSize;
    while (strips[s].remaining <= 0) {
        s = drawRandom() % stripPoolSize;
    }
    strips[s].remaining -= 1;
    const int n = placedCount;
    Strip& p = placed[n];
    p = strips[s];
    p.source = s;
    p.start = p.pos;
    const double o1 = signedOffset();
    const double o2 = signedOffset();
    p.control = {3.0f, static_cast<float>(o1 + 0.5), static_cast<float>(o2 + 8.0)};
    p.end = placementCell(n);
    p.age = 0;
    placedCount += 1;
    if (placedCount < placedPoolSize) {
        armTimer(static_cast<unsigned>(timerDelay(dealInterval)), dealStrip, 1);
    }
}

Point3 placementCell(int n) {
    return {static_cast<float>((n % 4) * 1.75 - 11.0), static_cast<float>(10.0 - (n / 4) * 1.7),
            -20.0f};
}

void placementPoint(int p) {
    Strip& placement = placed[p];
    placement.pos =
        bezierPoint(placement.start, placement.control, placement.end, placement.age * 0.01);
}

void dealingStep() {
    // A step places each placement by the age it had before the step.
    for (int p = 0; p < placedCount; ++p) {
        placementPoint(p);
        compilePlacementList(p);
        if (placed[p].age < maxAge) {
            placed[p].age += 1;
        }
    }
    constexpr int last = placedPoolSize - 1;
    if (placedCount == placedPoolSize && placed[last].age == maxAge) {
        placementPoint(last);
        compilePlacementList(last);
        onDisplay();
        Phase = 4;
    }
}

Glyph glyphFromRow(const Strip& p0, const Strip& p1, const Strip& p2, const Strip& p3) {
    Glyph g{};
    g.gridX = p0.codeA * 4 + p0.codeB;
    g.gridY = p1.codeA * 4 + p1.codeB;
    g.sizeX = p2.codeA;
    g.sizeY = p2.codeB;
    g.shape = p3.codeA;
    g.shade = p3.codeB;
    return g;
}

void buildGlyphs() {
    for (int g = 0; g < glyphPoolSize; ++g) {
        glyphs[g] =
            glyphFromRow(placed[4 * g], placed[4 * g + 1], placed[4 * g + 2], placed[4 * g + 3]);
    }
}
