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
#include "FixedRows.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>

#define FIXEDROWS_AVX2 __attribute__((target("avx2")))
#define FIXEDROWS_AVX2_INLINE __attribute__((target("avx2"), always_inline)) inline

namespace FixedRows {

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
constexpr int fracmask = (1 << 24) - 1;
// A single byte's product is at most 255 / 2^24 low; a margin of 512 covers it
// and the double rounding (below 2^-44 for products under 256).
constexpr int bytelimit = (1 << 24) - 512 - 1;
// A ring pair's product is at most 510 / 2^24 low; its rounding to float (below
// 2^-18 for products under 72) and the float sum with a byte (below 2^-16 for
// sums under 512) add less than 330 / 2^24. A margin of 4096 covers both.
constexpr int ringlimit = (1 << 24) - 4096 - 1;

inline std::uint32_t load32(const ARGBVal* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The double form, one pixel at a time -------------------------------------

// A pixel's bytes as int lanes (alpha, red, green, blue).
FIXEDROWS_AVX2_INLINE __m128i px(const ARGBVal* p) {
    return _mm_cvtepu8_epi32(_mm_cvtsi32_si128(int(load32(p))));
}

// A corner's channels times its weight in double, truncated toward zero.
FIXEDROWS_AVX2_INLINE __m128i corner(const ARGBVal* p, double w) {
    return _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtepi32_pd(px(p)), _mm256_set1_pd(w)));
}

// The bilinear colour of one pixel as int lanes (-, R, G, B), not yet reduced to
// bytes. An integral position has weight exactly 0 for the far corners (their
// products are 0) and 1 - 0 = 1 for the near ones, so those corners' work is
// left out: the same values.
FIXEDROWS_AVX2_INLINE __m128i bilinear1(const Rows& rs, const Col& c) {
    const ARGBVal *r0 = rs.r0, *r1 = rs.r1;
    if (rs.fy == 0.0) {
        if (c.f == 0.0) return px(r0 + c.i0);
        return _mm_add_epi32(corner(r0 + c.i0, c.g), corner(r0 + c.i1, c.f));
    }
    if (c.f == 0.0) return _mm_add_epi32(corner(r0 + c.i0, rs.gy), corner(r1 + c.i0, rs.fy));
    return _mm_add_epi32(
        _mm_add_epi32(corner(r0 + c.i0, c.g * rs.gy), corner(r0 + c.i1, c.f * rs.gy)),
        _mm_add_epi32(corner(r1 + c.i0, rs.fy * c.g), corner(r1 + c.i1, c.f * rs.fy)));
}

FIXEDROWS_AVX2_INLINE void storepixel(__m128i v, unsigned char* o) {
    const __m128i tobytes =
        _mm_setr_epi8(0, 4, 8, 12, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const int b =
        _mm_cvtsi128_si32(_mm_or_si128(_mm_shuffle_epi8(v, tobytes), _mm_cvtsi32_si128(0xff)));
    std::memcpy(o, &b, 4);
}

// The smoothed bilinear pixel: the bilinear bytes times 0.75 (exact, then
// truncated), then the four ring pairs, each pair's sum times its weight in
// double rounded to float, added to the bytes in float, truncated and clamped,
// in the order G00, G01, G10, G11.
FIXEDROWS_AVX2_INLINE void smooth1(const Rows& rs, const Col& c, unsigned char* o) {
    const __m128i ff = _mm_set1_epi32(0xff);
    const __m128 zero = _mm_setzero_ps(), top = _mm_set1_ps(255.0f);
    __m128 b = _mm_cvtepi32_ps(_mm_cvttps_epi32(
        _mm_mul_ps(_mm_cvtepi32_ps(_mm_and_si128(bilinear1(rs, c), ff)), _mm_set1_ps(0.75f))));
    const double w[4] = {c.q0 * rs.ay0, c.q0 * rs.ay1, c.q1 * rs.ay0, c.q1 * rs.ay1};
    const __m128i g[4] = {
        _mm_add_epi32(px(rs.up + c.i0), px(rs.r0 + c.i0 - 1)),
        _mm_add_epi32(px(rs.down + c.i0), px(rs.r1 + c.i0 - 1)),
        _mm_add_epi32(px(rs.r0 + c.i1 + 1), px(rs.up + c.i1)),
        _mm_add_epi32(px(rs.down + c.i1), px(rs.r1 + c.i1 + 1)),
    };
    for (int k = 0; k < 4; ++k) {
        const __m128 gf =
            _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtepi32_pd(g[k]), _mm256_set1_pd(w[k])));
        const __m128 v = _mm_min_ps(_mm_max_ps(_mm_add_ps(b, gf), zero), top);
        b = _mm_cvtepi32_ps(_mm_cvttps_epi32(v));
    }
    storepixel(_mm_cvttps_epi32(b), o);
}

// Integers, eight pixels at a time -----------------------------------------

// Eight source pixels of one row at one of the group's index sets: from two
// loads when the group is wide, else gathered.
struct Fetch {
    const ARGBVal* r;
    const Plan::Group& g;
    __m256i lo, hi;
    FIXEDROWS_AVX2_INLINE Fetch(const ARGBVal* row, const Plan::Group& group) : r(row), g(group) {
        if (g.wide) {
            lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + g.base));
            hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + g.base + 8));
        } else {
            lo = hi = _mm256_setzero_si256();
        }
    }
    FIXEDROWS_AVX2_INLINE __m256i operator()(int k) const {
        const __m256i i = _mm256_load_si256(reinterpret_cast<const __m256i*>(g.idx[k]));
        if (!g.wide) return _mm256_i32gather_epi32(reinterpret_cast<const int*>(r), i, 4);
        const __m256i a = _mm256_permutevar8x32_epi32(lo, i);
        const __m256i b = _mm256_permutevar8x32_epi32(hi, i);
        return _mm256_blendv_epi8(a, b, _mm256_cmpgt_epi32(i, _mm256_set1_epi32(7)));
    }
};

// Channel ch (1 red, 2 green, 3 blue) of eight pixels as int lanes.
FIXEDROWS_AVX2_INLINE __m256i chan(__m256i p, int ch) {
    const char m = char(0x80);
    const char a = char(ch), b = char(ch + 4), c = char(ch + 8), d = char(ch + 12);
    return _mm256_shuffle_epi8(p, _mm256_setr_epi8(a, m, m, m, b, m, m, m, c, m, m, m, d, m, m, m,
                                                   a, m, m, m, b, m, m, m, c, m, m, m, d, m, m, m));
}

// sum += trunc(c × w) for eight lanes, the fraction bits kept in frac's maximum.
FIXEDROWS_AVX2_INLINE void product(__m256i c, __m256i m, __m256i& sum, __m256i& frac) {
    const __m256i q = _mm256_mullo_epi32(c, m);
    sum = _mm256_add_epi32(sum, _mm256_srli_epi32(q, 24));
    frac = _mm256_max_epu32(frac, _mm256_and_si256(q, _mm256_set1_epi32(fracmask)));
}

FIXEDROWS_AVX2_INLINE __m256i ld(const std::uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// The bilinear sums of eight pixels per channel, reduced to bytes. two: the row's
// fraction is 0 and the second row's weights are all 0.
FIXEDROWS_AVX2_INLINE void bilinear8(const Plan::Group& g, const Rows& rs, const std::uint32_t* w,
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

FIXEDROWS_AVX2_INLINE void store8(const __m256i s[3], unsigned char* o) {
    const __m256i v =
        _mm256_or_si256(_mm256_or_si256(_mm256_set1_epi32(0xff), _mm256_slli_epi32(s[0], 8)),
                        _mm256_or_si256(_mm256_slli_epi32(s[1], 16), _mm256_slli_epi32(s[2], 24)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), v);
}

FIXEDROWS_AVX2_INLINE bool settled(__m256i frac, int limit) {
    return _mm256_testz_si256(_mm256_cmpgt_epi32(frac, _mm256_set1_epi32(limit)),
                              _mm256_set1_epi32(-1));
}

FIXEDROWS_AVX2 void bilinearrow(const std::vector<Col>& cols,
                                const std::vector<Plan::Group>& groups, const Rows& rs,
                                const std::uint32_t* w, std::size_t n, unsigned char* out,
                                std::int64_t& exact, std::int64_t& fallback) {
    const bool two = rs.fy == 0.0;
    const std::size_t ncols = cols.size();
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
        for (std::size_t x = x0; x < std::min(ncols, x0 + 8); ++x)
            if (cols[x].plain) storepixel(bilinear1(rs, cols[x]), out + x * 4);
    }
}

FIXEDROWS_AVX2 void smoothrow(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                              const Rows& rs, const std::uint32_t* w, std::size_t n,
                              unsigned char* out, std::int64_t& exact, std::int64_t& fallback) {
    const bool two = rs.fy == 0.0;
    const std::size_t ncols = cols.size();
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
        for (std::size_t x = x0; x < std::min(ncols, x0 + 8); ++x)
            if (cols[x].plain && cols[x].ring) smooth1(rs, cols[x], out + x * 4);
    }
}

// floor(a × b × 2^24) for four columns, stored as four 32-bit integers.
FIXEDROWS_AVX2_INLINE void fixed4(std::uint32_t* dst, __m256d a, __m256d b) {
    const __m256d v = _mm256_floor_pd(_mm256_mul_pd(_mm256_mul_pd(a, b), _mm256_set1_pd(scale24)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm256_cvttpd_epi32(v));
}

} // namespace

// floor(w × 2^24) of every weight of the row's fraction, four columns at a time.
FIXEDROWS_AVX2 const std::uint32_t* WeightCache::get(const Rows& rs) {
    for (int i = 0; i < slots; ++i)
        if (held_[i] && key_[i] == rs.fy) return data_[i].data();
    const int i = next_;
    next_ = (next_ + 1) % slots;
    const std::size_t n = plan_.g_.size();
    std::vector<std::uint32_t>& d = data_[i];
    d.resize(n * (plan_.smooth_ ? 8 : 4));
    const __m256d gy = _mm256_set1_pd(rs.gy), fy = _mm256_set1_pd(rs.fy);
    const __m256d a0 = _mm256_set1_pd(rs.ay0), a1 = _mm256_set1_pd(rs.ay1);
    for (std::size_t x = 0; x < n; x += 4) {
        const __m256d g = _mm256_loadu_pd(&plan_.g_[x]), f = _mm256_loadu_pd(&plan_.f_[x]);
        fixed4(&d[x], g, gy);
        fixed4(&d[n + x], f, gy);
        fixed4(&d[2 * n + x], fy, g);
        fixed4(&d[3 * n + x], f, fy);
        if (!plan_.smooth_) continue;
        const __m256d q0 = _mm256_loadu_pd(&plan_.q0_[x]);
        const __m256d q1 = _mm256_loadu_pd(&plan_.q1_[x]);
        fixed4(&d[4 * n + x], q0, a0);
        fixed4(&d[5 * n + x], q0, a1);
        fixed4(&d[6 * n + x], q1, a0);
        fixed4(&d[7 * n + x], q1, a1);
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
    q0_.assign(n, 0.0);
    q1_.assign(n, 0.0);
    for (std::size_t x = 0; x < cols_.size(); ++x) {
        g_[x] = cols_[x].g;
        f_[x] = cols_[x].f;
        q0_[x] = cols_[x].q0;
        q1_[x] = cols_[x].q1;
    }
    groups_.resize(n / 8);
    for (std::size_t gi = 0; gi < groups_.size(); ++gi) {
        Group& g = groups_[gi];
        const std::size_t x0 = gi * 8;
        g.ok = x0 + 8 <= cols_.size();
        for (std::size_t j = 0; g.ok && j < 8; ++j) {
            const Col& c = cols_[x0 + j];
            g.ok = c.plain && (!smooth || c.ring);
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

bool Plan::available() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

std::unique_ptr<WeightCache> Plan::cache() const {
    return std::make_unique<WeightCache>(*this);
}

void Plan::bilinear(const Rows& rs, WeightCache& wc, unsigned char* out) const {
    std::int64_t exact = 0, fallback = 0;
    bilinearrow(cols_, groups_, rs, wc.get(rs), wc.stride(), out, exact, fallback);
    exact_ += exact;
    fallback_ += fallback;
}

void Plan::smooth(const Rows& rs, WeightCache& wc, unsigned char* out) const {
    std::int64_t exact = 0, fallback = 0;
    smoothrow(cols_, groups_, rs, wc.get(rs), wc.stride(), out, exact, fallback);
    exact_ += exact;
    fallback_ += fallback;
}

std::int64_t Plan::exactgroups() const {
    return exact_;
}

std::int64_t Plan::fallbackgroups() const {
    return fallback_;
}

} // namespace FixedRows
