// The snapshot road against the chain's own reads: random frames, regions,
// origins, factors and methods, bit for bit.
#include "Bitmap.h"
#include "ContImageRef.h"
#include "SamplePixRectNC.h"
#include "SnapshotRoad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// One colour channel of the triangle method at fractions (fx, fy) inside a cell
// whose corners have the channel values c (p00, p10, p01, p11), worked out step
// by step. The mixes y + (x - y) × ratio take the ratio in double, or rounded to
// float first when floatratio.
int trianglechannel(const float c[4], double fx, double fy, bool floatratio) {
    const float pi = 3.14159274f, k = 0.5f * 1.41421354f;
    const float m = (((c[0] + c[2]) + c[1]) + c[3]) * 0.25f;
    double rad = std::sqrt((fx - 0.5) * (fx - 0.5) + (fy - 0.5) * (fy - 0.5));
    int a = 2, b = 3;
    double d = 0.5 - fx;
    if (1.0 - fy > fx) {
        fx > fy ? (a = 1, b = 0, d = fx - 0.5) : (a = 0, b = 2, d = 0.5 - fy);
    } else if (fx > fy) {
        a = 3, b = 1, d = fy - 0.5;
    }
    const double theta =
        std::clamp(double(0.25f * pi) + std::asin(d / rad), 0.0, double(0.5f * pi));
    rad = std::min(double(k), rad);
    const double across = std::max(0.0, rad * std::sin(theta));
    const double along = std::max(0.0, rad * std::cos(theta));
    if (along >= k) return int(c[b]);
    const auto mix = [floatratio](float x, float y, double ratio) {
        return float(double(x - y) * (floatratio ? double(float(ratio)) : ratio)) + y;
    };
    const float pv = mix(c[b], m, along / k);
    if (across == 0.0) return int(pv);
    const double u = across / (k - along);
    const float rv = mix(c[b], c[a], along / k);
    return int(u >= 1.0 ? rv : mix(rv, pv, u));
}

const double factors[] = {0.5, 0.8, 2.5, 2.0, 3.0, 1.0, 0.25, 1.3, 1.75, 0.37, 4.2, 6.0, 0.9};

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
        const double xs = pick(rng) < 70 ? factors[pick(rng) % 13] : anyfactor(rng);
        const double ys = pick(rng) < 50 ? xs : factors[pick(rng) % 13];
        SamplePixRectNC<ARGBVal, ARGBVal> s(cont, xs, ys,
                                            pick(rng) < 85 ? SIInterpolated : SIScatter);
        if (pick(rng) < 10) s.setScaleInvariant(true);
        if (s.width() < 1 || s.height() < 1) continue;
        ++cases;
        if (SnapshotRoad::recognises(s)) ++fast;
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

TEST(SnapshotRoad, LargerFramesAtTheSnapshotFactors) {
    std::mt19937 rng(7);
    std::vector<ARGBVal> frame = randomframe(rng, 160, 90);
    PixRectWrap<ARGBVal> wrap(frame.data(), 160, 90, SIAllLines);
    PixRectRef<ARGBVal> region(wrap, 3, 2, 150, 88);
    for (int code = 0; code < 4; ++code) {
        ContImageRef<ARGBVal> cont(region, siinterpcode(code));
        for (auto [xs, ys] : {std::pair{0.5, 0.5}, {0.8, 0.8}, {2.5, 2.5}, {2.0, 3.0}}) {
            SamplePixRectNC<ARGBVal, ARGBVal> s(cont, xs, ys, SIInterpolated);
            ASSERT_TRUE(SnapshotRoad::recognises(s));
            Bitmap bm(s);
            EXPECT_EQ(bitmapbytes(bm), literalbytes(s)) << code << " " << xs << "," << ys;
        }
    }
}

// Reductions read each footprint's samples row by row through the row kernels:
// wider frames than above, so that whole groups of samples, groups cut short at
// the right and rings reaching the frame's edges all occur, with crops that
// touch the frame's edges and footprints cut short at the region's high edges.
TEST(SnapshotRoad, ReductionsMatchTheChainsOwnReads) {
    std::mt19937 rng(31337);
    std::uniform_int_distribution<int> size(9, 131), pick(0, 99);
    std::uniform_real_distribution<double> anyfactor(2.0, 9.0);
    const std::pair<double, double> fixed[] = {{2, 2}, {2.5, 2.5}, {3, 3},   {2, 3},
                                               {3, 2}, {7.5, 7.5}, {2.5, 4}, {4, 2.25}};
    int fast = 0;
    for (int iter = 0; iter < 400; ++iter) {
        const int w = size(rng), h = size(rng);
        std::vector<ARGBVal> frame = randomframe(rng, w, h);
        PixRectWrap<ARGBVal> wrap(frame.data(), w, h, SIAllLines);
        // A crop inside the frame, often reaching its right or bottom edge.
        std::uniform_int_distribution<int> cx(0, w - 1), cy(0, h - 1);
        int x0 = cx(rng), y0 = cy(rng), x1 = cx(rng), y1 = cy(rng);
        if (x0 > x1) std::swap(x0, x1);
        if (y0 > y1) std::swap(y0, y1);
        if (pick(rng) < 40) x1 = w - 1;
        if (pick(rng) < 40) y1 = h - 1;
        if (pick(rng) < 25) x0 = 0, y0 = 0, x1 = w - 1, y1 = h - 1;
        PixRectRef<ARGBVal> region(wrap, x0, y0, x1, y1);
        if (pick(rng) < 50) region.zeroorigin();
        const int code = iter % 4;
        ContImageRef<ARGBVal> cont(region, siinterpcode(code));
        auto [xs, ys] = fixed[pick(rng) % 8];
        if (pick(rng) < 30) xs = anyfactor(rng), ys = pick(rng) < 50 ? xs : anyfactor(rng);
        SamplePixRectNC<ARGBVal, ARGBVal> s(cont, xs, ys,
                                            pick(rng) < 85 ? SIInterpolated : SIScatter);
        if (s.width() < 1 || s.height() < 1) continue;
        ASSERT_TRUE(SnapshotRoad::recognises(s)) << iter;
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

// At factors whose fractions do not repeat, the triangle method's mixes take
// their ratios in double: every pixel where rounding the ratio to float first
// would give another byte has the double ratio's byte, on both roads.
TEST(SnapshotRoad, TriangularMixesTakeTheRatioInDouble) {
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> byte(0, 255);
    const int w = 120, h = 80;
    std::vector<ARGBVal> frame(std::size_t(w) * h);
    for (ARGBVal& p : frame)
        p = ARGBVal(255, std::uint8_t(byte(rng)), std::uint8_t(byte(rng)), std::uint8_t(byte(rng)));
    PixRectWrap<ARGBVal> wrap(frame.data(), w, h, SIAllLines);
    ContImageRef<ARGBVal> cont(wrap, SITriangular);
    for (double f : {0.37, 0.8}) {
        SamplePixRectNC<ARGBVal, ARGBVal> s(cont, f, f, SIInterpolated);
        ASSERT_TRUE(SnapshotRoad::recognises(s));
        const Bitmap bm(s);
        const std::vector<unsigned char> got = bitmapbytes(bm), chain = literalbytes(s);
        EXPECT_EQ(got, chain) << f;
        int differing = 0;
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x) {
                const double px = x * double(float(f)), py = y * double(float(f));
                const int x0 = int(px), y0 = int(py);
                if (x0 + 1 >= w || y0 + 1 >= h || px == x0 || py == y0) continue;
                const ARGBVal q[4] = {frame[std::size_t(y0 * w + x0)],
                                      frame[std::size_t(y0 * w + x0 + 1)],
                                      frame[std::size_t((y0 + 1) * w + x0)],
                                      frame[std::size_t((y0 + 1) * w + x0 + 1)]};
                for (int k = 0; k < 3; ++k) {
                    float c[4];
                    for (int i = 0; i < 4; ++i)
                        c[i] = k == 0 ? q[i].red : k == 1 ? q[i].green : q[i].blue;
                    const int want = trianglechannel(c, px - x0, py - y0, false);
                    if (want == trianglechannel(c, px - x0, py - y0, true)) continue;
                    ++differing;
                    const std::size_t at = (std::size_t(y) * s.width() + x) * 4 + 1 + k;
                    EXPECT_EQ(got[at], want) << f << " at " << x << "," << y;
                    EXPECT_EQ(chain[at], want) << f << " at " << x << "," << y;
                }
            }
        EXPECT_GT(differing, 0) << f;
    }
}

TEST(SnapshotRoad, RegionMissingTheFrameReadsBlack) {
    std::vector<ARGBVal> frame(std::size_t(12) * 10, ARGBVal(255, 200, 150, 100));
    PixRectWrap<ARGBVal> wrap(frame.data(), 12, 10, SIAllLines);
    // A crop wholly outside the frame collapses to one pixel outside it.
    PixRectRef<ARGBVal> region(wrap, 30, 40, 50, 60);
    ASSERT_FALSE(region.insidesource());
    for (int code = 0; code < 4; ++code) {
        ContImageRef<ARGBVal> cont(region, siinterpcode(code));
        for (double f : {0.25, 1.0}) {
            SamplePixRectNC<ARGBVal, ARGBVal> s(cont, f, f, SIInterpolated);
            EXPECT_FALSE(SnapshotRoad::recognises(s));
            Bitmap bm(s);
            ASSERT_NE(bm.data, nullptr);
            for (int i = 0; i < bm.dataSize; i += 4) {
                EXPECT_EQ(bm.data[i + 1], 0);
                EXPECT_EQ(bm.data[i + 2], 0);
                EXPECT_EQ(bm.data[i + 3], 0);
            }
        }
    }
}
