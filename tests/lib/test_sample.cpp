// The lazy resampler: result geometry, the footprint it averages or the
// positions it reads, and factors that are no factors.
#include "ContImageRef.h"
#include "PixRectRW.h"
#include "SamplePixRectNC.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace {

// A source that records where it is read; pixel (x, y) has red 10 x, green y.
class Probe : public PixRect<ARGBVal> {
public:
    Probe(int lx, int ly, int hx, int hy) : PixRect<ARGBVal>(lx, ly, hx, hy) {}
    ARGBVal pix(int x, int y) const override {
        ints.emplace_back(x, y);
        if (!withinbounds(x, y)) return blackpixel;
        return at(x, y);
    }
    ARGBVal pixNB(int x, int y) const override { return pix(x, y); }
    ARGBVal pixdd(double x, double y) const override {
        reals.emplace_back(x, y);
        return at(int(x), int(y));
    }
    static ARGBVal at(int x, int y) {
        return ARGBVal(255, std::uint8_t(10 * x), std::uint8_t(y), 0);
    }
    mutable std::vector<std::pair<int, int>> ints;
    mutable std::vector<std::pair<double, double>> reals;
};

} // namespace

TEST(SampleRect, ResultBoundsRoundWithTiesToEven) {
    PixRectRW<ARGBVal> src(640, 480);
    SamplePixRectNC<ARGBVal, ARGBVal> a(src, 6.4, 4.8, SIInterpolated);
    EXPECT_EQ(std::pair(a.hx(), a.hy()), std::pair(99, 99));
    const auto hx = [](int lx, int hx, double f) {
        PixRectRW<ARGBVal> r(lx, 0, hx, 0);
        return SamplePixRectNC<ARGBVal, ARGBVal>(r, f, 1.0, SINearest).hx();
    };
    EXPECT_EQ(hx(0, 4, 2.0), 2);
    EXPECT_EQ(hx(0, 6, 2.0), 2); // 2.5 rounds to 2
    EXPECT_EQ(hx(3, 9, 2.0), 6); // 5.5 rounds to 6
    EXPECT_EQ(hx(0, 0, 4.0), -1);
    EXPECT_EQ(hx(0, 9, 20.0), 0); // -0.5 rounds to 0: one column
    EXPECT_EQ(hx(-5, 4, 0.5), 14);
}

TEST(SampleRect, ReductionAveragesTheFootprint) {
    PixRectRW<ARGBVal> src(4, 4);
    src.pixref(0, 0) = ARGBVal(0, 10, 0, 0);
    src.pixref(0, 1) = ARGBVal(0, 11, 0, 0);
    src.pixref(1, 0) = ARGBVal(0, 12, 0, 0);
    src.pixref(1, 1) = ARGBVal(0, 14, 0, 0);
    SamplePixRectNC<ARGBVal, ARGBVal> s(src, 2.0, 2.0, SIInterpolated);
    EXPECT_EQ(s.pix(0, 0), ARGBVal(255, 11, 0, 0));

    // By 2.5: result column 1 samples 2.5, 3.5, 4.5; nearest reads 2, 4, 4.
    Probe p(0, 0, 9, 9);
    SamplePixRectNC<ARGBVal, ARGBVal> n(p, 2.5, 2.5, SINearest);
    n.pix(1, 0);
    std::vector<int> cols;
    for (auto [x, y] : p.ints)
        if (y == 0) cols.push_back(x);
    EXPECT_EQ(cols, (std::vector<int>{2, 4, 4}));
    SamplePixRectNC<ARGBVal, ARGBVal> i(p, 2.5, 2.5, SIInterpolated);
    i.pix(1, 0);
    EXPECT_EQ(p.reals.front(), std::make_pair(2.5, 0.0));
    EXPECT_EQ(p.reals.size(), 9u);

    // Columns 0..4 by 2: result column 2 covers column 4 only (5 is beyond).
    Probe q(0, 0, 4, 1);
    EXPECT_EQ((SamplePixRectNC<ARGBVal, ARGBVal>(q, 2.0, 2.0, SIInterpolated).pix(2, 0)),
              ARGBVal(255, 40, 0, 0)); // mean of (4, 0) and (4, 1): green 0.5 -> 0

    // Point sampling by 4 reads column lrintf(4 x + 2).
    Probe r(0, 0, 39, 39);
    SamplePixRectNC<ARGBVal, ARGBVal> ps(r, 4.0, 4.0, SIPointSample);
    for (int x = 0; x < 3; ++x) ps.pix(x, 0);
    EXPECT_EQ(r.ints, (std::vector<std::pair<int, int>>{{2, 2}, {6, 2}, {10, 2}}));
}

TEST(SampleRect, EnlargementReadsClampedPositions) {
    Probe p(0, 0, 9, 9);
    SamplePixRectNC<ARGBVal, ARGBVal> n(p, 0.25, 0.25, SINearest);
    for (int x = 0; x < 4; ++x) n.pix(x, 0);
    EXPECT_EQ(p.ints, (std::vector<std::pair<int, int>>{{0, 0}, {0, 0}, {0, 0}, {1, 0}}));

    Probe q(0, 0, 2, 2);
    SamplePixRectNC<ARGBVal, ARGBVal> i(q, 0.5, 0.5, SIInterpolated);
    for (int x : {1, 4, 5}) i.pix(x, 0);
    EXPECT_EQ(q.reals, (std::vector<std::pair<double, double>>{{0.5, 0}, {2, 0}, {2, 0}}));
}

TEST(SampleRect, ScatterWeighsFourReads) {
    PixRectRW<ARGBVal> src(10, 10);
    src.fillWith(ARGBVal(0, 100, 100, 100));
    SamplePixRectNC<ARGBVal, ARGBVal> s(src, 0.5, 0.5, SIScatter);
    EXPECT_EQ(s.pix(8, 8), ARGBVal(255, 100, 100, 100));
    EXPECT_EQ(s.pix(0, 4).red, 90); // (-1.0, ...) lies outside
    // At 0.3 the read at -0.7 truncates to column 0, inside.
    SamplePixRectNC<ARGBVal, ARGBVal> t(src, 0.3, 0.3, SIScatter);
    EXPECT_EQ(t.pix(1, 4).red, 100);
}

TEST(SampleRect, AHugeFactorsFootprintCoversTheWholeSource) {
    PixRectRW<ARGBVal> src(6, 6);
    src.pixref(5, 5) = ARGBVal(0, 60, 0, 0); // 60 / 36
    SamplePixRectNC<ARGBVal, ARGBVal> h(src, 1e30, 1e30, SIInterpolated);
    EXPECT_EQ(h.pixNB(0, 0), ARGBVal(255, 1, 0, 0));
}
