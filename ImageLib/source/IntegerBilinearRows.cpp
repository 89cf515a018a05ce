// Bilinear and smoothed bilinear rows in integers, bit for bit the double form.
//
// Every weighted channel of these methods is trunc(c × w) for a whole number c
// (a byte, or the sum of two bytes) and a double weight w in 0..1, with the
// product rounded to double (and, for the ring, then to float and added to a
// byte in float). With M = floor(w × 2^24), q = c × M is exact in 32 bits and
// q / 2^24 lies at most c / 2^24 below the true product, while rounding can
// only lift a product that lies just below a whole number up to it. So when
// the 24 fraction bits of q stay clear of the top (by more than those errors),
// q >> 24 is the truncated product exactly; a group of eight pixels in which
// any product comes that close is recomputed in doubles, pixel by pixel.
#include "IntegerBilinearRows.h"

#include "VectorPaths.h"

#include <algorithm>
#include <cstring>

namespace IntegerBilinearRows {

struct Plan::Group {
    // Per column of the group, the source indices i0 - 1, i0, i1, i1 + 1:
    // relative to base when wide, else absolute.
    alignas(32) std::int32_t idx[4][8];
    std::int32_t base = 0;
    bool wide = false; // base .. base + 15 may be read and holds every index
    bool ok = false;   // all eight columns are ones this plan fills
};

namespace {

constexpr double scale24 = 16777216.0;
constexpr std::uint32_t fracmask = (1u << 24) - 1;
// A single byte's product is at most 255 / 2^24 low; a margin of 512 covers it
// and the double rounding (below 2^-44 for products under 256).
constexpr int bytelimit = (1 << 24) - 512 - 1;
// A ring pair's product is at most 510 / 2^24 low; its rounding to float (below
// 2^-18 for products under 72) and the float sum with a byte (below 2^-16 for
// sums under 512) add less than 330 / 2^24. A margin of 4096 covers both.
constexpr int ringlimit = (1 << 24) - 4096 - 1;

// Channel ch (1 red, 2 green, 3 blue) of a pixel.
inline int chan1(const ARGBVal& p, int ch) {
    return ch == 1 ? p.red : ch == 2 ? p.green : p.blue;
}

// The double form, one pixel at a time ---------------------------------------

// The bilinear colour of one pixel: each corner's channel times its double
// weight, truncated, the four added and reduced to a byte.
inline void bilinear1(const Rows& rs, const Col& c, int v[3]) {
    const ARGBVal p00 = rs.r0[c.i0], p10 = rs.r0[c.i1], p01 = rs.r1[c.i0], p11 = rs.r1[c.i1];
    const double w00 = c.g * rs.gy, w10 = c.f * rs.gy, w01 = rs.fy * c.g, w11 = c.f * rs.fy;
    for (int ch = 1; ch <= 3; ++ch) {
        v[ch - 1] = std::uint8_t(int(chan1(p00, ch) * w00) + int(chan1(p10, ch) * w10) +
                                 int(chan1(p01, ch) * w01) + int(chan1(p11, ch) * w11));
    }
}

inline void storepixel(const int v[3], unsigned char* o) {
    o[0] = 255;
    o[1] = std::uint8_t(v[0]);
    o[2] = std::uint8_t(v[1]);
    o[3] = std::uint8_t(v[2]);
}

// The smoothed bilinear pixel: the bilinear bytes times 0.75 (exact, then
// truncated), then the four ring pairs, each pair's sum times its weight in
// double rounded to float, added to the bytes in float, truncated and clamped,
// in the order G00, G01, G10, G11.
inline void smooth1(const Rows& rs, const Col& c, unsigned char* o) {
    int v[3];
    bilinear1(rs, c, v);
    const double w[4] = {c.sideLow * rs.sideLowY, c.sideLow * rs.sideHighY,
                         c.sideHigh * rs.sideLowY, c.sideHigh * rs.sideHighY};
    const ARGBVal pairs[4][2] = {{rs.up[c.i0], rs.r0[c.i0 - 1]},
                                 {rs.down[c.i0], rs.r1[c.i0 - 1]},
                                 {rs.r0[c.i1 + 1], rs.up[c.i1]},
                                 {rs.down[c.i1], rs.r1[c.i1 + 1]}};
    for (int ch = 1; ch <= 3; ++ch) {
        float b = float(int(v[ch - 1] * 0.75));
        for (int k = 0; k < 4; ++k) {
            const float s = float(chan1(pairs[k][0], ch)) + float(chan1(pairs[k][1], ch));
            const float t = b + float(double(s) * w[k]);
            b = float(std::clamp(int(t), 0, 255));
        }
        v[ch - 1] = int(b);
    }
    storepixel(v, o);
}

void bilinearpixels(const std::vector<Col>& cols, std::size_t x0, std::size_t x1, const Rows& rs,
                    unsigned char* out) {
    for (std::size_t x = x0; x < std::min(cols.size(), x1); ++x) {
        if (!cols[x].cellInside) continue;
        int v[3];
        bilinear1(rs, cols[x], v);
        storepixel(v, out + x * 4);
    }
}

void smoothpixels(const std::vector<Col>& cols, std::size_t x0, std::size_t x1, const Rows& rs,
                  unsigned char* out) {
    for (std::size_t x = x0; x < std::min(cols.size(), x1); ++x)
        if (cols[x].cellInside && cols[x].ringInside) smooth1(rs, cols[x], out + x * 4);
}

// Integers, eight pixels at a time, in plain C++ ----------------------------

// sum += trunc(c × w) for one lane, the fraction bits kept in frac's maximum.
inline void product1(std::uint32_t c, std::uint32_t m, std::uint32_t& sum, std::uint32_t& frac) {
    const std::uint32_t q = c * m;
    sum += q >> 24;
    frac = std::max(frac, q & fracmask);
}

// The bilinear sums of a group's eight pixels per channel, reduced to bytes, in
// s[channel][lane]; false when a product came too close to a whole number.
bool bilinear8plain(const std::vector<Col>& cols, std::size_t x0, const Rows& rs,
                    const std::uint32_t* w, std::size_t n, std::uint32_t s[3][8]) {
    const bool two = rs.fy == 0.0;
    std::uint32_t frac = 0;
    for (std::size_t j = 0; j < 8; ++j) {
        const Col& c = cols[x0 + j];
        const std::size_t x = x0 + j;
        for (int ch = 1; ch <= 3; ++ch) {
            std::uint32_t& v = s[ch - 1][j];
            v = 0;
            product1(std::uint32_t(chan1(rs.r0[c.i0], ch)), w[x], v, frac);
            product1(std::uint32_t(chan1(rs.r0[c.i1], ch)), w[n + x], v, frac);
            if (!two) {
                product1(std::uint32_t(chan1(rs.r1[c.i0], ch)), w[2 * n + x], v, frac);
                product1(std::uint32_t(chan1(rs.r1[c.i1], ch)), w[3 * n + x], v, frac);
            }
            v &= 0xff;
        }
    }
    return frac <= std::uint32_t(bytelimit);
}

void store8plain(const std::uint32_t s[3][8], unsigned char* o) {
    for (int j = 0; j < 8; ++j, o += 4) {
        o[0] = 255;
        o[1] = std::uint8_t(s[0][j]);
        o[2] = std::uint8_t(s[1][j]);
        o[3] = std::uint8_t(s[2][j]);
    }
}

void bilinearrowplain(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                      const Rows& rs, const std::uint32_t* w, std::size_t n, unsigned char* out,
                      std::int64_t& exact, std::int64_t& fallback) {
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const std::size_t x0 = gi * 8;
        if (groups[gi].ok) {
            std::uint32_t s[3][8];
            if (bilinear8plain(cols, x0, rs, w, n, s)) {
                store8plain(s, out + x0 * 4);
                ++exact;
                continue;
            }
            ++fallback;
        }
        bilinearpixels(cols, x0, x0 + 8, rs, out);
    }
}

void smoothrowplain(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                    const Rows& rs, const std::uint32_t* w, std::size_t n, unsigned char* out,
                    std::int64_t& exact, std::int64_t& fallback) {
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const std::size_t x0 = gi * 8;
        if (groups[gi].ok) {
            std::uint32_t b[3][8];
            bool settled = bilinear8plain(cols, x0, rs, w, n, b);
            std::uint32_t rfrac = 0;
            for (std::size_t j = 0; j < 8; ++j) {
                const Col& c = cols[x0 + j];
                // The ring pairs G00, G01, G10, G11.
                const ARGBVal pairs[4][2] = {{rs.up[c.i0], rs.r0[c.i0 - 1]},
                                             {rs.down[c.i0], rs.r1[c.i0 - 1]},
                                             {rs.r0[c.i1 + 1], rs.up[c.i1]},
                                             {rs.down[c.i1], rs.r1[c.i1 + 1]}};
                for (int ch = 1; ch <= 3; ++ch) {
                    // Times 0.75, truncated: exact in integers.
                    std::uint32_t& v = b[ch - 1][j];
                    v = (3 * v) >> 2;
                    for (std::size_t k = 0; k < 4; ++k) {
                        const auto sum =
                            std::uint32_t(chan1(pairs[k][0], ch) + chan1(pairs[k][1], ch));
                        product1(sum, w[(4 + k) * n + x0 + j], v, rfrac);
                        v = std::min<std::uint32_t>(v, 255);
                    }
                }
            }
            if (settled && rfrac <= std::uint32_t(ringlimit)) {
                store8plain(b, out + x0 * 4);
                ++exact;
                continue;
            }
            ++fallback;
        }
        smoothpixels(cols, x0, x0 + 8, rs, out);
    }
}

using RowFn = void (*)(const std::vector<Col>&, const std::vector<Plan::Group>&, const Rows&,
                       const std::uint32_t*, std::size_t, unsigned char*, std::int64_t&,
                       std::int64_t&);

// The row kernels this machine runs: bilinear, smoothed bilinear.
struct RowFns {
    RowFn bilinear, smooth;
};

#if IMAGELIB_X86_VECTOR
} // namespace
} // namespace IntegerBilinearRows

#include <immintrin.h>

namespace IntegerBilinearRows {
namespace {

#define IBROWS_AVX2 __attribute__((target("avx2")))
#define IBROWS_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

// Integers, eight pixels at a time, in AVX2 -----------------------------------------

// Eight source pixels of one row at one of the group's index sets: from two
// loads when the group is wide, else gathered.
struct Fetch {
    const ARGBVal* r;
    const Plan::Group& g;
    __m256i lo, hi;
    IBROWS_AVX2_INLINE Fetch(const ARGBVal* row, const Plan::Group& group) : r(row), g(group) {
        if (g.wide) {
            lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + g.base));
            hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + g.base + 8));
        } else {
            lo = hi = _mm256_setzero_si256();
        }
    }
    IBROWS_AVX2_INLINE __m256i operator()(int k) const {
        const __m256i i = _mm256_load_si256(reinterpret_cast<const __m256i*>(g.idx[k]));
        if (!g.wide) return _mm256_i32gather_epi32(reinterpret_cast<const int*>(r), i, 4);
        const __m256i a = _mm256_permutevar8x32_epi32(lo, i);
        const __m256i b = _mm256_permutevar8x32_epi32(hi, i);
        return _mm256_blendv_epi8(a, b, _mm256_cmpgt_epi32(i, _mm256_set1_epi32(7)));
    }
};

// Channel ch (1 red, 2 green, 3 blue) of eight pixels as int lanes.
IBROWS_AVX2_INLINE __m256i chan(__m256i p, int ch) {
    const char m = char(0x80);
    const char a = char(ch), b = char(ch + 4), c = char(ch + 8), d = char(ch + 12);
    return _mm256_shuffle_epi8(p, _mm256_setr_epi8(a, m, m, m, b, m, m, m, c, m, m, m, d, m, m, m,
                                                   a, m, m, m, b, m, m, m, c, m, m, m, d, m, m, m));
}

// sum += trunc(c × w) for eight lanes, the fraction bits kept in frac's maximum.
IBROWS_AVX2_INLINE void product(__m256i c, __m256i m, __m256i& sum, __m256i& frac) {
    const __m256i q = _mm256_mullo_epi32(c, m);
    sum = _mm256_add_epi32(sum, _mm256_srli_epi32(q, 24));
    frac = _mm256_max_epu32(frac, _mm256_and_si256(q, _mm256_set1_epi32(fracmask)));
}

IBROWS_AVX2_INLINE __m256i ld(const std::uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// The bilinear sums of eight pixels per channel, reduced to bytes. two: the row's
// fraction is 0 and the second row's weights are all 0.
IBROWS_AVX2_INLINE void bilinear8(const Plan::Group& g, const Rows& rs, const std::uint32_t* w,
                                  std::size_t n, bool two, __m256i s[3], __m256i& frac) {
    const Fetch f0(rs.r0, g);
    const __m256i p00 = f0(1), p10 = f0(2);
    const __m256i m00 = ld(w), m10 = ld(w + n);
    for (int ch = 0; ch < 3; ++ch) {
        s[ch] = _mm256_setzero_si256();
        product(chan(p00, ch + 1), m00, s[ch], frac);
        product(chan(p10, ch + 1), m10, s[ch], frac);
    }
    if (!two) {
        const Fetch f1(rs.r1, g);
        const __m256i p01 = f1(1), p11 = f1(2);
        const __m256i m01 = ld(w + 2 * n), m11 = ld(w + 3 * n);
        for (int ch = 0; ch < 3; ++ch) {
            product(chan(p01, ch + 1), m01, s[ch], frac);
            product(chan(p11, ch + 1), m11, s[ch], frac);
        }
    }
    const __m256i ff = _mm256_set1_epi32(0xff);
    for (int ch = 0; ch < 3; ++ch) s[ch] = _mm256_and_si256(s[ch], ff);
}

IBROWS_AVX2_INLINE void store8(const __m256i s[3], unsigned char* o) {
    const __m256i v =
        _mm256_or_si256(_mm256_or_si256(_mm256_set1_epi32(0xff), _mm256_slli_epi32(s[0], 8)),
                        _mm256_or_si256(_mm256_slli_epi32(s[1], 16), _mm256_slli_epi32(s[2], 24)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), v);
}

IBROWS_AVX2_INLINE bool settled(__m256i frac, int limit) {
    return _mm256_testz_si256(_mm256_cmpgt_epi32(frac, _mm256_set1_epi32(limit)),
                              _mm256_set1_epi32(-1));
}

IBROWS_AVX2 void bilinearrow(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                             const Rows& rs, const std::uint32_t* w, std::size_t n,
                             unsigned char* out, std::int64_t& exact, std::int64_t& fallback) {
    const bool two = rs.fy == 0.0;
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const Plan::Group& g = groups[gi];
        const std::size_t x0 = gi * 8;
        unsigned char* o = out + x0 * 4;
        if (g.ok) {
            __m256i s[3];
            __m256i frac = _mm256_setzero_si256();
            bilinear8(g, rs, w + x0, n, two, s, frac);
            if (settled(frac, bytelimit)) {
                store8(s, o);
                ++exact;
                continue;
            }
            ++fallback;
        }
        bilinearpixels(cols, x0, x0 + 8, rs, out);
    }
}

IBROWS_AVX2 void smoothrow(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                           const Rows& rs, const std::uint32_t* w, std::size_t n,
                           unsigned char* out, std::int64_t& exact, std::int64_t& fallback) {
    const bool two = rs.fy == 0.0;
    const __m256i top = _mm256_set1_epi32(255);
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const Plan::Group& g = groups[gi];
        const std::size_t x0 = gi * 8;
        unsigned char* o = out + x0 * 4;
        if (g.ok) {
            __m256i b[3];
            __m256i frac = _mm256_setzero_si256();
            bilinear8(g, rs, w + x0, n, two, b, frac);
            // Times 0.75, truncated: exact in integers.
            for (int ch = 0; ch < 3; ++ch)
                b[ch] = _mm256_srli_epi32(_mm256_add_epi32(b[ch], _mm256_slli_epi32(b[ch], 1)), 2);
            const Fetch f0(rs.r0, g), f1(rs.r1, g), fu(rs.up, g), fd(rs.down, g);
            // The ring pairs G00, G01, G10, G11.
            const __m256i pa[4] = {fu(1), fd(1), f0(3), fd(2)};
            const __m256i pb[4] = {f0(0), f1(0), fu(2), f1(3)};
            __m256i rfrac = _mm256_setzero_si256();
            for (int k = 0; k < 4; ++k) {
                const __m256i m = ld(w + (4 + k) * n + x0);
                for (int ch = 0; ch < 3; ++ch) {
                    const __m256i s = _mm256_add_epi32(chan(pa[k], ch + 1), chan(pb[k], ch + 1));
                    product(s, m, b[ch], rfrac);
                    b[ch] = _mm256_min_epi32(b[ch], top);
                }
            }
            if (settled(frac, bytelimit) && settled(rfrac, ringlimit)) {
                store8(b, o);
                ++exact;
                continue;
            }
            ++fallback;
        }
        smoothpixels(cols, x0, x0 + 8, rs, out);
    }
}

RowFns rowfns() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return {bilinearrow, smoothrow};
    return {bilinearrowplain, smoothrowplain};
}
#else
RowFns rowfns() {
    return {bilinearrowplain, smoothrowplain};
}
#endif

const RowFns& kernels() {
    static const RowFns fns = rowfns();
    return fns;
}

} // namespace

// floor(w × 2^24) of every weight of the row's fraction (each weight lies in
// 0..1, so the conversion's truncation is the floor).
const std::uint32_t* WeightCache::get(const Rows& rs) {
    for (int i = 0; i < slots; ++i)
        if (held_[i] && key_[i] == rs.fy) return data_[i].data();
    const int i = next_;
    next_ = (next_ + 1) % slots;
    const std::size_t n = plan_.g_.size();
    std::vector<std::uint32_t>& d = data_[i];
    d.resize(n * (plan_.smooth_ ? 8 : 4));
    const auto fixed = [](double a, double b) { return std::uint32_t(a * b * scale24); };
    for (std::size_t x = 0; x < n; ++x) {
        const double g = plan_.g_[x], f = plan_.f_[x];
        d[x] = fixed(g, rs.gy);
        d[n + x] = fixed(f, rs.gy);
        d[2 * n + x] = fixed(rs.fy, g);
        d[3 * n + x] = fixed(f, rs.fy);
    }
    if (plan_.smooth_) {
        for (std::size_t x = 0; x < n; ++x) {
            const double sideLow = plan_.sideLow_[x], sideHigh = plan_.sideHigh_[x];
            d[4 * n + x] = fixed(sideLow, rs.sideLowY);
            d[5 * n + x] = fixed(sideLow, rs.sideHighY);
            d[6 * n + x] = fixed(sideHigh, rs.sideLowY);
            d[7 * n + x] = fixed(sideHigh, rs.sideHighY);
        }
    }
    key_[i] = rs.fy;
    held_[i] = true;
    return d.data();
}

std::size_t WeightCache::stride() const {
    return plan_.g_.size();
}

Plan::Plan(const std::vector<Col>& cols, std::int32_t lo, std::int32_t hi, bool smooth)
    : cols_(cols), smooth_(smooth) {
    const std::size_t n = (cols_.size() + 7) / 8 * 8;
    g_.assign(n, 1.0);
    f_.assign(n, 0.0);
    sideLow_.assign(n, 0.0);
    sideHigh_.assign(n, 0.0);
    for (std::size_t x = 0; x < cols_.size(); ++x) {
        g_[x] = cols_[x].g;
        f_[x] = cols_[x].f;
        sideLow_[x] = cols_[x].sideLow;
        sideHigh_[x] = cols_[x].sideHigh;
    }
    groups_.resize(n / 8);
    for (std::size_t gi = 0; gi < groups_.size(); ++gi) {
        Group& g = groups_[gi];
        const std::size_t x0 = gi * 8;
        g.ok = x0 + 8 <= cols_.size();
        for (std::size_t j = 0; g.ok && j < 8; ++j) {
            const Col& c = cols_[x0 + j];
            g.ok = c.cellInside && (!smooth || c.ringInside);
        }
        if (!g.ok) continue;
        std::int64_t low = INT64_MAX, high = INT64_MIN;
        for (int j = 0; j < 8; ++j) {
            const Col& c = cols_[x0 + std::size_t(j)];
            const std::int32_t v[4] = {c.i0 - 1, c.i0, c.i1, c.i1 + 1};
            for (int k = 0; k < 4; ++k) g.idx[k][j] = v[k];
            low = std::min<std::int64_t>(low, std::int64_t(c.i0) - 1);
            high = std::max<std::int64_t>(high, std::int64_t(c.i1) + 1);
        }
        // Two loads of eight from base serve the group when every index lies
        // within them and all sixteen pixels are readable.
        g.wide = low >= lo && low + 15 <= hi && high - low <= 15;
        if (g.wide) {
            g.base = std::int32_t(low);
            for (auto& row : g.idx)
                for (std::int32_t& v : row) v -= g.base;
        }
    }
}

Plan::~Plan() = default;

std::unique_ptr<WeightCache> Plan::cache() const {
    return std::make_unique<WeightCache>(*this);
}

void Plan::bilinear(const Rows& rs, WeightCache& wc, unsigned char* out) const {
    std::int64_t exact = 0, fallback = 0;
    kernels().bilinear(cols_, groups_, rs, wc.get(rs), wc.stride(), out, exact, fallback);
    exact_ += exact;
    fallback_ += fallback;
}

void Plan::smooth(const Rows& rs, WeightCache& wc, unsigned char* out) const {
    std::int64_t exact = 0, fallback = 0;
    kernels().smooth(cols_, groups_, rs, wc.get(rs), wc.stride(), out, exact, fallback);
    exact_ += exact;
    fallback_ += fallback;
}

std::int64_t Plan::exactgroups() const {
    return exact_;
}

std::int64_t Plan::fallbackgroups() const {
    return fallback_;
}

} // namespace IntegerBilinearRows
