#include "HSVPixel.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
struct RGB {
    unsigned char r, g, b;
};
template <class T> RGB torgb(const HSVPixel<T>& p) {
    RGB c{1, 2, 3};
    p.makeRGB(&c.r, &c.g, &c.b);
    return c;
}
} // namespace

TEST(HSV, PrimariesAndTies) {
    HSVPixel<unsigned char> red(ARGBVal(0, 255, 0, 0));
    EXPECT_EQ(red.hue, 0);
    EXPECT_EQ(red.sat, 255);
    EXPECT_EQ(red.val, 255);
    EXPECT_EQ(HSVPixel<unsigned char>(ARGBVal(0, 0, 255, 0)).hue, 85);
    EXPECT_EQ(HSVPixel<unsigned char>(ARGBVal(0, 0, 0, 255)).hue, 170);
    EXPECT_FLOAT_EQ(HSVPixel<float>(ARGBVal(0, 0, 0, 255)).hue, 170.0f);
    // Magenta: red and blue tie, the red formula gives -60 degrees.
    EXPECT_EQ(HSVPixel<unsigned char>(ARGBVal(0, 255, 0, 255)).hue, 212);
    EXPECT_FLOAT_EQ(HSVPixel<float>(RGBGrVal(255, 0, 255, 0)).hue, 212.5f);
    EXPECT_EQ(HSVPixel<unsigned char>(ARGBVal(0, 255, 255, 0)).hue, 42);  // yellow
    EXPECT_EQ(HSVPixel<unsigned char>(ARGBVal(0, 0, 255, 255)).hue, 127); // cyan
    HSVPixel<unsigned char> brown(ARGBVal(0, 128, 64, 0));
    EXPECT_EQ(brown.val, 128);
    EXPECT_EQ(brown.sat, 255);
    EXPECT_EQ(brown.hue, 21);
}

TEST(HSV, GreysAndBlack) {
    for (int k : {0, 1, 77, 254, 255}) {
        HSVPixel<unsigned char> p;
        p.makeFromRGB(k, k, k);
        EXPECT_EQ(p.hue, 0);
        EXPECT_EQ(p.sat, 0);
        EXPECT_EQ(p.val, k);
        RGB c = torgb(p);
        EXPECT_EQ(c.r, k);
        EXPECT_EQ(c.g, k);
        EXPECT_EQ(c.b, k);
    }
    HSVPixel<float> fromgrey(GreyPixel<unsigned char>(200));
    EXPECT_FLOAT_EQ(fromgrey.val, 200.0f);
    EXPECT_FLOAT_EQ(fromgrey.hue, 0.0f);
}

TEST(HSV, BackToRGB) {
    RGB c = torgb(HSVPixel<unsigned char>(0, 255, 255));
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.g, 0);
    EXPECT_EQ(c.b, 0);
    c = torgb(HSVPixel<unsigned char>(85, 255, 255));
    EXPECT_EQ(c.r, 0);
    EXPECT_EQ(c.g, 255);
    EXPECT_EQ(c.b, 0);
    c = torgb(HSVPixel<unsigned char>(170, 255, 255));
    EXPECT_EQ(c.b, 255);
    EXPECT_EQ(c.r, 0);
    c = torgb(HSVPixel<unsigned char>(21, 255, 128));
    EXPECT_EQ(c.r, 128);
    EXPECT_EQ(c.g, 63);
    EXPECT_EQ(c.b, 0);
    // Hue 255 is a full turn: red again.
    c = torgb(HSVPixel<unsigned char>(255, 255, 255));
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.b, 0);
    // A hue outside the scale has no sector and writes nothing.
    c = torgb(HSVPixel<float>(300.0f, 255.0f, 255.0f));
    EXPECT_EQ(c.r, 1);
    EXPECT_EQ(c.g, 2);
    EXPECT_EQ(c.b, 3);
}

TEST(HSV, FloatRoundTripStaysWithinOneUnit) {
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 17) {
            for (int b = 0; b < 256; b += 51) {
                HSVPixel<float> p(RGBGrVal(r, g, b, 0));
                RGB c = torgb(p);
                EXPECT_LE(std::abs(c.r - r), 1) << r << ' ' << g << ' ' << b;
                EXPECT_LE(std::abs(c.g - g), 1) << r << ' ' << g << ' ' << b;
                EXPECT_LE(std::abs(c.b - b), 1) << r << ' ' << g << ' ' << b;
            }
        }
    }
}

TEST(HSV, AccessorsArithmeticAndConversions) {
    HSVPixel<unsigned char> p(10, 20, 30);
    EXPECT_EQ(p.setred(5), 3);
    EXPECT_EQ(p.getred(), 0);
    EXPECT_EQ(p.getgrey(), 30);
    EXPECT_EQ(p.sethue(40), 3);
    EXPECT_EQ(p.hue, 40);
    EXPECT_EQ(p.setgrey(9), 0);
    EXPECT_EQ(p.hue, 0);
    EXPECT_EQ(p.val, 9);
    HSVPixel<unsigned char> v(100);
    v *= 2.6f; // 260 truncated into a byte
    EXPECT_EQ(v.val, 4);
    v += HSVPixel<unsigned char>(250, 3, 253);
    EXPECT_EQ(v.hue, 250);
    EXPECT_EQ(v.val, 1);
    HSVPixel<float> widened(HSVPixel<unsigned char>(1, 2, 3));
    EXPECT_FLOAT_EQ(widened.sat, 2.0f);
    RGBPixel<double> rgb;
    rgb.set(0.0, 255.0, 0.0);
    EXPECT_EQ(HSVPixel<unsigned char>(rgb).hue, 85);
    HSVPixel<unsigned char> q;
    q << ARGBVal(0, 0, 0, 255);
    EXPECT_EQ(q.hue, 170);
}
