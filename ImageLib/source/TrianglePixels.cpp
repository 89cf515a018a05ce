// The triangle method's kernels in plain C++: one pixel from its tabled or
// estimated geometry, the pairing of a tabled row's samples, and the choice of
// kernels (the AVX2 ones are in TrianglePixelsAvx2.cpp).
#include "TrianglePixels.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace TrianglePixels {
namespace {

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

PairedColumns pairColumns(const std::vector<AxisSample>& cols, std::size_t fractions, int ox) {
    PairedColumns pc;
    // Per fraction id, the column sample waiting for a second.
    std::vector<std::int32_t> waiting(fractions, -1);
    const auto sample = [&](Pair& pr, int s, std::int32_t x) {
        const AxisSample& a = cols[std::size_t(x)];
        pr.i0[s] = a.floorPos - ox;
        pr.i1[s] = a.ceilPos - ox;
        pr.x[s] = x;
    };
    for (std::size_t x = 0; x < cols.size(); ++x) {
        const AxisSample& a = cols[x];
        if (!a.inside || !a.cellInside) continue;
        std::int32_t& w = waiting[std::size_t(a.fractionId)];
        if (w < 0) {
            w = std::int32_t(x);
            continue;
        }
        Pair pr;
        pr.fraction = a.fractionId;
        sample(pr, 0, w);
        sample(pr, 1, std::int32_t(x));
        pc.pairs.push_back(pr);
        w = -1;
    }
    // A sample left alone is paired with itself: both write the same pixel.
    for (std::size_t f = 0; f < fractions; ++f) {
        if (waiting[f] < 0) continue;
        Pair pr;
        pr.fraction = std::int32_t(f);
        sample(pr, 0, waiting[f]);
        sample(pr, 1, waiting[f]);
        pc.pairs.push_back(pr);
    }
    return pc;
}

const Fns& fns() {
    static const Fns chosen = [] {
        const Fns v = vectorFns();
        return v.estimate ? v : Fns{triangleEstimate, trianglePixel, nullptr, nullptr};
    }();
    return chosen;
}

} // namespace TrianglePixels
