// phaseSequencer.h -- the idle-driven phase machine and all its transitions
#pragma once

// One idle step: the work of the current phase (none while paused), then a redisplay request.
void onIdle();

// The phase-8 countdown law: trunc((countdown - 1) / 1.05).
int nextCaptureCountdown(int countdown);
