// Snapshot: the road from a frame to the bitmap a snapshot saves, the one the
// application and moviesnap both take (the size they show included). The region
// (the whole frame, or a crop whose far column and row are included, cut to
// the frame) is copied as it is when nothing is resampled, and otherwise read
// through a continuous view under the lazy resampler; the bitmap built from
// either computes every result pixel.
#pragma once

#include "ARGBVal.h"
#include "Bitmapio.h"
#include "ContImageRef.h"
#include "PixRectRW.h"
#include "PixRectRef.h"
#include "SamplePixRectNC.h"

#include <memory>

namespace Snapshot {

// Inclusive bounds of a region of the frame, before the cut to the frame.
struct Bounds {
    int lx = 0, ly = 0, hx = 0, hy = 0;
};

// The bounds of a crop rectangle at (x, y) of w x h: columns x to x + w and
// rows y to y + h, the far edges included, each end truncated toward zero and
// the sums taken in float, as the movie view's crop rectangle is.
Bounds cropBounds(float x, float y, float w, float h);

// The scale divisor (source pixels per result pixel) of a scale-slider
// position: 9 is the source size, each step right enlarges by one more whole
// factor, each step left divides by one more.
float scaleForPosition(float position);

// How big the result is to be: by a scale divisor, or an explicit size.
struct Size {
    bool explicitSize = false;
    float scale = 1.0f;          // without an explicit size
    float width = 0, height = 0; // with one

    // By a scale divisor (source pixels per result pixel).
    static Size byScale(float scale) { return {false, scale, 0, 0}; }
    // Resampled to width x height, the aspect ratio not kept.
    static Size explicitly(float width, float height) { return {true, 1.0f, width, height}; }
};

// The temporaries of one snapshot: the region view, then the owned copy or the
// continuous view and the resampler, then the bitmap; released in the reverse
// order, except the copy, which goes as soon as the bitmap holds its pixels.
// Nothing is computed until bitmap().
class Chain {
public:
    // `crop` null: the whole frame. The frame must outlive the chain.
    Chain(PixRect<ARGBVal>& frame, const Bounds* crop, const Size& size, siinterpcode interp);
    ~Chain();
    Chain(const Chain&) = delete;
    Chain& operator=(const Chain&) = delete;

    // True when the region is copied as it is (a scale of exactly 1, or an
    // explicit size equal to the region's own).
    bool copies() const { return !resampled_; }
    siinterpcode interp() const { return interp_; }
    // The region after the cut to the frame.
    const PixRectRef<ARGBVal>& region() const { return *region_; }
    // The result's size, known before any pixel is computed.
    int width() const;
    int height() const;

    // The bitmap of the snapshot, every result pixel computed at the first
    // call; it lives as long as the chain.
    const Bitmapio& bitmap();

private:
    siinterpcode interp_;
    std::unique_ptr<PixRectRef<ARGBVal>> region_;
    std::unique_ptr<PixRectRW<ARGBVal>> copy_;
    std::unique_ptr<ContImageRef<ARGBVal>> continuous_;
    std::unique_ptr<SamplePixRectNC<ARGBVal, ARGBVal>> resampled_;
    std::unique_ptr<Bitmapio> bitmap_;
};

} // namespace Snapshot
