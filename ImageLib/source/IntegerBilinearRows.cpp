// Bilinear and smoothed bilinear rows in integers, bit for bit the double form.
//
// Every weighted channel of these methods is trunc(c × w) for a whole number c
// (a byte, or the sum of two bytes) and a double weight w in 0..1, with the
// product rounded to double (and, for the ring, then to float and added to a
// byte in float). With M = floor(w × 2^24), q = c × M is exact in 32 bits and
// q / 2^24 lies at most c / 2^24 below the true product, while rounding can
// only lift a product that lies just below a whole number up to it. So when
// the 24 fraction bits of q stay clear of the top (by more than those errors),
// q >> 24 is the truncated product exactly; a group of eight pixels in which
// any product comes that close is recomputed in doubles, pixel by pixel.
#include "IntegerBilinearRows.h"

#include "IntegerBilinearKernels.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace IntegerBilinearRows {

namespace {

constexpr double scale24 = 16777216.0;

// The least p (up to 30) for which w is a whole number of 2^-p, else 99: w is
// a weight in 0..1.
int grain(double w) {
    const double v = w * 0x1p30; // exact: a power of two
    if (v != std::floor(v)) return 99;
    const auto m = std::uint64_t(v);
    return m == 0 ? 0 : 30 - std::countr_zero(m);
}

// The row kernels this machine runs: AVX2 where it can, plain C++ otherwise.
const kernels::RowFns& rowKernels() {
    static const kernels::RowFns fns = [] {
        const kernels::RowFns v = kernels::vectorRows();
        return v.bilinear ? v : kernels::plainRows();
    }();
    return fns;
}

} // namespace

// floor(w × 2^24) of every weight of the row's fraction (each weight lies in
// 0..1, so the conversion's truncation is the floor).
WeightCache::Row WeightCache::get(const Rows& rs) {
    for (int i = 0; i < slots; ++i)
        if (held_[i] && key_[i] == rs.fy) return {data_[i].data(), exact_[i]};
    const int i = next_;
    next_ = (next_ + 1) % slots;
    const std::size_t n = plan_.g_.size();
    std::vector<std::uint32_t>& d = data_[i];
    d.resize(n * (plan_.smooth_ ? 8 : 4));
    // Through int32, which every such weight fits and processors convert to fastest.
    const auto fixed = [](double a, double b) {
        return std::uint32_t(std::int32_t(a * b * scale24));
    };
    for (std::size_t x = 0; x < n; ++x) {
        const double g = plan_.g_[x], f = plan_.f_[x];
        d[x] = fixed(g, rs.gy);
        d[n + x] = fixed(f, rs.gy);
        d[2 * n + x] = fixed(rs.fy, g);
        d[3 * n + x] = fixed(f, rs.fy);
    }
    if (plan_.smooth_) {
        for (std::size_t x = 0; x < n; ++x) {
            const double sideLow = plan_.sideLow_[x], sideHigh = plan_.sideHigh_[x];
            d[4 * n + x] = fixed(sideLow, rs.sideLowY);
            d[5 * n + x] = fixed(sideLow, rs.sideHighY);
            d[6 * n + x] = fixed(sideHigh, rs.sideLowY);
            d[7 * n + x] = fixed(sideHigh, rs.sideHighY);
        }
    }
    // A product of whole numbers of 2^-p and 2^-q is a whole number of
    // 2^-(p + q), exact in double while p + q <= 24. A weight that is a whole
    // number of 2^-24 makes its product with a byte exact in double, so the
    // truncation is q >> 24 whatever q's fraction bits. A ring weight (at most
    // 0.125 × 0.75 × 0.75) that is a whole number of 2^-14 makes its product
    // with a sum of two bytes exact in float (at most 20 significant bits), and
    // that plus a byte too (below 2^9, 14 fraction bits). Simple factors give
    // such weights: a reduction by 2.5 samples only whole and half positions.
    const bool exact = plan_.cornerGrain_ + std::max(grain(rs.gy), grain(rs.fy)) <= 24 &&
                       (!plan_.smooth_ ||
                        plan_.ringGrain_ + std::max(grain(rs.sideLowY), grain(rs.sideHighY)) <= 14);
    key_[i] = rs.fy;
    held_[i] = true;
    exact_[i] = exact;
    return {d.data(), exact};
}

std::size_t WeightCache::stride() const {
    return plan_.g_.size();
}

Plan::Plan(const std::vector<Col>& cols, std::int32_t lo, std::int32_t hi, bool smooth)
    : cols_(cols), smooth_(smooth) {
    const std::size_t n = (cols_.size() + 7) / 8 * 8;
    g_.assign(n, 1.0);
    f_.assign(n, 0.0);
    sideLow_.assign(n, 0.0);
    sideHigh_.assign(n, 0.0);
    for (std::size_t x = 0; x < cols_.size(); ++x) {
        g_[x] = cols_[x].g;
        f_[x] = cols_[x].f;
        sideLow_[x] = cols_[x].sideLow;
        sideHigh_[x] = cols_[x].sideHigh;
        cornerGrain_ = std::max({cornerGrain_, grain(g_[x]), grain(f_[x])});
        ringGrain_ = std::max({ringGrain_, grain(sideLow_[x]), grain(sideHigh_[x])});
    }
    groups_.resize(n / 8);
    for (std::size_t gi = 0; gi < groups_.size(); ++gi) {
        Group& g = groups_[gi];
        const std::size_t x0 = gi * 8;
        g.ok = x0 + 8 <= cols_.size();
        for (std::size_t j = 0; g.ok && j < 8; ++j) {
            const Col& c = cols_[x0 + j];
            g.ok = c.cellInside && (!smooth || c.ringInside);
        }
        if (!g.ok) continue;
        std::int64_t low = INT64_MAX, high = INT64_MIN;
        for (int j = 0; j < 8; ++j) {
            const Col& c = cols_[x0 + std::size_t(j)];
            const std::int32_t v[4] = {c.i0 - 1, c.i0, c.i1, c.i1 + 1};
            for (int k = 0; k < 4; ++k) g.idx[k][j] = v[k];
            low = std::min<std::int64_t>(low, std::int64_t(c.i0) - 1);
            high = std::max<std::int64_t>(high, std::int64_t(c.i1) + 1);
        }
        // Two loads of eight from base serve the group when every index lies
        // within them and all sixteen pixels are readable.
        g.wide = low >= lo && low + 15 <= hi && high - low <= 15;
        if (g.wide) {
            g.base = std::int32_t(low);
            for (auto& row : g.idx)
                for (std::int32_t& v : row) {
                    v -= g.base;
                    v = std::int32_t(std::uint32_t(v) | (std::uint32_t(v & 8) << 28));
                }
        }
    }
}

Plan::~Plan() = default;

std::unique_ptr<WeightCache> Plan::cache() const {
    return std::make_unique<WeightCache>(*this);
}

void Plan::bilinear(const Rows& rs, WeightCache& wc, unsigned char* out) const {
    const WeightCache::Row w = wc.get(rs);
    rowKernels().bilinear(cols_, groups_, rs, w.m, wc.stride(), w.exact, out);
}

void Plan::smooth(const Rows& rs, WeightCache& wc, unsigned char* out) const {
    const WeightCache::Row w = wc.get(rs);
    rowKernels().smooth(cols_, groups_, rs, w.m, wc.stride(), w.exact, out);
}

} // namespace IntegerBilinearRows
