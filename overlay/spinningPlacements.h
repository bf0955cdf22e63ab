// spinningPlacements.h -- placement lists of the glyph's row whose strip or element pair turns
#pragma once

// Each spin turns about the line parallel to x through (0, -0.13, 0) of the strip's or the
// element's own coordinates; angle in degrees, a whole turn over a sub-step.

// Placement p's list as its whole strip list turned by angle.
void compileSpinningStrip(int p, float angle);

// Placement p's list as the four element lists of its strip, 0.35 apart along x, with elements
// firstSpinning and firstSpinning + 1 (0 or 2) turned by angle and the other two at rest.
void compileSpinningPair(int p, int firstSpinning, float angle);
