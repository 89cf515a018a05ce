// Arithmetic over rasters: the overlap it touches and how its bytes wrap or clamp.
#include "ImageLib.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Argb = PixRectRW<ARGBVal>;

ARGBVal px(int a, int r, int g, int b) {
    return ARGBVal(static_cast<unsigned char>(a), static_cast<unsigned char>(r),
                   static_cast<unsigned char>(g), static_cast<unsigned char>(b));
}
// A pixel that differs at every position, so that misplaced writes show.
ARGBVal mark(int x, int y) {
    return px(200, 40 + x * 7, 90 + y * 5, (x * 13 + y * 3) & 255);
}
void fillmarks(Argb& r) {
    for (int y = r.ly(); y <= r.hy(); ++y)
        for (int x = r.lx(); x <= r.hx(); ++x) r.pixref(x, y) = mark(x, y);
}
// Checks that outside the region (x0..x1, y0..y1) every pixel still has its mark.
void expectmarksoutside(const Argb& r, int x0, int y0, int x1, int y1) {
    for (int y = r.ly(); y <= r.hy(); ++y)
        for (int x = r.lx(); x <= r.hx(); ++x)
            if (x < x0 || x > x1 || y < y0 || y > y1) {
                EXPECT_EQ(r.pix(x, y), mark(x, y)) << x << " " << y;
            }
}
} // namespace

TEST(RasterOps, BinaryOperationsWorkOnTheOverlapOnly) {
    // Target (-3, -2)..(2, 1) and source (0, -5)..(6, 0): overlap (0, -2)..(2, 0).
    Argb t(-3, -2, 2, 1), s(0, -5, 6, 0);
    fillmarks(t);
    s.fillWith(px(1, 2, 3, 4));
    EXPECT_EQ(t.add(s), SIok);
    for (int y = -2; y <= 0; ++y) {
        for (int x = 0; x <= 2; ++x) {
            const ARGBVal m = mark(x, y);
            EXPECT_EQ(t.pix(x, y), px(m.alpha + 1, m.red + 2, m.green + 3, m.blue + 4));
        }
    }
    expectmarksoutside(t, 0, -2, 2, 0);
    EXPECT_EQ(t.subtract(s), SIok);
    expectmarksoutside(t, 100, 100, 99, 99); // every pixel back to its mark
}

TEST(RasterOps, ByteArithmeticWrapsOrClampsAsEachOperationSays) {
    Argb r(2, 1);
    r.fillWith(px(250, 200, 201, 10));
    r += px(10, 100, 0, 250); // all four bytes modulo 256
    EXPECT_EQ(r.pix(1, 0), px(4, 44, 201, 4));
    r.incrementby(300); // low byte 44 to the colour bytes only
    EXPECT_EQ(r.pix(0, 0), px(4, 88, 245, 48));
    r.incrementby(-1.7); // trunc gives -1, as a byte 255: one less, modulo 256
    EXPECT_EQ(r.pix(0, 0), px(4, 87, 244, 47));
    RGBPixel<float> up;
    up.set(200.0f, -300.0f, 7.9f);
    r.incrementby(up); // clamped to 0..255, truncated
    EXPECT_EQ(r.pix(0, 0), px(4, 255, 0, 54));
    r.fillWith(px(9, 200, 201, 3));
    r *= -1.0; // negative products wrap, no clamping
    EXPECT_EQ(r.pix(1, 0), px(9, 56, 55, 253));
}
