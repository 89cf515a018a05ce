// Continuous views: the four methods' defined values, edge
// behaviour and the other pixel types.
#include "ContImageRef.h"
#include "PixRectRW.h"

#include <gtest/gtest.h>

#include <utility>

namespace {
// A w x h raster of one pixel value.
PixRectRW<ARGBVal> uniform(int w, int h, ARGBVal v) {
    PixRectRW<ARGBVal> r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) r.pixref(x, y) = v;
    return r;
}
} // namespace

TEST(ContImage, CellsLeavingTheBoundsGiveTheStoredPixel) {
    PixRectRW<ARGBVal> r(4, 3);
    r.pixref(3, 1) = ARGBVal(7, 1, 2, 3);
    r.pixref(0, 0) = ARGBVal(9, 4, 5, 6);
    for (int code = 0; code < 8; ++code) {
        ContImageRef<ARGBVal> c(r, siinterpcode(code));
        // Beyond the last column: the pixel at (hx, trunc y), alpha included.
        EXPECT_EQ(c.pixdd(3.5, 1.2), ARGBVal(7, 1, 2, 3)) << code;
        // -0.5 passes the bounds test, its floor lies outside: pixel (0, 0).
        EXPECT_EQ(c.pixdd(-0.5, 0), ARGBVal(9, 4, 5, 6)) << code;
        EXPECT_EQ(c.pixdd(-1.0, 0), ARGBVal()) << code;
        EXPECT_EQ(c.pix(4, 0), ARGBVal()) << code;
    }
}

TEST(ContImage, BilinearBytesAndAlpha) {
    PixRectRW<ARGBVal> r(3, 3);
    r.pixref(0, 0) = ARGBVal(0, 100, 0, 0);
    r.pixref(1, 0) = ARGBVal(0, 201, 0, 0);
    ContImageRef<ARGBVal> c(r, SIBilinear);
    EXPECT_EQ(c.pixdd(0.5, 0), ARGBVal(255, 150, 0, 0));
    // Alpha is 255 plus the four corners' alpha bytes, modulo 256.
    // Each corner's product is truncated before the sum: 4 x trunc(50 / 4) = 48.
    PixRectRW<ARGBVal> o = uniform(3, 3, ARGBVal(255, 40, 50, 60));
    ContImageRef<ARGBVal> co(o, SIBilinear);
    EXPECT_EQ(co.pixdd(0.5, 0.5), ARGBVal(251, 40, 48, 60));
    EXPECT_EQ(co.pix(1, 1), ARGBVal(251, 40, 50, 60));
    // Integral positions interpolate even on the last column; fractional ones there do not.
    EXPECT_EQ(c.pix(2, 2).alpha, 255);
    EXPECT_EQ(c.pixdd(2.5, 2).alpha, 0);
}

TEST(ContImage, SmoothedBilinearKeepsUniformAndRampValues) {
    // Red a ramp, green and blue uniform: inside the ring each channel's exact
    // value is the plane's own value at the point, less what truncation loses:
    // under 3 x 0.75 from the four corners, under 1 from the 0.75, under 4
    // from the four ring groups, so at most 7 codes.
    PixRectRW<ARGBVal> r(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            r.pixref(x, y) = ARGBVal(255, (unsigned char)(12 * x + 5 * y), 160, 250);
    ContImageRef<ARGBVal> c(r, SISmoothBilinear);
    for (const auto& [x, y] :
         {std::pair{3.5, 3.5}, {3.0, 4.0}, {7.25, 2.75}, {12.9, 1.1}, {1.0, 13.6}, {5.3, 8.8}}) {
        const ARGBVal p = c.pixdd(x, y);
        const double want[3] = {12 * x + 5 * y, 160, 250};
        const int got[3] = {p.red, p.green, p.blue};
        for (int i = 0; i < 3; ++i) {
            EXPECT_LE(got[i], want[i]) << x << "," << y << " channel " << i;
            EXPECT_GE(got[i], want[i] - 7) << x << "," << y << " channel " << i;
        }
    }
    // Ring pixels outside the view count as black.
    EXPECT_LT(c.pixdd(0.5, 3.5).green, 160 - 7);
}

TEST(ContImage, TriangularCornersCentreAndEdges) {
    PixRectRW<ARGBVal> r(3, 3);
    r.pixref(0, 0) = ARGBVal(3, 0, 40, 200);
    r.pixref(1, 0) = ARGBVal(255, 0, 80, 100);
    r.pixref(0, 1) = ARGBVal(255, 0, 120, 0);
    r.pixref(1, 1) = ARGBVal(255, 255, 160, 20);
    ContImageRef<ARGBVal> c(r, SITriangular);
    EXPECT_EQ(c.pixdd(0, 0), ARGBVal(3, 0, 40, 200)); // a corner as it is, alpha too
    EXPECT_EQ(c.pixdd(0.5, 0.5), ARGBVal(255, 63, 100, 80));
    // Half the centre plus a quarter of each top corner, up to one unit lower.
    const ARGBVal p = c.pixdd(0.5, 0.25);
    EXPECT_EQ(p.alpha, 255);
    EXPECT_NEAR(p.red, 0.5 * 63.75, 1.0);
    EXPECT_NEAR(p.green, 0.5 * 100 + 0.25 * 40 + 0.25 * 80, 1.0);
    EXPECT_NEAR(p.blue, 0.5 * 80 + 0.25 * 200 + 0.25 * 100, 1.0);
    // Along the top edge the value runs linearly between the two corners.
    EXPECT_NEAR(c.pixdd(0.25, 0).green, 50, 1.0);
}

TEST(ContImage, SplineWeighsTheNeighbourhood) {
    PixRectRW<ARGBVal> r(5, 5);
    r.pixref(2, 2) = ARGBVal(255, 120, 60, 0);
    ContImageRef<ARGBVal> c(r, SICubicBSpline);
    // At integral positions rows and columns weigh 1/6, 2/3, 1/6.
    EXPECT_EQ(c.pixdd(2, 2).red, 53); // 120 * 4/9 = 53.3
    EXPECT_EQ(c.pixdd(1, 2).red, 13); // 120 * 1/9
    EXPECT_EQ(c.pixdd(1, 1).red, 3);  // 120 * 1/36
    EXPECT_EQ(c.pixdd(2, 2).alpha, 255);
    EXPECT_EQ(c.pixdd(2.5, 2).green, 19); // 60 x 0.47916669 x 0.6666667
}

TEST(ContImage, OtherPixelTypes) {
    PixRectRW<GreyPixel<unsigned char>> u(6, 6);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) u.pixref(x, y).grey = 90;
    // Byte pixels truncate every weighted tap: four taps of 20.66 remain, 80.
    EXPECT_EQ(ContImageRef<GreyPixel<unsigned char>>(u, SICubicBSpline).pixdd(2.5, 2.5).grey, 80);
    // 67, then the ring groups 12.7, 4.2, 4.2 and 1.4 added one by one, truncating.
    EXPECT_EQ(ContImageRef<GreyPixel<unsigned char>>(u, SISmoothBilinear).pixdd(2, 2).grey, 88);
}
