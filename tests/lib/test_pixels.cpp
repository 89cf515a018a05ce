// Pixels: the packed byte layout, grey weights, and which conversions and
// arithmetic wrap a byte and which clamp it.
#include "ARGBVal.h"
#include "Pixel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

TEST(PackedPixels, ByteOrderIsAlphaRedGreenBlueAndIntsKeepTheLowByte) {
    const unsigned char bytes[8] = {1, 2, 3, 4, 255, 10, 20, 30};
    ARGBVal p[2];
    std::memcpy(p, bytes, sizeof bytes);
    EXPECT_EQ(p[0], ARGBVal(1, 2, 3, 4));
    EXPECT_EQ(p[1], ARGBVal(255, 10, 20, 30));
    EXPECT_EQ(ARGBVal(300), ARGBVal(255, 44, 44, 44));
    EXPECT_EQ(RGBGrVal(-1), RGBGrVal(255, 255, 255, 255));
}

TEST(PackedPixels, GreyIsThirtyFiftyNineElevenTruncated) {
    // 0.30, 0.59, 0.11 of 255: 76.5, 150.45, 28.05.
    const std::pair<ARGBVal, int> cases[] = {{ARGBVal(255, 255, 0, 0), 76},
                                             {ARGBVal(255, 0, 255, 0), 150},
                                             {ARGBVal(255, 0, 0, 255), 28},
                                             {ARGBVal(0, 1, 1, 0), 0},
                                             {ARGBVal(0, 10, 20, 30), 18}};
    for (auto [p, grey] : cases) {
        GreyPixel<unsigned char> g;
        g << p;
        EXPECT_EQ(g.grey, grey) << int(p.red) << " " << int(p.green) << " " << int(p.blue);
    }
    EXPECT_FLOAT_EQ(RGBPixel<float>(ARGBVal(0, 255, 0, 0)).grey, 76.5f);
}

TEST(PackedPixels, ConversionsFromObjectsWrapButAdditionsClamp) {
    RGBPixel<float> p;
    p.set(300.7f, -3.5f, 12.9f);
    ARGBVal a(0, 1, 1, 1);
    a << p;
    EXPECT_EQ(a, ARGBVal(0, 44, 253, 12)); // alpha kept, truncated toward zero, wrapped
    EXPECT_EQ(ARGBVal(p).alpha, 255);

    ARGBVal c(7, 250, 5, 100);
    RGBPixel<float> d;
    d.set(10.9f, -10.0f, 0.99f);
    c += d;
    EXPECT_EQ(c, ARGBVal(7, 255, 0, 100));

    RGBGrVal g(250, 0, 0, 0);
    g += GreyPixel<unsigned char>(200);
    EXPECT_EQ(g, RGBGrVal(255, 200, 200, 216)); // grey recomputed from the clamped bytes
}

TEST(PixelObjects, ArithmeticWrapsAndTruncatesTowardZero) {
    GreyPixel<unsigned char> g(250);
    g += 10.0;
    EXPECT_EQ(g.grey, 4);
    GreyPixel<unsigned char> h(7);
    h *= -0.5; // -3.5 truncates to -3, then 253
    EXPECT_EQ(h.grey, 253);
    GreyPixel<unsigned char> s;
    s.set(255, 255, 254);
    EXPECT_EQ(s.grey, 254); // summed in int, no byte overflow

    RGBPixel<unsigned char> b;
    b.set(200, 100, 3);
    b *= 2.0;
    EXPECT_EQ(b.red, 144);
    EXPECT_EQ(b.grey, 161); // from the wrapped bytes 144, 200, 6
}
