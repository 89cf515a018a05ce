// The 5 x 5 kernel filter: a three-pixel border, the kernel's orientation, the
// products' wrapping, and kernels or rasters it cannot filter.
#include "ImageLib.h"

#include <gtest/gtest.h>

namespace {
struct Kernel {
    float k[5][5] = {};
};
Kernel single(int i, int j, float w = 1.0f) {
    Kernel k;
    k.k[i][j] = w;
    return k;
}
} // namespace

TEST(Kernel, UniformKernelLeavesAThreePixelBorderAndTruncates) {
    PixRectRW<ARGBVal> src(-4, 2, 5, 11); // 10 x 10, negative origin
    src.fillWith(ARGBVal(255, 100, 100, 100));
    Kernel k;
    for (auto& row : k.k)
        for (float& w : row) w = 1.0f;
    PixRectRW<ARGBVal> out(src, k.k);
    EXPECT_TRUE(out.equalbounds(out, src));
    for (int y = 2; y <= 11; ++y)
        for (int x = -4; x <= 5; ++x) {
            const bool inside = x >= -1 && x <= 2 && y >= 5 && y <= 8;
            // 2500 * (1/25 in float) is just below 100.
            EXPECT_EQ(out.pix(x, y), inside ? ARGBVal(255, 99, 99, 99) : ARGBVal())
                << x << " " << y;
        }
}

TEST(Kernel, FirstIndexIsHorizontalAndProductsWrapBeforeTheSum) {
    PixRectRW<ARGBVal> src(9, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 9; ++x)
            src.pixref(x, y) = ARGBVal(0, std::uint8_t(10 * x), std::uint8_t(y), 0);
    Kernel right = single(4, 2, 2.0f); // the neighbour two to the right, weight 2, sum 2
    Kernel up = single(2, 0);          // the neighbour two above
    PixRectRW<ARGBVal> r(src, right.k), u(src, up.k);
    for (int y = 3; y <= 4; ++y)
        for (int x = 3; x <= 5; ++x) {
            EXPECT_EQ(r.pix(x, y), ARGBVal(255, std::uint8_t(10 * (x + 2)), std::uint8_t(y), 0));
            EXPECT_EQ(u.pix(x, y), ARGBVal(255, std::uint8_t(10 * x), std::uint8_t(y - 2), 0));
        }
    // Negative products wrap too: -1 * 10 is 246, and (246 + 30) / 2 is 138.
    PixRectRW<ARGBVal> a(7, 7);
    a.fillWith(ARGBVal(0, 10, 0, 0));
    Kernel n = single(2, 2, -1.0f);
    n.k[0][1] = 3.0f;
    EXPECT_EQ(PixRectRW<ARGBVal>(a, n.k).pix(3, 3).red, 138);
}
