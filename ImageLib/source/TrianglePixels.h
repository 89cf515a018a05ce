// TrianglePixels: the snapshot road's kernels for the triangle method: one pixel
// from its triangle geometry (tabled or estimated), and whole rows, in plain C++
// and in AVX2 lanes (one lane a channel) where the processor has them; both
// forms give the same bytes as the continuous view's own arithmetic.
#pragma once

#include "ARGBVal.h"
#include "RoadAxis.h"
#include "TriangleGeometry.h"

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

// The kernels this machine runs: AVX2 where it can, plain C++ otherwise. The
// whole-row kernels are null where only the per-pixel ones exist.
struct Fns {
    bool (*estimate)(const TriangleGeometry::Bounds&, const ARGBVal[4], int*);
    void (*pixel)(const TriangleGeometry::Point&, const ARGBVal[4], int*);
    void (*tabledRow)(const TriangleGeometry::Point*, const std::vector<AxisSample>&,
                      const ARGBVal*, const ARGBVal*, int, unsigned char*) = nullptr;
    void (*estimatedRow)(const std::vector<AxisSample>&, const ARGBVal*, const ARGBVal*, int,
                         double, unsigned char*) = nullptr;
};

const Fns& fns();

} // namespace TrianglePixels
