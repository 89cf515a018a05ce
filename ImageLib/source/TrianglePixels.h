// TrianglePixels: the snapshot road's kernels for the triangle method: one pixel
// from its triangle geometry (tabled or estimated), and whole rows, in plain C++
// and in AVX2 lanes (one lane a channel) where the processor has them; both
// forms give the same bytes as the continuous view's own arithmetic.
#pragma once

#include "ARGBVal.h"
#include "RoadAxis.h"
#include "TriangleGeometry.h"

#include <cstdint>
#include <vector>

namespace TrianglePixels {

// The red, green and blue of a pixel as they are, and channel i of them as a
// float (the road's per-pixel methods read pixels so too).
inline void channels(const ARGBVal& p, int* rgb) {
    rgb[0] = p.red;
    rgb[1] = p.green;
    rgb[2] = p.blue;
}

inline float channel(const ARGBVal& v, int i) {
    return float(i == 0 ? v.red : i == 1 ? v.green : v.blue);
}

// A tabled row's column samples two at a time: samples of one fraction (so one
// point of the table), each with its cell's floor and ceiling columns
// (relative to the rows' pointers) and its column sample.
struct Pair {
    std::int32_t fraction = 0;
    std::int32_t i0[2] = {}, i1[2] = {}, x[2] = {};
};
struct PairedColumns {
    std::vector<Pair> pairs;
};
// The column samples whose cells lie inside, paired by fraction id, each with
// the nearest one left of its fraction and a sample left alone with itself;
// ox: the rows' pointers' first column.
PairedColumns pairColumns(const std::vector<AxisSample>& cols, std::size_t fractions, int ox);

// The kernels this machine runs: AVX2 where it can, plain C++ otherwise. The
// whole-row kernels are null where only the per-pixel ones exist.
struct Fns {
    bool (*estimate)(const TriangleGeometry::Bounds&, const ARGBVal[4], int*);
    void (*pixel)(const TriangleGeometry::Point&, const ARGBVal[4], int*);
    void (*tabledRow)(const TriangleGeometry::Point*, const PairedColumns&, const ARGBVal*,
                      const ARGBVal*, unsigned char*) = nullptr;
    void (*estimatedRow)(const std::vector<AxisSample>&, const ARGBVal*, const ARGBVal*, int,
                         double, unsigned char*) = nullptr;
};

const Fns& fns();
// The AVX2 kernels when this build has them and the processor runs them, else
// none (TrianglePixelsAvx2.cpp).
Fns vectorFns();

} // namespace TrianglePixels
