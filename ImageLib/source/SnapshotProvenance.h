// The provenance of a snapshot of the frame source's current frame: the movie,
// the frame and its time, the region taken and how it was sized.
#pragma once

#include "MoviePixRect.h"
#include "Snapshot.h"
#include "StillProvenance.h"

#include <optional>

namespace Snapshot {

// `chain` is the snapshot made of the source's current frame: its region, its
// size and whether it was resampled. `jpegQuality` is the compression of a
// JPEG; none for a PNG.
StillProvenance provenance(MoviePixRect& source, const Chain& chain,
                           std::optional<int> jpegQuality);

} // namespace Snapshot
