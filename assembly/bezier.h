// bezier.h -- the quadratic Bezier that every element and placement flies along
#pragma once

#include "scene/sceneStore.h"

// start * u^2 + 2 * control * u * t + end * t^2 with u = 1 - t, per component in double
// precision, stored as float.
Point3 bezierPoint(const Point3& start, const Point3& control, const Point3& end, double t);
