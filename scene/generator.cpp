// generator.cpp -- the one process-wide linear congruential number generator
#include "scene/generator.h"

namespace {
std::uint32_t state = 1; // the full 32-bit state; unsigned arithmetic wraps modulo 2^32
}

void seedGenerator(std::uint32_t seed) { state = seed; }

std::uint32_t generatorState() { return state; }

int drawRandom() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

float signedOffset() {
    const int sign = drawRandom() % 2 == 1 ? 1 : -1;
    const int magnitude = drawRandom() % 100;
    return static_cast<float>(magnitude * sign * static_cast<double>(offsetScale) / 100.0);
}
