// IntegerBilinearKernels: the row kernels behind IntegerBilinearRows, shared by
// its plain C++ and AVX2 files: a group of eight columns, the margins that
// decide when integers settle a product, and the double form for the rest.
#pragma once

#include "IntegerBilinearRows.h"

#include <cstdint>
#include <vector>

namespace IntegerBilinearRows {

struct Plan::Group {
    // Per column of the group, the source indices i0 - 1, i0, i1, i1 + 1:
    // relative to base when wide (0..15, with bit 3 copied into bit 31), else
    // absolute.
    alignas(32) std::int32_t idx[4][8];
    std::int32_t base = 0;
    bool wide = false; // base .. base + 15 may be read and holds every index
    bool ok = false;   // all eight columns are ones this plan fills
};

namespace kernels {

inline constexpr std::uint32_t fracmask = (1u << 24) - 1;
// A single byte's product is at most 255 / 2^24 low; a margin of 512 covers it
// and the double rounding (below 2^-44 for products under 256).
inline constexpr int bytelimit = (1 << 24) - 512 - 1;
// A ring pair's product is at most 510 / 2^24 low; its rounding to float (below
// 2^-18 for products under 72) and the float sum with a byte (below 2^-16 for
// sums under 512) add less than 330 / 2^24. A margin of 4096 covers both.
inline constexpr int ringlimit = (1 << 24) - 4096 - 1;

// One row's kernel: every column of cols in groups of eight, each group settled
// in integers or, where they cannot decide, left to the double form. exact: the
// row's products are all exact (WeightCache::Row), so integers always decide.
using RowFn = void (*)(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                       const Rows& rs, const std::uint32_t* w, std::size_t n, bool exact,
                       unsigned char* out);

// The bilinear and smoothed bilinear row kernels.
struct RowFns {
    RowFn bilinear = nullptr, smooth = nullptr;
};

// The plain C++ kernels (IntegerBilinearPlain.cpp).
RowFns plainRows();
// The AVX2 kernels when this build has them and the processor runs them, else
// none (IntegerBilinearAvx2.cpp).
RowFns vectorRows();

// The double form, pixel by pixel, of columns x0 .. x1 - 1 that the method fills.
void bilinearPixels(const std::vector<Col>& cols, std::size_t x0, std::size_t x1, const Rows& rs,
                    unsigned char* out);
void smoothPixels(const std::vector<Col>& cols, std::size_t x0, std::size_t x1, const Rows& rs,
                  unsigned char* out);

} // namespace kernels
} // namespace IntegerBilinearRows
