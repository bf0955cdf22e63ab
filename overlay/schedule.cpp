// schedule.cpp -- the phase-5 drawing schedule: eight sub-steps per glyph, twelve glyphs
#include "overlay/schedule.h"

void runPhase5Schedule() {}
