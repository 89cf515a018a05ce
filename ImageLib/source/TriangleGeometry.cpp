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

// With s = d / rad0 and c = e / rad0 (e the distance from the centre towards the
// triangle's edge, so that c = cos(asin s)), the angle asin s + pi/4 + delta
// (delta: how far the float quarter pi lies from pi/4) has the cosine
// ((c - s) cos delta - (c + s) sin delta) / root 2, and the sine with the signs
// of the delta terms swapped. These differ from the library's inverse sine,
// sine and cosine by a few units of 2^-53; the bounds allow 2^-40, far more
// than that and than the roundings of the ratios formed from them.
Bounds estimate(double fx, double fy) {
    constexpr double slack = 0x1p-40;
    static const double delta = double(0.25f * pi) - 0.78539816339744830962;
    static const double cd = std::cos(delta), sd = std::sin(delta);
    Bounds r;
    const bool fx01 = fx == 0.0 || fx == 1.0, fy01 = fy == 0.0 || fy == 1.0;
    if ((fx01 && fy01) || (fx == 0.5 && fy == 0.5)) {
        r.point = at(fx, fy);
        r.sure = true;
        return r;
    }
    const double rad0 = std::sqrt((fx - 0.5) * (fx - 0.5) + (fy - 0.5) * (fy - 0.5));
    Point& p = r.point;
    double d, e;
    if (1.0 - fy > fx) {
        if (fx > fy) {
            p.a = 1, p.b = 0, d = fx - 0.5, e = 0.5 - fy;
        } else {
            p.a = 0, p.b = 2, d = 0.5 - fy, e = 0.5 - fx;
        }
    } else {
        if (fx > fy) {
            p.a = 3, p.b = 1, d = fy - 0.5, e = fx - 0.5;
        } else {
            p.a = 2, p.b = 3, d = 0.5 - fx, e = fy - 0.5;
        }
    }
    // along = rad × cosine and across = rad × sine, with rad / rad0 = min(k / rad0, 1).
    constexpr double halfroot2 = 0.70710678118654752440; // 1 / root 2, in double
    const double scale = std::min(double(k) / rad0, 1.0) * halfroot2;
    const double along = ((e - d) * cd - (e + d) * sd) * scale;
    const double across = ((e + d) * cd + (e - d) * sd) * scale;
    // The ratios' bounds: along / k, and across / (k - along).
    constexpr double invk = 1.0 / double(k);
    r.ratioLow = std::max(0.0, along - slack) * invk;
    r.ratioHigh = std::max(0.0, along + slack) * invk;
    // Each kind decided only when the bounds agree on it.
    if (along - slack >= double(k)) {
        p.value = Value::b;
        r.sure = true;
        return r;
    }
    if (along + slack >= double(k) || across - slack <= 0.0) return r;
    r.mixLow = (across - slack) / (double(k) - std::max(0.0, along - slack));
    r.mixHigh = (across + slack) / (double(k) - (along + slack));
    if (r.mixLow >= 1.0) {
        p.value = Value::r;
    } else if (r.mixHigh < 1.0) {
        p.value = Value::mix;
    } else {
        return r;
    }
    r.sure = true;
    return r;
}

} // namespace TriangleGeometry
