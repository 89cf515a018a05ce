// The snapshot road's rows: the column samples and row kernels set up once, then
// each result row from its row samples.
#include "RoadEngine.h"

#include "VectorPaths.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if IMAGELIB_X86_VECTOR
#include <immintrin.h>
#endif

namespace {

// Footprint sums: a row of sample bytes added into 16-bit column sums, and each
// result column's 16-bit sums (from colstart[x] to colstart[x + 1]) added into
// its four 64-bit sums (alpha, red, green, blue). Whole numbers: any order
// gives the same sums.
void addRowPlain(const unsigned char* sp, std::uint16_t* vp, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) vp[k] = std::uint16_t(vp[k] + sp[k]);
}

void addColumnsPlain(const std::uint16_t* vsum, const int* colstart, int w, std::int64_t* acc) {
    for (int x = 0; x < w; ++x) {
        std::int64_t* a = acc + std::size_t(x) * 4;
        for (int k = colstart[x]; k < colstart[x + 1]; ++k)
            for (int i = 0; i < 4; ++i) a[i] += vsum[std::size_t(k) * 4 + std::size_t(i)];
    }
}

// The means of footprints whose every row is in one batch of 16-bit column
// sums: result column x's sums over its columns, times 1 / (columns × rows),
// truncated to bytes (each mean is at most 255), alpha 255. The caller makes
// sure that the sums (columns × rows × 255 at most) stay below 2^31.
void meansPlain(const std::uint16_t* vsum, const int* colstart, int w, std::int64_t rows,
                unsigned char* o) {
    std::int64_t lastn = -1;
    double inv = 0.0;
    for (int x = 0; x < w; ++x, o += 4) {
        std::int32_t a[4] = {0, 0, 0, 0};
        for (int k = colstart[x]; k < colstart[x + 1]; ++k)
            for (int i = 0; i < 4; ++i) a[i] += vsum[std::size_t(k) * 4 + std::size_t(i)];
        const std::int64_t n = std::int64_t(colstart[x + 1] - colstart[x]) * rows;
        if (n != lastn) inv = n > 0 ? 1.0 / double(n) : 0.0, lastn = n;
        o[0] = 255;
        for (int i = 1; i < 4; ++i) o[i] = std::uint8_t(std::int32_t(double(a[i]) * inv));
    }
}

#if IMAGELIB_X86_VECTOR
__attribute__((target("avx2"))) void meansAvx2(const std::uint16_t* vsum, const int* colstart,
                                               int w, std::int64_t rows, unsigned char* o) {
    const __m128i bytes =
        _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    std::int64_t lastn = -1;
    __m256d inv = _mm256_setzero_pd();
    for (int x = 0; x < w; ++x, o += 4) {
        __m128i s = _mm_setzero_si128();
        for (int k = colstart[x]; k < colstart[x + 1]; ++k) {
            const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(vsum + 4 * k));
            s = _mm_add_epi32(s, _mm_cvtepu16_epi32(v));
        }
        const std::int64_t n = std::int64_t(colstart[x + 1] - colstart[x]) * rows;
        if (n != lastn) inv = _mm256_set1_pd(n > 0 ? 1.0 / double(n) : 0.0), lastn = n;
        const __m128i m = _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(s), inv));
        const int b = _mm_cvtsi128_si32(_mm_shuffle_epi8(m, bytes)) | 0xff;
        std::memcpy(o, &b, 4);
    }
}

__attribute__((target("avx2"))) void addRowAvx2(const unsigned char* sp, std::uint16_t* vp,
                                                std::size_t n) {
    std::size_t k = 0;
    for (; k + 16 <= n; k += 16) {
        const __m256i b =
            _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sp + k)));
        __m256i* v = reinterpret_cast<__m256i*>(vp + k);
        _mm256_storeu_si256(v, _mm256_add_epi16(_mm256_loadu_si256(v), b));
    }
    addRowPlain(sp + k, vp + k, n - k);
}

__attribute__((target("avx2"))) void addColumnsAvx2(const std::uint16_t* vsum, const int* colstart,
                                                    int w, std::int64_t* acc) {
    for (int x = 0; x < w; ++x) {
        __m128i s = _mm_setzero_si128();
        for (int k = colstart[x]; k < colstart[x + 1]; ++k) {
            const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(vsum + 4 * k));
            s = _mm_add_epi32(s, _mm_cvtepu16_epi32(v));
        }
        __m256i* a = reinterpret_cast<__m256i*>(acc + std::size_t(x) * 4);
        _mm256_storeu_si256(a, _mm256_add_epi64(_mm256_loadu_si256(a), _mm256_cvtepu32_epi64(s)));
    }
}
#endif

struct FootprintSums {
    void (*addRow)(const unsigned char*, std::uint16_t*, std::size_t) = addRowPlain;
    void (*addColumns)(const std::uint16_t*, const int*, int, std::int64_t*) = addColumnsPlain;
    void (*means)(const std::uint16_t*, const int*, int, std::int64_t, unsigned char*) = meansPlain;
};

const FootprintSums& footprintSums() {
    static const FootprintSums f = [] {
        FootprintSums v;
#if IMAGELIB_X86_VECTOR
        __builtin_cpu_init();
        if (__builtin_cpu_supports("avx2")) v = {addRowAvx2, addColumnsAvx2, meansAvx2};
#endif
        return v;
    }();
    return f;
}

} // namespace

RoadEngine::RoadEngine(const RoadSource& c) : c_(c) {
    const auto& s = *c_.sample;
    colstart_.reserve(std::size_t(s.width()) + 1);
    for (int x = s.lx(); x <= s.hx(); ++x) {
        colstart_.push_back(int(cols_.size()));
        for (double p : samplePositions(c_, x, true))
            cols_.push_back(axisSample(p, c_.lx, c_.hx, true, c_.code));
    }
    colstart_.push_back(int(cols_.size()));
    for (std::size_t x = 0; x + 1 < colstart_.size(); ++x)
        widestFootprint_ = std::max(widestFootprint_, colstart_[x + 1] - colstart_[x]);

    // One entry per column sample: a reduction's footprints are rows of samples
    // like an enlargement's, read by the same kernels.
    const bool bilinears = c_.code == SIBilinear || c_.code == SISmoothBilinear;
    std::vector<IntegerBilinearRows::Col> fc;
    for (std::size_t x = 0; x < cols_.size(); ++x) {
        const AxisSample& a = cols_[x];
        IntegerBilinearRows::Col k;
        k.i0 = a.floorPos - c_.ox;
        k.i1 = a.ceilPos - c_.ox;
        if (a.cellInside) k.g = a.g, k.f = a.f, k.sideLow = a.sideLow, k.sideHigh = a.sideHigh;
        k.cellInside = a.inside && a.cellInside;
        k.ringInside = a.ringInside;
        const bool ring = c_.code == SISmoothBilinear || c_.code == SICubicBSpline;
        if (!k.cellInside || (ring && !k.ringInside)) rest_.push_back(int(x));
        if (bilinears) fc.push_back(k);
    }
    if (bilinears) {
        bilinearRows_ = std::make_unique<IntegerBilinearRows::Plan>(
            fc, c_.lx - c_.ox, c_.hx - c_.ox, c_.code == SISmoothBilinear);
    }
    if (c_.code == SICubicBSpline) splineRows_ = std::make_unique<SplineRows>(c_, cols_);
    if (c_.code != SITriangular) return;

    // The triangle geometry is tabled when the pairs of fractions are few against
    // the samples: the fractions of simple factors repeat, so an enlargement by 2
    // needs four entries.
    std::vector<AxisSample> rowsamples;
    for (int y = s.ly(); y <= s.hy(); ++y)
        for (double p : samplePositions(c_, y, false))
            rowsamples.push_back(axisSample(p, c_.ly, c_.hy, false, c_.code));
    const std::vector<double> fxs = distinctFractions(cols_);
    std::vector<double> fys = distinctFractions(rowsamples);
    const double pairs = double(fxs.size()) * double(fys.size());
    if (pairs < 1.0 || pairs * 4.0 > double(cols_.size()) * double(rowsamples.size()) ||
        pairs > double(1 << 20)) {
        return;
    }
    for (AxisSample& a : cols_)
        if (a.cellInside) a.fractionId = fractionId(fxs, a.f);
    columnFractions_ = fxs.size();
    triangles_.resize(std::size_t(pairs));
    for (std::size_t j = 0; j < fys.size(); ++j)
        for (std::size_t i = 0; i < fxs.size(); ++i)
            triangles_[j * columnFractions_ + i] = TriangleGeometry::at(fxs[i], fys[j]);
    rowFractions_ = std::move(fys);
    // Only the vector kernels take a tabled row's samples in pairs.
    if (TrianglePixels::fns().tabledRow)
        pairs_ = TrianglePixels::pairColumns(cols_, columnFractions_, c_.ox);
}

RoadEngine::RowSample RoadEngine::rowSample(double py) const {
    RowSample rs;
    rs.ay = axisSample(py, c_.ly, c_.hy, false, c_.code);
    const AxisSample& a = rs.ay;
    if (!a.cellInside) return rs;
    rs.r0 = c_.row(a.floorPos);
    rs.r1 = c_.row(a.ceilPos);
    rs.up = c_.row(std::int64_t(a.floorPos) - 1);
    rs.down = c_.row(std::int64_t(a.ceilPos) + 1);
    for (int j = 0; j < 4; ++j) rs.taps[j] = c_.row(std::int64_t(a.floorPos) - 1 + j);
    if (!triangles_.empty()) rs.ay.fractionId = fractionId(rowFractions_, a.f);
    return rs;
}

void RoadEngine::sampleRow(const RowSample& rs, IntegerBilinearRows::WeightCache* weights,
                           FloatRows* floatrows, unsigned char* o) const {
    const bool rowInside = rs.ay.inside && rs.ay.cellInside;
    // A row the row kernels take leaves only the columns they skip.
    bool done = false;
    if (rowInside && bilinearRows_ && weights && (c_.code == SIBilinear || rs.ay.ringInside)) {
        IntegerBilinearRows::Rows fr;
        fr.up = rs.up, fr.r0 = rs.r0, fr.r1 = rs.r1, fr.down = rs.down;
        fr.fy = rs.ay.f, fr.gy = rs.ay.g;
        fr.sideLowY = rs.ay.sideLow, fr.sideHighY = rs.ay.sideHigh;
        if (c_.code == SIBilinear) {
            bilinearRows_->bilinear(fr, *weights, o);
        } else {
            bilinearRows_->smooth(fr, *weights, o);
        }
        done = true;
    } else if (rowInside && c_.code == SITriangular) {
        triangleRow(rs, o);
        done = true;
    } else if (rowInside && floatrows && c_.code == SICubicBSpline && rs.ay.ringInside) {
        splineRows_->row(rs.ay, rs.taps, *floatrows, o);
        done = true;
    }
    const std::size_t nrest = done ? rest_.size() : cols_.size();
    for (std::size_t i = 0; i < nrest; ++i) {
        const std::size_t x = done ? std::size_t(rest_[i]) : i;
        int rgb[3];
        pixel(cols_[x], rs, rgb);
        unsigned char* p = o + x * 4;
        p[0] = 255;
        p[1] = std::uint8_t(rgb[0]);
        p[2] = std::uint8_t(rgb[1]);
        p[3] = std::uint8_t(rgb[2]);
    }
}

void RoadEngine::rows(unsigned char* out, long rowbytes, int y0, int y1) const {
    const auto& s = *c_.sample;
    const int w = s.width();
    std::vector<std::int64_t> acc;
    std::vector<unsigned char> samples;
    std::vector<std::uint16_t> vsum;
    std::vector<RowSample> sets;
    const FootprintSums& sums = footprintSums();
    if (c_.reduce) {
        acc.resize(std::size_t(w) * 4);
        samples.resize(cols_.size() * 4);
        vsum.resize(cols_.size() * 4);
    }
    std::unique_ptr<FloatRows> floatrows;
    std::unique_ptr<IntegerBilinearRows::WeightCache> weights;
    if (bilinearRows_) weights = bilinearRows_->cache();
    if (c_.code == SICubicBSpline) floatrows = std::make_unique<FloatRows>(c_.lx, c_.hx);
    for (int yi = y0; yi < y1; ++yi) {
        unsigned char* o = out + std::int64_t(yi) * rowbytes;
        sets.clear();
        for (double p : samplePositions(c_, s.ly() + yi, false)) sets.push_back(rowSample(p));
        if (!c_.reduce) {
            // One sample per column: the samples are the result row.
            sampleRow(sets.front(), weights.get(), floatrows.get(), o);
            continue;
        }
        // Footprint means: whole-number sums of the samples taken, times 1 / n.
        // Every sample is a whole number of at most 255, so the double sums the
        // resampler forms are exact and equal these integer sums in any order.
        // The row samples' bytes are summed column sample by column sample in
        // 16 bits (up to 257 rows of 255 fit), then each footprint's columns.
        if (sets.size() <= 257 && std::int64_t(widestFootprint_) * std::int64_t(sets.size()) * 255 <
                                      (std::int64_t(1) << 31)) {
            // One batch whose sums int32 holds: the means straight from the
            // column sums.
            std::fill(vsum.begin(), vsum.end(), std::uint16_t(0));
            for (const RowSample& rs : sets) {
                sampleRow(rs, weights.get(), floatrows.get(), samples.data());
                sums.addRow(samples.data(), vsum.data(), vsum.size());
            }
            sums.means(vsum.data(), colstart_.data(), w, std::int64_t(sets.size()), o);
            continue;
        }
        std::fill(acc.begin(), acc.end(), 0);
        for (std::size_t r0 = 0; r0 < sets.size(); r0 += 257) {
            std::fill(vsum.begin(), vsum.end(), std::uint16_t(0));
            for (std::size_t r = r0; r < std::min(sets.size(), r0 + 257); ++r) {
                sampleRow(sets[r], weights.get(), floatrows.get(), samples.data());
                sums.addRow(samples.data(), vsum.data(), vsum.size());
            }
            sums.addColumns(vsum.data(), colstart_.data(), w, acc.data());
        }
        // Each mean is at most 255, so it is truncated to its byte as it is.
        std::int64_t lastn = -1;
        double inv = 0.0;
        for (int x = 0; x < w; ++x, o += 4) {
            const std::int64_t n =
                std::int64_t(colstart_[x + 1] - colstart_[x]) * std::int64_t(sets.size());
            if (n != lastn) inv = n > 0 ? 1.0 / double(n) : 0.0, lastn = n;
            const std::int64_t* a = &acc[std::size_t(x) * 4 + 1];
            o[0] = 255;
            o[1] = std::uint8_t(std::int64_t(double(a[0]) * inv));
            o[2] = std::uint8_t(std::int64_t(double(a[1]) * inv));
            o[3] = std::uint8_t(std::int64_t(double(a[2]) * inv));
        }
    }
}
