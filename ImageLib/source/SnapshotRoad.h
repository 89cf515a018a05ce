// SnapshotRoad: the direct road for the snapshot chain (lazy resampler over a
// continuous view over a region view over an owned or wrapped ARGB raster). It
// knows the concrete types, reads source rows in place, computes repeating
// weights once and shares the result's rows among threads; its pixels are
// those of the chain's own reads, bit for bit.
#pragma once

#include "ARGBVal.h"
#include "PixRect.h"

namespace SnapshotRoad {

// Fills out (rows of rowbytes bytes, 4 bytes 255, red, green, blue per pixel)
// with every pixel of raster, using up to threads threads. False, writing
// nothing, when raster is not a chain this road knows (the caller then reads
// it pixel by pixel).
bool fill(const PixRect<ARGBVal>& raster, unsigned char* out, long rowbytes, int threads);

} // namespace SnapshotRoad
