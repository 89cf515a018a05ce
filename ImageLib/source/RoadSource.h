// RoadSource: the snapshot chain as the road sees it (the lazy resampler, the
// base raster its continuous view reads, and that view's geometry), recognised
// from the exact types of the chain's pieces.
#pragma once

#include "ARGBVal.h"
#include "ContImageRef.h"
#include "PixRect.h"
#include "PixRectRW.h"
#include "SamplePixRectNC.h"

#include <cstdint>

struct RoadSource {
    const SamplePixRectNC<ARGBVal, ARGBVal>* sample = nullptr;
    const PixRectRW<ARGBVal>* base = nullptr;
    int ox = 0, oy = 0;                 // view (x, y) is base (x - ox, y - oy)
    int lx = 0, ly = 0, hx = 0, hy = 0; // the continuous view's bounds
    siinterpcode code = SIBilinear;
    bool identity = false; // factors (1, 1): the view is read at the result's positions
    bool reduce = false;   // factors of 2 and more: footprint means

    // The chain under raster, when it is one the road reads: the lazy resampler
    // over a continuous view over a region view of (or straight over) an owned
    // or wrapped raster, every position the view reads inside its bounds a
    // stored pixel. False otherwise (the caller reads pixel by pixel).
    static bool recognise(const PixRect<ARGBVal>& raster, RoadSource& out);

    // The base raster's row holding view row y, or null outside the view.
    const ARGBVal* row(std::int64_t y) const {
        if (y < ly || y > hy) return nullptr;
        return base->rowptr(int(y) - oy);
    }
    // The view's pixel (x, y) of row r (from row()): black outside the view.
    ARGBVal at(const ARGBVal* r, std::int64_t x) const {
        if (!r || x < lx || x > hx) return ARGBVal();
        return r[x - ox];
    }
};
