#include "PlatformImage.h"
#include "PlatformImageQt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {
NSBitmapImageRep* newRep(long w, long h) {
    return NSBitmapImageRep::initWithBitmapDataPlanes(nullptr, w, h, 8, 4, true, false,
                                                      NSDeviceRGBColorSpace, w * 4, 0);
}
} // namespace

TEST(NSImages, RepresentationsOwnTheirMemoryAndImagesKeepThem) {
    NSBitmapImageRep* rep = newRep(2, 1);
    ASSERT_NE(rep, nullptr);
    const unsigned char px[8] = {10, 20, 30, 255, 1, 2, 3, 128};
    std::memcpy(rep->bitmapData(), px, 8);

    NSImage* image = NSImage::initWithSize({2.0, 1.0});
    ASSERT_NE(image, nullptr);
    image->addRepresentation(rep);
    rep->release(); // the image holds the only reference now

    QImage q = QImageFromNSImage(image);
    image->release();
    ASSERT_EQ(q.size(), QSize(2, 1));
    EXPECT_EQ(q.pixelColor(0, 0), QColor(10, 20, 30, 255));
    EXPECT_EQ(q.pixelColor(1, 0), QColor(1, 2, 3, 128));
}

TEST(CGImages, AnImageReadsTheCallersBytesWithoutCopying) {
    // 2 × 2 pixels, A,R,G,B, rows of 12 bytes (4 unused).
    std::vector<unsigned char> bytes = {200, 1, 2, 3, 100, 4,  5,  6,  0, 0, 0, 0,
                                        255, 7, 8, 9, 50,  10, 11, 12, 0, 0, 0, 0};
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    CGDataProviderRef provider =
        CGDataProviderCreateWithData(nullptr, bytes.data(), bytes.size(), nullptr);
    CGImageRef image = CGImageCreate(2, 2, 8, 32, 12, space, kCGImageAlphaFirst, provider, nullptr,
                                     false, kCGRenderingIntentDefault);
    CGColorSpaceRelease(space);
    CGDataProviderRelease(provider);
    ASSERT_NE(image, nullptr);

    bytes[12 + 5] = 77; // a change after creation shows: nothing was copied
    QImage q = QImageFromCGImage(image);
    ASSERT_EQ(q.size(), QSize(2, 2));
    EXPECT_EQ(q.pixelColor(0, 0), QColor(1, 2, 3, 200));
    EXPECT_EQ(q.pixelColor(1, 0), QColor(4, 5, 6, 100));
    EXPECT_EQ(q.pixelColor(1, 1), QColor(77, 11, 12, 50));
    CGImageRelease(image);

    // The first byte skipped: opaque whatever it holds.
    space = CGColorSpaceCreateDeviceRGB();
    provider = CGDataProviderCreateWithData(nullptr, bytes.data(), bytes.size(), nullptr);
    image = CGImageCreate(2, 2, 8, 32, 12, space, kCGImageAlphaNoneSkipFirst, provider, nullptr,
                          false, kCGRenderingIntentDefault);
    q = QImageFromCGImage(image);
    EXPECT_EQ(q.pixelColor(0, 0), QColor(1, 2, 3, 255));
    EXPECT_FALSE(q.hasAlphaChannel());
    CGImageRelease(image);
    CGColorSpaceRelease(space);
    CGDataProviderRelease(provider);
}
