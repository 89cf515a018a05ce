#include "ImageLib.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {
template <class P> bool samepixel(const P& a, const P& b) {
    if constexpr (std::is_same_v<P, ARGBVal>) {
        return a == b;
    } else {
        return a.getred() == b.getred() && a.getgreen() == b.getgreen() &&
               a.getblue() == b.getblue() && a.getgrey() == b.getgrey();
    }
}

// Every stored pixel equals the lazy resampler's read at the same position.
template <class D, class S>
void expectlikelazy(PixRect<S>& src, double xs, double ys, sisamplecodes code) {
    SamplePixRect<D, S> stored(src, xs, ys, code);
    SamplePixRectNC<D, S> lazy(src, xs, ys, code);
    ASSERT_TRUE(stored.equalbounds(stored, lazy)) << xs << " " << ys;
    ASSERT_TRUE(stored.hasstorage());
    for (int y = lazy.ly(); y <= lazy.hy(); ++y)
        for (int x = lazy.lx(); x <= lazy.hx(); ++x)
            ASSERT_TRUE(samepixel(stored.pix(x, y), lazy.pix(x, y)))
                << "factors " << xs << " " << ys << " code " << int(code) << " at " << x << " "
                << y;
}

PixRectRW<ARGBVal> pattern(int lx, int ly, int hx, int hy) {
    PixRectRW<ARGBVal> r(lx, ly, hx, hy);
    for (int y = ly; y <= hy; ++y)
        for (int x = lx; x <= hx; ++x)
            r.pixref(x, y) = ARGBVal(255, static_cast<unsigned char>(x * 37 + y * 11),
                                     static_cast<unsigned char>(x * y + 3),
                                     static_cast<unsigned char>(200 - 5 * y));
    return r;
}

// A source whose real-coordinate read differs from its integer read, to show
// which one a resampler uses.
class TwoFaced : public PixRect<GreyPixel<float>> {
public:
    explicit TwoFaced(int w) : PixRect(w, w) {}
    GreyPixel<float> pix(int x, int y) const override { return pixNB(x, y); }
    GreyPixel<float> pixNB(int x, int y) const override {
        return GreyPixel<float>(float(x + 10 * y));
    }
    GreyPixel<float> pixdd(double, double) const override { return GreyPixel<float>(-1.0f); }
};
} // namespace

TEST(SamplePixRect, MatchesTheLazyResamplerWhereBothPickTheSameSampler) {
    PixRectRW<ARGBVal> a = pattern(-3, 2, 17, 15);
    PixRectRW<GreyPixel<float>> g(-3, 2, 17, 15);
    g.copyfrom(a);
    ContImageRef<GreyPixel<float>> smooth(g, SICubicBSpline);
    for (sisamplecodes code : {SINearest, SIInterpolated, SIPointSample, SIScatter}) {
        // Both factors at least 2, both below 2, enlargements.
        for (auto f : {std::pair{2.0, 2.0}, {2.5, 3.0}, {1.5, 1.5}, {0.5, 0.25}, {1.7, 0.6}}) {
            expectlikelazy<GreyPixel<unsigned char>, ARGBVal>(a, f.first, f.second, code);
            expectlikelazy<GreyPixel<float>, GreyPixel<float>>(smooth, f.first, f.second, code);
            expectlikelazy<ARGBVal, GreyPixel<float>>(g, f.first, f.second, code);
        }
    }
    PixRectRW<RGBPixel<float>> c(6, 5);
    c.copyfrom(a);
    expectlikelazy<RGBPixel<float>, RGBPixel<float>>(c, 0.3, 0.3, SIScatter);
}

TEST(SamplePixRect, MixedFactorsAverageWhereTheLazyResamplerPointSamples) {
    PixRectRW<GreyPixel<float>> g(9, 2);
    for (int x = 0; x < 9; ++x) {
        g.pixref(x, 0) = GreyPixel<float>(float(x * x));
        g.pixref(x, 1) = GreyPixel<float>(float(100 + x));
    }
    SamplePixRect<GreyPixel<unsigned char>, GreyPixel<float>> s(g, 3.0, 1.0, SIInterpolated);
    SamplePixRectNC<GreyPixel<unsigned char>, GreyPixel<float>> lazy(g, 3.0, 1.0, SIInterpolated);
    ASSERT_EQ(s.hx(), 2);
    for (int x = 0; x <= 2; ++x) {
        // The truncated mean of source columns 3x, 3x + 1, 3x + 2.
        const int a = 3 * x;
        EXPECT_EQ(s.pix(x, 0).grey, (a * a + (a + 1) * (a + 1) + (a + 2) * (a + 2)) / 3);
        EXPECT_EQ(s.pix(x, 1).grey, 100 + a + 1);
    }
    EXPECT_EQ(lazy.pix(1, 0).grey, 9); // one read at column 3
    EXPECT_EQ(s.pix(1, 0).grey, 16);   // (9 + 16 + 25) / 3
}

TEST(SamplePixRect, UnitFactorsCopyWithoutSampling) {
    TwoFaced src(4);
    SamplePixRect<GreyPixel<float>, GreyPixel<float>> s(src, 1.0, 1.0, SIInterpolated);
    EXPECT_TRUE(s.equalbounds(s, src));
    EXPECT_EQ(s.pix(3, 2).grey, 23.0f); // the integer read, not the sampler's pixdd
    // The lazy resampler with the same factors reads pixdd.
    SamplePixRectNC<GreyPixel<float>, GreyPixel<float>> lazy(src, 1.0, 1.0, SIInterpolated);
    EXPECT_EQ(lazy.pix(3, 2).grey, -1.0f);
}

TEST(SamplePixRect, StoredPixelsStayAndCanBeWritten) {
    PixRectRW<ARGBVal> a = pattern(5, 5, 14, 14);
    SamplePixRect<GreyPixel<unsigned char>, ARGBVal> s(a, 2.0, 2.0, SINearest);
    ASSERT_EQ(s.hx(), 9);
    ASSERT_EQ(s.hy(), 9);
    const auto before = s.pix(7, 8).grey;
    const auto corner = s.pix(5, 5).grey;
    a.fillWith(ARGBVal(0, 1, 2, 3));
    EXPECT_EQ(s.pix(7, 8).grey, before); // the source's change is not seen
    s.pixref(7, 8).setgrey(static_cast<unsigned char>(before + 1));
    EXPECT_EQ(s.pix(7, 8).grey, static_cast<unsigned char>(before + 1));
    EXPECT_EQ(s.pixNB(7, 8).grey, static_cast<unsigned char>(before + 1));
    EXPECT_EQ(s.pix(10, 5).grey, 0); // outside: black

    EXPECT_EQ(s.zeroorigin(), SIok);
    EXPECT_EQ(s.lx(), 0);
    EXPECT_EQ(s.hy(), 4);
    EXPECT_EQ(s.pix(0, 0).grey, corner);
    EXPECT_EQ(s.pixdd(2.7, 3.2).grey, static_cast<unsigned char>(before + 1));
    s.centreorigin();
    EXPECT_EQ(s.pix(-2, -2).grey, corner);
}

TEST(SamplePixRect, EmptyResultsHoldNoStorage) {
    PixRectRW<GreyPixel<unsigned char>> one(1, 1);
    one.pixref(0, 0) = GreyPixel<unsigned char>(9);
    SamplePixRect<GreyPixel<unsigned char>, GreyPixel<unsigned char>> s(one, 4.0, 4.0, SINearest);
    EXPECT_EQ(s.hx(), -1);
    EXPECT_FALSE(s.hasstorage());
    EXPECT_EQ(s.pix(0, 0).grey, 0);
    EXPECT_EQ(s.makeFrom(one, SINearest), SIok);
    SamplePixRect<GreyPixel<unsigned char>, GreyPixel<unsigned char>> none;
    EXPECT_EQ(none.pix(0, 0).grey, 0);
}

TEST(SamplePixRect, SnapshotChainReductionsTakeTheRoadAndMatchTheLazyReads) {
    PixRectRW<ARGBVal> frame = pattern(0, 0, 40, 31);
    for (int x = 0; x <= 40; ++x) frame.pixref(x, 7).alpha = static_cast<unsigned char>(x * 5);
    PixRectRef<ARGBVal> region(frame, 3, 2, 38, 29);
    for (siinterpcode m : {SIBilinear, SISmoothBilinear, SITriangular, SICubicBSpline}) {
        ContImageRef<ARGBVal> cont(region, m);
        for (sisamplecodes code : {SIInterpolated, SIScatter, SINearest}) {
            for (auto f : {std::pair{2.0, 2.0}, {2.5, 3.25}, {4.0, 2.0}}) {
                const SamplePixRectNC<ARGBVal, ARGBVal> lazy(cont, f.first, f.second, code);
                // The road takes the interpolated and scattered reductions.
                EXPECT_EQ(SnapshotRoad::recognises(lazy), code != SINearest);
                expectlikelazy<ARGBVal, ARGBVal>(cont, f.first, f.second, code);
            }
        }
        // Enlargements keep the continuous view's alpha: the samplers fill them.
        expectlikelazy<ARGBVal, ARGBVal>(cont, 0.5, 0.75, SIInterpolated);
        expectlikelazy<ARGBVal, ARGBVal>(cont, 1.5, 1.25, SIScatter);
    }
}
