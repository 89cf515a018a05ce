// Only the umbrella header: every class of the foundations is reachable by name.
#include "ImageLib.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

static_assert(std::is_base_of_v<SICommon, Pixel<float>>);
static_assert(std::is_base_of_v<GreyPixelType, GreyPixel<int>>);
static_assert(std::is_base_of_v<RGBPixelType, RGBPixel<double>>);
static_assert(std::is_base_of_v<HSVPixelType, HSVPixel<float>>);
static_assert(std::is_base_of_v<PixRectBase<ARGBVal>, PixRect<ARGBVal>>);
static_assert(std::is_base_of_v<PixRectRW<ARGBVal>, PixRectWrap<ARGBVal>>);
static_assert(sizeof(siwraptype) == 1 && sizeof(SIerrorcode) == 1);

TEST(Umbrella, CropOfAFieldToGreyAndHue) {
    // A 6 x 4 ARGB frame: pixel (x, y) has red 40x, green 60y, blue 0.
    std::vector<ARGBVal> frame(24);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            frame[y * 6 + x] = ARGBVal(255, static_cast<unsigned char>(40 * x),
                                       static_cast<unsigned char>(60 * y), 0);
    PixRectWrap<ARGBVal> even(frame.data(), 6, 4, siwraptype::SIEvenLines);
    PixRectRef<ARGBVal> crop(even, 2, 1, 4, 1); // field row 1 is frame row 2
    PixRect<ARGBVal>& region = crop;
    PixRectRW<ARGBVal> copy(region);
    EXPECT_EQ(copy.zeroorigin(), SIok);
    EXPECT_EQ(copy.pix(0, 0), ARGBVal(255, 80, 120, 0));

    PixRectRW<GreyPixel<unsigned char>> grey(copy);
    EXPECT_EQ(grey.pix(2, 0).grey, (30 * 160 + 59 * 120) / 100);
    HSVPixel<unsigned char> hsv(copy.pix(1, 0)); // (120, 120, 0): yellow
    EXPECT_EQ(hsv.hue, 42);
    RGBPixel<float> rgb(copy.pix(1, 0));
    RGBGrVal packed(rgb);
    EXPECT_EQ(packed.grey, 106); // 0.89 * 120 in float, truncated
    EXPECT_EQ(&SICommon_H::max(packed.red, packed.green), &packed.red);
    EXPECT_EQ(decrease(packed.red, 130, 20), 5);

    const SICommon& root = copy;
    DBGState state;
    state.dcl = 3;
    PixRectBase<RGBGrVal> geometry(state);
    EXPECT_EQ(geometry.dbg.dcl, 3);
    EXPECT_EQ(root.printInfo(), 0);
    EXPECT_EQ(siprintf("%s", "silent"), 0);
}
