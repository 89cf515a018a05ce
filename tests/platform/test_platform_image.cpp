// Platform images: a layout that overruns its bytes is refused, and a
// provider's bytes are released when the last image holding them goes (what
// the images show is tested with Qt's images).
#include "PlatformImage.h"

#include <gtest/gtest.h>

#include <vector>

TEST(CGImages, AnOverrunIsRefusedAndTheLastHolderReleases) {
    static int released;
    released = 0;
    std::vector<unsigned char> bytes(2 * 4 * 2);
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGDataProviderRef provider = CGDataProviderCreateWithData(
        nullptr, bytes.data(), bytes.size(), [](void*, const void*, size_t) { ++released; });
    // Rows of 9 bytes: the last one would run past the end.
    EXPECT_EQ(CGImageCreate(2, 2, 8, 32, 9, space, kCGImageAlphaFirst, provider, nullptr, false, 0),
              nullptr);
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
