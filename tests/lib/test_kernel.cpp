#include "ImageLib.h"

#include <gtest/gtest.h>

namespace {
struct Kernel {
    float k[5][5] = {};
};
Kernel ones() {
    Kernel k;
    for (auto& row : k.k)
        for (float& w : row) w = 1.0f;
    return k;
}
Kernel single(int i, int j, float w = 1.0f) {
    Kernel k;
    k.k[i][j] = w;
    return k;
}
ARGBVal mark(int x, int y) {
    return ARGBVal(static_cast<unsigned char>(7 + x), static_cast<unsigned char>(x * 11 + y),
                   static_cast<unsigned char>(y * 13), static_cast<unsigned char>(x * y));
}
} // namespace

TEST(Kernel, UniformKernelLeavesAThreePixelBorderAndTruncates) {
    PixRectRW<ARGBVal> src(-4, 2, 5, 11); // 10 x 10, negative origin
    src.fillWith(ARGBVal(255, 100, 100, 100));
    Kernel k = ones();
    PixRectRW<ARGBVal> out(src, k.k);
    EXPECT_TRUE(out.equalbounds(out, src));
    for (int y = 2; y <= 11; ++y) {
        for (int x = -4; x <= 5; ++x) {
            const bool inside = x >= -1 && x <= 2 && y >= 5 && y <= 8;
            // 2500 * (1/25 in float) is just below 100.
            EXPECT_EQ(out.pix(x, y), inside ? ARGBVal(255, 99, 99, 99) : ARGBVal())
                << x << " " << y;
        }
    }
}

TEST(Kernel, CentreWeightReproducesAndFirstIndexIsHorizontal) {
    PixRectRW<ARGBVal> src(9, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 9; ++x) src.pixref(x, y) = mark(x, y);
    Kernel c = single(2, 2);
    PixRectRW<ARGBVal> same(src, c.k);
    Kernel right = single(4, 2, 2.0f); // weight 2, sum 2: the neighbour two to the right
    PixRectRW<ARGBVal> shifted(src, right.k);
    Kernel below = single(2, 0, 3.0f); // the neighbour two above
    PixRectRW<ARGBVal> up(src, below.k);
    for (int y = 3; y <= 4; ++y) {
        for (int x = 3; x <= 5; ++x) {
            ARGBVal m = mark(x, y);
            m.alpha = 255;
            EXPECT_EQ(same.pix(x, y), m);
            ARGBVal r = mark(x + 2, y);
            r.alpha = 255;
            EXPECT_EQ(shifted.pix(x, y), ARGBVal(255, (r.red * 2 % 256) / 2,
                                                 (r.green * 2 % 256) / 2, (r.blue * 2 % 256) / 2));
            ARGBVal u = mark(x, y - 2);
            EXPECT_EQ(up.pix(x, y), ARGBVal(255, (u.red * 3 % 256) / 3, (u.green * 3 % 256) / 3,
                                            (u.blue * 3 % 256) / 3));
        }
    }
    EXPECT_EQ(same.pix(2, 3), ARGBVal());
    EXPECT_EQ(same.pix(6, 3), ARGBVal());
}

TEST(Kernel, ScalingWrapsBeforeAccumulating) {
    PixRectRW<GreyPixel<unsigned char>> g(7, 7);
    g.pixref(3, 3) = GreyPixel<unsigned char>(200);
    Kernel k = single(2, 2, 2.0f);
    k.k[0][0] = -1.0f; // sum 1; the far neighbour is 0 and scales to 0
    PixRectRW<GreyPixel<unsigned char>> out(g, k.k);
    EXPECT_EQ(out.pix(3, 3).grey, 144); // 400 modulo 256, then / 1

    // Negative products of ARGBVal wrap too: -1 * 10 is 246.
    PixRectRW<ARGBVal> a(7, 7);
    a.fillWith(ARGBVal(0, 10, 0, 0));
    Kernel n = single(2, 2, -1.0f);
    n.k[0][1] = 3.0f; // sum 2
    PixRectRW<ARGBVal> na(a, n.k);
    EXPECT_EQ(na.pix(3, 3).red, 138); // (246 + 30) / 2, not (-10 + 30) / 2
}

TEST(Kernel, PixelObjectTypesAndTinyRasters) {
    PixRectRW<GreyPixel<float>> g(8, 8);
    g.fillwithcount(); // grey = x + 8y
    Kernel k = ones();
    PixRectRW<GreyPixel<float>> mean(g, k.k);
    // The mean of a linear ramp is its centre value, scaled by the float 1/25.
    EXPECT_NEAR(mean.pix(3, 4).grey, 35.0f, 1e-4f);
    EXPECT_EQ(mean.pix(2, 4).grey, 0.0f);

    PixRectRW<RGBPixel<float>> c(7, 7);
    RGBPixel<float> v;
    v.set(50.0f, 25.0f, 10.0f);
    c.pixref(3, 3) = v;
    Kernel centre = single(2, 2, 4.0f);
    PixRectRW<RGBPixel<float>> cc(c, centre.k);
    EXPECT_FLOAT_EQ(cc.pix(3, 3).red, 50.0f);
    EXPECT_FLOAT_EQ(cc.pix(3, 3).green, 25.0f);

    PixRectRW<HSVPixel<unsigned char>> h(7, 7);
    h.pixref(3, 3) = HSVPixel<unsigned char>(10, 20, 30);
    PixRectRW<HSVPixel<unsigned char>> hh(h, centre.k);
    EXPECT_EQ(hh.pix(3, 3).val, 0); // HSV pixels read no colour: black inside the margin

    PixRectRW<RGBGrVal> rg(7, 7);
    rg.pixref(3, 3) = RGBGrVal(100, 200, 50, 0);
    PixRectRW<RGBGrVal> rgo(rg, centre.k);
    // 400 and 800 wrap to 144 and 32 before the division by 4; grey from the result.
    EXPECT_EQ(rgo.pix(3, 3), RGBGrVal(36, 8, 50, 21));

    PixRectRW<ARGBVal> narrow(6, 20);
    narrow.fillWith(ARGBVal(9));
    PixRectRW<ARGBVal> none(narrow, k.k);
    EXPECT_TRUE(none.hasstorage());
    EXPECT_EQ(none.pix(3, 10), ARGBVal()); // narrower than 7: nothing filtered
}

TEST(Kernel, KernelsWithoutAReciprocalAreRefused) {
    PixRectRW<ARGBVal> src(9, 9);
    src.fillWith(ARGBVal(50));
    Kernel zero = single(1, 1, 1.0f);
    zero.k[3][3] = -1.0f;
    PixRectRW<ARGBVal> out(src, zero.k);
    EXPECT_FALSE(out.hasstorage());
    EXPECT_TRUE(out.equalbounds(out, src));
    EXPECT_EQ(out.pix(4, 4), ARGBVal());
    Kernel tiny = single(2, 2, 1e-45f); // reciprocal overflows
    PixRectRW<ARGBVal> out2(src, tiny.k);
    EXPECT_FALSE(out2.hasstorage());
    PixRectRW<ARGBVal> out3(src, nullptr);
    EXPECT_FALSE(out3.hasstorage());
}
