// glyphFigures.h -- the four sub-steps that draw a glyph's figure: two arms, outline and fill
#pragma once

// Sub-steps of the diagram schedule for glyph a = currentGlyph; each reads and advances
// stepCount and turns two elements of a placement of the glyph's row once.

// A stippled line grows right from the glyph point, stopping at the overlay's edge (slot 303);
// elements 0 and 1 of placement 4a + 2 (the sizeX code) turn.
void armXStep(int a);

// A stippled box of fixed width grows up from the glyph point, replacing the line (slot 303);
// elements 2 and 3 of placement 4a + 2 (the sizeY code) turn.
void armYStep(int a);

// The figure's outline with dashes tightening from 52 to 2 pixels (slot 304); elements 0 and 1
// of placement 4a + 3 (the shape code) turn.
void outlineStep(int a);

// The figure in its grey shade, fading in (slot 310 + a, kept as the finished glyph); elements
// 2 and 3 of placement 4a + 3 (the shade code) turn. The list leaves the polygon mode at
// GL_LINE for both faces.
void fillStep(int a);
