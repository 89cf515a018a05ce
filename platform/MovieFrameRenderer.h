// Converts a decoded picture into 32-bit ARGB (or RGBA) pixels: colour matrix
// and range, scaling to the destination size, display rotation, one field;
// deep colour at full precision and HDR tone-mapped to SDR BT.709.
#pragma once

#include "DeepColourToArgb.h"
#include "YuvToArgb.h"

#include <cstdint>
#include <vector>

struct AVFrame;
struct SwsContext;

struct MovieRenderTarget {
    uint8_t* base = nullptr;
    long rowBytes = 0;
    int width = 0;
    int height = 0;
    bool rgba = false; // bytes R,G,B,A instead of A,R,G,B
};

class MovieFrameRenderer {
public:
    MovieFrameRenderer() = default;
    MovieFrameRenderer(const MovieFrameRenderer&) = delete;
    MovieFrameRenderer& operator=(const MovieFrameRenderer&) = delete;
    ~MovieFrameRenderer();

    // Draws `frame` over the whole target, scaled to the target's size after
    // turning it `rotationCw` degrees clockwise (0, 90, 180 or 270). With
    // `oneField`, an interlaced picture shows only its first field in time,
    // the other field's lines interpolated. Alpha is always 255. False when the
    // picture cannot be converted.
    bool render(const AVFrame* frame, const MovieRenderTarget& target, int rotationCw,
                bool oneField);

private:
    bool convert(const AVFrame* frame, uint8_t* dst, long dstRowBytes, int dstW, int dstH,
                 bool rgba, bool oneField);
    SwsContext* sws = nullptr;
    int lastSpace = -1, lastRange = -1;
    YuvToArgb yuv;
    DeepColourToArgb deep;
    std::vector<uint8_t> turned; // the picture before rotation
};
