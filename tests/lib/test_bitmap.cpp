// Bitmaps: bytes filled from rasters, the rasters handed back, and rasters a
// bitmap cannot or need not hold.
#include "Bitmap.h"
#include "ContImageRef.h"
#include "SamplePixRectNC.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {
std::vector<unsigned char> bytes(const Bitmap& b, int from = 0, int n = -1) {
    return std::vector<unsigned char>(b.data + from, b.data + (n < 0 ? b.dataSize : from + n));
}
} // namespace

TEST(Bitmap, FillsBytesInARGBOrderFromAnyOrigin) {
    PixRectRW<ARGBVal> r(-2, -3, 1, 0);
    r.pixref(-2, -3) = ARGBVal(0, 10, 20, 30);
    r.pixref(1, 0) = ARGBVal(9, 1, 2, 3);
    const PixRect<ARGBVal>& asread = r; // read through the interface: opaque
    Bitmap a(asread);
    ASSERT_EQ(a.dataSize, 64);
    EXPECT_EQ(a.bytesPerRow, 16);
    EXPECT_EQ(bytes(a, 0, 4), (std::vector<unsigned char>{255, 10, 20, 30}));
    EXPECT_EQ(bytes(a, 60, 4), (std::vector<unsigned char>{255, 1, 2, 3}));
    Bitmap b(r); // the owned raster's bytes, alpha as stored
    EXPECT_EQ(bytes(b, 0, 4), (std::vector<unsigned char>{0, 10, 20, 30}));

    // A raster of another size is refused and the bytes stay.
    std::memset(b.data, 0x33, std::size_t(b.dataSize));
    EXPECT_EQ(b.fillFrom(PixRectRW<ARGBVal>(4, 5)), SIfailed);
    EXPECT_EQ(bytes(b), std::vector<unsigned char>(64, 0x33));

    // A field copies the rows it presents; a wrap without storage reads black.
    std::vector<ARGBVal> buf(4 * 5);
    for (int i = 0; i < 20; ++i) buf[std::size_t(i)] = ARGBVal(1, std::uint8_t(i), 0, 0);
    Bitmap odd(PixRectWrap<ARGBVal>(buf.data(), 4, 5, SIOddLines));
    ASSERT_EQ(odd.height, 2);
    EXPECT_EQ(odd.data[1], 4);       // buffer row 1
    EXPECT_EQ(odd.data[16 + 1], 12); // buffer row 3
    Bitmap none(PixRectWrap<ARGBVal>(nullptr, 3, 3, SIAllLines));
    EXPECT_EQ(bytes(none), std::vector<unsigned char>(36, 0));
}

TEST(Bitmap, RastersHandedBackShowTheRightRows) {
    PixRectRW<ARGBVal> r(3, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 3; ++x)
            r.pixref(x, y) = ARGBVal(std::uint8_t(x), std::uint8_t(10 * y), std::uint8_t(x + y), 7);
    Bitmap b(r);
    std::unique_ptr<PixRectRW<ARGBVal>> odd(b.makergbPixRectOdd<ARGBVal>(false));
    std::unique_ptr<PixRectRW<ARGBVal>> even(b.makergbPixRectEven<ARGBVal>(false));
    ASSERT_TRUE(odd && even);
    EXPECT_EQ(odd->height(), 2);
    EXPECT_EQ(even->height(), 3);
    EXPECT_EQ(odd->pix(2, 1), ARGBVal(2, 30, 5, 7));
    EXPECT_EQ(even->pix(1, 2), ARGBVal(1, 40, 5, 7));

    std::unique_ptr<PixRectRW<ARGBVal>> shared(b.makergbPixRect<ARGBVal>(true));
    std::unique_ptr<PixRectRW<ARGBVal>> copy(b.makergbPixRect<ARGBVal>(false));
    shared->pixref(0, 0) = ARGBVal(0, 99, 0, 0);
    EXPECT_EQ(b.data[1], 99);          // the view shares the data
    EXPECT_EQ(copy->pix(0, 0).red, 0); // the copy does not
    EXPECT_EQ(copy->pix(2, 4), ARGBVal(2, 40, 6, 7));
}

TEST(Bitmap, RastersWithoutPixelsOrTooLargeGiveNoData) {
    PixRectRW<ARGBVal> frame(40, 30);
    PixRectRef<ARGBVal> region(frame);
    ContImageRef<ARGBVal> cont(region, SIBilinear);
    // Factors of 0, infinity, below 0, NaN: no pixels. 1e-6: too large to hold.
    for (double f : {std::numeric_limits<double>::infinity(), 0.0, -2.0, std::nan(""), 1e-6}) {
        Bitmap b(SamplePixRectNC<ARGBVal, ARGBVal>(cont, f, f, SIInterpolated));
        EXPECT_EQ(b.data, nullptr) << f;
        EXPECT_EQ(b.width, 0) << f;
    }
    Bitmap inverted(PixRectRW<ARGBVal>(5, 5, 1, 1));
    EXPECT_EQ(inverted.data, nullptr);
    EXPECT_EQ(inverted.height, 0);
}
