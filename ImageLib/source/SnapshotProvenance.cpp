#include "SnapshotProvenance.h"

#include <string>

namespace Snapshot {

namespace {

// The names moviesnap's --interp takes.
const char* interpolationName(siinterpcode interp) {
    switch (interp) {
    case SIBilinear:
        return "bilinear";
    case SISmoothBilinear:
        return "smooth";
    case SITriangular:
        return "triangular";
    case SICubicBSpline:
        return "bspline";
    }
    return "unknown";
}

} // namespace

StillProvenance provenance(MoviePixRect& source, const Chain& chain,
                           std::optional<int> jpegQuality) {
    StillProvenance p;
    MovieOrigin origin;
    if (GetMovieOrigin(source.movie, &origin) == noErr) {
        p.sourceName = origin.path.substr(origin.path.find_last_of('/') + 1);
        p.sourceCreated = origin.creationTime;
    }
    p.frame = long(source.currentFrame);
    p.timeValue = source.currentTime;
    p.timeScale = source.timeScale;
    source.getTime(p.hours, p.minutes, p.seconds, p.frames);
    p.timeCodeRate = source.fps;
    const int frameX = source.allLines ? source.allLines->lx() : 0;
    const int frameY = source.allLines ? source.allLines->ly() : 0;
    const PixRectRef<ARGBVal>& region = chain.region();
    p.cropX = region.lx() - frameX;
    p.cropY = region.ly() - frameY;
    p.cropWidth = region.width();
    p.cropHeight = region.height();
    p.width = chain.width();
    p.height = chain.height();
    p.interpolation = chain.copies() ? "none" : interpolationName(chain.interp());
    p.quality = jpegQuality;
    return p;
}

} // namespace Snapshot
