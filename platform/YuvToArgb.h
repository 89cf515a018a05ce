// Exact conversion of 8-bit planar Y'CbCr pictures (4:2:0, 4:2:2, 4:4:4) to
// 32-bit A,R,G,B (or R,G,B,A) pixels: one fixed-point matrix, linear chroma.
#pragma once

#include <cstdint>
#include <vector>

enum class YuvMatrix { bt601, bt709, fcc, smpte240m, bt2020 };

// How the two chroma planes are subsampled against the luma plane.
enum class ChromaLayout { s420, s422, s444 };

// A picture as the decoder hands it out: three planes, each with its own
// stride in bytes. Strides may be negative, or doubled to walk one field.
struct YuvPlanes {
    const uint8_t* plane[3] = {nullptr, nullptr, nullptr};
    long stride[3] = {0, 0, 0};
    int width = 0;
    int height = 0;
    ChromaLayout layout = ChromaLayout::s420;
};

struct YuvFormat {
    YuvMatrix matrix = YuvMatrix::bt601;
    bool fullRange = false;     // codes 0..255 rather than luma 16..235, chroma 16..240
    bool chromaCentred = false; // chroma between two luma columns, not on the even ones
};

// The matrix in 16.16 fixed point, for 8-bit codes and full-range RGB:
//   R = y (Y - yOffset) + rv (Cr - 128)
//   G = y (Y - yOffset) - gu (Cb - 128) - gv (Cr - 128)
//   B = y (Y - yOffset) + bu (Cb - 128)
struct YuvCoefficients {
    int32_t y, yOffset, rv, gu, gv, bu;
    static YuvCoefficients of(const YuvFormat& format);
};

constexpr int yuvFractionBits = 16;

// The definition: every pixel computed on its own from the planes. Slow; the
// fast converter gives the same bytes.
void convertYuvReference(const YuvPlanes& src, const YuvFormat& format, uint8_t* dst,
                         long dstRowBytes, bool rgba);

// The fast converter: row by row through vectorised loops (AVX2 where the
// processor has it). Keeps its row buffers between calls.
class YuvToArgb {
public:
    // `baseline` keeps to the instructions every processor of the target has,
    // even where wider ones are there (to test that path on any machine).
    explicit YuvToArgb(bool baseline = false) : baseline(baseline) {}

    void convert(const YuvPlanes& src, const YuvFormat& format, uint8_t* dst, long dstRowBytes,
                 bool rgba);

    // The rows the fast converter works in, sized once per picture width.
    struct Scratch {
        std::vector<uint16_t> tall; // chroma rows weighted vertically, one sample of
                                    // padding on either side for the edge
        std::vector<uint8_t> wide;  // chroma at every luma column, Cb then Cr
        std::vector<uint32_t> out;  // packed pixels of one row
    };

private:
    bool baseline;
    Scratch scratch;
};
