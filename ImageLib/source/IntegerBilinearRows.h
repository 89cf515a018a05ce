// IntegerBilinearRows: whole result rows of the bilinear and smoothed bilinear methods for
// the snapshot road, eight pixels at a time in exact integer arithmetic (AVX2
// where the processor has it, plain C++ otherwise, the same bytes), with the
// double-precision per-pixel form for the few pixels integers cannot settle.
#pragma once

#include "ARGBVal.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace IntegerBilinearRows {

// One result column's sample: the two source columns of its cell (indices into
// a source row), its fractions g = 1 - f and f, the smoothed method's side
// weights (each already times 0.125), whether its cell lies inside the view
// and whether the ring around the cell does too.
struct Col {
    std::int32_t i0 = 0, i1 = 0;
    double g = 1, f = 0;
    double sideLow = 0, sideHigh = 0;
    bool cellInside = false, ringInside = false;
};

// The rows of one result row: the cell's rows r0 (floor) and r1 (ceil), the ring's
// rows up (r0's predecessor) and down (r1's successor), and the row's fractions
// and side weights. up and down are read by the smoothed method only.
struct Rows {
    const ARGBVal *up = nullptr, *r0 = nullptr, *r1 = nullptr, *down = nullptr;
    double fy = 0, gy = 1, sideLowY = 0, sideHighY = 0;
};

class Plan;

// The fixed-point weights of a few recent row fractions, one cache per thread:
// an enlargement by a simple factor has few distinct row fractions, and each
// one's weights are worked out once.
class WeightCache {
public:
    explicit WeightCache(const Plan& p) : plan_(p) {}
    // A row's weights: m holds the corners' weights g·gy, f·gy, fy·g, f·fy, then
    // (smoothed method) the ring groups' sideLow·sideLowY, sideLow·sideHighY,
    // sideHigh·sideLowY and sideHigh·sideHighY, each an array of stride()
    // entries, as floor(w × 2^24). exact: every weight is a whole number of
    // 2^-24 and every ring weight of 2^-14, so that every product the row
    // forms, and a ring product plus a byte, is exact and no check is needed.
    struct Row {
        const std::uint32_t* m = nullptr;
        bool exact = false;
    };
    Row get(const Rows& rs);
    std::size_t stride() const;

private:
    // Enough for the row fractions of simple factors that repeat (a factor of
    // 0.625 cycles through eight): fractions that cycle through more than
    // there are slots miss every time.
    static constexpr int slots = 8;
    const Plan& plan_;
    std::vector<std::uint32_t> data_[slots];
    bool exact_[slots] = {};
    double key_[slots] = {};
    bool held_[slots] = {};
    int next_ = 0;
};

class Plan {
public:
    // cols: the result's columns left to right; a source row may be read at
    // indices lo..hi (inclusive); smooth: plan for the smoothed method.
    Plan(const std::vector<Col>& cols, std::int32_t lo, std::int32_t hi, bool smooth);
    ~Plan();
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;

    std::unique_ptr<WeightCache> cache() const;

    // The bilinear colour of every column of one row whose cell lies inside (4 bytes a pixel:
    // 255, red, green, blue); other columns are left alone.
    void bilinear(const Rows& rs, WeightCache& wc, unsigned char* out) const;
    // The smoothed bilinear colour of every column whose cell and ring lie
    // inside; rs.up and rs.down must be rows of the view.
    void smooth(const Rows& rs, WeightCache& wc, unsigned char* out) const;

    struct Group;

private:
    friend class WeightCache;
    std::vector<Col> cols_;
    std::vector<Group> groups_;
    std::vector<double> g_, f_, sideLow_, sideHigh_; // per column, padded to whole groups
    // The columns' weights are whole numbers of 2^-cornerGrain_ (g, f) and of
    // 2^-ringGrain_ (the side weights).
    int cornerGrain_ = 0, ringGrain_ = 0;
    bool smooth_;
};

} // namespace IntegerBilinearRows
