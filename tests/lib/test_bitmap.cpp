// Bitmaps: headers from rasters, the two ways of filling, the rasters handed
// back, and rasters a bitmap cannot or need not hold.
#include "Bitmap.h"
#include "ContImageRef.h"
#include "SamplePixRectNC.h"
#include "SinkCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {
std::vector<unsigned char> bytes(const Bitmap& b) {
    return std::vector<unsigned char>(b.data, b.data + b.dataSize);
}
// A bitmap of the given size whose pixel (x, y) is (x, 10 y, x + y, 7).
std::unique_ptr<Bitmap> marked(int w, int h) {
    PixRectRW<ARGBVal> r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            r.pixref(x, y) = ARGBVal(std::uint8_t(x), std::uint8_t(10 * y), std::uint8_t(x + y), 7);
    return std::make_unique<Bitmap>(r);
}
} // namespace

TEST(Bitmap, HeaderAndBothFills) {
    PixRectRW<ARGBVal> r(-2, -3, 1, 0);
    r.pixref(-2, -3) = ARGBVal(0, 10, 20, 30);
    r.pixref(1, 0) = ARGBVal(9, 1, 2, 3);
    const PixRect<ARGBVal>& asread = r;
    Bitmap a(asread);
    EXPECT_EQ(a.width, 4);
    EXPECT_EQ(a.height, 4);
    EXPECT_EQ(a.bytesPerRow, 16);
    EXPECT_EQ(a.dataSize, 64);
    EXPECT_EQ(a.bitsPerComponent, 8);
    EXPECT_EQ(a.bitsPerPixel, 32);
    EXPECT_EQ(std::vector<unsigned char>(a.data, a.data + 4),
              (std::vector<unsigned char>{255, 10, 20, 30}));
    EXPECT_EQ(std::vector<unsigned char>(a.data + 60, a.data + 64),
              (std::vector<unsigned char>{255, 1, 2, 3}));
    Bitmap b(r); // the owned raster's bytes, alpha as stored
    EXPECT_EQ(std::vector<unsigned char>(b.data, b.data + 4),
              (std::vector<unsigned char>{0, 10, 20, 30}));
    EXPECT_EQ(b.data[60], 9);
}

TEST(Bitmap, FillFromChecksTheSize) {
    PixRectRW<ARGBVal> r(3, 2);
    Bitmap b(r);
    std::memset(b.data, 0x33, std::size_t(b.dataSize));
    PixRectRW<ARGBVal> other(2, 3);
    EXPECT_EQ(b.fillFrom(other), SIfailed);
    EXPECT_EQ(bytes(b), std::vector<unsigned char>(24, 0x33));
    PixRectRW<ARGBVal> same(5, 5, 7, 6);
    same.dbg.dcl = 3;
    EXPECT_EQ(b.fillFrom(same), SIok);
    EXPECT_EQ(b.dbg.dcl, 3);
    EXPECT_EQ(b.data[0], 255);
    EXPECT_EQ(b.data[1], 0);
}

TEST(Bitmap, WrappedFieldsCopyThePresentedRows) {
    std::vector<ARGBVal> buf(4 * 5);
    for (int i = 0; i < 20; ++i) buf[std::size_t(i)] = ARGBVal(1, std::uint8_t(i), 0, 0);
    PixRectWrap<ARGBVal> odd(buf.data(), 4, 5, SIOddLines);
    Bitmap b(odd);
    ASSERT_EQ(b.height, 2);
    EXPECT_EQ(b.data[1], 4);       // buffer row 1
    EXPECT_EQ(b.data[16 + 1], 12); // buffer row 3
    // An owned raster without storage reads black everywhere.
    PixRectWrap<ARGBVal> none(nullptr, 3, 3, SIAllLines);
    Bitmap n(none);
    EXPECT_EQ(bytes(n), std::vector<unsigned char>(36, 0));
}

TEST(Bitmap, RastersHandedBack) {
    std::unique_ptr<Bitmap> b = marked(3, 5);
    std::unique_ptr<PixRectRW<ARGBVal>> odd(b->makergbPixRectOdd<ARGBVal>(false));
    std::unique_ptr<PixRectRW<ARGBVal>> even(b->makergbPixRectEven<ARGBVal>(false));
    ASSERT_TRUE(odd && even);
    EXPECT_EQ(odd->height(), 2);
    EXPECT_EQ(even->height(), 3);
    EXPECT_EQ(odd->pix(2, 1), ARGBVal(2, 30, 5, 7));
    EXPECT_EQ(even->pix(1, 2), ARGBVal(1, 40, 5, 7));
    EXPECT_EQ(b->makergbPixRectOdd<ARGBVal>(true), nullptr);
    EXPECT_EQ(b->makegreyPixRect(true), nullptr);

    std::unique_ptr<PixRectRW<ARGBVal>> shared(b->makergbPixRect<ARGBVal>(true));
    std::unique_ptr<PixRectRW<ARGBVal>> copy(b->makergbPixRect<ARGBVal>(false));
    shared->pixref(0, 0) = ARGBVal(0, 99, 0, 0);
    EXPECT_EQ(b->data[1], 99);         // the view shares the data
    EXPECT_EQ(copy->pix(0, 0).red, 0); // the copy does not
    EXPECT_EQ(copy->pix(2, 4), ARGBVal(2, 40, 6, 7));

    b->data[4] = 255, b->data[5] = 10, b->data[6] = 20, b->data[7] = 31;
    std::unique_ptr<PixRectRW<GreyPixel<unsigned char>>> grey(b->makegreyPixRect(false));
    EXPECT_EQ(grey->pix(1, 0).grey, 20);

    std::unique_ptr<Bitmap> one = marked(2, 1);
    std::unique_ptr<PixRectRW<ARGBVal>> none(one->makergbPixRectOdd<ARGBVal>(false));
    EXPECT_EQ(none->height(), 0);
}

TEST(Bitmap, DataLifecycle) {
    Bitmap b;
    EXPECT_EQ(b.makergbPixRect<ARGBVal>(true), nullptr);
    EXPECT_EQ(b.makergbPixRectCopy<ARGBVal>(), nullptr);
    EXPECT_EQ(b.makegreyPixRect(false), nullptr);
    b.makeData(16);
    EXPECT_NE(b.data, nullptr);
    auto* mine = static_cast<unsigned char*>(std::malloc(8));
    b.setData(mine);
    EXPECT_EQ(b.data, mine);
    b.releaseData();
    EXPECT_EQ(b.data, nullptr);
    b.makeData(0);
    EXPECT_EQ(b.data, nullptr);
    SinkCapture cap;
    b.printInfo();
    EXPECT_EQ(SinkCapture::text(), "Bitmap Info w=0 h=0 data=0 bpp=32\n");
}

TEST(Bitmap, RastersWithoutPixelsGiveEmptyBitmaps) {
    PixRectRW<ARGBVal> frame(40, 30);
    PixRectRef<ARGBVal> region(frame);
    ContImageRef<ARGBVal> cont(region, SIBilinear);
    // A requested size of 0 gives an infinite factor, an empty result, no data.
    for (double f : {std::numeric_limits<double>::infinity(), 0.0, -2.0, std::nan("")}) {
        SamplePixRectNC<ARGBVal, ARGBVal> s(cont, f, 1.0, SIInterpolated);
        Bitmap b(s);
        EXPECT_EQ(b.data, nullptr) << f;
        EXPECT_EQ(b.width, 0) << f;
        EXPECT_EQ(b.dataSize, 0) << f;
    }
    // A result too large to hold gives no data rather than an absurd allocation.
    SamplePixRectNC<ARGBVal, ARGBVal> huge(cont, 1e-6, 1e-6, SIInterpolated);
    Bitmap h(huge);
    EXPECT_EQ(h.data, nullptr);
    EXPECT_EQ(h.width, 0);
    PixRectRW<ARGBVal> inverted(5, 5, 1, 1);
    Bitmap i(inverted);
    EXPECT_EQ(i.data, nullptr);
    EXPECT_EQ(i.height, 0);
}

TEST(Bitmap, FillThreadsSetting) {
    Bitmap::setfillthreads(3);
    EXPECT_EQ(Bitmap::fillthreads(), 3);
    Bitmap::setfillthreads(0);
    EXPECT_GE(Bitmap::fillthreads(), 1);
}
