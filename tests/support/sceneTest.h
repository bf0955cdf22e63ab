// sceneTest.h -- the fixture of tests that start from a known scene
#pragma once

#include "harness/glWindow.h"

#include <gtest/gtest.h>

// Every case starts in the test window from a fresh scene whose generator is seeded with seed.
template <unsigned seed> class SceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        useGlWindow();
        freshScene(seed);
    }
};
