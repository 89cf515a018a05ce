// The snapshot road against the chain's own reads: random frames, regions,
// origins, factors and methods, bit for bit.
#include "Bitmap.h"
#include "ContImageRef.h"
#include "RoadSource.h"
#include "SamplePixRectNC.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <utility>
#include <vector>

namespace {

// The bytes Bitmap's fill defines, read pixel by pixel through the raster's own reads.
std::vector<unsigned char> literalbytes(const PixRect<ARGBVal>& r) {
    std::vector<unsigned char> b;
    for (int y = r.ly(); y <= r.hy(); ++y)
        for (int x = r.lx(); x <= r.hx(); ++x) {
            const ARGBVal p = r.pix(x, y);
            b.insert(b.end(), {255, p.red, p.green, p.blue});
        }
    return b;
}

std::vector<unsigned char> bitmapbytes(const Bitmap& bm) {
    if (!bm.data) return {};
    return std::vector<unsigned char>(bm.data, bm.data + bm.dataSize);
}

// A frame of random pixels, with smooth and flat patches so that clamping and
// exact corners occur too.
std::vector<ARGBVal> randomframe(std::mt19937& rng, int w, int h) {
    std::vector<ARGBVal> f(std::size_t(w) * h);
    std::uniform_int_distribution<int> byte(0, 255), kind(0, 3);
    const int k = kind(rng);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            ARGBVal& p = f[std::size_t(y) * w + x];
            if (k == 0) {
                p = ARGBVal(255, 250, 250, 250);
            } else if (k == 1) {
                p = ARGBVal(std::uint8_t(byte(rng)), std::uint8_t(x * 7 + y), std::uint8_t(y * 5),
                            std::uint8_t(255 - x));
            } else {
                p = ARGBVal(std::uint8_t(byte(rng)), std::uint8_t(byte(rng)),
                            std::uint8_t(byte(rng)), std::uint8_t(byte(rng)));
            }
        }
    return f;
}

// 0.2 and 1.1 as floats step a hair past whole and half positions: triangle points by a corner
// and on a diagonal by the centre, which the estimate leaves to the exact geometry.
const double factors[] = {0.5,  0.8,  2.5, 2.0, 3.0, 1.0, 0.25, 1.3,
                          1.75, 0.37, 4.2, 6.0, 0.9, 0.2, 1.1};

} // namespace

TEST(SnapshotRoad, MatchesTheChainsOwnReadsOnRandomCases) {
    std::mt19937 rng(20240517);
    std::uniform_int_distribution<int> size(1, 40), coord(-12, 50), pick(0, 99);
    std::uniform_real_distribution<double> anyfactor(0.2, 7.0);
    int fast = 0, cases = 0;
    for (int iter = 0; iter < 1500; ++iter) {
        const int w = size(rng), h = size(rng);
        std::vector<ARGBVal> frame = randomframe(rng, w, h);
        PixRectWrap<ARGBVal> wrap(frame.data(), w, h,
                                  pick(rng) < 80 ? SIAllLines
                                                 : (pick(rng) < 50 ? SIEvenLines : SIOddLines));
        if (wrap.height() < 1) continue;
        // A region anywhere: inside, across an edge, or missing the frame.
        int x0 = coord(rng), y0 = coord(rng), x1 = x0 + size(rng), y1 = y0 + size(rng);
        if (pick(rng) < 40) x0 = 0, y0 = 0, x1 = w - 1, y1 = h - 1;
        PixRectRef<ARGBVal> region(wrap, x0, y0, x1, y1);
        if (pick(rng) < 30) region.zeroorigin();
        if (pick(rng) < 10) region.shiftorigin(-3, 5);
        const int code = pick(rng) < 90 ? pick(rng) % 4 : 7;
        ContImageRef<ARGBVal> cont(region, siinterpcode(code));
        if (pick(rng) < 10) cont.shiftorigin(2, -1);
        const double xs = pick(rng) < 70 ? factors[pick(rng) % 15] : anyfactor(rng);
        const double ys = pick(rng) < 50 ? xs : factors[pick(rng) % 15];
        SamplePixRectNC<ARGBVal, ARGBVal> s(cont, xs, ys,
                                            pick(rng) < 85 ? SIInterpolated : SIScatter);
        if (pick(rng) < 10) s.setScaleInvariant(true);
        if (s.width() < 1 || s.height() < 1) continue;
        ++cases;
        RoadSource road;
        if (RoadSource::recognise(s, road)) ++fast;
        const std::vector<unsigned char> want = literalbytes(s);
        Bitmap bm(s);
        ASSERT_EQ(bitmapbytes(bm), want)
            << "iter " << iter << " code " << code << " factors " << xs << "," << ys << " frame "
            << w << "x" << h << " region " << x0 << "," << y0 << "," << x1 << "," << y1;
        // The same with one thread and with more threads than rows.
        for (int threads : {1, 5}) {
            std::memset(bm.data, 0x5a, std::size_t(bm.dataSize));
            ASSERT_EQ(bm.fillFrom(s, threads), SIok);
            ASSERT_EQ(bitmapbytes(bm), want) << "threads " << threads << " iter " << iter;
        }
    }
    // Most cases are ones the road takes; the rest went pixel by pixel.
    EXPECT_GT(cases, 1000);
    EXPECT_GT(fast, cases / 2);
}

// Reductions read each footprint's samples row by row through the row kernels:
// wider frames than above, so that whole groups of samples, groups cut short at
// the right and rings reaching the frame's edges all occur, with crops that
// touch the frame's edges and footprints cut short at the region's high edges.
TEST(SnapshotRoad, ReductionsMatchTheChainsOwnReads) {
    std::mt19937 rng(31337);
    std::uniform_int_distribution<int> size(9, 131), pick(0, 99);
    std::uniform_real_distribution<double> anyfactor(2.0, 9.0);
    const std::pair<double, double> fixed[] = {{2, 2},     {2.5, 2.5}, {3, 3},    {2, 3},    {3, 2},
                                               {7.5, 7.5}, {2.5, 4},   {4, 2.25}, {3.5, 3.5}};
    int fast = 0;
    for (int iter = 0; iter < 400; ++iter) {
        const int w = size(rng), h = iter == 0 ? 600 : size(rng); // iter 0: 300 rows a footprint
        std::vector<ARGBVal> frame = randomframe(rng, w, h);
        PixRectWrap<ARGBVal> wrap(frame.data(), w, h, SIAllLines);
        // A crop inside the frame, often reaching its right or bottom edge.
        std::uniform_int_distribution<int> cx(0, w - 1), cy(0, h - 1);
        int x0 = cx(rng), y0 = cy(rng), x1 = cx(rng), y1 = cy(rng);
        if (x0 > x1) std::swap(x0, x1);
        if (y0 > y1) std::swap(y0, y1);
        if (pick(rng) < 40) x1 = w - 1;
        if (pick(rng) < 40) y1 = h - 1;
        if (pick(rng) < 25 || iter == 0) x0 = 0, y0 = 0, x1 = w - 1, y1 = h - 1;
        PixRectRef<ARGBVal> region(wrap, x0, y0, x1, y1);
        if (pick(rng) < 50) region.zeroorigin();
        const int code = iter % 4;
        ContImageRef<ARGBVal> cont(region, siinterpcode(code));
        auto [xs, ys] = fixed[pick(rng) % 9];
        if (pick(rng) < 30) xs = anyfactor(rng), ys = pick(rng) < 50 ? xs : anyfactor(rng);
        if (iter == 0) xs = 2, ys = 300;
        SamplePixRectNC<ARGBVal, ARGBVal> s(cont, xs, ys,
                                            pick(rng) < 85 ? SIInterpolated : SIScatter);
        if (s.width() < 1 || s.height() < 1) continue;
        RoadSource road;
        ASSERT_TRUE(RoadSource::recognise(s, road)) << iter;
        ++fast;
        const std::vector<unsigned char> want = literalbytes(s);
        for (int threads : {1, 3}) {
            Bitmap bm(s);
            std::memset(bm.data, 0x5a, std::size_t(bm.dataSize));
            ASSERT_EQ(bm.fillFrom(s, threads), SIok);
            ASSERT_EQ(bitmapbytes(bm), want)
                << "iter " << iter << " code " << code << " factors " << xs << "," << ys
                << " frame " << w << "x" << h << " region " << x0 << "," << y0 << "," << x1 << ","
                << y1 << " threads " << threads;
        }
    }
    EXPECT_GT(fast, 300);
}

// A footprint of 40,000 columns by 257 rows of 250: its sums pass 2^31, so
// they must not be taken in 32 bits.
TEST(SnapshotRoad, FootprintSumsPast32BitsAverageRight) {
    const int w = 40000, h = 257;
    std::vector<ARGBVal> frame(std::size_t(w) * h, ARGBVal(255, 250, 100, 7));
    PixRectWrap<ARGBVal> wrap(frame.data(), w, h, SIAllLines);
    PixRectRef<ARGBVal> region(wrap, 0, 0, w - 1, h - 1);
    ContImageRef<ARGBVal> cont(region, SIBilinear);
    SamplePixRectNC<ARGBVal, ARGBVal> s(cont, double(w), double(h), SIInterpolated);
    ASSERT_EQ(s.width(), 1);
    ASSERT_EQ(s.height(), 1);
    Bitmap bm(s);
    EXPECT_EQ(bitmapbytes(bm), (std::vector<unsigned char>{255, 250, 100, 7}));
}
