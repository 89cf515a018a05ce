// The tile cache's reading.
#include "ImageLib.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {
// A source that counts its reads, so that the cache's reading shows.
class CountingSource : public PixRect<GreyPixel<unsigned char>> {
public:
    CountingSource(int lx, int ly, int hx, int hy) : PixRect(lx, ly, hx, hy) {}
    GreyPixel<unsigned char> pix(int x, int y) const override {
        if (!withinbounds(x, y)) return blackpixel;
        return pixNB(x, y);
    }
    GreyPixel<unsigned char> pixNB(int x, int y) const override {
        ++reads;
        return GreyPixel<unsigned char>(static_cast<unsigned char>(x * 3 + y * 7 + bias));
    }
    GreyPixel<unsigned char> pixdd(double x, double y) const override {
        return pix(int(x), int(y));
    }
    unsigned char value(int x, int y) const {
        return static_cast<unsigned char>(x * 3 + y * 7 + bias);
    }
    mutable long reads = 0;
    int bias = 0;
};
} // namespace

TEST(TileCache, ReadsCreateWholeTilesOnceAndServeFromThem) {
    CountingSource src(0, 0, 129, 69);
    PixRectC<GreyPixel<unsigned char>> c(src);
    EXPECT_EQ(c.pix(0, 0).grey, src.value(0, 0));
    EXPECT_EQ(src.reads, 64 * 64);
    EXPECT_EQ(c.pix(63, 63).grey, src.value(63, 63));
    EXPECT_EQ(c.pixNB(64, 0).grey, src.value(64, 0));
    EXPECT_EQ(src.reads, 2 * 64 * 64);

    // The cached copy is what is read: a changed source is not seen.
    src.bias = 1;
    EXPECT_EQ(c.pixdd(10.9, 5.2).grey, static_cast<unsigned char>(src.value(10, 5) - 1));
    EXPECT_EQ(src.reads, 2 * 64 * 64);

    // Edge tiles are cut to the source: the right column covers 128..129, the
    // bottom row 64..69.
    PixRectRW<GreyPixel<unsigned char>>* corner = c.cachetile(129, 69);
    ASSERT_NE(corner, nullptr);
    EXPECT_TRUE(
        corner->equalbounds(*corner, PixRectBase<GreyPixel<unsigned char>>(128, 64, 129, 69)));
    EXPECT_EQ(corner->pix(129, 69).grey, src.value(129, 69));
    EXPECT_EQ(c.pix(130, 0).grey, 0); // outside: black, nothing cached
    EXPECT_EQ(c.tilecount(), 3);
}
