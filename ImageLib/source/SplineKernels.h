// SplineKernels: the kernels behind SplineRows, shared by its plain C++ and
// AVX2 files: a row's pixels as floats, and one row sample's runs summed.
#pragma once

#include "SplineRows.h"

#include <cstddef>

namespace SplineKernels {

// A row's n pixels as floats, four channels a pixel, into d.
using ToFloats = void (*)(const ARGBVal* r, std::size_t n, float* d);
// Every run of runs for the row sample ay, whose tap rows are rowf, into o.
using RunRow = void (*)(const SplineRows::Runs& runs, const AxisSample& ay,
                        const float* const rowf[4], unsigned char* o);

struct Fns {
    ToFloats toFloats = nullptr;
    RunRow runs = nullptr;
};

// The AVX2 kernels when this build has them and the processor runs them, else
// none (SplineRowsAvx2.cpp).
Fns vectorFns();

} // namespace SplineKernels
