// burst.h -- the burst vectors, the burst layout and the distance laws of rest, burst, collapse
#pragma once

#include "scene/sceneStore.h"

// Scales v to unit length; a zero vector stays zero.
void normalise(Point3& v);

// One unit vector per element of every placement, four draws each (sign, then x, y and z
// jitter), 768 draws in all. Outward vectors point from the cell back towards the eye; collapse
// vectors point almost straight away from the viewer.
void makeBurstVectors(bool collapse);

// Recompiles every placement list with its four elements pushed apart by a * 0.1 along their
// vectors (cumulatively: element j moves along the sum of the vectors of elements 0..j) and
// spun by burstDistance * 5 degrees about x and y.
void burstLayout(int a);

// The distance laws, one value per idle step.
int settleLaw(int distance);   // phase 6: 300 -> 199 -> ... -> 2 -> 0; never below 0
int burstLaw(int distance);    // phase 7: 0 -> 1 -> ... -> 116 -> 300; capped at 300
int collapseLaw(int distance); // phase 9: 0 -> -1 -> ... -> -116 -> -150; floored at -150

// The idle steps of phases 6, 7 and 9; the collapse step restarts the scene on the step after
// the floor was reached.
void restStep();
void burstStep();
void collapseStep();
