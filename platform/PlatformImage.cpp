#include "PlatformImage.h"

#include <atomic>
#include <cstring>
#include <new>
#include <string_view>

NSBitmapImageRep*
NSBitmapImageRep::initWithBitmapDataPlanes(unsigned char** planes, long pixelsWide, long pixelsHigh,
                                           long bitsPerSample, long samplesPerPixel, bool hasAlpha,
                                           bool isPlanar, const char* colorSpaceName,
                                           long bytesPerRow, long bitsPerPixel) {
    if (planes && planes[0]) return nullptr; // caller-supplied memory is not supported
    if (pixelsWide <= 0 || pixelsHigh <= 0 || bitsPerSample != 8 || isPlanar) return nullptr;
    if (samplesPerPixel != (hasAlpha ? 4 : 3)) return nullptr;
    if (colorSpaceName && std::string_view(colorSpaceName) != NSDeviceRGBColorSpace &&
        std::string_view(colorSpaceName) != "NSCalibratedRGBColorSpace")
        return nullptr;
    if (bitsPerPixel != 0 && bitsPerPixel != 8 * samplesPerPixel) return nullptr;
    const long minRow = pixelsWide * samplesPerPixel;
    if (bytesPerRow == 0) bytesPerRow = minRow;
    if (bytesPerRow < minRow) return nullptr;
    if (pixelsHigh > (long(1) << 40) / bytesPerRow) return nullptr;
    auto* rep = new (std::nothrow) NSBitmapImageRep;
    if (!rep) return nullptr;
    rep->data_.reset(new (std::nothrow) unsigned char[size_t(bytesPerRow) * size_t(pixelsHigh)]);
    if (!rep->data_) {
        delete rep;
        return nullptr;
    }
    rep->width_ = pixelsWide;
    rep->height_ = pixelsHigh;
    rep->bytesPerRow_ = bytesPerRow;
    rep->samples_ = samplesPerPixel;
    rep->hasAlpha_ = hasAlpha;
    return rep;
}

void NSBitmapImageRep::release() {
    if (--refs_ == 0) delete this;
}

NSImage* NSImage::initWithSize(NSSize size) {
    auto* image = new (std::nothrow) NSImage;
    if (image) image->size_ = size;
    return image;
}

void NSImage::addRepresentation(NSBitmapImageRep* rep) {
    if (!rep) return;
    rep->retain();
    reps_.push_back(rep);
}

NSImage::~NSImage() {
    for (NSBitmapImageRep* rep : reps_) rep->release();
}

void NSImage::release() {
    if (--refs_ == 0) delete this;
}

// ---- Colour spaces, data providers, images ----

struct CGColorSpace {
    CGColorSpaceModel model;
    std::atomic<long> refs{1};
};

struct CGDataProvider {
    void* info;
    const void* data;
    size_t size;
    CGDataProviderReleaseDataCallback releaseData;
    std::atomic<long> refs{1};
};

struct CGImage {
    size_t width, height, bitsPerComponent, bitsPerPixel, bytesPerRow;
    CGColorSpaceRef space;
    CGBitmapInfo info;
    CGDataProviderRef provider;
    std::atomic<long> refs{1};
};

namespace {
CGColorSpaceRef makeSpace(CGColorSpaceModel model) {
    return new (std::nothrow) CGColorSpace{model};
}
} // namespace

CGColorSpaceRef CGColorSpaceCreateDeviceRGB() {
    return makeSpace(kCGColorSpaceModelRGB);
}
CGColorSpaceRef CGColorSpaceCreateDeviceGray() {
    return makeSpace(kCGColorSpaceModelMonochrome);
}
CGColorSpaceModel CGColorSpaceGetModel(CGColorSpaceRef space) {
    return space ? space->model : kCGColorSpaceModelRGB;
}
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) {
    if (space) ++space->refs;
    return space;
}
void CGColorSpaceRelease(CGColorSpaceRef space) {
    if (space && --space->refs == 0) delete space;
}

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData) {
    if (!data && size > 0) return nullptr;
    return new (std::nothrow) CGDataProvider{info, data, size, releaseData};
}
CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider) {
    if (provider) ++provider->refs;
    return provider;
}
void CGDataProviderRelease(CGDataProviderRef provider) {
    if (!provider || --provider->refs != 0) return;
    if (provider->releaseData)
        provider->releaseData(provider->info, provider->data, provider->size);
    delete provider;
}
const void* CGDataProviderGetBytePtr(CGDataProviderRef provider) {
    return provider ? provider->data : nullptr;
}
size_t CGDataProviderGetSize(CGDataProviderRef provider) {
    return provider ? provider->size : 0;
}

CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat*, bool, CGColorRenderingIntent) {
    if (!space || !provider || width == 0 || height == 0 || bitsPerComponent != 8) return nullptr;
    const uint32_t alpha = bitmapInfo & kCGBitmapAlphaInfoMask;
    if (space->model == kCGColorSpaceModelRGB) {
        const bool fourSamples = alpha != kCGImageAlphaNone;
        if (alpha > kCGImageAlphaNoneSkipFirst) return nullptr;
        if (bitsPerPixel != (fourSamples ? 32u : 24u)) return nullptr;
    } else if (bitsPerPixel != 8 || alpha != kCGImageAlphaNone) {
        return nullptr;
    }
    const size_t rowUsed = width * (bitsPerPixel / 8);
    if (bytesPerRow < rowUsed) return nullptr;
    if (height > (SIZE_MAX - rowUsed) / bytesPerRow + 1) return nullptr;
    // Every row the image reads must lie within the provider's bytes.
    if (bytesPerRow * (height - 1) + rowUsed > provider->size) return nullptr;
    auto* image = new (std::nothrow) CGImage{width,       height, bitsPerComponent, bitsPerPixel,
                                             bytesPerRow, space,  bitmapInfo,       provider};
    if (!image) return nullptr;
    CGColorSpaceRetain(space);
    CGDataProviderRetain(provider);
    return image;
}

CGImageRef CGImageRetain(CGImageRef image) {
    if (image) ++image->refs;
    return image;
}
void CGImageRelease(CGImageRef image) {
    if (!image || --image->refs != 0) return;
    CGColorSpaceRelease(image->space);
    CGDataProviderRelease(image->provider);
    delete image;
}
size_t CGImageGetWidth(CGImageRef image) {
    return image ? image->width : 0;
}
size_t CGImageGetHeight(CGImageRef image) {
    return image ? image->height : 0;
}
size_t CGImageGetBitsPerComponent(CGImageRef image) {
    return image ? image->bitsPerComponent : 0;
}
size_t CGImageGetBitsPerPixel(CGImageRef image) {
    return image ? image->bitsPerPixel : 0;
}
size_t CGImageGetBytesPerRow(CGImageRef image) {
    return image ? image->bytesPerRow : 0;
}
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image) {
    return image ? image->info : 0;
}
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image) {
    return CGImageAlphaInfo(image ? image->info & kCGBitmapAlphaInfoMask : 0);
}
CGColorSpaceRef CGImageGetColorSpace(CGImageRef image) {
    return image ? image->space : nullptr;
}
CGDataProviderRef CGImageGetDataProvider(CGImageRef image) {
    return image ? image->provider : nullptr;
}
