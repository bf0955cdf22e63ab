// elements.h -- adding elements, their flight paths and the gathering step
#pragma once

#include "scene/sceneStore.h"

// Where an element added with the pointer at this offset from the screen centre comes into
// view: 200 pixels make one scene unit, y up.
Point3 elementStart(int pointerOffsetX, int pointerOffsetY);

// Adds an element of kind 0 or 1 at the pointer, flying to slot elementCount; nothing once 64
// exist.
void addElement(int kind);

// Adds elements of drawn kinds (draw mod 2), one draw each, all at the pointer, until 64 exist.
void fillElements();

// The 101 points of element i's flight from its start, control and end.
void computePath(int i);

// Whether an element of this age shows the white wire overlay: its first 33 steps.
constexpr bool showsWireOverlay(int age) { return age < 33; }

// One idle step of gathering: recompiles and ages every added element; moves on to strip
// building on the step after the 64th element arrived.
void gatherStep();
