// The integer row kernels against the methods' double arithmetic written out
// pixel by pixel, with fractions chosen so that many products land next to a
// whole number (where the integers cannot decide and the double form must).
#include "IntegerBilinearRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

// Four source rows (up, r0, r1, down) of random pixels, with flat stretches so
// that equal neighbours and bytes of 0 and 255 occur.
struct Source {
    int width;
    std::vector<ARGBVal> rows[4];
    Source(std::mt19937& rng, int w) : width(w) {
        std::uniform_int_distribution<int> byte(0, 255), pick(0, 9);
        for (auto& r : rows) {
            r.resize(std::size_t(w));
            for (auto& p : r) {
                const int k = pick(rng);
                const auto v = [&] {
                    return std::uint8_t(k == 0 ? 255 : k == 1 ? 0 : k == 2 ? 5 : byte(rng));
                };
                p = ARGBVal(std::uint8_t(byte(rng)), v(), v(), v());
            }
        }
    }
};

// A fraction: often a decimal such as 0.2 or 0.7, whose weights make products
// such as 5 × 0.2 that round up to a whole number in double.
double fraction(std::mt19937& rng) {
    std::uniform_int_distribution<int> pick(0, 9);
    std::uniform_real_distribution<double> any(0.0, 1.0);
    switch (pick(rng) % 5) {
    case 0:
    case 1:
        return pick(rng) / 10.0;
    case 2:
        return (pick(rng) % 4) / 4.0;
    case 3:
        return 1.0 / double(pick(rng) + 2);
    default:
        return any(rng);
    }
}

unsigned char ch(const ARGBVal& p, int c) {
    return c == 0 ? p.red : c == 1 ? p.green : p.blue;
}

// The bilinear colour, each corner's channel times its double weight truncated.
int bilinearref(const ARGBVal* r0, const ARGBVal* r1, const IntegerBilinearRows::Col& c,
                const IntegerBilinearRows::Rows& rs, int k) {
    const double w00 = c.g * rs.gy, w10 = c.f * rs.gy, w01 = rs.fy * c.g, w11 = c.f * rs.fy;
    return std::uint8_t(int(ch(r0[c.i0], k) * w00) + int(ch(r0[c.i1], k) * w10) +
                        int(ch(r1[c.i0], k) * w01) + int(ch(r1[c.i1], k) * w11));
}

// The smoothed colour: 0.75 × bilinear truncated, then each ring pair's float
// sum times its weight rounded to float, added in float, truncated and clamped.
int smoothref(const IntegerBilinearRows::Rows& rs, const IntegerBilinearRows::Col& c, int k) {
    float b = float(int(bilinearref(rs.r0, rs.r1, c, rs, k) * 0.75));
    const ARGBVal pairs[4][2] = {{rs.up[c.i0], rs.r0[c.i0 - 1]},
                                 {rs.down[c.i0], rs.r1[c.i0 - 1]},
                                 {rs.r0[c.i1 + 1], rs.up[c.i1]},
                                 {rs.down[c.i1], rs.r1[c.i1 + 1]}};
    const double w[4] = {c.sideLow * rs.sideLowY, c.sideLow * rs.sideHighY,
                         c.sideHigh * rs.sideLowY, c.sideHigh * rs.sideHighY};
    for (int g = 0; g < 4; ++g) {
        const float s = float(ch(pairs[g][0], k)) + float(ch(pairs[g][1], k));
        const float v = b + float(double(s) * w[g]);
        b = float(std::min(255, std::max(0, int(v))));
    }
    return int(b);
}

} // namespace

TEST(IntegerBilinearRows, RowsMatchTheDoubleArithmeticIncludingNearWholeProducts) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> width(3, 90), pick(0, 99);
    for (int iter = 0; iter < 400; ++iter) {
        const int w = width(rng);
        Source src(rng, w);
        const bool smooth = iter % 2 == 1;
        // Columns walk the source as an enlargement does, some with repeated
        // fractions, some at integral positions, a few outside (not plain).
        std::vector<IntegerBilinearRows::Col> cols;
        const int n = pick(rng) + 1;
        std::uniform_int_distribution<int> at(1, w - 2);
        for (int x = 0; x < n; ++x) {
            IntegerBilinearRows::Col c;
            const int i0 = pick(rng) < 50 ? std::min(w - 2, 1 + x / 2) : at(rng);
            c.f = pick(rng) < 20 ? 0.0 : fraction(rng);
            c.g = 1.0 - c.f;
            c.i0 = i0;
            c.i1 = c.f == 0.0 ? i0 : i0 + 1;
            c.sideLow = 0.125 * ((c.g + 0.5) * 0.5);
            c.sideHigh = 0.125 * ((c.f + 0.5) * 0.5);
            c.cellInside = pick(rng) < 95;
            c.ringInside = c.i0 >= 1 && c.i1 + 1 <= w - 1 && pick(rng) < 95;
            cols.push_back(c);
        }
        IntegerBilinearRows::Plan plan(cols, 0, w - 1, smooth);
        auto cache = plan.cache();
        for (int row = 0; row < 6; ++row) {
            IntegerBilinearRows::Rows rs;
            rs.fy = row % 3 == 0 ? 0.0 : fraction(rng);
            rs.gy = 1.0 - rs.fy;
            rs.sideLowY = (rs.gy + 0.5) * 0.5;
            rs.sideHighY = (rs.fy + 0.5) * 0.5;
            rs.up = src.rows[0].data();
            rs.r0 = src.rows[1].data();
            rs.r1 = rs.fy == 0.0 ? rs.r0 : src.rows[2].data();
            rs.down = src.rows[3].data();
            std::vector<unsigned char> out(std::size_t(n) * 4, 0x5a);
            if (smooth) {
                plan.smooth(rs, *cache, out.data());
            } else {
                plan.bilinear(rs, *cache, out.data());
            }
            for (int x = 0; x < n; ++x) {
                const auto& c = cols[std::size_t(x)];
                const unsigned char* o = &out[std::size_t(x) * 4];
                if (!c.cellInside || (smooth && !c.ringInside)) {
                    // Columns the kernels leave alone keep their bytes.
                    EXPECT_EQ(o[0], 0x5a);
                    EXPECT_EQ(o[3], 0x5a);
                    continue;
                }
                ASSERT_EQ(o[0], 255);
                for (int k = 0; k < 3; ++k) {
                    const int want =
                        smooth ? smoothref(rs, c, k) : bilinearref(rs.r0, rs.r1, c, rs, k);
                    ASSERT_EQ(o[1 + k], want) << "iter " << iter << " column " << x << " channel "
                                              << k << " f " << c.f << " fy " << rs.fy;
                }
            }
        }
    }
}
