// crossHair.h -- the overlay frame's fade-in and the cross-hair's sweeps out and back
#pragma once

// The three sub-steps of the diagram schedule that belong to the frame and the cross-hair, for
// glyph a = currentGlyph. Each reads and advances stepCount.

// Fades in the grey border (slot 300, over an opaque black square) and the centre cross-hair
// (slot 301); ignores diagramSpeed.
void frameFadeStep();

// While sweepXDone is clear, the horizontal sweep: the cross-hair (slot 302) moves from the
// centre to the glyph's column while placement 4a's strip turns once. Once it is set, the
// vertical sweep: up or down to the glyph's row while placement 4a + 1's strip turns.
void crossHairSweepStep(int a);

// The cross-hair slides back from the glyph point to the centre.
void crossHairReturnStep(int a);
