// The direct road for the snapshot chain. It recognises the chain from its
// pieces rather than taking a plan from the Snapshot module: every raster that
// Bitmap fills passes here, so a chain built by any caller takes the road, and
// whatever is not exactly the chain it knows is read pixel by pixel.
//
// The road's files: RoadSource (the chain recognised), RoadAxis (geometry along
// one axis), TriangleGeometry (shared with ContImageRef), IntegerBilinearRows
// (its kernels in IntegerBilinearPlain and IntegerBilinearAvx2) and SplineRows
// (whole-row kernels), RoadEngine (rows and footprint means), RoadPixels (each
// method per pixel), TrianglePixels (the triangle method's kernels, plain and
// AVX2), ParallelRows (bands of rows on threads).
#include "SnapshotRoad.h"

#include "ParallelRows.h"
#include "RoadEngine.h"
#include "RoadSource.h"

namespace SnapshotRoad {

bool fill(const PixRect<ARGBVal>& raster, unsigned char* out, long rowbytes, int threads) {
    RoadSource c;
    if (!out || !RoadSource::recognise(raster, c)) return false;
    const int h = c.sample->height();
    if (h < 1 || c.sample->width() < 1) return true;
    const RoadEngine engine(c);
    // Rows are independent: each thread fills a band of them.
    parallelRows(h, threads,
                 [&engine, out, rowbytes](int y0, int y1) { engine.rows(out, rowbytes, y0, y1); });
    return true;
}

} // namespace SnapshotRoad
