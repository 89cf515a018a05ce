// The triangle method's steps 1 to 7 up to the colours: the corner and centre
// cases, the triangle and the angle at the centre, the distances along and
// across the edge's direction, and the ratios, all in double.
#include "TriangleGeometry.h"

#include <algorithm>
#include <cmath>

namespace TriangleGeometry {

Point at(double fx, double fy) {
    const double quarterpi = double(0.25f * pi);
    const double halfpi = double(0.5f * pi);
    Point r;
    // Exactly on a corner: that corner as it is.
    const bool fx01 = fx == 0.0 || fx == 1.0, fy01 = fy == 0.0 || fy == 1.0;
    if (fx01 && fy01) {
        r.value = Value::corner;
        r.a = std::uint8_t((fx == 0.0 ? 0 : 1) + (fy == 0.0 ? 0 : 2));
        return r;
    }
    if (fx == 0.5 && fy == 0.5) return r;

    // The triangle holding the point: edge y0 (A p10, B p00), x0 (p00, p01),
    // x1 (p11, p10) or y1 (p01, p11), and the angle at the centre.
    const double rad0 = std::sqrt((fx - 0.5) * (fx - 0.5) + (fy - 0.5) * (fy - 0.5));
    double d;
    if (1.0 - fy > fx) {
        if (fx > fy) {
            r.a = 1, r.b = 0, d = fx - 0.5;
        } else {
            r.a = 0, r.b = 2, d = 0.5 - fy;
        }
    } else {
        if (fx > fy) {
            r.a = 3, r.b = 1, d = fy - 0.5;
        } else {
            r.a = 2, r.b = 3, d = 0.5 - fx;
        }
    }
    double theta = d < 0.0 ? quarterpi - std::asin(-d / rad0) : std::asin(d / rad0) + quarterpi;

    // Distances along and across the edge's direction.
    const double rad = std::min(double(k), rad0);
    theta = std::clamp(theta, 0.0, halfpi);
    const double across = std::max(0.0, rad * std::sin(theta));
    const double along = std::max(0.0, rad * std::cos(theta));
    if (along >= double(k)) {
        r.value = Value::b;
        return r;
    }
    r.along = along / double(k);
    if (across == 0.0) {
        r.value = Value::p;
        return r;
    }
    const double u = across / (double(k) - along);
    r.value = u >= 1.0 ? Value::r : Value::mix;
    r.across = u;
    return r;
}

} // namespace TriangleGeometry
