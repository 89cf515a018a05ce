// The provenance of a snapshot of the frame source's current frame: the movie,
// the frame and its time, the region taken and how it was sized.
#pragma once

#include "ARGBVal.h"
#include "ContImageRef.h"
#include "MoviePixRect.h"
#include "PixRect.h"
#include "StillProvenance.h"

#include <optional>

namespace Snapshot {

// `region` is the part of the source's frame taken (after the cut to the
// frame), `width` x `height` the still made of it: resampled with `interp`, or
// copied. `jpegQuality` is the compression of a JPEG; none for a PNG.
StillProvenance provenance(MoviePixRect& source, const PixRectBase<ARGBVal>& region, int width,
                           int height, bool resampled, siinterpcode interp,
                           std::optional<int> jpegQuality);

} // namespace Snapshot
