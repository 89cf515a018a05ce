// The snapshot road's per-pixel form of each method: the continuous view's own
// arithmetic (ContImageRef.cpp) with each axis's part taken from its sample. The
// triangle method's kernels are in TrianglePixels.
#include "RoadEngine.h"
#include "TrianglePixels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

using TrianglePixels::channel;
using TrianglePixels::channels;

void RoadEngine::pixel(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    // Outside the view's bounds (truncated): black. A cell that leaves the
    // bounds: the stored pixel at the truncated position.
    if (!ax.inside || !rs.ay.inside) {
        rgb[0] = rgb[1] = rgb[2] = 0;
        return;
    }
    if (!ax.cellInside || !rs.ay.cellInside) {
        channels(c_.at(c_.row(rs.ay.truncated), ax.truncated), rgb);
        return;
    }
    switch (c_.code) {
    case SIBilinear:
        return bilinear(ax, rs, rgb);
    case SISmoothBilinear:
        return smooth(ax, rs, rgb);
    case SITriangular:
        return triangular(ax, rs, rgb);
    case SICubicBSpline:
        return spline(ax, rs, rgb);
    default:
        rgb[0] = rgb[1] = rgb[2] = 0;
        return;
    }
}

void RoadEngine::bilinear(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    const ARGBVal p00 = rs.r0[ax.floorPos - c_.ox], p10 = rs.r0[ax.ceilPos - c_.ox];
    const ARGBVal p01 = rs.r1[ax.floorPos - c_.ox], p11 = rs.r1[ax.ceilPos - c_.ox];
    const AxisSample& ay = rs.ay;
    const double w00 = ax.g * ay.g, w10 = ax.f * ay.g, w01 = ay.f * ax.g, w11 = ax.f * ay.f;
    for (int i = 0; i < 3; ++i) {
        rgb[i] = std::uint8_t(int(channel(p00, i) * w00) + int(channel(p10, i) * w10) +
                              int(channel(p01, i) * w01) + int(channel(p11, i) * w11));
    }
}

void RoadEngine::smooth(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    bilinear(ax, rs, rgb);
    float b[3];
    for (int i = 0; i < 3; ++i) b[i] = float(int(rgb[i] * 0.75));
    const AxisSample& ay = rs.ay;
    const std::int64_t x0 = ax.floorPos, x1 = ax.ceilPos;
    // The ring pairs G00, G01, G10, G11, black outside the view.
    const ARGBVal ring[8] = {c_.at(rs.up, x0),     c_.at(rs.r0, x0 - 1), c_.at(rs.down, x0),
                             c_.at(rs.r1, x0 - 1), c_.at(rs.r0, x1 + 1), c_.at(rs.up, x1),
                             c_.at(rs.down, x1),   c_.at(rs.r1, x1 + 1)};
    // Each pair's float sum times its weight, rounded to float, added to the
    // byte in float, then truncated and clamped before the next.
    const double w[4] = {ax.sideLow * ay.sideLow, ax.sideLow * ay.sideHigh,
                         ax.sideHigh * ay.sideLow, ax.sideHigh * ay.sideHigh};
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < 3; ++i) {
            const float sum = channel(ring[2 * k], i) + channel(ring[2 * k + 1], i);
            const float v = b[i] + float(double(sum) * w[k]);
            b[i] = float(SIPixelMath::clampbyte(double(v)));
        }
    }
    for (int i = 0; i < 3; ++i) rgb[i] = int(b[i]);
}

void RoadEngine::triangular(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    using TriangleGeometry::Value;
    const TrianglePixels::Fns& fns = TrianglePixels::fns();
    const ARGBVal p[4] = {rs.r0[ax.floorPos - c_.ox], rs.r0[ax.ceilPos - c_.ox],
                          rs.r1[ax.floorPos - c_.ox], rs.r1[ax.ceilPos - c_.ox]};
    if (!triangles_.empty()) {
        return fns.pixel(
            triangles_[std::size_t(rs.ay.fractionId) * columnFractions_ + ax.fractionId], p, rgb);
    }
    // Fractions that do not repeat: the estimate settles nearly every pixel
    // without the inverse sine, sine and cosine.
    const TriangleGeometry::Bounds e = TriangleGeometry::estimate(ax.f, rs.ay.f);
    const bool ratios = e.point.value == Value::r || e.point.value == Value::mix;
    if (e.sure && ratios && fns.estimate(e, p, rgb)) return;
    fns.pixel(e.sure && !ratios ? e.point : TriangleGeometry::at(ax.f, rs.ay.f), p, rgb);
}

void RoadEngine::triangleRow(const RowSample& rs, unsigned char* o) const {
    using TriangleGeometry::Value;
    const TriangleGeometry::Point* points =
        triangles_.empty() ? nullptr
                           : &triangles_[std::size_t(rs.ay.fractionId) * columnFractions_];
    const TrianglePixels::Fns& fns = TrianglePixels::fns();
    if (points && fns.tabledRow) return fns.tabledRow(points, pairs_, rs.r0, rs.r1, o);
    if (!points && fns.estimatedRow)
        return fns.estimatedRow(cols_, rs.r0, rs.r1, c_.ox, rs.ay.f, o);
    for (std::size_t x = 0; x < cols_.size(); ++x) {
        const AxisSample& ax = cols_[x];
        if (!ax.inside || !ax.cellInside) continue;
        unsigned char* q = o + x * 4;
        int rgb[3];
        if (points && points[ax.fractionId].value == Value::corner) {
            // A corner as it is.
            const TriangleGeometry::Point& t = points[ax.fractionId];
            channels((t.a < 2 ? rs.r0 : rs.r1)[(t.a % 2 == 0 ? ax.floorPos : ax.ceilPos) - c_.ox],
                     rgb);
        } else {
            triangular(ax, rs, rgb);
        }
        q[0] = 255;
        q[1] = std::uint8_t(rgb[0]);
        q[2] = std::uint8_t(rgb[1]);
        q[3] = std::uint8_t(rgb[2]);
    }
}

void RoadEngine::spline(const AxisSample& ax, const RowSample& rs, int* rgb) const {
    const AxisSample& ay = rs.ay;
    SplineSum acc;
    const bool inner = ax.ringInside && ay.ringInside;
    const std::int64_t xb = std::int64_t(ax.floorPos) - 1;
    for (int j = ay.firstTap; j < ay.endTap; ++j) {
        const ARGBVal* r = rs.taps[j];
        const float wy = ay.spline[j];
        // The weight is the float product; each tap is rounded to float before
        // it is added, as the accumulator does.
        for (int i = ax.firstTap; i < ax.endTap; ++i)
            acc.add(inner ? r[xb + i - c_.ox] : c_.at(r, xb + i), ax.spline[i] * wy);
    }
    acc.colour(rgb);
}
