// points.h -- comparing scene points within a tolerance
#pragma once

#include "scene/sceneStore.h"

#include <gtest/gtest.h>

// Expects p to be (x, y, z) to within 1e-5 scene units per component, the precision of the
// float values that double arithmetic is stored in.
inline void expectPoint(const Point3& p, double x, double y, double z) {
    EXPECT_NEAR(p.x, x, 1e-5);
    EXPECT_NEAR(p.y, y, 1e-5);
    EXPECT_NEAR(p.z, z, 1e-5);
}
