// The spline rows' kernels in AVX2: two samples a vector (lanes 0-3 one
// sample's alpha, red, green and blue, lanes 4-7 another's), runs of one
// weight side by side, and pairs of runs of one sample with weights of their
// own; the processor is asked once whether it runs them.
#include "SplineKernels.h"
#include "VectorPaths.h"

#if IMAGELIB_X86_VECTOR
#include <immintrin.h>

#include <algorithm>
#include <cstring>

namespace SplineKernels {

namespace {

__attribute__((target("avx2"))) void toFloatsAvx2(const ARGBVal* r, std::size_t n, float* d) {
    std::size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const __m256i v =
            _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(r + i)));
        _mm256_storeu_ps(d + 4 * i, _mm256_cvtepi32_ps(v));
    }
    for (; i < n; ++i) {
        d[4 * i] = float(r[i].alpha);
        d[4 * i + 1] = float(r[i].red);
        d[4 * i + 2] = float(r[i].green);
        d[4 * i + 3] = float(r[i].blue);
    }
}

#define SPLINE_AVX2 __attribute__((target("avx2")))

// A run's taps for one row sample: those of weight other than 0, rows outer
// and columns inner as the sum takes them, each a float row position (less the
// run's offset) and its weight in every lane.
struct TapList {
    int n = 0;
    const float* p[16];
    __m256 w[16];
};

// The tap list of lanes 0-3 with weights a and lanes 4-7 with weights b (the
// same weights for two samples of one run, or two runs of one sample): their
// taps together, each lane's weight the float product as alone. A tap outside
// a run's own has weight 0 for it and adds 0 (every tap and weight is at least
// 0), so each lane's sum is the same.
SPLINE_AVX2 inline void tapList(const SplineRows::Weights& a, const SplineRows::Weights& b,
                                const AxisSample& ay, const float* const rowf[4], TapList& t) {
    t.n = 0;
    const int i0 = std::min(a.i0, b.i0), i1 = std::max(a.i1, b.i1);
    for (int j = ay.firstTap; j < ay.endTap; ++j)
        for (int i = i0; i < i1; ++i, ++t.n) {
            t.p[t.n] = rowf[j] + 4 * i;
            t.w[t.n] = _mm256_set_m128(_mm_set1_ps(b.wx[i] * ay.spline[j]),
                                       _mm_set1_ps(a.wx[i] * ay.spline[j]));
        }
}

// A vector of two samples' sums as two pixels: each lane truncated, its low
// byte kept, alpha 255; lanes 0-3's pixel in 32-bit lane 0, lanes 4-7's in
// 32-bit lane 4.
SPLINE_AVX2 inline __m256i pixels(__m256 acc) {
    const __m256i bytes =
        _mm256_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 4, 8, 12,
                         -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    return _mm256_or_si256(_mm256_shuffle_epi8(_mm256_cvttps_epi32(acc), bytes),
                           _mm256_set1_epi32(0xff));
}

// Two neighbouring samples' sums stored as their two pixels at q.
SPLINE_AVX2 inline void storeTwo(__m256 acc, unsigned char* q) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(q),
                     _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(
                         pixels(acc), _mm256_setr_epi32(0, 4, 1, 1, 1, 1, 1, 1))));
}

// Two samples' sums of different runs stored as their pixels at q0 and q1.
SPLINE_AVX2 inline void storeApart(__m256 acc, unsigned char* q0, unsigned char* q1) {
    const __m256i v = pixels(acc);
    const int lo = _mm256_extract_epi32(v, 0), hi = _mm256_extract_epi32(v, 4);
    std::memcpy(q0, &lo, 4);
    std::memcpy(q1, &hi, 4);
}

// The sums of S + P vectors of two samples each, every lane as in runsAvx2:
// vector v < S holds the neighbouring samples whose taps start at float
// offsets single[v] and single[v] + 4, vector S + v two samples of different
// runs, at pair[v][0] (lanes 0-3) and pair[v][1] (lanes 4-7). Side by side,
// the sums' chains of additions proceed together.
template <int S, int P>
SPLINE_AVX2 inline void pairSums(const TapList& t, const std::int64_t* single,
                                 const std::int64_t (*pair)[2], __m256* acc) {
    __m256 a[S + P];
#pragma GCC unroll 16
    for (int v = 0; v < S + P; ++v) a[v] = _mm256_setzero_ps();
    for (int i = 0; i < t.n; ++i) {
        const float* p = t.p[i];
        const __m256 w = t.w[i];
#pragma GCC unroll 16
        for (int v = 0; v < S; ++v)
            a[v] = _mm256_add_ps(a[v], _mm256_mul_ps(_mm256_loadu_ps(p + single[v]), w));
#pragma GCC unroll 16
        for (int v = 0; v < P; ++v) {
            const __m256 x = _mm256_loadu2_m128(p + pair[v][1], p + pair[v][0]);
            a[S + v] = _mm256_add_ps(a[S + v], _mm256_mul_ps(x, w));
        }
    }
#pragma GCC unroll 16
    for (int v = 0; v < S + P; ++v) acc[v] = a[v];
}

// A group's sums (see SplineRows::Group), stored as its pixels.
template <int S, int P>
SPLINE_AVX2 void groupAvx2(const SplineRows::Group& g, const TapList& t, unsigned char* o) {
    __m256 acc[S + P];
    pairSums<S, P>(t, g.single, g.pair, acc);
    for (int v = 0; v < S; ++v) storeTwo(acc[v], o + std::int64_t(g.singleX[v]) * 4);
    for (int v = 0; v < P; ++v) {
        storeApart(acc[S + v], o + std::int64_t(g.pairX[v][0]) * 4,
                   o + std::int64_t(g.pairX[v][1]) * 4);
    }
}

SPLINE_AVX2 void groupsAvx2(const std::vector<SplineRows::Group>& groups, const TapList* shared,
                            unsigned char* o) {
    for (const SplineRows::Group& g : groups) {
        const TapList& t = shared[g.weights];
        // The shapes groups take: two or four runs of two, three or four, or
        // one to four pairs of runs of one.
        switch (g.s * 4 + g.np) {
        case 1:
            groupAvx2<0, 1>(g, t, o);
            break;
        case 2:
            groupAvx2<0, 2>(g, t, o);
            break;
        case 3:
            groupAvx2<0, 3>(g, t, o);
            break;
        case 4:
            groupAvx2<0, 4>(g, t, o);
            break;
        case 8:
            groupAvx2<2, 0>(g, t, o);
            break;
        case 9:
            groupAvx2<2, 1>(g, t, o);
            break;
        case 16:
            groupAvx2<4, 0>(g, t, o);
            break;
        case 18:
            groupAvx2<4, 2>(g, t, o);
            break;
        default:
            groupAvx2<8, 0>(g, t, o);
            break;
        }
    }
}

// Runs of one sample with weights of their own, two a vector: each row's
// column weights times the row's weight as eight float products at once (the
// same products as alone), then each tap's pair of weights spread over its
// lanes. Every tap of both is taken: a tap of weight 0 adds 0.
SPLINE_AVX2 void ownPairsAvx2(const SplineRows::Runs& runs, const AxisSample& ay,
                              const float* const rowf[4], unsigned char* o) {
    const __m256i spread[4] = {
        _mm256_setr_epi32(0, 0, 0, 0, 4, 4, 4, 4), _mm256_setr_epi32(1, 1, 1, 1, 5, 5, 5, 5),
        _mm256_setr_epi32(2, 2, 2, 2, 6, 6, 6, 6), _mm256_setr_epi32(3, 3, 3, 3, 7, 7, 7, 7)};
    for (const auto& [ia, ib] : runs.ownPairs) {
        const SplineRows::Run& a = runs.runs[std::size_t(ia)];
        const SplineRows::Run& b = runs.runs[std::size_t(ib)];
        const __m256 wx = _mm256_set_m128(_mm_loadu_ps(b.wx), _mm_loadu_ps(a.wx));
        __m256 acc = _mm256_setzero_ps();
        for (int j = ay.firstTap; j < ay.endTap; ++j) {
            const __m256 wj = _mm256_mul_ps(wx, _mm256_set1_ps(ay.spline[j]));
            const float* p = rowf[j];
            for (int i = 0; i < 4; ++i) {
                const __m256 x = _mm256_loadu2_m128(p + b.xb + 4 * i, p + a.xb + 4 * i);
                acc = _mm256_add_ps(acc, _mm256_mul_ps(x, _mm256_permutevar8x32_ps(wj, spread[i])));
            }
        }
        storeApart(acc, o + std::int64_t(a.x) * 4, o + std::int64_t(b.x) * 4);
    }
}

// Two samples of a run a vector: lanes 0-3 the first sample's alpha, red,
// green and blue, lanes 4-7 the next sample's, whose taps lie one pixel on.
// Each lane takes the steps of SplineSum: the float weight, the tap times it
// rounded to float, added in tap order.
SPLINE_AVX2 void runsAvx2(const SplineRows::Runs& runs, const AxisSample& ay,
                          const float* const rowf[4], unsigned char* o) {
    // The tap lists of the runs' distinct column weights and pairs of them,
    // once a row.
    constexpr std::size_t most = SplineRows::Runs::maxShared;
    TapList shared[2 * most];
    for (std::size_t k = 0; k < runs.weights.size(); ++k) {
        const SplineRows::Weights& w = runs.weights[k];
        tapList(w, w, ay, rowf, shared[k]);
    }
    for (std::size_t m = 0; m < runs.mixed.size(); ++m) {
        const auto [a, b] = runs.mixed[m];
        tapList(runs.weights[std::size_t(a)], runs.weights[std::size_t(b)], ay, rowf,
                shared[most + m]);
    }
    groupsAvx2(runs.groups, shared, o);
    ownPairsAvx2(runs, ay, rowf, o);
    TapList own;
    for (const int r : runs.loose) {
        const SplineRows::Run& run = runs.runs[std::size_t(r)];
        unsigned char* q = o + std::int64_t(run.x) * 4;
        const TapList* t = &own;
        if (run.weights >= 0) {
            t = &shared[run.weights];
        } else if (run.n == 1) {
            // A sample alone: its weights as it goes, all four columns (a tap of
            // weight 0 adds 0).
            SplineSum acc;
            for (int j = ay.firstTap; j < ay.endTap; ++j) {
                const float* p = rowf[j] + run.xb;
                for (int i = 0; i < 4; ++i) acc.add(p + 4 * i, run.wx[i] * ay.spline[j]);
            }
            int rgb[3];
            acc.colour(rgb);
            q[0] = 255;
            q[1] = std::uint8_t(rgb[0]);
            q[2] = std::uint8_t(rgb[1]);
            q[3] = std::uint8_t(rgb[2]);
            continue;
        } else {
            tapList(run, run, ay, rowf, own);
        }
        const int n = t->n;
        std::int32_t k = 0;
        // Eight samples at a time, four vectors whose taps share their loads of
        // positions and weights, then two at a time.
        for (; k + 8 <= run.n; k += 8, q += 32) {
            const std::int64_t xb = run.xb + std::int64_t(k) * 4;
            const std::int64_t at[4] = {xb, xb + 8, xb + 16, xb + 24};
            __m256 acc[4];
            pairSums<4, 0>(*t, at, nullptr, acc);
            for (int v = 0; v < 4; ++v) storeTwo(acc[v], q + 8 * v);
        }
        for (; k + 2 <= run.n; k += 2, q += 8) {
            const std::int64_t xb = run.xb + std::int64_t(k) * 4;
            __m256 acc = _mm256_setzero_ps();
            for (int i = 0; i < n; ++i)
                acc = _mm256_add_ps(acc, _mm256_mul_ps(_mm256_loadu_ps(t->p[i] + xb), t->w[i]));
            storeTwo(acc, q);
        }
        if (k < run.n) {
            const std::int64_t xb = run.xb + std::int64_t(k) * 4;
            __m128 acc = _mm_setzero_ps();
            for (int i = 0; i < n; ++i) {
                acc = _mm_add_ps(
                    acc, _mm_mul_ps(_mm_loadu_ps(t->p[i] + xb), _mm256_castps256_ps128(t->w[i])));
            }
            const int b = _mm256_extract_epi32(pixels(_mm256_set_m128(_mm_setzero_ps(), acc)), 0);
            std::memcpy(q, &b, 4);
        }
    }
}

} // namespace

Fns vectorFns() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return {toFloatsAvx2, runsAvx2};
    return {};
}

} // namespace SplineKernels
#else
namespace SplineKernels {

Fns vectorFns() {
    return {};
}

} // namespace SplineKernels
#endif
