#include "PixRectRW.h"
#include "SinkCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
// Marks every pixel with its own position so that moves and copies show.
void fillpositions(PixRectRW<ARGBVal>& r) {
    for (int y = r.ly(); y <= r.hy(); ++y) {
        for (int x = r.lx(); x <= r.hx(); ++x) {
            r.pixref(x, y) =
                ARGBVal(255, static_cast<unsigned char>(x), static_cast<unsigned char>(y), 7);
        }
    }
}
ARGBVal mark(int x, int y) {
    return ARGBVal(255, static_cast<unsigned char>(x), static_cast<unsigned char>(y), 7);
}
} // namespace

TEST(Geometry, BoundsCentreAndOrigin) {
    PixRectBase<ARGBVal> r(4, 3);
    EXPECT_EQ(r.hx(), 3);
    EXPECT_EQ(r.hy(), 2);
    EXPECT_EQ(r.width(), 4);
    EXPECT_EQ(r.height(), 3);
    EXPECT_EQ(r.cx(), 2);
    EXPECT_EQ(r.cy(), 1);
    EXPECT_EQ(r.centreorigin(), SIok);
    EXPECT_EQ(r.lx(), -2);
    EXPECT_EQ(r.ly(), -1);
    EXPECT_EQ(r.hx(), 1);
    EXPECT_EQ(r.hy(), 1);
    EXPECT_EQ(r.cx(), 0);
    EXPECT_EQ(r.cy(), 0);
    r.zeroorigin();
    EXPECT_TRUE(r.equalbounds(r, PixRectBase<ARGBVal>(0, 0, 3, 2)));
    EXPECT_EQ(r.setwidth(10), 9);
    PixRectBase<ARGBVal> odd(-3, 0, 1, 0); // width 5: centre column is the middle one
    EXPECT_EQ(odd.cx(), -1);
}

TEST(Geometry, IntersectCollapsesDisjointBounds) {
    PixRectBase<ARGBVal> a(0, 0, 9, 9), b(20, 20, 30, 30);
    a.intersect(&b);
    EXPECT_TRUE(a.equalbounds(a, PixRectBase<ARGBVal>(20, 20, 20, 20)));
    PixRectBase<ARGBVal> c(0, 0, 9, 9), d(5, -5, 20, 3);
    c.intersect(&d);
    EXPECT_TRUE(c.equalbounds(c, PixRectBase<ARGBVal>(5, 0, 9, 3)));
    PixRectBase<ARGBVal> e(0, 0, 9, 4), f(10, 10, 19, 14);
    EXPECT_TRUE(e.equalsize(e, f));
    EXPECT_FALSE(e.equalbounds(e, f));
    EXPECT_TRUE(e.validatebounds(0, 0, 9, 4));
    EXPECT_FALSE(e.validatebounds(0, 0, 9, 5));
    EXPECT_FALSE(e.validatebounds(-1, 0, 0, 0));
}

TEST(Geometry, CopiesAndScale) {
    PixRectRW<ARGBVal> src(2, 3, 5, 8);
    src.setscale(2.0, 0.5);
    src.dbg.dcl = 6;
    PixRectBase<ARGBVal> base(src);
    EXPECT_EQ(base.dbg.dcl, 6);
    EXPECT_DOUBLE_EQ(base.xs(), 2.0);
    EXPECT_EQ(base.width(), 0); // a geometry copy carries no bounds
    PixRectBase<GreyPixel<float>> other;
    other.setbounds(src);
    EXPECT_EQ(other.lx(), 2);
    EXPECT_EQ(other.hy(), 8);
    EXPECT_DOUBLE_EQ(other.ys(), 0.5);
    PixRectRW<ARGBVal> fromptr;
    fromptr.setbounds(static_cast<const PixRectBase<ARGBVal>*>(nullptr));
    EXPECT_EQ(fromptr.width(), 0);
}

TEST(Geometry, BlackPixelsAreAllZero) {
    EXPECT_EQ(PixRectBase<ARGBVal>::blackpixel, ARGBVal(0, 0, 0, 0));
    EXPECT_EQ(PixRectBase<RGBGrVal>::blackpixel, RGBGrVal(0, 0, 0, 0));
    EXPECT_EQ(PixRectBase<GreyPixel<unsigned char>>::blackpixel.grey, 0);
    EXPECT_EQ(PixRectBase<GreyPixel<int>>::blackpixel.grey, 0);
    EXPECT_EQ(PixRectBase<RGBPixel<float>>::blackpixel.red, 0.0f);
    EXPECT_EQ(PixRectBase<RGBPixel<unsigned char>>::blackpixel.blue, 0);
    EXPECT_EQ(PixRectBase<HSVPixel<unsigned char>>::blackpixel.val, 0);
    // A working virtual table: the pixel answers through its base.
    const Pixel<float>& p = PixRectBase<GreyPixel<float>>::blackpixel;
    EXPECT_EQ(p.getval(), 0.0f);
}

TEST(OwnedRaster, StorageReadsAndBlackOutside) {
    PixRectRW<ARGBVal> r(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(r.pix(x, y), ARGBVal(0, 0, 0, 0));
    r.pixref(2, 1) = ARGBVal(1, 2, 3, 4);
    EXPECT_EQ(r.pix(2, 1), ARGBVal(1, 2, 3, 4));
    EXPECT_EQ(r.pixNB(2, 1), ARGBVal(1, 2, 3, 4));
    EXPECT_EQ(r.pix(3, 1), ARGBVal());
    EXPECT_EQ(r.pix(-1, 0), ARGBVal());
    EXPECT_EQ(r.pixdd(2.9, 1.99), ARGBVal(1, 2, 3, 4));
    EXPECT_EQ(r.pixdd(-0.5, 0.0), r.pix(0, 0)); // truncation toward zero: column 0
    r.pixref(0, 0) = ARGBVal(9, 9, 9, 9);
    EXPECT_EQ(r.pixdd(-0.5, 0.0), ARGBVal(9, 9, 9, 9));
    EXPECT_EQ(r.pixdd(-1.0, 0.0), ARGBVal());
    EXPECT_EQ(r.pixdd(std::nan(""), 0.0), ARGBVal());
    EXPECT_EQ(r.pixdd(1e300, -1e300), ARGBVal());
    EXPECT_EQ(r.pixdd(std::numeric_limits<double>::infinity(), 0.0), ARGBVal());

    PixRectRW<ARGBVal> empty(0, 0, -1, 5);
    EXPECT_FALSE(empty.hasstorage());
    EXPECT_EQ(empty.pixNB(0, 0), ARGBVal());
    PixRectRW<GreyPixel<float>> none;
    EXPECT_EQ(none.pix(0, 0).grey, 0.0f);
}

TEST(OwnedRaster, RowTableWithNegativeBounds) {
    PixRectRW<ARGBVal> r(-2, -1, 1, 0);
    ARGBVal* first = &r.pixref(-2, -1);
    EXPECT_EQ(&r.pixref(1, 0), first + 7); // one block, rows in order
    EXPECT_EQ(&r.pixref(-2, 0), first + 4);
    EXPECT_EQ(r.rasters()[-1], r.rowptr(-1));
    EXPECT_EQ(&r.rowptr(0)[1], first + 7);
    fillpositions(r);
    EXPECT_EQ(r.pix(-2, -1), mark(-2, -1));
}

TEST(OwnedRaster, ShiftOriginRenumbersWithoutMoving) {
    PixRectRW<ARGBVal> r(4, 3);
    fillpositions(r);
    ARGBVal* block = &r.pixref(0, 0);
    EXPECT_EQ(r.centreorigin(), SIok);
    EXPECT_EQ(r.lx(), -2);
    EXPECT_EQ(r.ly(), -1);
    EXPECT_EQ(r.pix(-2, -1), mark(0, 0));
    EXPECT_EQ(r.pix(1, 1), mark(3, 2));
    EXPECT_EQ(&r.pixref(-2, -1), block);
    EXPECT_EQ(r.pix(2, 1), ARGBVal()); // old high column is outside now
    EXPECT_EQ(r.zeroorigin(), SIok);
    EXPECT_EQ(r.pix(3, 2), mark(3, 2));
    EXPECT_EQ(r.shiftorigin(100, -50), SIok);
    EXPECT_EQ(r.pix(101, -49), mark(1, 1));

    PixRectRW<ARGBVal> bare;
    bare.setbounds(0, 0, 3, 3);
    EXPECT_EQ(bare.shiftorigin(5, 5), SInodata);
    EXPECT_EQ(bare.lx(), 5);
    EXPECT_EQ(bare.hy(), 8);
}

TEST(OwnedRaster, StrayWritesNeverReachBlackPixel) {
    PixRectRW<ARGBVal> r(2, 2);
    r.pixref(5, 5) = ARGBVal(255, 255, 255, 255);
    r.pixref(-1, 0).red = 12;
    EXPECT_EQ(PixRectBase<ARGBVal>::blackpixel, ARGBVal());
    EXPECT_EQ(r.pix(5, 5), ARGBVal());
    EXPECT_EQ(r.pixref(5, 5), ARGBVal()); // handed out black each time
    PixRectRW<GreyPixel<unsigned char>> bare;
    bare.pixrefNB(0, 0).grey = 200;
    bare.pixref(0, 0) << ARGBVal(0, 255, 255, 255);
    EXPECT_EQ(PixRectBase<GreyPixel<unsigned char>>::blackpixel.grey, 0);
    EXPECT_EQ(bare.pix(0, 0).grey, 0);
    PixRectRW<ARGBVal> other(1, 1);
    EXPECT_EQ(other.pix(9, 9), ARGBVal());
    // Inside pixels are untouched by the stray writes.
    EXPECT_EQ(r.pix(0, 0), ARGBVal());
    EXPECT_EQ(r.pix(1, 1), ARGBVal());
}

TEST(OwnedRaster, CopiesAreIndependent) {
    PixRectRW<ARGBVal> a(10, 10, 12, 11);
    fillpositions(a);
    a.setscale(3.0, 4.0);
    a.dbg.dcl = 2;
    PixRectRW<ARGBVal> b(a);
    EXPECT_TRUE(b.equalbounds(a, b));
    EXPECT_EQ(b.dbg.dcl, 2);
    EXPECT_DOUBLE_EQ(b.ys(), 4.0);
    EXPECT_EQ(b.pix(12, 11), mark(12, 11));
    b.pixref(10, 10) = ARGBVal(1, 1, 1, 1);
    a.pixref(11, 11) = ARGBVal(2, 2, 2, 2);
    EXPECT_EQ(a.pix(10, 10), mark(10, 10));
    EXPECT_EQ(b.pix(11, 11), mark(11, 11));

    PixRectRW<HSVPixel<unsigned char>> h(2, 1);
    h.pixref(1, 0).set(10, 20, 30);
    PixRectRW<HSVPixel<unsigned char>> hc(h);
    h.pixref(1, 0).set(0, 0, 0);
    EXPECT_EQ(hc.pix(1, 0).sat, 20);
}

TEST(OwnedRaster, CopyFromTouchesOnlyTheOverlap) {
    PixRectRW<ARGBVal> target(0, 0, 3, 3);
    PixRectRW<ARGBVal> source(2, 2, 5, 5);
    fillpositions(source);
    EXPECT_EQ(target.copyfrom(source), SIok);
    for (int y = 0; y <= 3; ++y) {
        for (int x = 0; x <= 3; ++x) {
            EXPECT_EQ(target.pix(x, y), (x >= 2 && y >= 2) ? mark(x, y) : ARGBVal()) << x << y;
        }
    }
    PixRectRW<ARGBVal> far(10, 10, 12, 12);
    fillpositions(far);
    EXPECT_EQ(target.copyfrom(far), SIok);
    EXPECT_EQ(target.pix(0, 0), ARGBVal());

    // Assignment copies the overlap and keeps this raster's bounds.
    PixRectRW<ARGBVal> assigned(4, 1);
    assigned = source;
    EXPECT_EQ(assigned.hx(), 3);
    EXPECT_EQ(assigned.pix(2, 0), ARGBVal());
    assigned.shiftorigin(2, 2);
    assigned = source;
    EXPECT_EQ(assigned.pix(5, 2), mark(5, 2));
    assigned = assigned;
    EXPECT_EQ(assigned.pix(5, 2), mark(5, 2));
}

TEST(OwnedRaster, CopyFromConverts) {
    PixRectRW<GreyPixel<float>> greys(2, 1);
    greys.pixref(0, 0).grey = 77.9f;
    greys.pixref(1, 0).grey = 300.0f;
    PixRectRW<ARGBVal> argb(2, 1);
    argb.pixref(0, 0).alpha = 5;
    argb.copyfrom(greys);
    EXPECT_EQ(argb.pix(0, 0), ARGBVal(5, 77, 77, 77)); // alpha left alone
    EXPECT_EQ(argb.pix(1, 0), ARGBVal(0, 44, 44, 44));

    PixRectRW<GreyPixel<unsigned char>> bytes(2, 1);
    argb.pixref(1, 0) = ARGBVal(0, 0, 0, 255);
    bytes.copyfrom(argb);
    EXPECT_EQ(bytes.pix(0, 0).grey, 77);
    EXPECT_EQ(bytes.pix(1, 0).grey, 28);
    bytes.copyfrom(greys);
    EXPECT_EQ(bytes.pix(1, 0).grey, 44);

    PixRectRW<RGBPixel<float>> rgb(1, 1);
    rgb.pixref(0, 0).set(10.0f, 10.0f, 10.0f);
    rgb.pixref(0, 0).setgrey(99.0f);
    PixRectRW<RGBPixel<float>> rgbcopy(1, 1);
    rgbcopy.copyfrom(rgb);
    EXPECT_FLOAT_EQ(rgbcopy.pix(0, 0).grey, 10.0f); // recomputed, not copied
    PixRectRW<GreyPixel<unsigned char>> converted(argb);
    EXPECT_EQ(converted.pix(0, 0).grey, 77);
    EXPECT_EQ(converted.hx(), 1);
}

TEST(OwnedRaster, GeometryChangesThatLeaveTheBlockReleaseIt) {
    PixRectRW<ARGBVal> r(4, 4);
    r.setbounds(0, 0, 3, 3); // the same bounds keep the pixels
    EXPECT_TRUE(r.hasstorage());
    r.setbounds(0, 0, 99, 99); // these would read far beyond the block
    EXPECT_FALSE(r.hasstorage());
    EXPECT_EQ(r.pix(50, 50), ARGBVal());
    r.init(-1, -1, 1, 1);
    EXPECT_TRUE(r.hasstorage());
    r.pixref(1, 1) = ARGBVal(1, 2, 3, 4);
    r.init(); // re-allocation releases the old block and starts black
    EXPECT_EQ(r.pix(1, 1), ARGBVal());
    r.freestore();
    EXPECT_FALSE(r.hasstorage());
    EXPECT_EQ(r.hx(), 1);
}

TEST(Diagnostics, RasterFormats) {
    PixRectRW<ARGBVal> r(2, 2);
    r.pixref(0, 0) = ARGBVal(0, 255, 0, 0);
    r.pixref(1, 0) = ARGBVal(0, 0, 255, 0);
    r.pixref(0, 1) = ARGBVal(0, 0, 0, 255);
    r.pixref(1, 1) = ARGBVal(0, 255, 255, 255);
    {
        SinkCapture out;
        r.printData();
        EXPECT_EQ(SinkCapture::text(), "PixRect<ARGBVal>::printData\n 76 150 \n 28 255 \n\n");
    }
    {
        SinkCapture out;
        r.printDataLimited(3);
        EXPECT_EQ(SinkCapture::text(), "PixRect<ARGBVal>::printDataLimited\n 76 150 \n 28 \n\n");
    }
    {
        SinkCapture out;
        r.printDataLimited(1);
        EXPECT_EQ(SinkCapture::text(), "PixRect<ARGBVal>::printDataLimited\n 76 \n\n\n");
    }
    {
        SinkCapture out;
        PixRectRW<GreyPixel<unsigned char>> g(2, 1);
        g.pixref(1, 0).grey = 171;
        g.printData();
        g.printDataLimited(1);
        PixRectRW<GreyPixel<float>> f(1, 1);
        f.pixref(0, 0).grey = 2.25f;
        f.printData();
        PixRectRW<RGBGrVal>(1, 1).printData();
        EXPECT_EQ(SinkCapture::text(),
                  "0x0 0xab \n\nPixRect::PrintDataLimited()\n  2.2 \n\nPixRect::PrintData()\n");
    }
    {
        SinkCapture out;
        PixRectRW<ARGBVal> bare;
        bare.setbounds(-1, 0, 2, 1);
        bare.setscale(0.5, 2);
        bare.printInfo();
        EXPECT_EQ(SinkCapture::text(), "PixRectRW rast(0) :PixRectBase lx(-1) ly(0) hx(2) hy(1) "
                                       "W(4) H(2) z(0.500000,2.000000)\n");
    }
}
