// Platform images: layouts that do not fit their bytes are refused, and a
// provider's bytes are released when the last image holding them goes (the
// bitmap representations are tested with Qt's images).
#include "PlatformImage.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CGImages, LayoutsThatDoNotFitTheBytesAreRefusedAndTheLastHolderReleases) {
    static int released;
    released = 0;
    std::vector<unsigned char> bytes(2 * 4 * 2);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGDataProviderRef provider = CGDataProviderCreateWithData(
        nullptr, bytes.data(), bytes.size(), [](void*, const void*, size_t) { ++released; });
    // width, height, bits per component, bits per pixel, bytes per row.
    const std::tuple<size_t, size_t, size_t, size_t, size_t> refused[] = {
        {2, 3, 8, 32, 8}, // a row past the end
        {2, 2, 8, 32, 9}, // the last row runs past the end
        {2, 2, 8, 32, 4}, // rows overlap
        {2, 2, 16, 64, 16}};
    for (auto [w, h, bpc, bpp, bpr] : refused)
        EXPECT_EQ(CGImageCreate(w, h, bpc, bpp, bpr, space, kCGImageAlphaFirst, provider, nullptr,
                                false, kCGRenderingIntentDefault),
                  nullptr)
            << w << " " << h << " " << bpp << " " << bpr;
    CGImageRef image =
        CGImageCreate(2, 2, 8, 32, 8, space, kCGImageAlphaFirst, provider, nullptr, false, 0);
    ASSERT_NE(image, nullptr);
    CGDataProviderRelease(provider);
    CGColorSpaceRelease(space);
    EXPECT_EQ(released, 0); // the image still holds the provider
    CGImageRetain(image);
    CGImageRelease(image);
    EXPECT_EQ(released, 0);
    CGImageRelease(image);
    EXPECT_EQ(released, 1);
}
