#include "PlatformImage.h"

#include <gtest/gtest.h>

#include <vector>

TEST(NSImages, UnsupportedRepresentationsAreRefused) {
    auto make = [](long w, long h, long bps, long spp, bool alpha, bool planar, long bpr) {
        return NSBitmapImageRep::initWithBitmapDataPlanes(nullptr, w, h, bps, spp, alpha, planar,
                                                          NSDeviceRGBColorSpace, bpr, 0);
    };
    EXPECT_EQ(make(0, 1, 8, 4, true, false, 0), nullptr);
    EXPECT_EQ(make(2, 2, 16, 4, true, false, 0), nullptr);
    EXPECT_EQ(make(2, 2, 8, 4, false, false, 0), nullptr);
    EXPECT_EQ(make(2, 2, 8, 4, true, true, 0), nullptr);
    EXPECT_EQ(make(2, 2, 8, 4, true, false, 7), nullptr); // rows shorter than the pixels
    NSBitmapImageRep* padded = make(3, 2, 8, 3, false, false, 16);
    ASSERT_NE(padded, nullptr);
    EXPECT_EQ(padded->bytesPerRow(), 16);
    padded->release();
}

TEST(CGImages, LayoutsThatDoNotFitTheBytesAreRefused) {
    std::vector<unsigned char> bytes(2 * 4 * 2);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGDataProviderRef provider =
        CGDataProviderCreateWithData(nullptr, bytes.data(), bytes.size(), nullptr);
    auto make = [&](size_t w, size_t h, size_t bpc, size_t bpp, size_t bpr, uint32_t info) {
        CGImageRef i = CGImageCreate(w, h, bpc, bpp, bpr, space, info, provider, nullptr, false,
                                     kCGRenderingIntentDefault);
        bool made = i != nullptr;
        CGImageRelease(i);
        return made;
    };
    EXPECT_TRUE(make(2, 2, 8, 32, 8, kCGImageAlphaFirst));
    EXPECT_FALSE(make(2, 3, 8, 32, 8, kCGImageAlphaFirst)); // a row past the end
    EXPECT_FALSE(make(2, 2, 8, 32, 9, kCGImageAlphaFirst)); // last row runs past the end
    EXPECT_FALSE(make(2, 2, 8, 32, 4, kCGImageAlphaFirst)); // rows overlap
    EXPECT_FALSE(make(2, 2, 16, 64, 16, kCGImageAlphaFirst));
    EXPECT_FALSE(make(2, 2, 8, 24, 8, kCGImageAlphaFirst)); // alpha wants 32 bits
    EXPECT_FALSE(make(0, 2, 8, 32, 8, kCGImageAlphaFirst));
    EXPECT_EQ(CGImageCreate(1, 1, 8, 32, 4, nullptr, 4, provider, nullptr, false, 0), nullptr);
    CGColorSpaceRelease(space);
    CGDataProviderRelease(provider);
}

TEST(CGImages, TheReleaseCallbackRunsWhenTheLastHolderGoes) {
    static int released = 0;
    released = 0;
    unsigned char px[4] = {255, 1, 2, 3};
    CGDataProviderRef provider = CGDataProviderCreateWithData(
        nullptr, px, 4, [](void*, const void*, size_t) { ++released; });
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGImageRef image =
        CGImageCreate(1, 1, 8, 32, 4, space, kCGImageAlphaFirst, provider, nullptr, false, 0);
    CGDataProviderRelease(provider);
    CGColorSpaceRelease(space);
    EXPECT_EQ(released, 0); // the image still holds the provider
    CGImageRetain(image);
    CGImageRelease(image);
    EXPECT_EQ(released, 0);
    CGImageRelease(image);
    EXPECT_EQ(released, 1);
}
