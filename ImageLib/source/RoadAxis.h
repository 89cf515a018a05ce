// RoadAxis: the snapshot road's geometry along one axis. Every sample position
// of a result column (or row) with everything that depends on it alone: the
// cell, its fractions, and each method's weights along that axis.
#pragma once

#include "RoadSource.h"

#include <vector>

struct AxisSample {
    int truncated = 0;       // the position truncated toward zero
    bool inside = false;     // truncated lies inside the bounds: the view interpolates here
    bool cellInside = false; // floor and ceiling both inside the bounds
    bool ringInside = false; // so are the neighbours the method reads around the cell
    int floorPos = 0, ceilPos = 0;
    double f = 0, g = 0;              // the fraction past floorPos, and 1 - f
    double sideLow = 0, sideHigh = 0; // smoothed bilinear side weights (x: times 0.125)
    float spline[4] = {0, 0, 0, 0};   // spline weights of taps floorPos - 1 .. floorPos + 2
    int firstTap = 0, endTap = 4;     // the taps whose weight is not 0: [firstTap, endTap)
    int fractionId = 0;               // which of the axis's distinct fractions f is
};

// The sample at position p of an axis whose bounds are lo..hi.
AxisSample axisSample(double p, int lo, int hi, bool xaxis, siinterpcode code);

// The sample positions of result column (xaxis) or row r, as the lazy resampler
// reads them: pass-through, one clamped position, or the footprint's grid.
std::vector<double> samplePositions(const RoadSource& c, int r, bool xaxis);

// The distinct fractions of the samples whose cell lies inside, in order.
std::vector<double> distinctFractions(const std::vector<AxisSample>& samples);

// The index of f among fractions (from distinctFractions).
int fractionId(const std::vector<double>& fractions, double f);
