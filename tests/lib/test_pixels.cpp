#include "ARGBVal.h"
#include "Pixel.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(PackedPixels, ByteOrderIsAlphaRedGreenBlue) {
    const unsigned char bytes[8] = {1, 2, 3, 4, 255, 10, 20, 30};
    ARGBVal p[2];
    std::memcpy(p, bytes, sizeof bytes);
    EXPECT_EQ(p[0], ARGBVal(1, 2, 3, 4));
    EXPECT_EQ(p[1].alpha, 255);
    EXPECT_EQ(p[1].red, 10);
    EXPECT_EQ(p[1].blue, 30);
    RGBGrVal g;
    std::memcpy(&g, bytes, 4);
    EXPECT_EQ(g.red, 1);
    EXPECT_EQ(g.grey, 4);
}

TEST(PackedPixels, IntConstructorsKeepTheLowByte) {
    EXPECT_EQ(ARGBVal(200), ARGBVal(255, 200, 200, 200));
    EXPECT_EQ(ARGBVal(300), ARGBVal(255, 44, 44, 44));
    EXPECT_EQ(RGBGrVal(-1), RGBGrVal(255, 255, 255, 255));
    EXPECT_EQ(ARGBVal(), ARGBVal(0, 0, 0, 0));
}

TEST(PackedPixels, GreyWeightsTruncate) {
    GreyPixel<unsigned char> g;
    g << ARGBVal(255, 255, 0, 0);
    EXPECT_EQ(g.grey, 76);
    g << ARGBVal(255, 0, 255, 0);
    EXPECT_EQ(g.grey, 150);
    g << ARGBVal(255, 0, 0, 255);
    EXPECT_EQ(g.grey, 28);
    // 30 + 59 + 11 = 100 per unit: 99 * 100 / 100 exactly, but 1,1,0 gives 0.89 -> 0.
    EXPECT_EQ(ARGBVal(0, 1, 1, 0).intgrey(), 0);
    RGBGrVal r;
    r << ARGBVal(0, 10, 20, 30);
    EXPECT_EQ(r, RGBGrVal(10, 20, 30, 18));
    GreyPixel<float> gf;
    gf << ARGBVal(0, 255, 0, 0);
    EXPECT_FLOAT_EQ(gf.grey, 76.0f);
}

TEST(PackedPixels, ConversionsFromObjectsWrapButAdditionsClamp) {
    RGBPixel<float> p;
    p.set(300.7f, -3.5f, 12.9f);
    ARGBVal a(0, 1, 1, 1);
    a << p;
    EXPECT_EQ(a, ARGBVal(0, 44, 253, 12)); // alpha kept, truncated toward zero, wrapped
    EXPECT_EQ(ARGBVal(p).alpha, 255);
    EXPECT_EQ(ARGBVal(GreyPixel<float>(12.9f)), ARGBVal(255, 12, 12, 12));

    ARGBVal c(7, 250, 5, 100);
    RGBPixel<float> d;
    d.set(10.9f, -10.0f, 0.99f);
    c += d;
    EXPECT_EQ(c, ARGBVal(7, 255, 0, 100));

    RGBGrVal g(250, 0, 0, 0);
    RGBPixel<float> ten;
    ten.set(10.0f, 0.0f, 0.0f);
    g += ten;
    EXPECT_EQ(g.red, 255);
    EXPECT_EQ(g.grey, 76); // recomputed from the clamped bytes
    g += GreyPixel<unsigned char>(200);
    EXPECT_EQ(g, RGBGrVal(255, 200, 200, 216));
    RGBPixel<float> q;
    q.set(1.9f, 2.0f, 3.0f);
    q.setgrey(77.7f);
    EXPECT_EQ(RGBGrVal(q), RGBGrVal(1, 2, 3, 77));
}

TEST(PackedPixels, Mixing) {
    ARGBVal a(9, 100, 0, 255);
    a.mixInProportion(ARGBVal(0, 51, 255, 0), 1.0f);
    EXPECT_EQ(a, ARGBVal(9, 75, 127, 127));
    ARGBVal b(3, 90, 0, 0);
    b.mixInProportion(ARGBVal(0, 0, 0, 0), 2.0f); // 180 / 3
    EXPECT_EQ(b.red, 60);

    ARGBVal t(5, 0, 40, 200);
    t.mixByAlphaSrc(ARGBVal(0, 255, 255, 255));
    EXPECT_EQ(t, ARGBVal(5, 0, 40, 200));
    t.mixByAlphaSrc(ARGBVal(255, 255, 0, 200));
    EXPECT_EQ(t, ARGBVal(5, 127, 20, 200)); // (255*255 + 0) / 510, (40*256) / 510, ...
}

TEST(PackedPixels, DecreaseHalvesSmallDifferences) {
    EXPECT_EQ(decrease(10, 20, 15), 5);
    EXPECT_EQ(decrease(20, 10, 15), 251);
    EXPECT_EQ(decrease(10, 40, 15), 0);
    EXPECT_EQ(decrease(10, 25, 15), 0); // a difference equal to the limit is not below it
    EXPECT_EQ(decrease(10, 13, 15), 1); // 3 / 2 truncates
    EXPECT_EQ(decrease(13, 10, 15), 255);
}

TEST(GreyPixels, ArithmeticWrapsAndTruncatesTowardZero) {
    GreyPixel<unsigned char> g(250);
    g += 10.0;
    EXPECT_EQ(g.grey, 4);
    GreyPixel<unsigned char> h(7);
    h *= -0.5; // -3.5 truncates to -3, then 253
    EXPECT_EQ(h.grey, 253);
    GreyPixel<int> i(7);
    i *= -0.5;
    EXPECT_EQ(i.grey, -3);
    GreyPixel<unsigned char> k(5);
    k -= ARGBVal(0, 10, 10, 10);
    EXPECT_EQ(k.grey, 251);
    k += RGBGrVal(0, 0, 0, 10);
    EXPECT_EQ(k.grey, 5);
    GreyPixel<float> f(1.5f);
    f += 0.25;
    f *= 2.0;
    EXPECT_FLOAT_EQ(f.grey, 3.5f);
}

TEST(GreyPixels, SettersAndCrossTypeReads) {
    GreyPixel<unsigned char> g;
    EXPECT_EQ(g.set(255, 255, 254), 0);
    EXPECT_EQ(g.grey, 254); // summed in int, no byte overflow
    GreyPixel<float> f;
    f.set(1.0f, 2.0f, 2.0f);
    EXPECT_FLOAT_EQ(f.grey, 5.0f / 3.0f);
    EXPECT_EQ(g.sethue(4), 3);
    EXPECT_EQ(g.setsat(4), 3);
    EXPECT_EQ(g.grey, 254);
    EXPECT_EQ(g.setblue(9), 0);
    EXPECT_EQ(g.getred(), 9);
    EXPECT_EQ(g.gethue(), 0);

    GreyPixel<unsigned char> w;
    w << GreyPixel<float>(300.5f);
    EXPECT_EQ(w.grey, 44);
    w += GreyPixel<int>(-50);
    EXPECT_EQ(w.grey, 250);
    RGBPixel<float> rgb;
    rgb.set(100.0f, 100.0f, 100.0f);
    rgb.setgrey(40.0f);
    w = rgb; // reads the stored grey
    EXPECT_EQ(w.grey, 40);
}

TEST(RGBPixels, StoredGreyFollowsTheSetters) {
    RGBPixel<float> p;
    p.set(10.0f, 10.0f, 10.0f);
    EXPECT_FLOAT_EQ(p.getgrey(), 10.0f);
    p.setred(100.0f);
    EXPECT_FLOAT_EQ(p.getgrey(), 10.0f);
    p.setgrey(99.0f);
    RGBPixel<float> copy(p); // the copy recomputes from red, green, blue
    EXPECT_FLOAT_EQ(copy.getgrey(), (30.0f * 100 + 59.0f * 10 + 11.0f * 10) / 100);
    EXPECT_EQ(p.setval(7.0f), 0);
    EXPECT_FLOAT_EQ(p.red, 7.0f);
    EXPECT_FLOAT_EQ(p.grey, 7.0f);
    EXPECT_EQ(p.sethue(1.0f), 3);

    RGBPixel<unsigned char> b;
    b.set(200, 100, 3);
    b *= 2.0;
    EXPECT_EQ(b.red, 144);
    EXPECT_EQ(b.green, 200);
    EXPECT_EQ(b.grey, (30 * 144 + 59 * 200 + 11 * 6) / 100);
    b += ARGBVal(0, 112, 0, 0);
    EXPECT_EQ(b.red, 0); // wraps, grey unchanged
    EXPECT_EQ(b.grey, (30 * 144 + 59 * 200 + 11 * 6) / 100);

    RGBPixel<float> sum;
    sum += GreyPixel<unsigned char>(10);
    EXPECT_FLOAT_EQ(sum.red, 10.0f);
    EXPECT_FLOAT_EQ(sum.blue, 10.0f);
    EXPECT_FLOAT_EQ(sum.grey, 10.0f);
    RGBPixel<float> fromargb(ARGBVal(0, 255, 0, 0));
    EXPECT_FLOAT_EQ(fromargb.grey, 76.5f);
}

TEST(PixelObjects, DebugClassTravelsWithCopiesOnly) {
    GreyPixel<float> g(1.0f);
    g.dbg.dcl = 5;
    GreyPixel<float> c(g);
    EXPECT_EQ(c.dbg.dcl, 5);
    RGBPixel<double> r;
    r.dbg.dcl = 3;
    EXPECT_EQ(RGBPixel<double>(r).dbg.dcl, 3);
    EXPECT_EQ(GreyPixel<float>(2.0f).dbg.dcl, 0);
}

TEST(PixelObjects, PolymorphicAssignment) {
    RGBPixel<float> a;
    a.set(1.0f, 2.0f, 3.0f);
    a.setgrey(50.0f);
    Pixel<float>& base = a;
    RGBPixel<float> b;
    Pixel<float>& bb = b;
    bb = base; // through the virtual slot: red, green, blue and the stored grey
    EXPECT_FLOAT_EQ(b.grey, 50.0f);
    EXPECT_FLOAT_EQ(b.blue, 3.0f);
    bb = 4.0f;
    EXPECT_FLOAT_EQ(b.green, 4.0f);
}
