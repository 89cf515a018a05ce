// RoadEngine: the snapshot road's result rows. It works out each result column's
// samples once, then fills rows: whole rows through the row kernels of the
// method where they apply (integer bilinear rows, spline rows), the per-pixel
// form of the method for the rest, and a reduction's footprint means.
#pragma once

#include "IntegerBilinearRows.h"
#include "RoadAxis.h"
#include "RoadSource.h"
#include "SplineRows.h"
#include "TriangleGeometry.h"
#include "TrianglePixels.h"

#include <memory>
#include <vector>

class RoadEngine {
public:
    explicit RoadEngine(const RoadSource& c);
    // Result rows y0 (inclusive) to y1 (exclusive), counted from the result's top,
    // into out (rows of rowbytes bytes; 255, red, green, blue per pixel).
    void rows(unsigned char* out, long rowbytes, int y0, int y1) const;

private:
    // One row sample with the view rows it reads; null rows lie outside the view.
    struct RowSample {
        AxisSample ay;
        const ARGBVal* r0 = nullptr;                                   // row floor(y)
        const ARGBVal* r1 = nullptr;                                   // row ceil(y)
        const ARGBVal* taps[4] = {nullptr, nullptr, nullptr, nullptr}; // floor(y) - 1 .. + 2
        const ARGBVal* up = nullptr;                                   // row floor(y) - 1
        const ARGBVal* down = nullptr;                                 // row ceil(y) + 1
    };
    RowSample rowSample(double py) const;
    // Every column sample of one row sample, 4 bytes each.
    void sampleRow(const RowSample& rs, IntegerBilinearRows::WeightCache* weights,
                   FloatRows* floatrows, unsigned char* o) const;

    // The per-pixel form of each method (RoadPixels.cpp): red, green, blue.
    void pixel(const AxisSample& ax, const RowSample& rs, int* rgb) const;
    void bilinear(const AxisSample& ax, const RowSample& rs, int* rgb) const;
    void smooth(const AxisSample& ax, const RowSample& rs, int* rgb) const;
    void triangular(const AxisSample& ax, const RowSample& rs, int* rgb) const;
    void spline(const AxisSample& ax, const RowSample& rs, int* rgb) const;
    // The triangle method's colour of every column sample whose cell lies
    // inside, for a row sample whose cell does too.
    void triangleRow(const RowSample& rs, unsigned char* o) const;

    RoadSource c_;
    std::vector<AxisSample> cols_; // every column sample, result column after column
    std::vector<int> colstart_;    // result column i's samples: [colstart_[i], colstart_[i + 1])
    int widestFootprint_ = 0;      // the most column samples a result column has
    std::unique_ptr<IntegerBilinearRows::Plan> bilinearRows_; // the bilinear methods' rows
    std::unique_ptr<SplineRows> splineRows_;                  // the spline's rows
    std::vector<int> rest_; // the column samples the row kernels leave to the per-pixel form
    std::vector<TriangleGeometry::Point> triangles_; // per pair of fraction ids, when tabled
    std::vector<double> rowFractions_;               // the distinct row fractions, when tabled
    TrianglePixels::PairedColumns pairs_;            // the column samples, when tabled
    std::size_t columnFractions_ = 0;                // the number of distinct column fractions
};
