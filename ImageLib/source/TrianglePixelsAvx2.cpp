// The triangle method's kernels in AVX2: a pixel's channels (and alpha) as
// float lanes side by side with their products in double lanes, a tabled
// row's samples two at a time, and estimated points four at a time, one lane
// a point; the processor is asked once whether it runs them.
#include "TrianglePixels.h"
#include "VectorPaths.h"

#if IMAGELIB_X86_VECTOR
#include <immintrin.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace TrianglePixels {
namespace {

// The same steps in AVX2, the three channels (and alpha) as float lanes side by
// side and their products in double lanes.
#define TRIANGLE_AVX2 __attribute__((target("avx2")))

TRIANGLE_AVX2 inline __m128 lanes(const ARGBVal& p) {
    int bits;
    static_assert(sizeof bits == sizeof p);
    std::memcpy(&bits, &p, sizeof bits);
    return _mm_cvtepi32_ps(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(bits)));
}

// The float lanes d times the double ratio, rounded to float.
TRIANGLE_AVX2 inline __m128 times(__m128 d, double ratio) {
    return _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtps_pd(d), _mm256_set1_pd(ratio)));
}

TRIANGLE_AVX2 inline __m128 towards(__m128 x, __m128 y, double ratio) {
    return _mm_add_ps(times(_mm_sub_ps(x, y), ratio), y);
}

struct Spans {
    __m128 lo, hi;
};

// towards() over spans: the least and the greatest product taken in double and
// then rounded to float, which (rounding being monotone) gives the least and the
// greatest of the rounded products. The ratios' bounds are per lane.
TRIANGLE_AVX2 inline Spans towards(Spans x, Spans y, __m256d l, __m256d h) {
    const __m256d dlo = _mm256_cvtps_pd(_mm_sub_ps(x.lo, y.hi));
    const __m256d dhi = _mm256_cvtps_pd(_mm_sub_ps(x.hi, y.lo));
    const __m256d a = _mm256_mul_pd(dlo, l), b = _mm256_mul_pd(dlo, h), c = _mm256_mul_pd(dhi, l),
                  d = _mm256_mul_pd(dhi, h);
    const __m256d lo = _mm256_min_pd(_mm256_min_pd(a, b), _mm256_min_pd(c, d));
    const __m256d hi = _mm256_max_pd(_mm256_max_pd(a, b), _mm256_max_pd(c, d));
    return {_mm_add_ps(_mm256_cvtpd_ps(lo), y.lo), _mm_add_ps(_mm256_cvtpd_ps(hi), y.hi)};
}

// The same from single values x and y: two products.
TRIANGLE_AVX2 inline Spans towards(__m128 x, __m128 y, __m256d l, __m256d h) {
    const __m256d d = _mm256_cvtps_pd(_mm_sub_ps(x, y));
    const __m256d a = _mm256_mul_pd(d, l), b = _mm256_mul_pd(d, h);
    return {_mm_add_ps(_mm256_cvtpd_ps(_mm256_min_pd(a, b)), y),
            _mm_add_ps(_mm256_cvtpd_ps(_mm256_max_pd(a, b)), y)};
}

// Either, with one pair of bounds for every lane.
template <class X, class Y> TRIANGLE_AVX2 inline Spans towards(X x, Y y, double rlo, double rhi) {
    return towards(x, y, _mm256_set1_pd(rlo), _mm256_set1_pd(rhi));
}

// The centre: the corners added in the order p00, p01, p10, p11, times 0.25.
TRIANGLE_AVX2 inline __m128 centre(const __m128 q[4]) {
    return _mm_mul_ps(_mm_add_ps(_mm_add_ps(_mm_add_ps(q[0], q[2]), q[1]), q[3]),
                      _mm_set1_ps(0.25f));
}

TRIANGLE_AVX2 inline void truncated(__m128 v, int* rgb) {
    alignas(16) int out[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(out), _mm_cvttps_epi32(v));
    for (int i = 0; i < 3; ++i) rgb[i] = static_cast<unsigned char>(out[i + 1]);
}

TRIANGLE_AVX2 bool triangleEstimateAvx2(const TriangleGeometry::Bounds& e, const ARGBVal p[4],
                                        int* rgb) {
    const __m128 q[4] = {lanes(p[0]), lanes(p[1]), lanes(p[2]), lanes(p[3])};
    const __m128 bv = q[e.point.b], av = q[e.point.a];
    const Spans rv = towards(bv, av, e.ratioLow, e.ratioHigh);
    Spans v = rv;
    if (e.point.value == TriangleGeometry::Value::mix) {
        const __m128 m = centre(q);
        v = towards(rv, towards(bv, m, e.ratioLow, e.ratioHigh), e.mixLow, e.mixHigh);
    }
    const __m128i lo = _mm_cvttps_epi32(v.lo), hi = _mm_cvttps_epi32(v.hi);
    // Red, green and blue each one value.
    if ((_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(lo, hi))) & 0xe) != 0xe) return false;
    truncated(v.lo, rgb);
    return true;
}

TRIANGLE_AVX2 void trianglePixelAvx2(const TriangleGeometry::Point& t, const ARGBVal p[4],
                                     int* rgb) {
    using TriangleGeometry::Value;
    if (t.value == Value::corner) return channels(p[t.a], rgb);
    if (t.value == Value::b) return channels(p[t.b], rgb);
    if (t.value == Value::r) return truncated(towards(lanes(p[t.b]), lanes(p[t.a]), t.along), rgb);
    const __m128 q[4] = {lanes(p[0]), lanes(p[1]), lanes(p[2]), lanes(p[3])};
    const __m128 m = centre(q);
    if (t.value == Value::centre) return truncated(m, rgb);
    const __m128 bv = q[t.b];
    const __m128 pv = towards(bv, m, t.along);
    if (t.value == Value::p) return truncated(pv, rgb);
    truncated(towards(towards(bv, q[t.a], t.along), pv, t.across), rgb);
}

// A row's colours where the points' geometry is tabled (points: the row's
// entries, by column fraction), written as 255, red, green, blue.
// Two pixels' bytes as float lanes: the first's alpha, red, green and blue in
// lanes 0-3, the second's in lanes 4-7.
TRIANGLE_AVX2 inline __m256 lanes2(const ARGBVal* p0, const ARGBVal* p1) {
    int b0, b1;
    std::memcpy(&b0, p0, 4);
    std::memcpy(&b1, p1, 4);
    return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_setr_epi32(b0, b1, 0, 0)));
}

// towards() and centre() for two pixels side by side: each lane's steps as in
// the four-lane forms.
TRIANGLE_AVX2 inline __m256 towards2(__m256 x, __m256 y, double ratio) {
    const __m256 d = _mm256_sub_ps(x, y);
    const __m256d r = _mm256_set1_pd(ratio);
    const __m128 lo = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(d)), r));
    const __m128 hi =
        _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(d, 1)), r));
    return _mm256_add_ps(_mm256_set_m128(hi, lo), y);
}

TRIANGLE_AVX2 inline __m256 centre2(const __m256 q[4]) {
    return _mm256_mul_ps(_mm256_add_ps(_mm256_add_ps(_mm256_add_ps(q[0], q[2]), q[1]), q[3]),
                         _mm256_set1_ps(0.25f));
}

// A row's colours where the points' geometry is tabled (points: the row's
// entries, by column fraction id), written as 255, red, green, blue: samples
// of one fraction two at a time.
TRIANGLE_AVX2 void tabledRowAvx2(const TriangleGeometry::Point* points, const PairedColumns& pc,
                                 const ARGBVal* r0, const ARGBVal* r1, unsigned char* o) {
    using TriangleGeometry::Value;
    const __m256i bytes =
        _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8, 12,
                         -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    for (const Pair& pr : pc.pairs) {
        const TriangleGeometry::Point& t = points[pr.fraction];
        // Corner k (0 p00, 1 p10, 2 p01, 3 p11) of sample s.
        const auto corner = [&](int k, int s) {
            return (k & 2 ? r1 : r0) + (k & 1 ? pr.i1[s] : pr.i0[s]);
        };
        int out[2];
        if (t.value == Value::corner || t.value == Value::b) {
            const int k = t.value == Value::corner ? t.a : t.b;
            std::memcpy(&out[0], corner(k, 0), 4);
            std::memcpy(&out[1], corner(k, 1), 4);
        } else {
            __m256 v;
            if (t.value == Value::r) {
                v = towards2(lanes2(corner(t.b, 0), corner(t.b, 1)),
                             lanes2(corner(t.a, 0), corner(t.a, 1)), t.along);
            } else {
                const __m256 c[4] = {
                    lanes2(corner(0, 0), corner(0, 1)), lanes2(corner(1, 0), corner(1, 1)),
                    lanes2(corner(2, 0), corner(2, 1)), lanes2(corner(3, 0), corner(3, 1))};
                v = centre2(c);
                if (t.value != Value::centre) {
                    const __m256 bv = c[t.b];
                    const __m256 pv = towards2(bv, v, t.along);
                    v = t.value == Value::p ? pv
                                            : towards2(towards2(bv, c[t.a], t.along), pv, t.across);
                }
            }
            // Each lane truncated and its low byte kept.
            const __m256i b = _mm256_shuffle_epi8(_mm256_cvttps_epi32(v), bytes);
            out[0] = _mm256_extract_epi32(b, 0);
            out[1] = _mm256_extract_epi32(b, 4);
        }
        for (int s = 0; s < 2; ++s) {
            out[s] |= 0xff;
            std::memcpy(o + std::int64_t(pr.x[s]) * 4, &out[s], 4);
        }
    }
}

// Corner pixels of four points (row r, floor or ceiling column), one lane each.
TRIANGLE_AVX2 inline __m128i cornerLanes(const AxisSample* cs, const ARGBVal* r, bool ceil,
                                         int ox) {
    int v[4];
    for (int i = 0; i < 4; ++i)
        std::memcpy(&v[i], r + ((ceil ? cs[i].ceilPos : cs[i].floorPos) - ox), 4);
    return _mm_setr_epi32(v[0], v[1], v[2], v[3]);
}

// Per lane, by the lane's triangle (low: 1 - fy > fx, right: fx > fy).
TRIANGLE_AVX2 inline __m128i pick(__m128i low, __m128i right, __m128i lr, __m128i ll, __m128i hr,
                                  __m128i hl) {
    return _mm_blendv_epi8(_mm_blendv_epi8(hl, hr, right), _mm_blendv_epi8(ll, lr, right), low);
}

// The byte at bit s of each lane as a float.
TRIANGLE_AVX2 inline __m128 channelLanes(__m128i c, int s) {
    return _mm_cvtepi32_ps(
        _mm_and_si128(_mm_srl_epi32(c, _mm_cvtsi32_si128(s)), _mm_set1_epi32(0xff)));
}

// Four neighbouring points of a row whose cells lie inside, one lane each: the
// steps of TriangleGeometry::estimate and of triangleEstimateAvx2 lane by lane,
// in the same order and precision. Lanes that the estimate leaves unsure, that
// are not of kind r or mix, or whose bounds leave a channel two values are left
// out of the returned mask (bit i: lane i written) for the per-pixel steps.
TRIANGLE_AVX2 int estimatedQuadAvx2(const AxisSample* cs, const ARGBVal* r0, const ARGBVal* r1,
                                    int ox, double fy, unsigned char* o) {
    constexpr double slack = 0x1p-40;
    static const double delta = double(0.25f * TriangleGeometry::pi) - 0.78539816339744830962;
    static const double cdelta = std::cos(delta), sdelta = std::sin(delta);
    constexpr double k = double(TriangleGeometry::k);
    constexpr double halfroot2 = 0.70710678118654752440, invk = 1.0 / k;
    const __m256d half = _mm256_set1_pd(0.5), one = _mm256_set1_pd(1.0), zero = _mm256_setzero_pd();
    const __m256d fx = _mm256_setr_pd(cs[0].f, cs[1].f, cs[2].f, cs[3].f), vfy = _mm256_set1_pd(fy);
    // The corner and centre points go the per-pixel way.
    const __m256d fx01 =
        _mm256_or_pd(_mm256_cmp_pd(fx, zero, _CMP_EQ_OQ), _mm256_cmp_pd(fx, one, _CMP_EQ_OQ));
    const bool fy01 = fy == 0.0 || fy == 1.0, fyhalf = fy == 0.5;
    __m256d special = fy01 ? fx01 : zero;
    if (fyhalf) special = _mm256_or_pd(special, _mm256_cmp_pd(fx, half, _CMP_EQ_OQ));
    const __m256d dx = _mm256_sub_pd(fx, half), dy = _mm256_sub_pd(vfy, half);
    const __m256d rad0 =
        _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy)));
    // The triangle: low (1 - fy > fx) and right (fx > fy) choose the edge.
    const __m256d low = _mm256_cmp_pd(_mm256_sub_pd(one, vfy), fx, _CMP_GT_OQ);
    const __m256d right = _mm256_cmp_pd(fx, vfy, _CMP_GT_OQ);
    const __m256d ndx = _mm256_sub_pd(half, fx), ndy = _mm256_sub_pd(half, vfy);
    // low right: d = fx - 0.5, e = 0.5 - fy; low left: d = 0.5 - fy, e = 0.5 - fx;
    // high right: d = fy - 0.5, e = fx - 0.5; high left: d = 0.5 - fx, e = fy - 0.5.
    const __m256d d =
        _mm256_blendv_pd(_mm256_blendv_pd(ndx, dy, right), _mm256_blendv_pd(ndy, dx, right), low);
    const __m256d e =
        _mm256_blendv_pd(_mm256_blendv_pd(dy, dx, right), _mm256_blendv_pd(ndx, ndy, right), low);
    const __m256d scale = _mm256_mul_pd(_mm256_min_pd(_mm256_div_pd(_mm256_set1_pd(k), rad0), one),
                                        _mm256_set1_pd(halfroot2));
    const __m256d cd = _mm256_set1_pd(cdelta), sd = _mm256_set1_pd(sdelta);
    const __m256d emd = _mm256_sub_pd(e, d), epd = _mm256_add_pd(e, d);
    const __m256d along =
        _mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(emd, cd), _mm256_mul_pd(epd, sd)), scale);
    const __m256d across =
        _mm256_mul_pd(_mm256_add_pd(_mm256_mul_pd(epd, cd), _mm256_mul_pd(emd, sd)), scale);
    const __m256d vslack = _mm256_set1_pd(slack), vk = _mm256_set1_pd(k);
    const __m256d alo = _mm256_max_pd(_mm256_sub_pd(along, vslack), zero);
    const __m256d ahi = _mm256_add_pd(along, vslack);
    const __m256d tlo = _mm256_mul_pd(alo, _mm256_set1_pd(invk));
    const __m256d thi = _mm256_mul_pd(_mm256_max_pd(ahi, zero), _mm256_set1_pd(invk));
    const __m256d xlo = _mm256_sub_pd(across, vslack);
    const __m256d ulo = _mm256_div_pd(xlo, _mm256_sub_pd(vk, alo));
    const __m256d uhi = _mm256_div_pd(_mm256_add_pd(across, vslack), _mm256_sub_pd(vk, ahi));
    const __m256d isr = _mm256_cmp_pd(ulo, one, _CMP_GE_OQ);
    const __m256d ismix = _mm256_cmp_pd(uhi, one, _CMP_LT_OQ);
    // Sure of kind r or mix: along + slack < k, across - slack > 0, and one kind.
    __m256d ok =
        _mm256_and_pd(_mm256_cmp_pd(ahi, vk, _CMP_LT_OQ), _mm256_cmp_pd(xlo, zero, _CMP_GT_OQ));
    ok = _mm256_andnot_pd(special, _mm256_and_pd(ok, _mm256_or_pd(isr, ismix)));
    int mask = _mm256_movemask_pd(ok);
    if (mask == 0) return 0;

    // The corners' pixels, one lane a point.
    const __m128i c00 = cornerLanes(cs, r0, false, ox), c10 = cornerLanes(cs, r0, true, ox),
                  c01 = cornerLanes(cs, r1, false, ox), c11 = cornerLanes(cs, r1, true, ox);
    // Corners B and A of each lane's triangle: low right B p00 A p10, low left
    // B p01 A p00, high right B p10 A p11, high left B p11 A p01.
    const __m128i lowi = _mm_castps_si128(_mm256_cvtpd_ps(low));
    const __m128i righti = _mm_castps_si128(_mm256_cvtpd_ps(right));
    const __m128i cb = pick(lowi, righti, c00, c01, c10, c11);
    const __m128i ca = pick(lowi, righti, c10, c00, c11, c01);
    const __m256d mixlanes = _mm256_andnot_pd(isr, ismix);
    const __m128 mixf = _mm256_cvtpd_ps(mixlanes);
    const __m128 quarter = _mm_set1_ps(0.25f);
    const __m128i bytemask = _mm_set1_epi32(0xff);
    __m128i out = bytemask;
    __m128i same = _mm_set1_epi32(-1);
    // Channel at byte 1 (red), 2 (green), 3 (blue) of each pixel.
    for (int s = 8; s <= 24; s += 8) {
        const __m128 bv = channelLanes(cb, s), av = channelLanes(ca, s);
        const Spans rv = towards(bv, av, tlo, thi);
        const __m128 m =
            _mm_mul_ps(_mm_add_ps(_mm_add_ps(_mm_add_ps(channelLanes(c00, s), channelLanes(c01, s)),
                                             channelLanes(c10, s)),
                                  channelLanes(c11, s)),
                       quarter);
        const Spans mv = towards(rv, towards(bv, m, tlo, thi), ulo, uhi);
        const __m128 vlo = _mm_blendv_ps(rv.lo, mv.lo, mixf);
        const __m128 vhi = _mm_blendv_ps(rv.hi, mv.hi, mixf);
        const __m128i lo = _mm_cvttps_epi32(vlo);
        same = _mm_and_si128(same, _mm_cmpeq_epi32(lo, _mm_cvttps_epi32(vhi)));
        out = _mm_or_si128(out, _mm_slli_epi32(_mm_and_si128(lo, bytemask), s));
    }
    mask &= _mm_movemask_ps(_mm_castsi128_ps(same));
    alignas(16) std::uint32_t px[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(px), out);
    for (int i = 0; i < 4; ++i)
        if (mask & (1 << i)) std::memcpy(o + i * 4, &px[i], 4);
    return mask;
}

// A row's colours where the geometry is estimated point by point (fy: the row's
// fraction), written as 255, red, green, blue: the steps of
// RoadEngine::triangular in one loop.
TRIANGLE_AVX2 void estimatedRowAvx2(const std::vector<AxisSample>& cols, const ARGBVal* r0,
                                    const ARGBVal* r1, int ox, double fy, unsigned char* o) {
    using TriangleGeometry::Value;
    const AxisSample* const cs = cols.data();
    const std::size_t n = cols.size();
    const auto one = [&](std::size_t x) {
        const AxisSample& ax = cs[x];
        if (!ax.inside || !ax.cellInside) return;
        const ARGBVal p[4] = {r0[ax.floorPos - ox], r0[ax.ceilPos - ox], r1[ax.floorPos - ox],
                              r1[ax.ceilPos - ox]};
        const TriangleGeometry::Bounds e = TriangleGeometry::estimate(ax.f, fy);
        const bool ratios = e.point.value == Value::r || e.point.value == Value::mix;
        int rgb[3];
        if (!e.sure || !ratios || !triangleEstimateAvx2(e, p, rgb))
            trianglePixelAvx2(e.sure && !ratios ? e.point : TriangleGeometry::at(ax.f, fy), p, rgb);
        unsigned char* q = o + x * 4;
        q[0] = 255;
        q[1] = std::uint8_t(rgb[0]);
        q[2] = std::uint8_t(rgb[1]);
        q[3] = std::uint8_t(rgb[2]);
    };
    // Four points at a time where their cells lie inside; the rest one by one.
    std::size_t x = 0;
    for (; x + 4 <= n; x += 4) {
        bool inside = true;
        for (std::size_t i = x; i < x + 4; ++i) inside = inside && cs[i].inside && cs[i].cellInside;
        const int done = inside ? estimatedQuadAvx2(cs + x, r0, r1, ox, fy, o + x * 4) : 0;
        for (std::size_t i = 0; i < 4; ++i)
            if (!(done & (1 << i))) one(x + i);
    }
    for (; x < n; ++x) one(x);
}

} // namespace

Fns vectorFns() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2"))
        return {triangleEstimateAvx2, trianglePixelAvx2, tabledRowAvx2, estimatedRowAvx2};
    return {};
}

} // namespace TrianglePixels
#else
namespace TrianglePixels {

Fns vectorFns() {
    return {};
}

} // namespace TrianglePixels
#endif
