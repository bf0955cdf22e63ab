// schedule.h -- the phase-5 drawing schedule: eight sub-steps per glyph, twelve glyphs
#pragma once

// One idle step of the diagram: evaluates the schedule's eight guarded blocks in order for
// currentGlyph; after glyph 11 compiles the union list and moves on to phase 6.
void runPhase5Schedule();
