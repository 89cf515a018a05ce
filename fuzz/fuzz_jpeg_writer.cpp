// Compresses the input as pixels to JPEG: the first bytes give the width and
// height (1 to 256 each), the codec quality, the buffer size and a source
// rectangle; the rest the pixels, repeated to fill.
#include "ImageCompression.h"
#include "Memory.h"
#include "QDOffscreen.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {
OSErr discard(Ptr, long, long) {
    return noErr;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 11) return 0;
    const int width = 1 + data[0], height = 1 + data[1];
    const CodecQ quality = CodecQ((data[2] | (data[3] << 8)) % 0x500);
    const long bufferSize = 1 + (data[4] | (data[5] << 8));
    Rect bounds;
    bounds.right = int16_t(width);
    bounds.bottom = int16_t(height);
    Rect area;
    area.left = int16_t(data[6] % width);
    area.top = int16_t(data[7] % height);
    area.right = int16_t(area.left + 1 + data[8] % (width - area.left));
    area.bottom = int16_t(area.top + 1 + data[9] % (height - area.top));
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = data[10 + i % (size - 10)];
    GWorldPtr world = nullptr;
    if (NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                         reinterpret_cast<Ptr>(pixels.data()), long(width) * 4) != noErr)
        return 0;
    Handle desc = NewHandle(sizeof(ImageDescription));
    std::vector<char> buffer(static_cast<size_t>(bufferSize));
    ICMFlushProcRecord flush;
    flush.flushProc = discard;
    FCompressImage(GetGWorldPixMap(world), &area, 32, quality, kJPEGCodecType, anyCodec, nullptr, 0,
                   bufferSize, (data[4] & 1) ? &flush : nullptr, nullptr,
                   reinterpret_cast<ImageDescriptionHandle>(desc), buffer.data());
    DisposeHandle(desc);
    DisposeGWorld(world);
    return 0;
}
