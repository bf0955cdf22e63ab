// generator.h -- the one process-wide linear congruential number generator
#pragma once

#include <cstdint>

// Every chance decision of the piece draws from this one generator, in a fixed order, so a
// given seed replays the same deals, control points and burst vectors. The state is 1 until
// the first seed.
void seedGenerator(std::uint32_t seed);
std::uint32_t generatorState();

// Advances the state (state * 214013 + 2531011 mod 2^32) and yields bits 16 to 30 of the new
// state: 0 to 32767.
int drawRandom();

// Scale of signedOffset; constant.
inline constexpr float offsetScale = 2.0f;

// Two draws: the sign (odd +1, even -1), then the magnitude (draw mod 100). A multiple of
// 0.02 in -1.98 to +1.98; a magnitude of 0 gives 0 whichever the sign.
float signedOffset();
