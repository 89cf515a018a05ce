// Platform images without toolkit headers: bitmap representations and images
// (the display side), and bitmap images over caller memory with their colour
// spaces and data providers (the drawing side). PlatformImageQt.h turns them
// into QImage for the application.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// ---- Bitmap representations and images ----

using CGFloat = double;
struct NSSize {
    CGFloat width = 0;
    CGFloat height = 0;
};

inline constexpr const char* NSDeviceRGBColorSpace = "NSDeviceRGBColorSpace";

// Pixels in memory of its own: rows of bytesPerRow bytes, samples interleaved
// (R,G,B[,A]). Reference counted: the creator holds one reference.
class NSBitmapImageRep {
public:
    // With no planes supplied (the only way supported) the representation
    // allocates its memory (not cleared). 8 bits per sample, 3 or 4 samples,
    // not planar; bytesPerRow 0 means width × samples; bitsPerPixel 0 means
    // derived. Null on unsupported arguments or when memory runs out.
    static NSBitmapImageRep* initWithBitmapDataPlanes(unsigned char** planes, long pixelsWide,
                                                      long pixelsHigh, long bitsPerSample,
                                                      long samplesPerPixel, bool hasAlpha,
                                                      bool isPlanar, const char* colorSpaceName,
                                                      long bytesPerRow, long bitsPerPixel);
    unsigned char* bitmapData() { return data_.get(); }
    const unsigned char* bitmapData() const { return data_.get(); }
    long pixelsWide() const { return width_; }
    long pixelsHigh() const { return height_; }
    long bytesPerRow() const { return bytesPerRow_; }
    long samplesPerPixel() const { return samples_; }
    bool hasAlpha() const { return hasAlpha_; }
    void retain() { ++refs_; }
    void release(); // frees the representation with its last reference

private:
    NSBitmapImageRep() = default;
    ~NSBitmapImageRep() = default;
    std::unique_ptr<unsigned char[]> data_;
    long width_ = 0, height_ = 0, bytesPerRow_ = 0, samples_ = 0;
    bool hasAlpha_ = false;
    long refs_ = 1;
};

// An image of a size (in points) with representations it keeps references to.
class NSImage {
public:
    static NSImage* initWithSize(NSSize size);     // null when memory runs out
    void addRepresentation(NSBitmapImageRep* rep); // takes a reference; null ignored
    const std::vector<NSBitmapImageRep*>& representations() const { return reps_; }
    NSSize size() const { return size_; }
    void retain() { ++refs_; }
    void release(); // frees the image, and its references, with its last reference

private:
    NSImage() = default;
    ~NSImage();
    NSSize size_;
    std::vector<NSBitmapImageRep*> reps_;
    long refs_ = 1;
};

// ---- Bitmap images over caller memory ----

struct CGColorSpace;
using CGColorSpaceRef = CGColorSpace*;
struct CGDataProvider;
using CGDataProviderRef = CGDataProvider*;
struct CGImage;
using CGImageRef = CGImage*;

enum CGColorSpaceModel : int32_t { kCGColorSpaceModelMonochrome = 0, kCGColorSpaceModelRGB = 1 };

using CGBitmapInfo = uint32_t;
enum CGImageAlphaInfo : uint32_t {
    kCGImageAlphaNone = 0,               // R,G,B
    kCGImageAlphaPremultipliedLast = 1,  // R,G,B,A premultiplied
    kCGImageAlphaPremultipliedFirst = 2, // A,R,G,B premultiplied
    kCGImageAlphaLast = 3,               // R,G,B,A
    kCGImageAlphaFirst = 4,              // A,R,G,B
    kCGImageAlphaNoneSkipLast = 5,       // R,G,B,x
    kCGImageAlphaNoneSkipFirst = 6,      // x,R,G,B
    kCGImageAlphaOnly = 7,
};
inline constexpr CGBitmapInfo kCGBitmapAlphaInfoMask = 0x1F;

using CGColorRenderingIntent = int32_t;
inline constexpr CGColorRenderingIntent kCGRenderingIntentDefault = 0;

// Colour spaces: reference counted records of their model.
CGColorSpaceRef CGColorSpaceCreateDeviceRGB();
CGColorSpaceRef CGColorSpaceCreateDeviceGray();
CGColorSpaceModel CGColorSpaceGetModel(CGColorSpaceRef space);
CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space);
void CGColorSpaceRelease(CGColorSpaceRef space);

// A provider over `size` bytes at `data`, not copied; `releaseData` (may be
// null) is called with `info`, `data`, `size` when the provider goes.
using CGDataProviderReleaseDataCallback = void (*)(void* info, const void* data, size_t size);
CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData);
CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
void CGDataProviderRelease(CGDataProviderRef provider);
const void* CGDataProviderGetBytePtr(CGDataProviderRef provider);
size_t CGDataProviderGetSize(CGDataProviderRef provider);

// An image over the provider's bytes, without copying them: the memory must
// outlive the image. Supported: RGB with 8 bits per component at 24 or 32 bits
// per pixel, grey at 8. Null when the layout does not fit the provider's bytes
// or is not supported. The image keeps references to the space and provider.
CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat* decode, bool shouldInterpolate,
                         CGColorRenderingIntent intent);
CGImageRef CGImageRetain(CGImageRef image);
void CGImageRelease(CGImageRef image);
size_t CGImageGetWidth(CGImageRef image);
size_t CGImageGetHeight(CGImageRef image);
size_t CGImageGetBitsPerComponent(CGImageRef image);
size_t CGImageGetBitsPerPixel(CGImageRef image);
size_t CGImageGetBytesPerRow(CGImageRef image);
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image);
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image);
CGColorSpaceRef CGImageGetColorSpace(CGImageRef image);
CGDataProviderRef CGImageGetDataProvider(CGImageRef image);
