// The integer row kernels in AVX2, eight columns a vector; the processor is
// asked once whether it runs them.
#include "IntegerBilinearKernels.h"
#include "VectorPaths.h"

#if IMAGELIB_X86_VECTOR
#include <immintrin.h>

#include <algorithm>
#include <cstring>

namespace IntegerBilinearRows::kernels {

namespace {

#define IBROWS_AVX2 __attribute__((target("avx2")))
#define IBROWS_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

// Integers, eight pixels at a time, in AVX2 -----------------------------------------

inline int load32(const ARGBVal* p) {
    int v;
    std::memcpy(&v, p, 4);
    return v;
}

// The double form, one pixel at a time, four lanes (alpha, red, green, blue) a
// pixel: the same values as the plain form, for the groups integers leave.

// A pixel's bytes as int lanes (alpha, red, green, blue).
IBROWS_AVX2_INLINE __m128i px(const ARGBVal* p) {
    return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(load32(p)));
}

// A corner's channels times its weight in double, truncated toward zero.
IBROWS_AVX2_INLINE __m128i corner(const ARGBVal* p, double w) {
    return _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(px(p)), _mm256_set1_pd(w)));
}

// The bilinear colour of one pixel as int lanes (-, R, G, B), not yet reduced to
// bytes. An integral position has weight exactly 0 for the far corners (their
// products are 0) and 1 - 0 = 1 for the near ones, so those corners' work is
// left out: the same values.
IBROWS_AVX2_INLINE __m128i bilinear1(const Rows& rs, const Col& c) {
    const ARGBVal *r0 = rs.r0, *r1 = rs.r1;
    if (rs.fy == 0.0) {
        if (c.f == 0.0) return px(r0 + c.i0);
        return _mm_add_epi32(corner(r0 + c.i0, c.g), corner(r0 + c.i1, c.f));
    }
    if (c.f == 0.0) return _mm_add_epi32(corner(r0 + c.i0, rs.gy), corner(r1 + c.i0, rs.fy));
    return _mm_add_epi32(
        _mm_add_epi32(corner(r0 + c.i0, c.g * rs.gy), corner(r0 + c.i1, c.f * rs.gy)),
        _mm_add_epi32(corner(r1 + c.i0, rs.fy * c.g), corner(r1 + c.i1, c.f * rs.fy)));
}

IBROWS_AVX2_INLINE void storepixel(__m128i v, unsigned char* o) {
    const __m128i tobytes =
        _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const int b =
        _mm_cvtsi128_si32(_mm_or_si128(_mm_shuffle_epi8(v, tobytes), _mm_cvtsi32_si128(0xff)));
    std::memcpy(o, &b, 4);
}

// The smoothed bilinear pixel: the bilinear bytes times 0.75 (exact, then
// truncated), then the four ring pairs, each pair's sum times its weight in
// double rounded to float, added to the bytes in float, truncated and clamped,
// in the order G00, G01, G10, G11.
IBROWS_AVX2_INLINE void smooth1(const Rows& rs, const Col& c, unsigned char* o) {
    const __m128i ff = _mm_set1_epi32(0xff);
    const __m128 zero = _mm_setzero_ps(), top = _mm_set1_ps(255.0f);
    __m128 b = _mm_cvtepi32_ps(_mm_cvttps_epi32(
        _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(bilinear1(rs, c), ff)), _mm_set1_ps(0.75f))));
    const double w[4] = {c.sideLow * rs.sideLowY, c.sideLow * rs.sideHighY,
                         c.sideHigh * rs.sideLowY, c.sideHigh * rs.sideHighY};
    const __m128i g[4] = {
        _mm_add_epi32(px(rs.up + c.i0), px(rs.r0 + c.i0 - 1)),
        _mm_add_epi32(px(rs.down + c.i0), px(rs.r1 + c.i0 - 1)),
        _mm_add_epi32(px(rs.r0 + c.i1 + 1), px(rs.up + c.i1)),
        _mm_add_epi32(px(rs.down + c.i1), px(rs.r1 + c.i1 + 1)),
    };
    for (int k = 0; k < 4; ++k) {
        const __m128 gf =
            _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtepi32_pd(g[k]), _mm256_set1_pd(w[k])));
        const __m128 v = _mm_min_ps(_mm_max_ps(_mm_add_ps(b, gf), zero), top);
        b = _mm_cvtepi32_ps(_mm_cvttps_epi32(v));
    }
    storepixel(_mm_cvttps_epi32(b), o);
}

// Eight source pixels of one row at one of the group's index sets: from two
// loads when the group is wide, else gathered.
struct Fetch {
    const ARGBVal* r;
    const Plan::Group& g;
    __m256i lo, hi;
    IBROWS_AVX2_INLINE Fetch(const ARGBVal* row, const Plan::Group& group) : r(row), g(group) {
        if (g.wide) {
            lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + g.base));
            hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + g.base + 8));
        } else {
            lo = hi = _mm256_setzero_si256();
        }
    }
    IBROWS_AVX2_INLINE __m256i operator()(int k) const {
        const __m256i i = _mm256_load_si256(reinterpret_cast<const __m256i*>(g.idx[k]));
        if (!g.wide) return _mm256_i32gather_epi32(reinterpret_cast<const int*>(r), i, 4);
        // The permutes read an index's low three bits, the blend its bit 31
        // (a copy of bit 3): the low or the high eight.
        const __m256 a = _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(lo, i));
        const __m256 b = _mm256_castsi256_ps(_mm256_permutevar8x32_epi32(hi, i));
        return _mm256_castps_si256(_mm256_blendv_ps(a, b, _mm256_castsi256_ps(i)));
    }
};

// Channel ch (1 red, 2 green, 3 blue) of eight pixels as int lanes.
IBROWS_AVX2_INLINE __m256i chan(__m256i p, int ch) {
    const char m = char(0x80);
    const char a = char(ch), b = char(ch + 4), c = char(ch + 8), d = char(ch + 12);
    return _mm256_shuffle_epi8(p, _mm256_setr_epi8(a, m, m, m, b, m, m, m, c, m, m, m, d, m, m, m,
                                                   a, m, m, m, b, m, m, m, c, m, m, m, d, m, m, m));
}

// sum += trunc(c × w) for eight lanes; Checked: the fraction bits kept in
// frac's maximum (a row whose products are all exact needs no check).
template <bool Checked>
IBROWS_AVX2_INLINE void product(__m256i c, __m256i m, __m256i& sum, __m256i& frac) {
    const __m256i q = _mm256_mullo_epi32(c, m);
    sum = _mm256_add_epi32(sum, _mm256_srli_epi32(q, 24));
    if constexpr (Checked)
        frac = _mm256_max_epu32(frac, _mm256_and_si256(q, _mm256_set1_epi32(fracmask)));
}

IBROWS_AVX2_INLINE __m256i ld(const std::uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// The bilinear sums of eight pixels per channel, reduced to bytes. two: the row's
// fraction is 0 and the second row's weights are all 0.
template <bool Checked>
IBROWS_AVX2_INLINE void bilinear8(const Plan::Group& g, const Rows& rs, const std::uint32_t* w,
                                  std::size_t n, bool two, __m256i s[3], __m256i& frac) {
    const Fetch f0(rs.r0, g);
    const __m256i p00 = f0(1), p10 = f0(2);
    const __m256i m00 = ld(w), m10 = ld(w + n);
    for (int ch = 0; ch < 3; ++ch) {
        s[ch] = _mm256_setzero_si256();
        product<Checked>(chan(p00, ch + 1), m00, s[ch], frac);
        product<Checked>(chan(p10, ch + 1), m10, s[ch], frac);
    }
    if (!two) {
        const Fetch f1(rs.r1, g);
        const __m256i p01 = f1(1), p11 = f1(2);
        const __m256i m01 = ld(w + 2 * n), m11 = ld(w + 3 * n);
        for (int ch = 0; ch < 3; ++ch) {
            product<Checked>(chan(p01, ch + 1), m01, s[ch], frac);
            product<Checked>(chan(p11, ch + 1), m11, s[ch], frac);
        }
    }
    const __m256i ff = _mm256_set1_epi32(0xff);
    for (int ch = 0; ch < 3; ++ch) s[ch] = _mm256_and_si256(s[ch], ff);
}

IBROWS_AVX2_INLINE void store8(const __m256i s[3], unsigned char* o) {
    const __m256i v =
        _mm256_or_si256(_mm256_or_si256(_mm256_set1_epi32(0xff), _mm256_slli_epi32(s[0], 8)),
                        _mm256_or_si256(_mm256_slli_epi32(s[1], 16), _mm256_slli_epi32(s[2], 24)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), v);
}

IBROWS_AVX2_INLINE bool settled(__m256i frac, int limit) {
    return _mm256_testz_si256(_mm256_cmpgt_epi32(frac, _mm256_set1_epi32(limit)),
                              _mm256_set1_epi32(-1));
}

template <bool Checked>
IBROWS_AVX2 void bilinearrowT(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                              const Rows& rs, const std::uint32_t* w, std::size_t n,
                              unsigned char* out) {
    const bool two = rs.fy == 0.0;
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const Plan::Group& g = groups[gi];
        const std::size_t x0 = gi * 8;
        unsigned char* o = out + x0 * 4;
        if (g.ok) {
            __m256i s[3];
            __m256i frac = _mm256_setzero_si256();
            bilinear8<Checked>(g, rs, w + x0, n, two, s, frac);
            if (!Checked || settled(frac, bytelimit)) {
                store8(s, o);
                continue;
            }
        }
        for (std::size_t x = x0; x < std::min(cols.size(), x0 + 8); ++x)
            if (cols[x].cellInside) storepixel(bilinear1(rs, cols[x]), out + x * 4);
    }
}

template <bool Checked>
IBROWS_AVX2 void smoothrowT(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                            const Rows& rs, const std::uint32_t* w, std::size_t n,
                            unsigned char* out) {
    const bool two = rs.fy == 0.0;
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const Plan::Group& g = groups[gi];
        const std::size_t x0 = gi * 8;
        unsigned char* o = out + x0 * 4;
        if (g.ok) {
            __m256i b[3];
            __m256i frac = _mm256_setzero_si256();
            bilinear8<Checked>(g, rs, w + x0, n, two, b, frac);
            // Times 0.75, truncated: exact in integers. The ring's weights add
            // up to 0.125, so the four pairs add at most 510 × 0.125: from at
            // most 191 the byte never passes 254, and the clamp after each
            // pair never acts.
            for (int ch = 0; ch < 3; ++ch)
                b[ch] = _mm256_srli_epi32(_mm256_add_epi32(b[ch], _mm256_slli_epi32(b[ch], 1)), 2);
            const Fetch f0(rs.r0, g), f1(rs.r1, g), fu(rs.up, g), fd(rs.down, g);
            // The ring pairs G00, G01, G10, G11.
            const __m256i pa[4] = {fu(1), fd(1), f0(3), fd(2)};
            const __m256i pb[4] = {f0(0), f1(0), fu(2), f1(3)};
            __m256i rfrac = _mm256_setzero_si256();
            for (int k = 0; k < 4; ++k) {
                const __m256i m = ld(w + (4 + k) * n + x0);
                for (int ch = 0; ch < 3; ++ch) {
                    const __m256i s = _mm256_add_epi32(chan(pa[k], ch + 1), chan(pb[k], ch + 1));
                    product<Checked>(s, m, b[ch], rfrac);
                }
            }
            if (!Checked || (settled(frac, bytelimit) && settled(rfrac, ringlimit))) {
                store8(b, o);
                continue;
            }
        }
        for (std::size_t x = x0; x < std::min(cols.size(), x0 + 8); ++x)
            if (cols[x].cellInside && cols[x].ringInside) smooth1(rs, cols[x], out + x * 4);
    }
}

IBROWS_AVX2 void bilinearrow(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                             const Rows& rs, const std::uint32_t* w, std::size_t n, bool exact,
                             unsigned char* out) {
    if (exact) return bilinearrowT<false>(cols, groups, rs, w, n, out);
    bilinearrowT<true>(cols, groups, rs, w, n, out);
}

IBROWS_AVX2 void smoothrow(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                           const Rows& rs, const std::uint32_t* w, std::size_t n, bool exact,
                           unsigned char* out) {
    if (exact) return smoothrowT<false>(cols, groups, rs, w, n, out);
    smoothrowT<true>(cols, groups, rs, w, n, out);
}

} // namespace

RowFns vectorRows() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return {bilinearrow, smoothrow};
    return {};
}

} // namespace IntegerBilinearRows::kernels
#else
namespace IntegerBilinearRows::kernels {

RowFns vectorRows() {
    return {};
}

} // namespace IntegerBilinearRows::kernels
#endif
