// bezier.cpp -- the quadratic Bezier that every element and placement flies along
#include "assembly/bezier.h"

Point3 bezierPoint(const Point3& start, const Point3& control, const Point3& end, double t) {
    const double u = 1.0 - t;
    auto mix = [&](double s, double c, double e) {
        return static_cast<float>(s * u * u + 2.0 * c * u * t + e * t * t);
    };
    return {mix(start.x, control.x, end.x), mix(start.y, control.y, end.y),
            mix(start.z, control.z, end.z)};
}
