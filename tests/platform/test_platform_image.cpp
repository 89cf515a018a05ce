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
    EXPECT_EQ(rep->bytesPerRow(), 8);
    const unsigned char px[8] = {10, 20, 30, 255, 1, 2, 3, 128};
    std::memcpy(rep->bitmapData(), px, 8);

    NSImage* image = NSImage::initWithSize({2.0, 1.0});
    ASSERT_NE(image, nullptr);
    image->addRepresentation(rep);
    rep->release(); // the image holds the only reference now
    EXPECT_EQ(image->size().width, 2.0);
    ASSERT_EQ(image->representations().size(), 1u);

    QImage q = QImageFromNSImage(image);
    image->release();
    ASSERT_EQ(q.size(), QSize(2, 1));
    EXPECT_EQ(q.pixelColor(0, 0), QColor(10, 20, 30, 255));
    EXPECT_EQ(q.pixelColor(1, 0), QColor(1, 2, 3, 128));

    EXPECT_TRUE(QImageFromNSImage(nullptr).isNull());
}

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
    EXPECT_EQ(CGImageGetWidth(image), 2u);
    EXPECT_EQ(CGImageGetBytesPerRow(image), 12u);
    EXPECT_EQ(CGImageGetAlphaInfo(image), kCGImageAlphaFirst);
    EXPECT_EQ(CGDataProviderGetBytePtr(CGImageGetDataProvider(image)), bytes.data());

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
