// Converts the Y'CbCr pictures that the 8-bit converter does not take exactly
// to 32-bit ARGB (or RGBA) through zimg: deep colour (9 to 16 bits a sample)
// at full precision, rounded once to 8 bits, and HDR (PQ or HLG transfer,
// any depth) tone-mapped to SDR BT.709.
#pragma once

#include <cstdint>
#include <memory>

struct AVFrame;

// How a picture's light is coded.
enum class DynamicRange { sdr, pq, hlg };

// From an AVColorTransferCharacteristic.
DynamicRange dynamicRangeOf(int transfer);

// What a status line says about a movie shown in that range ("HDR (PQ) shown
// tone-mapped"); "" for SDR.
const char* dynamicRangeNote(DynamicRange range);

// The tone curve from HDR linear light to SDR, both with reference white at
// 1.0: values up to the knee stay as they are, those above roll off smoothly
// (a Möbius curve, continuous in slope) so that `peak` reaches 1.0.
double toneMap(double x, double peak);

class DeepColourToArgb {
public:
    DeepColourToArgb();
    ~DeepColourToArgb();
    DeepColourToArgb(const DeepColourToArgb&) = delete;
    DeepColourToArgb& operator=(const DeepColourToArgb&) = delete;

    // Whether `frame` goes this way: planar or semi-planar Y'CbCr with more
    // than 8 bits a sample, or any depth with an HDR transfer, and whole
    // chroma samples.
    static bool takes(const AVFrame* frame);

    // Draws the picture in `planes`/`strides` (the frame's own, or one field
    // of them), `srcH` lines high, scaled to dstW x dstH, with the frame's
    // colour tags. Alpha is 255. False when zimg refuses the conversion.
    bool convert(const AVFrame* frame, const uint8_t* const planes[3], const int strides[3],
                 int srcH, uint8_t* dst, long dstRowBytes, int dstW, int dstH, bool rgba);

private:
    struct State;
    std::unique_ptr<State> s;
};
