// dealing.h -- strips, the image name, the deal timer, the placements' flights and the glyphs
#pragma once

#include "scene/sceneStore.h"

#include <cstdint>
#include <string>

// Strips from the 64 elements: codes, three deals each, the grid position of the first element,
// and the strip lists in slots 200 to 215.
void buildStrips();

// Sum over the strips of codeA * 4 + codeB: 0 (all zeros) to 240 (all ones).
int stripCodeSum();

// "%i-%i.png" of the code sum and the calendar seconds, with every digit of the seconds.
std::string imageNameFor(int sum, std::int64_t seconds);

// The cycle's image name; reseeds the generator with burstDistance * sum, which is 0 in every
// cycle, so the deals and burst vectors repeat from cycle to cycle.
void nameImage();

// Arms a GLUT timer: glutTimerFunc, unless a test has put a recorder here so that no timer is
// left armed behind it and no delay is measured.
using TimerArm = void (*)(unsigned milliseconds, void (*tick)(int), int value);
extern TimerArm armTimer;

// Arms the deal timer for its first deal, 1000 ms from now whatever the interval.
void armFirstDeal();

// The timer's delay in whole milliseconds for an interval: truncated toward zero, held to
// 0 .. INT_MAX for intervals a user has pushed out of range, huge and infinite ones included.
int timerDelay(float interval);

// The deal timer: deals one strip into the next placement and re-arms itself until 48
// placements exist; nothing once quitting has begun, and nothing when no placement is left to
// deal (a late tick after the 48th deal or after a restart). The value is not used.
void dealStrip(int value);

// Cell of placement n on the 4 x 12 placement grid.
Point3 placementCell(int n);

// Sets placement p's pos to its flight point at age / 100.
void placementPoint(int p);

// Placement p's list at rest: one call of the list of the strip it was dealt from.
void compilePlacementList(int p);

// One idle step of dealing: moves, recompiles and ages every dealt placement; when the 48th
// has landed, draws that frame at once and moves on to glyph derivation.
void dealingStep();

// The glyph of one row of four placements.
Glyph glyphFromRow(const Strip& p0, const Strip& p1, const Strip& p2, const Strip& p3);

// The 12 glyphs from the 48 placements, into the glyph pool.
void buildGlyphs();
