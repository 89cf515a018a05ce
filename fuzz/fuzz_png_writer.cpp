// Encodes the input as pixels to PNG: the first four bytes give the width
// and height (1 to 256 each), the rest the pixels, repeated to fill.
#include "PngFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 6) return 0;
    const int width = 1 + (data[0] | (data[1] << 8)) % 256;
    const int height = 1 + (data[2] | (data[3] << 8)) % 256;
    const long rowBytes = long(width) * 4 + (data[4] % 3) * 4; // rows may have slack
    std::vector<uint8_t> pixels(size_t(rowBytes) * size_t(height));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = data[5 + i % (size - 5)];
    std::vector<uint8_t> png;
    EncodePNG(pixels.data(), width, height, rowBytes, &png);
    return 0;
}
