// wallClock.cpp -- the one place that reads the calendar time
#include "app/wallClock.h"

#include <ctime>

std::int64_t wallClockSeconds() { return static_cast<std::int64_t>(std::time(nullptr)); }
