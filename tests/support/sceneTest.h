// sceneTest.h -- the fixture of tests that start from a known scene
#pragma once

#include "assembly/dealing.h"
#include "harness/glWindow.h"
#include "scene/sceneStore.h"

#include <gtest/gtest.h>

// Every case starts in the test window from a fresh scene whose generator is seeded with seed.
template <unsigned seed> class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useGlWindow();
        freshScene(seed);
    }
};

// Every placement landed on its cell, as dealing leaves them; placement p shows strip
// (stride x p) mod 16.
inline void dealPlacements(int stride = 1) {
    placed.assign(placedPoolSize, Strip{});
    for (int p = 0; p < placedPoolSize; ++p) {
        placed[p].end = placed[p].pos = placementCell(p);
        placed[p].source = (stride * p) % stripPoolSize;
        placed[p].age = maxAge;
    }
    placedCount = placedPoolSize;
}
