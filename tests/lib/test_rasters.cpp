// Owned rasters: reads inside and outside, the row table, origins,
// copies, and the shared black pixel that stray writes must never change.
#include "PixRectRW.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
ARGBVal mark(int x, int y) {
    return ARGBVal(255, static_cast<unsigned char>(x), static_cast<unsigned char>(y), 7);
}
void fillpositions(PixRectRW<ARGBVal>& r) {
    for (int y = r.ly(); y <= r.hy(); ++y)
        for (int x = r.lx(); x <= r.hx(); ++x) r.pixref(x, y) = mark(x, y);
}
bool bounds(const PixRectBase<ARGBVal>& r, int lx, int ly, int hx, int hy) {
    return r.lx() == lx && r.ly() == ly && r.hx() == hx && r.hy() == hy;
}
} // namespace

TEST(OwnedRaster, ReadsInsideAndBlackOutside) {
    PixRectRW<ARGBVal> r(3, 2);
    EXPECT_EQ(r.pix(1, 1), ARGBVal()); // starts black
    r.pixref(2, 1) = ARGBVal(1, 2, 3, 4);
    r.pixref(0, 0) = ARGBVal(9, 9, 9, 9);
    EXPECT_EQ(r.pix(3, 1), ARGBVal());
    EXPECT_EQ(r.pix(-1, 0), ARGBVal());
    EXPECT_EQ(r.pixdd(2.9, 1.99), ARGBVal(1, 2, 3, 4));
    EXPECT_EQ(r.pixdd(-0.5, 0.0), ARGBVal(9, 9, 9, 9)); // truncation toward zero: column 0
    const double inf = std::numeric_limits<double>::infinity();
    for (auto [x, y] : {std::pair{-1.0, 0.0}, {std::nan(""), 0.0}, {1e300, -1e300}, {inf, 0.0}})
        EXPECT_EQ(r.pixdd(x, y), ARGBVal()) << x << " " << y;
    EXPECT_EQ(PixRectRW<ARGBVal>(0, 0, -1, 5).pixNB(0, 0), ARGBVal()); // inverted: no storage
}

TEST(OwnedRaster, RowTableAndOriginsWithNegativeBounds) {
    PixRectRW<ARGBVal> r(-2, -1, 1, 0);
    ARGBVal* first = &r.pixref(-2, -1);
    EXPECT_EQ(&r.pixref(1, 0), first + 7); // one block, rows in order
    fillpositions(r);
    EXPECT_EQ(r.zeroorigin(), SIok); // renumbered, nothing moved
    EXPECT_EQ(r.pix(3, 1), mark(1, 0));
    EXPECT_EQ(r.pix(4, 1), ARGBVal());
    EXPECT_EQ(r.shiftorigin(100, -50), SIok);
    EXPECT_EQ(r.pix(101, -49), mark(-1, 0));
}

TEST(OwnedRaster, StrayWritesNeverReachTheBlackPixel) {
    PixRectRW<ARGBVal> r(2, 2);
    r.pixref(5, 5) = ARGBVal(255, 255, 255, 255);
    r.pixref(-1, 0).red = 12;
    PixRectRW<GreyPixel<unsigned char>> bare;
    bare.pixrefNB(0, 0).grey = 200;
    EXPECT_EQ(PixRectBase<ARGBVal>::blackpixel, ARGBVal());
    EXPECT_EQ(PixRectBase<GreyPixel<unsigned char>>::blackpixel.grey, 0);
    EXPECT_EQ(r.pix(5, 5), ARGBVal());
}

TEST(OwnedRaster, CopiesAreIndependentAndCopyFromTouchesOnlyTheOverlap) {
    PixRectRW<ARGBVal> a(10, 10, 12, 11);
    fillpositions(a);
    PixRectRW<ARGBVal> b(a);
    EXPECT_TRUE(bounds(b, 10, 10, 12, 11));
    b.pixref(10, 10) = ARGBVal(1, 1, 1, 1);
    a.pixref(11, 11) = ARGBVal(2, 2, 2, 2);
    EXPECT_EQ(a.pix(10, 10), mark(10, 10));
    EXPECT_EQ(b.pix(11, 11), mark(11, 11));
    EXPECT_EQ(b.pix(12, 11), mark(12, 11));

    PixRectRW<ARGBVal> target(0, 0, 3, 3), source(2, 2, 5, 5);
    fillpositions(source);
    EXPECT_EQ(target.copyfrom(source), SIok);
    for (int y = 0; y <= 3; ++y)
        for (int x = 0; x <= 3; ++x)
            EXPECT_EQ(target.pix(x, y), (x >= 2 && y >= 2) ? mark(x, y) : ARGBVal()) << x << y;
    // Assignment copies the overlap and keeps this raster's bounds.
    PixRectRW<ARGBVal> assigned(4, 1);
    assigned.shiftorigin(2, 2);
    assigned = source;
    EXPECT_TRUE(bounds(assigned, 2, 2, 5, 2));
    EXPECT_EQ(assigned.pix(5, 2), mark(5, 2));
}

TEST(OwnedRaster, GeometryChangesThatLeaveTheBlockReleaseIt) {
    PixRectRW<ARGBVal> r(4, 4);
    r.setbounds(0, 0, 3, 3); // the same bounds keep the pixels
    EXPECT_TRUE(r.hasstorage());
    r.setbounds(0, 0, 99, 99); // these would read far beyond the block
    EXPECT_FALSE(r.hasstorage());
    EXPECT_EQ(r.pix(50, 50), ARGBVal());
    r.init(-1, -1, 1, 1);
    r.pixref(1, 1) = ARGBVal(1, 2, 3, 4);
    r.init(); // re-allocation releases the old block and starts black
    EXPECT_EQ(r.pix(1, 1), ARGBVal());
}
