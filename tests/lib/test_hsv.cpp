// Hue, saturation and value on a 0..255 scale: the colour wheel's known points
// both ways, and the float round trip over a grid of colours.
#include "HSVPixel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {
struct RGB {
    int r, g, b;
    bool operator==(const RGB&) const = default;
};
template <class T> RGB torgb(const HSVPixel<T>& p) {
    unsigned char r = 1, g = 2, b = 3;
    p.makeRGB(&r, &g, &b);
    return {r, g, b};
}
} // namespace

TEST(HSV, KnownColoursBothWays) {
    struct Case {
        RGB rgb;
        int hue, sat, val;
    };
    // A sixth of the wheel is 42.5; magenta's red and blue tie and give -60 degrees.
    const Case cases[] = {{{255, 0, 0}, 0, 255, 255},    {{0, 255, 0}, 85, 255, 255},
                          {{0, 0, 255}, 170, 255, 255},  {{255, 0, 255}, 212, 255, 255},
                          {{255, 255, 0}, 42, 255, 255}, {{0, 255, 255}, 127, 255, 255},
                          {{128, 64, 0}, 21, 255, 128},  {{0, 0, 0}, 0, 0, 0},
                          {{77, 77, 77}, 0, 0, 77},      {{255, 255, 255}, 0, 0, 255}};
    for (const Case& c : cases) {
        HSVPixel<unsigned char> p(
            ARGBVal(0, std::uint8_t(c.rgb.r), std::uint8_t(c.rgb.g), std::uint8_t(c.rgb.b)));
        EXPECT_EQ((RGB{p.hue, p.sat, p.val}), (RGB{c.hue, c.sat, c.val})) << c.hue;
    }

    for (const Case& c : {cases[0], cases[1], cases[2]})
        EXPECT_EQ(torgb(HSVPixel<unsigned char>(c.hue, c.sat, c.val)), c.rgb);
    EXPECT_EQ(torgb(HSVPixel<unsigned char>(21, 255, 128)), (RGB{128, 63, 0}));
    EXPECT_EQ(torgb(HSVPixel<unsigned char>(255, 255, 255)), (RGB{255, 0, 0})); // a full turn
    // A hue outside the scale has no sector and writes nothing.
    EXPECT_EQ(torgb(HSVPixel<float>(300.0f, 255.0f, 255.0f)), (RGB{1, 2, 3}));
}

TEST(HSV, FloatRoundTripStaysWithinOneUnit) {
    for (int r = 0; r < 256; r += 15)
        for (int g = 0; g < 256; g += 17)
            for (int b = 0; b < 256; b += 51) {
                RGB c = torgb(HSVPixel<float>(RGBGrVal(r, g, b, 0)));
                EXPECT_LE(std::max({std::abs(c.r - r), std::abs(c.g - g), std::abs(c.b - b)}), 1)
                    << r << ' ' << g << ' ' << b;
            }
}
