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
        const __m256i a = _mm256_permutevar8x32_epi32(lo, i);
        const __m256i b = _mm256_permutevar8x32_epi32(hi, i);
        return _mm256_blendv_epi8(a, b, _mm256_cmpgt_epi32(i, _mm256_set1_epi32(7)));
    }
};

// Channel ch (1 red, 2 green, 3 blue) of eight pixels as int lanes.
IBROWS_AVX2_INLINE __m256i chan(__m256i p, int ch) {
    const char m = char(0x80);
    const char a = char(ch), b = char(ch + 4), c = char(ch + 8), d = char(ch + 12);
    return _mm256_shuffle_epi8(p, _mm256_setr_epi8(a, m, m, m, b, m, m, m, c, m, m, m, d, m, m, m,
                                                   a, m, m, m, b, m, m, m, c, m, m, m, d, m, m, m));
}

// sum += trunc(c × w) for eight lanes, the fraction bits kept in frac's maximum.
IBROWS_AVX2_INLINE void product(__m256i c, __m256i m, __m256i& sum, __m256i& frac) {
    const __m256i q = _mm256_mullo_epi32(c, m);
    sum = _mm256_add_epi32(sum, _mm256_srli_epi32(q, 24));
    frac = _mm256_max_epu32(frac, _mm256_and_si256(q, _mm256_set1_epi32(fracmask)));
}

IBROWS_AVX2_INLINE __m256i ld(const std::uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// The bilinear sums of eight pixels per channel, reduced to bytes. two: the row's
// fraction is 0 and the second row's weights are all 0.
IBROWS_AVX2_INLINE void bilinear8(const Plan::Group& g, const Rows& rs, const std::uint32_t* w,
                                  std::size_t n, bool two, __m256i s[3], __m256i& frac) {
    const Fetch f0(rs.r0, g);
    const __m256i p00 = f0(1), p10 = f0(2);
    const __m256i m00 = ld(w), m10 = ld(w + n);
    for (int ch = 0; ch < 3; ++ch) {
        s[ch] = _mm256_setzero_si256();
        product(chan(p00, ch + 1), m00, s[ch], frac);
        product(chan(p10, ch + 1), m10, s[ch], frac);
    }
    if (!two) {
        const Fetch f1(rs.r1, g);
        const __m256i p01 = f1(1), p11 = f1(2);
        const __m256i m01 = ld(w + 2 * n), m11 = ld(w + 3 * n);
        for (int ch = 0; ch < 3; ++ch) {
            product(chan(p01, ch + 1), m01, s[ch], frac);
            product(chan(p11, ch + 1), m11, s[ch], frac);
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

IBROWS_AVX2 void bilinearrow(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                             const Rows& rs, const std::uint32_t* w, std::size_t n,
                             unsigned char* out, std::int64_t& exact, std::int64_t& fallback) {
    const bool two = rs.fy == 0.0;
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const Plan::Group& g = groups[gi];
        const std::size_t x0 = gi * 8;
        unsigned char* o = out + x0 * 4;
        if (g.ok) {
            __m256i s[3];
            __m256i frac = _mm256_setzero_si256();
            bilinear8(g, rs, w + x0, n, two, s, frac);
            if (settled(frac, bytelimit)) {
                store8(s, o);
                ++exact;
                continue;
            }
            ++fallback;
        }
        bilinearPixels(cols, x0, x0 + 8, rs, out);
    }
}

IBROWS_AVX2 void smoothrow(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                           const Rows& rs, const std::uint32_t* w, std::size_t n,
                           unsigned char* out, std::int64_t& exact, std::int64_t& fallback) {
    const bool two = rs.fy == 0.0;
    const __m256i top = _mm256_set1_epi32(255);
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const Plan::Group& g = groups[gi];
        const std::size_t x0 = gi * 8;
        unsigned char* o = out + x0 * 4;
        if (g.ok) {
            __m256i b[3];
            __m256i frac = _mm256_setzero_si256();
            bilinear8(g, rs, w + x0, n, two, b, frac);
            // Times 0.75, truncated: exact in integers.
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
                    product(s, m, b[ch], rfrac);
                    b[ch] = _mm256_min_epi32(b[ch], top);
                }
            }
            if (settled(frac, bytelimit) && settled(rfrac, ringlimit)) {
                store8(b, o);
                ++exact;
                continue;
            }
            ++fallback;
        }
        smoothPixels(cols, x0, x0 + 8, rs, out);
    }
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
