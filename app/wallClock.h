// wallClock.h -- the one place that reads the calendar time
#pragma once

#include <cstdint>

// Whole seconds since the epoch. Read for the start-up seed and the image name only; nothing
// that animates reads the clock.
std::int64_t wallClockSeconds();
