// SplineRows: the cubic B-spline's taps for the snapshot road. A four-lane float
// sum (SSE on x86, plain C++ elsewhere, the same values), source rows converted
// to floats once, and whole result rows whose taps all lie inside the view.
#pragma once

#include "ARGBVal.h"
#include "RoadAxis.h"
#include "VectorPaths.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#if IMAGELIB_X86_VECTOR
#include <immintrin.h>

// A spline sum: four float lanes (alpha, red, green, blue), each tap's channels
// times its weight rounded to float and added in tap order.
class SplineSum {
public:
    void add(const float* p, float w) {
        acc_ = _mm_add_ps(acc_, _mm_mul_ps(_mm_loadu_ps(p), _mm_set1_ps(w)));
    }
    void add(ARGBVal px, float w) {
        std::uint32_t bits;
        static_assert(sizeof bits == sizeof px);
        std::memcpy(&bits, &px, sizeof bits);
        const __m128i zero = _mm_setzero_si128();
        const __m128i v =
            _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(bits)), zero), zero);
        acc_ = _mm_add_ps(acc_, _mm_mul_ps(_mm_cvtepi32_ps(v), _mm_set1_ps(w)));
    }
    // The colour bytes: each lane truncated, then reduced to a byte.
    void colour(int* rgb) const {
        alignas(16) int out[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(out), _mm_cvttps_epi32(acc_));
        for (int i = 0; i < 3; ++i) rgb[i] = std::uint8_t(out[i + 1]);
    }

private:
    __m128 acc_ = _mm_setzero_ps();
};
#else
class SplineSum {
public:
    void add(const float* p, float w) {
        for (int i = 0; i < 4; ++i) acc_[i] = acc_[i] + p[i] * w;
    }
    void add(ARGBVal px, float w) {
        const float p[4] = {float(px.alpha), float(px.red), float(px.green), float(px.blue)};
        add(p, w);
    }
    void colour(int* rgb) const {
        for (int i = 0; i < 3; ++i) rgb[i] = std::uint8_t(int(acc_[i + 1]));
    }

private:
    float acc_[4] = {0, 0, 0, 0};
};
#endif

// Source rows as floats, four channels a pixel from the view's low column. Rows
// are kept by their position modulo 4, so the four rows a result row reads are
// all held and the next result row mostly finds its rows converted already.
class FloatRows {
public:
    FloatRows(int lx, int hx);
    // Row y of the view, whose pixels from the low column on are r.
    const float* get(int y, const ARGBVal* r);

private:
    std::size_t w_;
    std::vector<float> data_;
    int key_[4] = {0, 0, 0, 0};
    bool held_[4] = {false, false, false, false};
};

// Spline rows: whole result rows whose taps all lie inside the view. Column
// samples side by side with one fraction whose cells follow one another (a
// reduction's footprints) form runs, whose weights are formed once a row and
// whose taps for two samples are one load of two neighbouring pixels (AVX2
// where the processor has it; elsewhere sample by sample, the same values).
class SplineRows {
public:
    SplineRows(const RoadSource& c, const std::vector<AxisSample>& cols);

    // Spline pixels (255, red, green, blue) of the columns whose cell and taps
    // all lie inside the view (the rest are left alone), for the row sample ay
    // whose taps are inside too; taps[j] is view row ay.floorPos - 1 + j.
    void row(const AxisSample& ay, const ARGBVal* const taps[4], FloatRows& fr,
             unsigned char* o) const;

    // Column weights (wx) and the column taps among them that are not 0: [i0, i1).
    struct Weights {
        float wx[4] = {0, 0, 0, 0};
        int i0 = 0, i1 = 4;
    };
    // A run: n column samples from column sample x on, their first tap at
    // float offset xb of a float row, their weights, and which of the shared
    // weights they are (-1: none).
    struct Run : Weights {
        std::int32_t x = 0, n = 0;
        std::int64_t xb = 0;
        int weights = -1;
        bool grouped = false; // one of a group in groups
    };
    // Runs whose sums the vector form takes side by side, with the row's tap
    // list weights (shared weights k, or mixed pair m at maxShared + m): s
    // vectors of neighbouring samples, whose taps start at float offset
    // single[v] and four on, written to column samples singleX[v] and one on,
    // and np vectors of two samples of different runs, at pair[v][0] (lanes
    // 0-3) and pair[v][1] (lanes 4-7), written to pairX[v][0] and pairX[v][1].
    // Either two or four runs of the same shared weights and length (two to
    // four), the last samples of runs of three two a vector, or one to four
    // pairs of runs of one sample.
    struct Group {
        int weights = 0, s = 0, np = 0;
        std::int64_t single[8] = {}, pair[4][2] = {};
        std::int32_t singleX[8] = {}, pairX[4][2] = {};
    };
    struct Runs {
        static constexpr std::size_t maxShared = 8;
        std::vector<Run> runs;
        std::vector<Weights> weights; // at most maxShared
        // Pairs of shared weights (lanes 0-3, lanes 4-7) of runs of one sample
        // taken two a vector; at most maxShared.
        std::vector<std::pair<int, int>> mixed;
        std::vector<Group> groups;
        // Runs of one sample with weights of their own, two a vector (lanes
        // 0-3 the first run's, lanes 4-7 the second's).
        std::vector<std::pair<int, int>> ownPairs;
        std::vector<int> loose; // the runs in no group
    };

private:
    int ox_ = 0, lx_ = 0;
    Runs runs_;
};
