// Spline rows from float rows: for each tap row, the column weight times the row
// weight (the float product), then each tap's channels times its weight added
// in tap order. Taps of weight 0 add 0 and change nothing.
#include "SplineRows.h"

FloatRows::FloatRows(int lx, int hx) : w_(std::size_t(std::int64_t(hx) - lx + 1)) {
    data_.resize(w_ * 16);
}

const float* FloatRows::get(int y, const ARGBVal* r) {
    const int slot = y & 3;
    float* d = data_.data() + std::size_t(slot) * w_ * 4;
    if (!held_[slot] || key_[slot] != y) {
        for (std::size_t i = 0; i < w_; ++i) {
            d[4 * i] = float(r[i].alpha);
            d[4 * i + 1] = float(r[i].red);
            d[4 * i + 2] = float(r[i].green);
            d[4 * i + 3] = float(r[i].blue);
        }
        key_[slot] = y;
        held_[slot] = true;
    }
    return d;
}

void splineRow(const RoadSource& c, const std::vector<AxisSample>& cols, const AxisSample& ay,
               const ARGBVal* const taps[4], FloatRows& fr, unsigned char* o) {
    const float* rowf[4] = {nullptr, nullptr, nullptr, nullptr};
    for (int j = ay.firstTap; j < ay.endTap; ++j)
        rowf[j] = fr.get(ay.floorPos - 1 + j, taps[j] - c.ox + c.lx);
    for (const AxisSample& ax : cols) {
        if (ax.inside && ax.cellInside && ax.ringInside) {
            SplineSum acc;
            const std::int64_t xb = (std::int64_t(ax.floorPos) - 1 - c.lx) * 4;
            for (int j = ay.firstTap; j < ay.endTap; ++j) {
                const float* p = rowf[j] + xb;
                for (int i = 0; i < 4; ++i) acc.add(p + 4 * i, ax.spline[i] * ay.spline[j]);
            }
            int rgb[3];
            acc.colour(rgb);
            o[0] = 255;
            o[1] = std::uint8_t(rgb[0]);
            o[2] = std::uint8_t(rgb[1]);
            o[3] = std::uint8_t(rgb[2]);
        }
        o += 4;
    }
}
