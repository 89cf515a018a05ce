#include "YuvToArgb.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

// Chroma siting, decided once for both converters:
// - 4:2:0 and 4:2:2 chroma is co-sited horizontally with the even luma
//   columns (the MPEG-2 and H.264 default): an even column takes its chroma
//   sample as it is, an odd column the mean of its two neighbours.
// - When the stream says its chroma is centred, each chroma sample sits half
//   way between two luma columns: the nearer sample weighs 3/4, the other 1/4.
// - 4:2:0 chroma always sits half way between two luma rows, so the rows take
//   3/4 of the nearer chroma row and 1/4 of the other, alternating.
// - Past an edge the last chroma sample repeats.
// The interpolated chroma is rounded (half up) to a whole code once, from the
// exact weighted sum, before the matrix.

namespace {

constexpr int32_t kHalf = int32_t(1) << (yuvFractionBits - 1);

int chromaWidth(const YuvPlanes& p) {
    return p.layout == ChromaLayout::s444 ? p.width : (p.width + 1) / 2;
}

int chromaHeight(const YuvPlanes& p) {
    return p.layout == ChromaLayout::s420 ? (p.height + 1) / 2 : p.height;
}

// ---- The reference ------------------------------------------------------------

// The two chroma samples around luma position `p` and their weights, among
// `n` samples.
struct Taps {
    int i0, i1, w0, w1;
};

Taps taps(int p, bool subsampled, bool centred, int n) {
    if (!subsampled) return {p, p, 1, 0};
    const int j = p >> 1;
    if (!centred) {
        if ((p & 1) == 0) return {j, j, 2, 0};
        return {j, std::min(j + 1, n - 1), 1, 1};
    }
    if ((p & 1) == 0) return {j, std::max(j - 1, 0), 3, 1};
    return {j, std::min(j + 1, n - 1), 3, 1};
}

uint8_t clampByte(int32_t v) {
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// ---- The fast converter ---------------------------------------------------------

// The row helpers are inlined into each entry point below, so that each is
// vectorised for that entry point's instruction set.
#define YUV_ROW [[gnu::always_inline]] inline

// One chroma row weighted vertically: near * wNear + far * wFar, with the
// first and last sample repeated once on either side.
YUV_ROW void weighRows(const uint8_t* near, const uint8_t* far, int wNear, int wFar, int n,
                       uint16_t* out) {
    uint16_t* o = out + 1;
    for (int j = 0; j < n; ++j) o[j] = uint16_t(wNear * near[j] + wFar * far[j]);
    out[0] = o[0];
    out[n + 1] = o[n - 1];
}

// Chroma at every luma column from a padded, vertically weighted row of `n`
// samples: 2n columns (the last is scratch when the picture's width is odd).
template <bool centred> YUV_ROW void widenRow(const uint16_t* in, int n, int shift, uint8_t* out) {
    const int half = 1 << (shift - 1);
    for (int j = 0; j < n; ++j) {
        const int before = in[j], here = in[j + 1], after = in[j + 2];
        if constexpr (centred) {
            out[2 * j] = uint8_t((3 * here + before + half) >> shift);
            out[2 * j + 1] = uint8_t((3 * here + after + half) >> shift);
        } else {
            out[2 * j] = uint8_t((2 * here + half) >> shift);
            out[2 * j + 1] = uint8_t((here + after + half) >> shift);
        }
    }
}

template <bool rgba>
YUV_ROW void matrixRow(const uint8_t* luma, const uint8_t* cb, const uint8_t* cr, int n,
                       const YuvCoefficients& k, uint32_t* out) {
    const int32_t ky = k.y, off = k.yOffset, rv = k.rv, gu = k.gu, gv = k.gv, bu = k.bu;
    for (int x = 0; x < n; ++x) {
        const int32_t l = ky * (int32_t(luma[x]) - off) + kHalf;
        const int32_t u = int32_t(cb[x]) - 128, v = int32_t(cr[x]) - 128;
        const int32_t r = std::min(std::max((l + rv * v) >> yuvFractionBits, 0), 255);
        const int32_t g = std::min(std::max((l - gu * u - gv * v) >> yuvFractionBits, 0), 255);
        const int32_t b = std::min(std::max((l + bu * u) >> yuvFractionBits, 0), 255);
        // Bytes in memory: R,G,B,A or A,R,G,B.
        uint32_t px;
        if constexpr (std::endian::native == std::endian::little) {
            px = rgba ? uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16 | 0xFF000000u
                      : 0xFFu | uint32_t(r) << 8 | uint32_t(g) << 16 | uint32_t(b) << 24;
        } else {
            px = rgba ? uint32_t(r) << 24 | uint32_t(g) << 16 | uint32_t(b) << 8 | 0xFFu
                      : 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        }
        out[x] = px;
    }
}

YUV_ROW void convertPicture(const YuvPlanes& src, const YuvFormat& format, const YuvCoefficients& k,
                            YuvToArgb::Scratch& s, uint8_t* dst, long dstRowBytes, bool rgba) {
    const int w = src.width, cw = chromaWidth(src), ch = chromaHeight(src);
    const bool s420 = src.layout == ChromaLayout::s420, s444 = src.layout == ChromaLayout::s444;
    // The weights' total is a power of two: 2 or 4 across, times 4 down for 4:2:0.
    const int shift = (format.chromaCentred ? 2 : 1) + (s420 ? 2 : 0);
    uint16_t* tallCb = s.tall.data();
    uint16_t* tallCr = tallCb + (cw + 2);
    uint8_t* wideCb = s.wide.data();
    uint8_t* wideCr = wideCb + 2 * cw;
    for (int y = 0; y < src.height; ++y) {
        const uint8_t* luma = src.plane[0] + long(y) * src.stride[0];
        const uint8_t* cb;
        const uint8_t* cr;
        if (s444) {
            cb = src.plane[1] + long(y) * src.stride[1];
            cr = src.plane[2] + long(y) * src.stride[2];
        } else {
            int near = y, far = y, wNear = 1, wFar = 0;
            if (s420) {
                near = y >> 1;
                far = (y & 1) ? std::min(near + 1, ch - 1) : std::max(near - 1, 0);
                wNear = 3;
                wFar = 1;
            }
            weighRows(src.plane[1] + long(near) * src.stride[1],
                      src.plane[1] + long(far) * src.stride[1], wNear, wFar, cw, tallCb);
            weighRows(src.plane[2] + long(near) * src.stride[2],
                      src.plane[2] + long(far) * src.stride[2], wNear, wFar, cw, tallCr);
            if (format.chromaCentred) {
                widenRow<true>(tallCb, cw, shift, wideCb);
                widenRow<true>(tallCr, cw, shift, wideCr);
            } else {
                widenRow<false>(tallCb, cw, shift, wideCb);
                widenRow<false>(tallCr, cw, shift, wideCr);
            }
            cb = wideCb;
            cr = wideCr;
        }
        if (rgba)
            matrixRow<true>(luma, cb, cr, w, k, s.out.data());
        else
            matrixRow<false>(luma, cb, cr, w, k, s.out.data());
        std::memcpy(dst + long(y) * dstRowBytes, s.out.data(), size_t(w) * 4);
    }
}

using ConvertFn = void (*)(const YuvPlanes&, const YuvFormat&, const YuvCoefficients&,
                           YuvToArgb::Scratch&, uint8_t*, long, bool);

void convertPlain(const YuvPlanes& src, const YuvFormat& format, const YuvCoefficients& k,
                  YuvToArgb::Scratch& s, uint8_t* dst, long dstRowBytes, bool rgba) {
    convertPicture(src, format, k, s, dst, dstRowBytes, rgba);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
[[gnu::target("avx2")]] void convertAvx2(const YuvPlanes& src, const YuvFormat& format,
                                         const YuvCoefficients& k, YuvToArgb::Scratch& s,
                                         uint8_t* dst, long dstRowBytes, bool rgba) {
    convertPicture(src, format, k, s, dst, dstRowBytes, rgba);
}

ConvertFn chooseConverter() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? convertAvx2 : convertPlain;
}
#else
ConvertFn chooseConverter() {
    return convertPlain;
}
#endif

} // namespace

YuvCoefficients YuvCoefficients::of(const YuvFormat& format) {
    // The luma weights of red and blue that define each matrix.
    double kr = 0.299, kb = 0.114;
    switch (format.matrix) {
    case YuvMatrix::bt601:
        break;
    case YuvMatrix::bt709:
        kr = 0.2126;
        kb = 0.0722;
        break;
    case YuvMatrix::fcc:
        kr = 0.30;
        kb = 0.11;
        break;
    case YuvMatrix::smpte240m:
        kr = 0.212;
        kb = 0.087;
        break;
    case YuvMatrix::bt2020:
        kr = 0.2627;
        kb = 0.0593;
        break;
    }
    const double kg = 1 - kr - kb;
    // Limited range stretches 219 luma steps and 224 chroma steps to 255.
    const double sy = format.fullRange ? 1.0 : 255.0 / 219.0;
    const double sc = format.fullRange ? 1.0 : 255.0 / 224.0;
    auto fixed = [](double v) { return int32_t(std::lround(std::ldexp(v, yuvFractionBits))); };
    return {fixed(sy),
            format.fullRange ? 0 : 16,
            fixed(sc * 2 * (1 - kr)),
            fixed(sc * 2 * kb * (1 - kb) / kg),
            fixed(sc * 2 * kr * (1 - kr) / kg),
            fixed(sc * 2 * (1 - kb))};
}

void convertYuvReference(const YuvPlanes& src, const YuvFormat& format, uint8_t* dst,
                         long dstRowBytes, bool rgba) {
    const YuvCoefficients k = YuvCoefficients::of(format);
    const bool subX = src.layout != ChromaLayout::s444, subY = src.layout == ChromaLayout::s420;
    const int cw = chromaWidth(src), ch = chromaHeight(src);
    for (int y = 0; y < src.height; ++y) {
        const Taps ty = taps(y, subY, true, ch);
        for (int x = 0; x < src.width; ++x) {
            const Taps tx = taps(x, subX, format.chromaCentred, cw);
            const int total = (ty.w0 + ty.w1) * (tx.w0 + tx.w1);
            auto chroma = [&](int p) {
                auto at = [&](int row, int col) {
                    return int(src.plane[p][long(row) * src.stride[p] + col]);
                };
                const int sum = ty.w0 * (tx.w0 * at(ty.i0, tx.i0) + tx.w1 * at(ty.i0, tx.i1)) +
                                ty.w1 * (tx.w0 * at(ty.i1, tx.i0) + tx.w1 * at(ty.i1, tx.i1));
                return (sum + total / 2) / total - 128;
            };
            const int32_t cb = chroma(1), cr = chroma(2);
            const int32_t l =
                k.y * (int32_t(src.plane[0][long(y) * src.stride[0] + x]) - k.yOffset);
            const uint8_t r = clampByte((l + k.rv * cr + kHalf) >> yuvFractionBits);
            const uint8_t g = clampByte((l - k.gu * cb - k.gv * cr + kHalf) >> yuvFractionBits);
            const uint8_t b = clampByte((l + k.bu * cb + kHalf) >> yuvFractionBits);
            uint8_t* px = dst + long(y) * dstRowBytes + long(x) * 4;
            if (rgba) {
                px[0] = r;
                px[1] = g;
                px[2] = b;
                px[3] = 255;
            } else {
                px[0] = 255;
                px[1] = r;
                px[2] = g;
                px[3] = b;
            }
        }
    }
}

void YuvToArgb::convert(const YuvPlanes& src, const YuvFormat& format, uint8_t* dst,
                        long dstRowBytes, bool rgba) {
    if (src.width <= 0 || src.height <= 0) return;
    static const ConvertFn widest = chooseConverter();
    const ConvertFn convertFn = baseline ? convertPlain : widest;
    const int cw = chromaWidth(src);
    scratch.tall.resize(2 * size_t(cw + 2));
    scratch.wide.resize(4 * size_t(cw));
    scratch.out.resize(size_t(src.width));
    convertFn(src, format, YuvCoefficients::of(format), scratch, dst, dstRowBytes, rgba);
}
