// Geometry of the movie view: where a frame is drawn inside the view (fitted
// and centred), where the crop outline goes, and how a dragged rectangle in
// view coordinates becomes a crop rectangle in movie pixels. View coordinates
// have their origin at the top-left corner with y growing downward; all
// arithmetic is 32-bit float.
#pragma once

#include "SizeArithmetic.h"

namespace ViewGeometry {

using SizeArithmetic::FloatRect;

// The rectangle an iw x ih image fills when drawn whole, centred and as large
// as the bounds allow.
FloatRect fitImage(float iw, float ih, const FloatRect& bounds);

// Where an iw x ih image is drawn: at its own size, centred, when it fits the
// bounds; else fitted as fitImage does.
FloatRect placeImage(float iw, float ih, const FloatRect& bounds);

// The crop rectangle (movie pixels) as drawn over an image placed at `drawn`.
FloatRect outlineForCrop(const FloatRect& crop, const FloatRect& drawn, float movieW, float movieH);

// The crop rectangle in movie pixels for a drag anchored at (ax, ay) in view
// coordinates with extents (dx, dy) (dy positive downward), over an image
// drawn at `drawn`. Its size may be negative: see normaliseCrop.
FloatRect cropFromDrag(float ax, float ay, float dx, float dy, const FloatRect& drawn, float movieW,
                       float movieH);

// Negative sizes made positive by moving the origin, so that a drag in any
// direction yields the same rectangle.
FloatRect normaliseCrop(FloatRect c);

// The crop rectangle cut to the frame (0, 0, movieW, movieH). A rectangle with
// no whole pixel left inside the frame (a click without a drag, a drag in the
// margin beside the picture) selects the whole frame instead.
FloatRect limitCropToFrame(const FloatRect& crop, float movieW, float movieH);

} // namespace ViewGeometry
