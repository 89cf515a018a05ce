// Spline rows from float rows: for each tap row, the column weight times the row
// weight (the float product), then each tap's channels times its weight added
// in tap order. Taps of weight 0 add 0 and change nothing. This file holds the
// float rows, the plain kernel sample by sample, and the plan of runs and
// groups the AVX2 kernels (SplineRowsAvx2.cpp) take side by side.
#include "SplineRows.h"

#include "SplineKernels.h"

#include <algorithm>

FloatRows::FloatRows(int lx, int hx) : w_(std::size_t(std::int64_t(hx) - lx + 1)) {
    data_.resize(w_ * 16);
}

namespace {

// A row's pixels as floats, four channels a pixel.
void toFloatsPlain(const ARGBVal* r, std::size_t n, float* d) {
    for (std::size_t i = 0; i < n; ++i) {
        d[4 * i] = float(r[i].alpha);
        d[4 * i + 1] = float(r[i].red);
        d[4 * i + 2] = float(r[i].green);
        d[4 * i + 3] = float(r[i].blue);
    }
}

void toFloats(const ARGBVal* r, std::size_t n, float* d) {
    static const SplineKernels::ToFloats fn = [] {
        const SplineKernels::ToFloats v = SplineKernels::vectorFns().toFloats;
        return v ? v : toFloatsPlain;
    }();
    fn(r, n, d);
}

} // namespace

const float* FloatRows::get(int y, const ARGBVal* r) {
    const int slot = y & 3;
    float* d = data_.data() + std::size_t(slot) * w_ * 4;
    if (!held_[slot] || key_[slot] != y) {
        toFloats(r, w_, d);
        key_[slot] = y;
        held_[slot] = true;
    }
    return d;
}

namespace {

using SplineKernels::RunRow;

// Sample by sample.
void runsPlain(const SplineRows::Runs& runs, const AxisSample& ay, const float* const rowf[4],
               unsigned char* o) {
    for (const SplineRows::Run& run : runs.runs) {
        for (std::int32_t k = 0; k < run.n; ++k) {
            SplineSum acc;
            const std::int64_t xb = run.xb + std::int64_t(k) * 4;
            for (int j = ay.firstTap; j < ay.endTap; ++j) {
                const float* p = rowf[j] + xb;
                for (int i = 0; i < 4; ++i) acc.add(p + 4 * i, run.wx[i] * ay.spline[j]);
            }
            int rgb[3];
            acc.colour(rgb);
            unsigned char* q = o + (std::int64_t(run.x) + k) * 4;
            q[0] = 255;
            q[1] = std::uint8_t(rgb[0]);
            q[2] = std::uint8_t(rgb[1]);
            q[3] = std::uint8_t(rgb[2]);
        }
    }
}

RunRow runKernel() {
    const RunRow v = SplineKernels::vectorFns().runs;
    return v ? v : runsPlain;
}

} // namespace

SplineRows::SplineRows(const RoadSource& c, const std::vector<AxisSample>& cols)
    : ox_(c.ox), lx_(c.lx) {
    const auto taken = [&cols](std::size_t x) {
        const AxisSample& ax = cols[x];
        return ax.inside && ax.cellInside && ax.ringInside;
    };
    for (std::size_t x = 0; x < cols.size();) {
        if (!taken(x)) {
            ++x;
            continue;
        }
        const AxisSample& a = cols[x];
        Run r;
        r.x = std::int32_t(x);
        r.xb = (std::int64_t(a.floorPos) - 1 - c.lx) * 4;
        std::copy(a.spline, a.spline + 4, r.wx);
        r.i0 = a.firstTap;
        r.i1 = a.endTap;
        // One fraction, so the same weights; cells one after another.
        std::size_t n = 1;
        while (x + n < cols.size() && taken(x + n) && cols[x + n].f == a.f &&
               std::int64_t(cols[x + n].floorPos) == std::int64_t(a.floorPos) + std::int64_t(n))
            ++n;
        r.n = std::int32_t(n);
        // Runs of one fraction share their weights when few fractions repeat.
        for (std::size_t k = 0; k < runs_.weights.size() && r.weights < 0; ++k)
            if (std::equal(r.wx, r.wx + 4, runs_.weights[k].wx)) r.weights = int(k);
        if (r.weights < 0 && runs_.weights.size() < Runs::maxShared) {
            Weights w;
            std::copy(r.wx, r.wx + 4, w.wx);
            w.i0 = r.i0;
            w.i1 = r.i1;
            r.weights = int(runs_.weights.size());
            runs_.weights.push_back(w);
        }
        runs_.runs.push_back(r);
        x += n;
    }
    // Runs of the same shared weights and length, four by four, then two by two.
    std::vector<std::vector<std::size_t>> open(Runs::maxShared * 3);
    const auto close = [this](std::vector<std::size_t>& members, std::size_t count) {
        Group g;
        for (std::size_t m = 0; m < count; ++m) {
            Run& run = runs_.runs[members[m]];
            run.grouped = true;
            g.weights = run.weights;
            for (std::int32_t k = 0; k + 2 <= run.n; k += 2, ++g.s) {
                g.single[g.s] = run.xb + std::int64_t(k) * 4;
                g.singleX[g.s] = run.x + k;
            }
            if (run.n % 2 == 1) {
                g.pair[g.np][m % 2] = run.xb + std::int64_t(run.n - 1) * 4;
                g.pairX[g.np][m % 2] = run.x + run.n - 1;
                g.np += int(m % 2);
            }
        }
        runs_.groups.push_back(g);
        members.clear();
    };
    for (std::size_t k = 0; k < runs_.runs.size(); ++k) {
        const Run& r = runs_.runs[k];
        if (r.weights < 0 || r.n < 2 || r.n > 4) continue;
        std::vector<std::size_t>& members = open[std::size_t(r.weights) * 3 + std::size_t(r.n - 2)];
        members.push_back(k);
        if (members.size() == 4) close(members, 4);
    }
    for (std::vector<std::size_t>& members : open)
        if (members.size() >= 2) close(members, 2);
    // Runs of one sample with shared weights (an enlargement's columns, whose
    // fractions alternate), two a vector with each lane's own weights, four
    // such pairs side by side.
    std::vector<std::size_t> lone;
    for (std::size_t k = 0; k < runs_.runs.size(); ++k) {
        const Run& r = runs_.runs[k];
        if (!r.grouped && r.n == 1 && r.weights >= 0) lone.push_back(k);
    }
    std::vector<Group> pending(Runs::maxShared);
    const auto flush = [this](Group& g) {
        if (g.np > 0) runs_.groups.push_back(g);
        g = Group();
    };
    for (std::size_t i = 0; i + 1 < lone.size(); i += 2) {
        Run& a = runs_.runs[lone[i]];
        Run& b = runs_.runs[lone[i + 1]];
        const std::pair<int, int> key(a.weights, b.weights);
        auto m = std::size_t(std::find(runs_.mixed.begin(), runs_.mixed.end(), key) -
                             runs_.mixed.begin());
        if (m == runs_.mixed.size()) {
            if (m == Runs::maxShared) continue;
            runs_.mixed.push_back(key);
        }
        Group& g = pending[m];
        g.weights = int(Runs::maxShared + m);
        g.pair[g.np][0] = a.xb;
        g.pair[g.np][1] = b.xb;
        g.pairX[g.np][0] = a.x;
        g.pairX[g.np][1] = b.x;
        a.grouped = b.grouped = true;
        if (++g.np == 4) flush(g);
    }
    for (Group& g : pending) flush(g);
    // Runs of one sample with weights of their own, two by two.
    int open1 = -1;
    for (std::size_t k = 0; k < runs_.runs.size(); ++k) {
        Run& r = runs_.runs[k];
        if (r.grouped || r.n != 1 || r.weights >= 0) continue;
        if (open1 < 0) {
            open1 = int(k);
            continue;
        }
        runs_.ownPairs.emplace_back(open1, int(k));
        runs_.runs[std::size_t(open1)].grouped = r.grouped = true;
        open1 = -1;
    }
    for (std::size_t k = 0; k < runs_.runs.size(); ++k)
        if (!runs_.runs[k].grouped) runs_.loose.push_back(int(k));
}

void SplineRows::row(const AxisSample& ay, const ARGBVal* const taps[4], FloatRows& fr,
                     unsigned char* o) const {
    static const RunRow kernel = runKernel();
    const float* rowf[4] = {nullptr, nullptr, nullptr, nullptr};
    for (int j = ay.firstTap; j < ay.endTap; ++j)
        rowf[j] = fr.get(ay.floorPos - 1 + j, taps[j] - ox_ + lx_);
    kernel(runs_, ay, rowf, o);
}
