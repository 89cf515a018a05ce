// The snapshot road's per-pixel form of each method: the continuous view's own
// arithmetic (ContImageRef.cpp) with each axis's part taken from its sample.
#include "RoadEngine.h"

#include <algorithm>
#include <cstdint>

namespace {

inline void channels(const ARGBVal& p, int* rgb) {
    rgb[0] = p.red;
    rgb[1] = p.green;
    rgb[2] = p.blue;
}

inline float channel(const ARGBVal& v, int i) {
    return float(i == 0 ? v.red : i == 1 ? v.green : v.blue);
}

// y + (x - y) × ratio: the float difference times the double ratio, rounded to
// float, plus y.
inline float towards(float x, float y, double ratio) {
    return float((x - y) * ratio) + y;
}

// A float known to lie in [lo, hi].
struct Span {
    float lo, hi;
};

// towards() over spans: every rounding in it is monotone, so the ends bound it.
Span towards(Span x, Span y, double rlo, double rhi) {
    const float dlo = x.lo - y.hi, dhi = x.hi - y.lo;
    const double c[4] = {dlo * rlo, dlo * rhi, dhi * rlo, dhi * rhi};
    const float plo = float(std::min(std::min(c[0], c[1]), std::min(c[2], c[3])));
    const float phi = float(std::max(std::max(c[0], c[1]), std::max(c[2], c[3])));
    return {plo + y.lo, phi + y.hi};
}

// The channels of a triangle point from estimated geometry (Value::r or mix),
// when the bounds leave each truncated channel one value.
bool triangleEstimate(const TriangleGeometry::Bounds& e, const ARGBVal p[4], int* rgb) {
    const double tlo = e.ratioLow, thi = e.ratioHigh, ulo = e.mixLow, uhi = e.mixHigh;
    for (int i = 0; i < 3; ++i) {
        const float m =
            (((channel(p[0], i) + channel(p[2], i)) + channel(p[1], i)) + channel(p[3], i)) * 0.25f;
        const float bv = channel(p[e.point.b], i), av = channel(p[e.point.a], i);
        const Span rv = towards({bv, bv}, {av, av}, tlo, thi);
        Span v = rv;
        if (e.point.value == TriangleGeometry::Value::mix)
            v = towards(rv, towards({bv, bv}, {m, m}, tlo, thi), ulo, uhi);
        const int lo = static_cast<int>(v.lo);
        if (lo != static_cast<int>(v.hi)) return false;
        rgb[i] = static_cast<unsigned char>(lo);
    }
    return true;
}

// The colour of a triangle point from its corners p (p00, p10, p01, p11).
void trianglePixel(const TriangleGeometry::Point& t, const ARGBVal p[4], int* rgb) {
    using TriangleGeometry::Value;
    if (t.value == Value::corner) return channels(p[t.a], rgb);
    if (t.value == Value::b) return channels(p[t.b], rgb);
    if (t.value == Value::r) {
        // R alone: the centre and P are not needed.
        for (int i = 0; i < 3; ++i) {
            const float v = towards(channel(p[t.b], i), channel(p[t.a], i), t.along);
            rgb[i] = static_cast<unsigned char>(static_cast<int>(v));
        }
        return;
    }
    for (int i = 0; i < 3; ++i) {
        // The centre: the corners added in the order p00, p01, p10, p11.
        const float m =
            (((channel(p[0], i) + channel(p[2], i)) + channel(p[1], i)) + channel(p[3], i)) * 0.25f;
        float v = m;
        if (t.value != Value::centre) {
            const float bv = channel(p[t.b], i);
            const float pv = towards(bv, m, t.along);
            v = t.value == Value::p
                    ? pv
                    : towards(towards(bv, channel(p[t.a], i), t.along), pv, t.across);
        }
        rgb[i] = static_cast<unsigned char>(static_cast<int>(v));
    }
}

} // namespace

void RoadEngine::pixel(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    // Outside the view's bounds (truncated): black. A cell that leaves the
    // bounds: the stored pixel at the truncated position.
    if (!ax.inside || !rs.ay.inside) {
        rgb[0] = rgb[1] = rgb[2] = 0;
        return;
    }
    if (!ax.cellInside || !rs.ay.cellInside) {
        channels(c_.at(c_.row(rs.ay.truncated), ax.truncated), rgb);
        return;
    }
    switch (c_.code) {
    case SIBilinear:
        return bilinear(ax, rs, rgb);
    case SISmoothBilinear:
        return smooth(ax, rs, rgb);
    case SITriangular:
        return triangular(ax, rs, rgb);
    case SICubicBSpline:
        return spline(ax, rs, rgb);
    default:
        rgb[0] = rgb[1] = rgb[2] = 0;
        return;
    }
}

void RoadEngine::bilinear(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    const ARGBVal p00 = rs.r0[ax.floorPos - c_.ox], p10 = rs.r0[ax.ceilPos - c_.ox];
    const ARGBVal p01 = rs.r1[ax.floorPos - c_.ox], p11 = rs.r1[ax.ceilPos - c_.ox];
    const AxisSample& ay = rs.ay;
    const double w00 = ax.g * ay.g, w10 = ax.f * ay.g, w01 = ay.f * ax.g, w11 = ax.f * ay.f;
    for (int i = 0; i < 3; ++i) {
        rgb[i] = std::uint8_t(int(channel(p00, i) * w00) + int(channel(p10, i) * w10) +
                              int(channel(p01, i) * w01) + int(channel(p11, i) * w11));
    }
}

void RoadEngine::smooth(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    bilinear(ax, rs, rgb);
    float b[3];
    for (int i = 0; i < 3; ++i) b[i] = float(int(rgb[i] * 0.75));
    const AxisSample& ay = rs.ay;
    const std::int64_t x0 = ax.floorPos, x1 = ax.ceilPos;
    // The ring pairs G00, G01, G10, G11, black outside the view.
    const ARGBVal ring[8] = {c_.at(rs.up, x0),     c_.at(rs.r0, x0 - 1), c_.at(rs.down, x0),
                             c_.at(rs.r1, x0 - 1), c_.at(rs.r0, x1 + 1), c_.at(rs.up, x1),
                             c_.at(rs.down, x1),   c_.at(rs.r1, x1 + 1)};
    // Each pair's float sum times its weight, rounded to float, added to the
    // byte in float, then truncated and clamped before the next.
    const double w[4] = {ax.sideLow * ay.sideLow, ax.sideLow * ay.sideHigh,
                         ax.sideHigh * ay.sideLow, ax.sideHigh * ay.sideHigh};
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < 3; ++i) {
            const float sum = channel(ring[2 * k], i) + channel(ring[2 * k + 1], i);
            const float v = b[i] + float(double(sum) * w[k]);
            b[i] = float(SIPixelMath::clampbyte(double(v)));
        }
    }
    for (int i = 0; i < 3; ++i) rgb[i] = int(b[i]);
}

void RoadEngine::triangular(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    using TriangleGeometry::Value;
    const ARGBVal p[4] = {rs.r0[ax.floorPos - c_.ox], rs.r0[ax.ceilPos - c_.ox],
                          rs.r1[ax.floorPos - c_.ox], rs.r1[ax.ceilPos - c_.ox]};
    if (!triangles_.empty()) {
        return trianglePixel(
            triangles_[std::size_t(rs.ay.fractionId) * columnFractions_ + ax.fractionId], p, rgb);
    }
    // Fractions that do not repeat: the estimate settles nearly every pixel
    // without the inverse sine, sine and cosine.
    const TriangleGeometry::Bounds e = TriangleGeometry::estimate(ax.f, rs.ay.f);
    const bool ratios = e.point.value == Value::r || e.point.value == Value::mix;
    if (e.sure && ratios && triangleEstimate(e, p, rgb)) return;
    trianglePixel(e.sure && !ratios ? e.point : TriangleGeometry::at(ax.f, rs.ay.f), p, rgb);
}

void RoadEngine::spline(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    const AxisSample& ay = rs.ay;
    SplineSum acc;
    const bool inner = ax.ringInside && ay.ringInside;
    const std::int64_t xb = std::int64_t(ax.floorPos) - 1;
    for (int j = ay.firstTap; j < ay.endTap; ++j) {
        const ARGBVal* r = rs.taps[j];
        const float wy = ay.spline[j];
        // The weight is the float product; each tap is rounded to float before
        // it is added, as the accumulator does.
        for (int i = ax.firstTap; i < ax.endTap; ++i)
            acc.add(inner ? r[xb + i - c_.ox] : c_.at(r, xb + i), ax.spline[i] * wy);
    }
    acc.colour(rgb);
}
