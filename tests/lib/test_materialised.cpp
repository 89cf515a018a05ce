// The stored resampler against the lazy one it materialises, and where the two differ.
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
}

TEST(SamplePixRect, MixedFactorsAverageTheFootprint) {
    PixRectRW<GreyPixel<float>> g(9, 2);
    for (int x = 0; x < 9; ++x) {
        g.pixref(x, 0) = GreyPixel<float>(float(x * x));
        g.pixref(x, 1) = GreyPixel<float>(float(100 + x));
    }
    SamplePixRect<GreyPixel<unsigned char>, GreyPixel<float>> s(g, 3.0, 1.0, SIInterpolated);
    ASSERT_EQ(s.hx(), 2);
    // The truncated means of (0, 1, 4), (9, 16, 25), (36, 49, 64) and of the ramp.
    const int squares[] = {1, 16, 49}, ramp[] = {101, 104, 107};
    for (int x = 0; x <= 2; ++x) {
        EXPECT_EQ(s.pix(x, 0).grey, squares[x]) << x;
        EXPECT_EQ(s.pix(x, 1).grey, ramp[x]) << x;
    }
}
