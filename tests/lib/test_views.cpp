// Field wraps over a buffer and views over rasters: the rows and window they
// present, and views that miss their source.
#include "PixRectRef.h"
#include "PixRectWrap.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {
// A w x h buffer whose pixel (x, y) carries red x, green y.
std::vector<ARGBVal> markedbuffer(int w, int h) {
    std::vector<ARGBVal> b(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b[static_cast<std::size_t>(y) * w + x] =
                ARGBVal(255, static_cast<unsigned char>(x), static_cast<unsigned char>(y), 0);
    return b;
}
ARGBVal at(int x, int y) {
    return ARGBVal(255, static_cast<unsigned char>(x), static_cast<unsigned char>(y), 0);
}
} // namespace

TEST(Wrap, AllEvenAndOddRows) {
    std::vector<ARGBVal> buf = markedbuffer(4, 5);
    PixRectWrap<ARGBVal> all(buf.data(), 4, 5, SIAllLines);
    PixRectWrap<ARGBVal> even(buf.data(), 4, 5, SIEvenLines);
    PixRectWrap<ARGBVal> odd(buf.data(), 4, 5, SIOddLines);
    EXPECT_TRUE(all.equalbounds(all, PixRectBase<ARGBVal>(0, 0, 3, 4)));
    EXPECT_TRUE(even.equalbounds(even, PixRectBase<ARGBVal>(0, 0, 3, 2)));
    EXPECT_TRUE(odd.equalbounds(odd, PixRectBase<ARGBVal>(0, 0, 3, 1)));
    for (int x = 0; x < 4; ++x) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(even.pix(x, k), at(x, 2 * k));
        for (int k = 0; k < 2; ++k) EXPECT_EQ(odd.pix(x, k), at(x, 2 * k + 1));
        for (int y = 0; y < 5; ++y) EXPECT_EQ(all.pix(x, y), at(x, y));
    }
    EXPECT_EQ(odd.pix(0, 2), ARGBVal());
    odd.pixref(1, 1) = ARGBVal(1, 2, 3, 4);
    EXPECT_EQ(buf[3 * 4 + 1], ARGBVal(1, 2, 3, 4));
    // Renumbered, a field still addresses the same buffer rows.
    EXPECT_EQ(even.centreorigin(), SIok);
    EXPECT_EQ(even.pix(-2, -1), at(0, 0));
    EXPECT_EQ(even.pix(1, 1), at(3, 4));
}

TEST(Wrap, DeepCopiesOwnExactlyThePresentedRows) {
    std::vector<ARGBVal> buf = markedbuffer(4, 5);
    PixRectWrap<ARGBVal> odd(buf.data(), 4, 5, SIOddLines);
    PixRectWrap<ARGBVal> copy(odd);
    EXPECT_TRUE(copy.equalbounds(copy, PixRectBase<ARGBVal>(0, 0, 3, 1)));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(copy.pix(x, y), at(x, 2 * y + 1));
    EXPECT_EQ(copy.getwrapdata()[5], at(1, 3)); // contiguous rows of exactly the width
    copy.pixref(0, 0) = ARGBVal(9, 9, 9, 9);
    buf[4 * 3 + 2] = ARGBVal(8, 8, 8, 8);
    EXPECT_EQ(odd.pix(0, 0), at(0, 1));
    EXPECT_EQ(copy.pix(2, 1), at(2, 3));
}

TEST(View, WindowOffsetAndOrigin) {
    PixRectRW<ARGBVal> src(0, 0, 3, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) src.pixref(x, y) = at(x, y);
    PixRectRef<ARGBVal> v(src, 2, 2, 5, 5);
    EXPECT_TRUE(v.equalbounds(v, PixRectBase<ARGBVal>(2, 2, 3, 3)));
    EXPECT_TRUE(v.insidesource());
    EXPECT_EQ(v.zeroorigin(), SIok);
    EXPECT_EQ(v.pix(0, 0), at(2, 2));
    EXPECT_EQ(v.pix(2, 0), ARGBVal());
    EXPECT_FALSE(v.validatebounds(0, 0, 2, 1));

    // Moving the window keeps the offset and cuts to the source.
    EXPECT_EQ(v.shiftbounds(-1, -1), SIok);
    EXPECT_TRUE(v.equalbounds(v, PixRectBase<ARGBVal>(-1, -1, 0, 0)));
    EXPECT_EQ(v.pix(-1, -1), at(1, 1));
    EXPECT_EQ(v.setbounds(-5, -5, 50, 50), SIok);
    EXPECT_TRUE(v.equalbounds(v, PixRectBase<ARGBVal>(-2, -2, 1, 1)));
    EXPECT_EQ(v.pix(-2, -2), at(0, 0));
    // Real coordinates reach the source less the offset, truncated toward zero.
    EXPECT_EQ(v.pixdd(-0.5, 1.75), at(1, 3));
    EXPECT_EQ(v.pixdd(2.0, 0.0), ARGBVal());
}

TEST(View, RectangleMissingTheSourceReadsBlackWithoutTouchingMemory) {
    // Under the address sanitizer any read outside these small blocks fails the test.
    auto src = std::make_unique<PixRectRW<ARGBVal>>(10, 10);
    src->pixref(9, 9) = ARGBVal(1, 1, 1, 1);
    PixRectRef<ARGBVal> miss(*src, 20, 20, 30, 30);
    EXPECT_TRUE(miss.equalbounds(miss, PixRectBase<ARGBVal>(20, 20, 20, 20)));
    EXPECT_FALSE(miss.insidesource());
    EXPECT_EQ(miss.pixNB(20, 20), ARGBVal());
    EXPECT_EQ(miss.pixdd(20.5, 20.5), ARGBVal());
    PixRectRef<ARGBVal> right(*src, 40, 3, 50, 5); // collapses to column 40
    EXPECT_TRUE(right.equalbounds(right, PixRectBase<ARGBVal>(40, 3, 40, 5)));
    EXPECT_EQ(right.pixNB(40, 5), ARGBVal());
    // Missing on the low side collapses onto the source's edge, which is inside.
    PixRectRef<ARGBVal> left(*src, -40, 3, -30, 9);
    EXPECT_TRUE(left.equalbounds(left, PixRectBase<ARGBVal>(0, 3, 0, 9)));
    EXPECT_TRUE(left.insidesource());
    src->pixref(0, 9) = ARGBVal(4, 4, 4, 4);
    EXPECT_EQ(left.pixNB(0, 9), ARGBVal(4, 4, 4, 4));

    std::vector<ARGBVal> buf = markedbuffer(3, 5);
    PixRectWrap<ARGBVal> odd(buf.data(), 3, 5, SIOddLines);
    PixRectRef<ARGBVal> below(odd, 0, 7, 2, 9); // rows 7..9 of a 2-row field
    for (int x = 0; x < 3; ++x) EXPECT_EQ(below.pixNB(x, 7), ARGBVal());
}

TEST(View, ViewsOverViewsOverFields) {
    std::vector<ARGBVal> buf = markedbuffer(5, 7);
    PixRectWrap<ARGBVal> odd(buf.data(), 5, 7, SIOddLines); // rows 1, 3, 5
    PixRectRef<ARGBVal> outer(odd, 1, 1, 4, 2);
    outer.shiftorigin(10, 20);
    PixRectRef<ARGBVal> inner(outer, 12, 21, 30, 30);
    EXPECT_TRUE(inner.equalbounds(inner, PixRectBase<ARGBVal>(12, 21, 14, 22)));
    EXPECT_TRUE(inner.insidesource());
    inner.zeroorigin();
    EXPECT_EQ(inner.pix(0, 0), at(2, 3));
    EXPECT_EQ(inner.pixNB(2, 1), at(4, 5));
    EXPECT_EQ(inner.pix(3, 0), ARGBVal());
}

// A copy of a view holds exactly what the view reads, also for a view stretched
// past its source (black there, not the source's memory).
TEST(View, CopiesHoldWhatTheViewReads) {
    std::vector<ARGBVal> buf = markedbuffer(9, 11);
    PixRectWrap<ARGBVal> odd(buf.data(), 9, 11, SIOddLines);
    PixRectRef<ARGBVal> stretched(odd, 1, 1, 7, 4);
    stretched.centreorigin();
    stretched.PixRectBase<ARGBVal>::setbounds(-3, -1, 3, 7); // past the field's 5 rows
    ASSERT_FALSE(stretched.insidesource());
    PixRectRW<ARGBVal> copy(stretched);
    ASSERT_TRUE(copy.equalbounds(copy, stretched));
    for (int y = -1; y <= 7; ++y)
        for (int x = -3; x <= 3; ++x)
            ASSERT_EQ(copy.pix(x, y), stretched.pix(x, y)) << x << "," << y;
    EXPECT_EQ(copy.pix(-3, -1), at(1, 5)); // field row 2: buffer row 5
    EXPECT_EQ(copy.pix(0, 7), ARGBVal());
}
