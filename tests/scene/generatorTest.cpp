// generatorTest.cpp -- the number generator's sequence, and signedOffset's range and steps
#include "scene/generator.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

TEST(Generator, SeededWithOneYields41Then18467AndTheStateWrapsModulo2To32) {
    seedGenerator(1);
    EXPECT_EQ(drawRandom(), 41);
    EXPECT_EQ(drawRandom(), 18467);
    seedGenerator(0xFFFFFFFFu);
    const int draw = drawRandom();
    const std::uint32_t expected = 0xFFFFFFFFu * 214013u + 2531011u;
    EXPECT_EQ(generatorState(), expected);
    EXPECT_EQ(draw, static_cast<int>((expected >> 16) & 0x7FFF)) << "bits 16 to 30";
}

// Two draws, a sign and a magnitude; a zero magnitude gives plain zero whichever the sign.
TEST(Generator, SignedOffsetTakesTwoDrawsAndIsAMultipleOfTwoHundredths) {
    seedGenerator(12345);
    std::set<int> hundredths, zeroSigns;
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t before = generatorState();
        const float offset = signedOffset();
        seedGenerator(before);
        const int sign = drawRandom() % 2 == 1 ? 1 : -1;
        const int magnitude = drawRandom() % 100;
        ASSERT_FLOAT_EQ(offset, static_cast<float>(sign * magnitude * 0.02));
        ASSERT_FALSE(std::signbit(offset) && magnitude == 0) << "seed " << before;
        zeroSigns.insert(magnitude == 0 ? sign : 0);
        hundredths.insert(static_cast<int>(std::lround(offset * 100.0f)));
    }
    EXPECT_EQ(zeroSigns, (std::set<int>{-1, 0, 1}));
    // Every even number of hundredths from -198 to 198 occurs, and nothing else.
    EXPECT_EQ(hundredths.size(), 199u);
    EXPECT_EQ(*hundredths.begin(), -198);
    EXPECT_EQ(*hundredths.rbegin(), 198);
    for (int h : hundredths) {
        EXPECT_EQ(h % 2, 0) << h;
    }
}
