#include "DeepColourToArgb.h"

#include "ColourTags.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <zimg.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Reference white in nits: linear light 1.0 on both sides of the tone curve.
constexpr double kReferenceNits = 100;
// The peak assumed for PQ without mastering metadata, and HLG's nominal one.
constexpr double kDefaultPeakNits = 1000;
// Where the tone curve leaves the identity, as a fraction of reference white.
constexpr double kKnee = 0.8;
// zimg wants every row of every plane on this boundary.
constexpr uintptr_t kAlign = 64;

// A buffer on zimg's alignment.
struct Aligned {
    void* p = nullptr;
    size_t size = 0;
    Aligned() = default;
    Aligned(const Aligned&) = delete;
    Aligned& operator=(const Aligned&) = delete;
    ~Aligned() { av_free(p); }
    uint8_t* get(size_t n) {
        if (n > size) {
            av_free(p);
            p = av_malloc(n);
            size = p ? n : 0;
        }
        return static_cast<uint8_t*>(p);
    }
};

struct GraphDeleter {
    void operator()(zimg_filter_graph* g) const { zimg_filter_graph_free(g); }
};
using Graph = std::unique_ptr<zimg_filter_graph, GraphDeleter>;

zimg_image_format formatDefault() {
    zimg_image_format f;
    zimg_image_format_default(&f, ZIMG_API_VERSION);
    return f;
}

zimg_graph_builder_params paramsDefault() {
    zimg_graph_builder_params p;
    zimg_graph_builder_params_default(&p, ZIMG_API_VERSION);
    p.resample_filter = ZIMG_RESIZE_BICUBIC;
    p.resample_filter_uv = ZIMG_RESIZE_BILINEAR;
    p.dither_type = ZIMG_DITHER_NONE; // rounded, once
    p.nominal_peak_luminance = kReferenceNits;
    return p;
}

// Runs a graph over whole in-memory planes.
bool runWhole(const zimg_filter_graph* g, const void* const in[3], ptrdiff_t inStride,
              void* const out[3], ptrdiff_t outStride, Aligned& tmp) {
    size_t tmpSize = 0;
    if (zimg_filter_graph_get_tmp_size(g, &tmpSize)) return false;
    zimg_image_buffer_const src{};
    zimg_image_buffer dst{};
    src.version = dst.version = ZIMG_API_VERSION;
    for (int p = 0; p < 3; ++p) {
        src.plane[p] = {in[p], inStride, ZIMG_BUFFER_MAX};
        dst.plane[p] = {out[p], outStride, ZIMG_BUFFER_MAX};
    }
    return zimg_filter_graph_process(g, &src, &dst, tmp.get(tmpSize), nullptr, nullptr, nullptr,
                                     nullptr) == 0;
}

// The peak of a PQ picture in multiples of reference white: the mastering
// display's when the stream gives it, else the common 1000 nits.
double peakOf(const AVFrame* f, DynamicRange range) {
    double nits = kDefaultPeakNits;
    if (range == DynamicRange::pq) {
        if (const AVFrameSideData* sd =
                av_frame_get_side_data(f, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA)) {
            const auto* m = reinterpret_cast<const AVMasteringDisplayMetadata*>(sd->data);
            if (m->has_luminance && m->max_luminance.den > 0) {
                const double v = av_q2d(m->max_luminance);
                if (v > kReferenceNits && v <= 10000) nits = v;
            }
        }
    }
    return nits / kReferenceNits;
}

// The tone table's index of a linear value: the float's bits from 2^-22
// (below half an SDR code) up, kept to kTableMantissa bits of mantissa, 30
// octaves to 256 (25600 nits).
constexpr int kTableMantissa = 8;
constexpr int32_t kTableLow = 105 << 23; // 2^-22
constexpr uint32_t kTableSize = 30u << kTableMantissa;
constexpr int32_t kTableHigh = kTableLow + int32_t(kTableSize << (23 - kTableMantissa)) - 1;

// One row of linear light (three planes of `n` floats) through the tone
// table to 32-bit pixels: the indices of each plane first, in a loop the
// compiler vectorises, then the look-ups.
template <bool Rgba>
inline void toneRow(const float* const light[3], unsigned n, const uint8_t* table, uint16_t* index,
                    uint8_t* out) {
    for (int c = 0; c < 3; ++c) {
        const float* v = light[c];
        uint16_t* to = index + size_t(c) * n;
        for (unsigned x = 0; x < n; ++x) {
            int32_t bits; // negative for negative values (out of the BT.709 gamut): black
            std::memcpy(&bits, v + x, 4);
            bits = std::min(std::max(bits, kTableLow), kTableHigh);
            to[x] = uint16_t((bits - kTableLow) >> (23 - kTableMantissa));
        }
    }
    for (unsigned x = 0; x < n; ++x) {
        const uint32_t rgb = table[index[x]] | uint32_t(table[index[n + x]]) << 8 |
                             uint32_t(table[index[2 * n + x]]) << 16;
        // Bytes R,G,B,A or A,R,G,B in memory, on a little-endian machine.
        const uint32_t v = Rgba ? rgb | 0xff000000u : rgb << 8 | 0xffu;
        std::memcpy(out + size_t(x) * 4, &v, 4);
    }
}

using ToneRowFn = void (*)(const float* const[3], unsigned, const uint8_t*, uint16_t*, uint8_t*);

template <bool Rgba>
void toneRowPlain(const float* const light[3], unsigned n, const uint8_t* table, uint16_t* index,
                  uint8_t* out) {
    toneRow<Rgba>(light, n, table, index, out);
}

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
template <bool Rgba>
[[gnu::target("avx2")]] void toneRowAvx2(const float* const light[3], unsigned n,
                                         const uint8_t* table, uint16_t* index, uint8_t* out) {
    toneRow<Rgba>(light, n, table, index, out);
}

ToneRowFn chooseToneRow(bool rgba) {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return rgba ? toneRowAvx2<true> : toneRowAvx2<false>;
    return rgba ? toneRowPlain<true> : toneRowPlain<false>;
}
#else
ToneRowFn chooseToneRow(bool rgba) {
    return rgba ? toneRowPlain<true> : toneRowPlain<false>;
}
#endif

} // namespace

DynamicRange dynamicRangeOf(int transfer) {
    switch (transfer) {
    case AVCOL_TRC_SMPTE2084:
        return DynamicRange::pq;
    case AVCOL_TRC_ARIB_STD_B67:
        return DynamicRange::hlg;
    default:
        return DynamicRange::sdr;
    }
}

const char* dynamicRangeNote(DynamicRange range) {
    switch (range) {
    case DynamicRange::pq:
        return "HDR (PQ) shown tone-mapped";
    case DynamicRange::hlg:
        return "HDR (HLG) shown tone-mapped";
    case DynamicRange::sdr:
        break;
    }
    return "";
}

double toneMap(double x, double peak) {
    if (x <= kKnee) return x;
    if (peak <= 1) return std::min(x, 1.0);
    const double j = kKnee;
    const double a = -j * j * (peak - 1) / (j * j - 2 * j + peak);
    const double b = (j * j - 2 * j * peak + peak) / (peak - 1);
    return std::min(1.0, (b * b + 2 * b * j + j * j) / (b - a) * (x + a) / (x + b));
}

struct DeepColourToArgb::State {
    // The graph and what it was built for.
    Graph graph;
    struct Key {
        int format = -1, width = 0, height = 0, dstW = 0, dstH = 0;
        int matrix = 0, transfer = 0, primaries = 0, chroma = 0;
        bool full = false;
        bool operator==(const Key&) const = default;
    } key;
    DynamicRange range = DynamicRange::sdr;
    // HDR: the picture comes out of the graph as linear BT.709 light in
    // floats, and this table takes each of them, by its exponent and the top
    // bits of its mantissa, through the tone curve to an 8-bit BT.709 code.
    std::vector<uint8_t> toneTable;
    double tablePeak = 0;
    std::vector<uint16_t> toneIndex; // a row's indices, plane after plane
    ToneRowFn toneRow = nullptr;
    // The graph's output lines, a ring of `ringMask` + 1 lines a plane.
    Aligned ring, tmp, copy;
    unsigned ringMask = 0;
    ptrdiff_t ringStride = 0;
    // Where the pack callback writes.
    uint8_t* dst = nullptr;
    long dstRowBytes = 0;
    bool rgba = false;

    bool buildToneTable(double peak);
    static int pack(void* user, unsigned i, unsigned left, unsigned right);
};

// The middle of every step of the index through the tone curve, then through
// zimg to 8-bit BT.709 codes.
bool DeepColourToArgb::State::buildToneTable(double peak) {
    constexpr unsigned side = 1u << kTableMantissa, rows = kTableSize / side;
    zimg_image_format linear = formatDefault();
    linear.width = side;
    linear.height = rows;
    linear.pixel_type = ZIMG_PIXEL_FLOAT;
    linear.color_family = ZIMG_COLOR_RGB;
    linear.matrix_coefficients = ZIMG_MATRIX_RGB;
    linear.transfer_characteristics = ZIMG_TRANSFER_LINEAR;
    linear.color_primaries = ZIMG_PRIMARIES_BT709;
    zimg_image_format sdr = linear;
    sdr.pixel_type = ZIMG_PIXEL_BYTE;
    sdr.depth = 8;
    sdr.pixel_range = ZIMG_RANGE_FULL;
    sdr.transfer_characteristics = ZIMG_TRANSFER_BT709;
    const zimg_graph_builder_params params = paramsDefault();
    Graph toSdr(zimg_filter_graph_build(&linear, &sdr, &params));
    if (!toSdr) return false;

    Aligned linearBuf, sdrBuf;
    auto* light = reinterpret_cast<float*>(linearBuf.get(kTableSize * 4));
    uint8_t* out = sdrBuf.get(kTableSize * 3);
    if (!light || !out) return false;
    for (uint32_t i = 0; i < kTableSize; ++i) {
        const uint32_t bits =
            kTableLow + (i << (23 - kTableMantissa)) + (1u << (22 - kTableMantissa));
        float x;
        std::memcpy(&x, &bits, 4);
        light[i] = float(toneMap(x, peak));
    }
    const void* in3[3] = {light, light, light};
    void* out3[3] = {out, out + kTableSize, out + 2 * kTableSize};
    if (!runWhole(toSdr.get(), in3, side * 4, out3, side, tmp)) return false;
    toneTable.assign(out, out + kTableSize);
    tablePeak = peak;
    return true;
}

int DeepColourToArgb::State::pack(void* user, unsigned i, unsigned left, unsigned right) {
    auto* st = static_cast<State*>(user);
    uint8_t* row = st->dst + long(i) * st->dstRowBytes;
    const ptrdiff_t line = ptrdiff_t(i & st->ringMask) * st->ringStride;
    const ptrdiff_t plane = ptrdiff_t(st->ringMask + 1) * st->ringStride;
    const uint8_t* base = st->ring.get(0) + line;
    const int shift = st->rgba ? 0 : 8;
    const uint32_t alpha = st->rgba ? 0xff000000u : 0xffu;
    auto put = [&](unsigned x, uint32_t r, uint32_t g, uint32_t b) {
        // Bytes R,G,B,A or A,R,G,B in memory, on a little-endian machine.
        const uint32_t v = ((r | g << 8 | b << 16) << shift) | alpha;
        std::memcpy(row + size_t(x) * 4, &v, 4);
    };
    if (st->range == DynamicRange::sdr) {
        const uint8_t *r = base, *g = base + plane, *b = base + 2 * plane;
        for (unsigned x = left; x < right; ++x) put(x, r[x], g[x], b[x]);
    } else {
        const float* light[3];
        for (int c = 0; c < 3; ++c)
            light[c] = reinterpret_cast<const float*>(base + c * plane) + left;
        st->toneRow(light, right - left, st->toneTable.data(), st->toneIndex.data(),
                    row + size_t(left) * 4);
    }
    return 0;
}

DeepColourToArgb::DeepColourToArgb() : s(std::make_unique<State>()) {}
DeepColourToArgb::~DeepColourToArgb() = default;

bool DeepColourToArgb::takes(const AVFrame* frame) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    if (!d || d->nb_components < 3 || (d->flags & (AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_RGB)) ||
        !(d->flags & AV_PIX_FMT_FLAG_PLANAR) || d->log2_chroma_w > 1 || d->log2_chroma_h > 1)
        return false;
    // Each component in its own plane, or Cb and Cr interleaved in the second
    // (semi-planar, as hardware decoders give them), in whole samples of one
    // or two bytes, the value in any bits of them.
    const int depth = d->comp[0].depth, bytes = depth > 8 ? 2 : 1;
    const bool semi = d->comp[1].plane == 1 && d->comp[2].plane == 1;
    for (int c = 0; c < 3; ++c) {
        const AVComponentDescriptor& k = d->comp[c];
        if (k.plane != (semi ? std::min(c, 1) : c) || k.depth != depth ||
            k.step != (semi && c ? 2 * bytes : bytes) || k.offset % bytes ||
            k.shift + depth > 8 * bytes)
            return false;
    }
    if (frame->width % (1 << d->log2_chroma_w) || frame->height % (1 << d->log2_chroma_h))
        return false;
    return depth > 8 ? depth <= 16
                     : dynamicRangeOf(ColourTags::of(frame->color_trc)) != DynamicRange::sdr;
}

bool DeepColourToArgb::convert(const AVFrame* frame, const uint8_t* const planes[3],
                               const int strides[3], int srcH, uint8_t* dst, long dstRowBytes,
                               int dstW, int dstH, bool rgba) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    if (!d || !takes(frame)) return false;
    const DynamicRange range = dynamicRangeOf(ColourTags::of(frame->color_trc));
    const bool hdr = range != DynamicRange::sdr;

    State::Key key;
    key.format = frame->format;
    key.width = frame->width;
    key.height = srcH;
    key.dstW = dstW;
    key.dstH = dstH;
    // Untagged pictures: HDR is BT.2020 throughout; SDR as the 8-bit road
    // takes it, BT.709 when HD and BT.601 otherwise.
    key.matrix = ColourTags::of(frame->colorspace);
    if (key.matrix == AVCOL_SPC_UNSPECIFIED)
        key.matrix = hdr                    ? AVCOL_SPC_BT2020_NCL
                     : frame->height >= 720 ? AVCOL_SPC_BT709
                                            : AVCOL_SPC_SMPTE170M;
    key.primaries = ColourTags::of(frame->color_primaries);
    if (key.primaries == AVCOL_PRI_UNSPECIFIED) key.primaries = AVCOL_PRI_BT2020;
    key.transfer = ColourTags::of(frame->color_trc);
    key.chroma = ColourTags::of(frame->chroma_location) == AVCHROMA_LOC_UNSPECIFIED
                     ? ZIMG_CHROMA_LEFT
                     : ColourTags::of(frame->chroma_location) - 1;
    key.full = ColourTags::of(frame->color_range) == AVCOL_RANGE_JPEG;

    if (!s->graph || !(key == s->key) || s->range != range) {
        s->graph.reset();
        zimg_image_format in = formatDefault();
        in.width = unsigned(frame->width);
        in.height = unsigned(srcH);
        const int depth = d->comp[0].depth;
        in.pixel_type = depth > 8 ? ZIMG_PIXEL_WORD : ZIMG_PIXEL_BYTE;
        in.depth = unsigned(depth);
        in.subsample_w = d->log2_chroma_w;
        in.subsample_h = d->log2_chroma_h;
        in.color_family = ZIMG_COLOR_YUV;
        in.matrix_coefficients = zimg_matrix_coefficients_e(key.matrix);
        in.pixel_range = key.full ? ZIMG_RANGE_FULL : ZIMG_RANGE_LIMITED;
        in.chroma_location = zimg_chroma_location_e(key.chroma);
        zimg_image_format out = formatDefault();
        out.width = unsigned(dstW);
        out.height = unsigned(dstH);
        out.color_family = ZIMG_COLOR_RGB;
        out.matrix_coefficients = ZIMG_MATRIX_RGB;
        out.pixel_range = ZIMG_RANGE_FULL;
        if (hdr) {
            // To linear display light, with BT.2020 primaries turned to BT.709.
            in.transfer_characteristics = zimg_transfer_characteristics_e(key.transfer);
            in.color_primaries = zimg_color_primaries_e(key.primaries);
            out.transfer_characteristics = ZIMG_TRANSFER_LINEAR;
            out.color_primaries = ZIMG_PRIMARIES_BT709;
            out.pixel_type = ZIMG_PIXEL_FLOAT;
        } else {
            // The matrix alone, as the 8-bit road does.
            out.pixel_type = ZIMG_PIXEL_BYTE;
            out.depth = 8;
        }
        // zimg's quick curves, as FFmpeg's zscale uses them by default: PQ's
        // is as good as the exact one; HLG's applies the system gamma (1.2 on
        // the nominal 1000-nit display, reference white at 100 nits) to each
        // component alone, the way HLG pictures made by zscale were coded.
        zimg_graph_builder_params params = paramsDefault();
        params.allow_approximate_gamma = 1;
        s->graph.reset(zimg_filter_graph_build(&in, &out, &params));
        if (!s->graph) return false;
        unsigned lines = 0;
        if (zimg_filter_graph_get_output_buffering(s->graph.get(), &lines)) {
            s->graph.reset();
            return false;
        }
        s->ringMask = zimg_select_buffer_mask(lines);
        if (s->ringMask == ZIMG_BUFFER_MAX) s->ringMask = zimg_select_buffer_mask(unsigned(dstH));
        const ptrdiff_t rowBytes = ptrdiff_t(dstW) * (hdr ? 4 : 1);
        s->ringStride = (rowBytes + ptrdiff_t(kAlign) - 1) / ptrdiff_t(kAlign) * ptrdiff_t(kAlign);
        s->key = key;
        s->range = range;
    }
    if (hdr) {
        s->toneRow = chooseToneRow(rgba);
        s->toneIndex.resize(size_t(dstW) * 3);
        const double peak = peakOf(frame, range);
        if (s->toneTable.empty() || peak != s->tablePeak) {
            if (!s->buildToneTable(peak)) return false;
        }
    }

    size_t tmpSize = 0;
    if (zimg_filter_graph_get_tmp_size(s->graph.get(), &tmpSize)) return false;
    const size_t planeBytes = size_t(s->ringMask + 1) * size_t(s->ringStride);
    uint8_t* ring = s->ring.get(planeBytes * 3);
    void* tmp = s->tmp.get(tmpSize);
    if (!ring || !tmp) return false;

    zimg_image_buffer_const src{};
    src.version = ZIMG_API_VERSION;
    // zimg reads whole planes on its alignment only: other pictures are
    // copied first, their samples taken out of their interleaving and bits.
    const int sampleBytes = d->comp[0].depth > 8 ? 2 : 1;
    bool direct = true;
    for (int p = 0; p < 3; ++p)
        direct = direct && d->comp[p].plane == p && d->comp[p].shift == 0 &&
                 reinterpret_cast<uintptr_t>(planes[p]) % kAlign == 0 &&
                 unsigned(std::abs(strides[p])) % kAlign == 0;
    if (direct) {
        for (int p = 0; p < 3; ++p) src.plane[p] = {planes[p], strides[p], ZIMG_BUFFER_MAX};
    } else {
        size_t offset[4] = {0, 0, 0, 0};
        ptrdiff_t stride[3];
        int rows[3], width[3];
        for (int p = 0; p < 3; ++p) {
            width[p] = p ? frame->width >> d->log2_chroma_w : frame->width;
            rows[p] = p ? srcH >> d->log2_chroma_h : srcH;
            const size_t used = size_t(width[p]) * size_t(sampleBytes);
            stride[p] = ptrdiff_t((used + kAlign - 1) / kAlign * kAlign);
            offset[p + 1] = offset[p] + size_t(stride[p]) * size_t(rows[p]);
        }
        uint8_t* copy = s->copy.get(offset[3]);
        if (!copy) return false;
        for (int p = 0; p < 3; ++p) {
            const AVComponentDescriptor& k = d->comp[p];
            const int step = k.step / sampleBytes;
            for (int y = 0; y < rows[p]; ++y) {
                const uint8_t* in = planes[k.plane] + long(y) * strides[k.plane] + k.offset;
                uint8_t* to = copy + offset[p] + size_t(y) * size_t(stride[p]);
                if (step == 1 && k.shift == 0) {
                    std::memcpy(to, in, size_t(width[p]) * size_t(sampleBytes));
                } else if (sampleBytes == 1) {
                    for (int x = 0; x < width[p]; ++x) to[x] = in[x * step];
                } else {
                    for (int x = 0; x < width[p]; ++x) {
                        uint16_t v;
                        std::memcpy(&v, in + 2 * x * step, 2);
                        v = uint16_t(v >> k.shift);
                        std::memcpy(to + 2 * x, &v, 2);
                    }
                }
            }
            src.plane[p] = {copy + offset[p], stride[p], ZIMG_BUFFER_MAX};
        }
    }
    zimg_image_buffer out{};
    out.version = ZIMG_API_VERSION;
    for (int p = 0; p < 3; ++p)
        out.plane[p] = {ring + size_t(p) * planeBytes, s->ringStride, s->ringMask};
    s->dst = dst;
    s->dstRowBytes = dstRowBytes;
    s->rgba = rgba;
    return zimg_filter_graph_process(s->graph.get(), &src, &out, tmp, nullptr, nullptr,
                                     &State::pack, s.get()) == 0;
}
