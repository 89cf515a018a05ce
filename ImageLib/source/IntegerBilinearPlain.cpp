// The integer row kernels in plain C++, and the double form they fall back to,
// pixel by pixel: the same steps as the AVX2 kernels, one lane at a time.
#include "IntegerBilinearKernels.h"

#include <algorithm>

namespace IntegerBilinearRows::kernels {

namespace {

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

} // namespace

void bilinearPixels(const std::vector<Col>& cols, std::size_t x0, std::size_t x1, const Rows& rs,
                    unsigned char* out) {
    for (std::size_t x = x0; x < std::min(cols.size(), x1); ++x) {
        if (!cols[x].cellInside) continue;
        int v[3];
        bilinear1(rs, cols[x], v);
        storepixel(v, out + x * 4);
    }
}

void smoothPixels(const std::vector<Col>& cols, std::size_t x0, std::size_t x1, const Rows& rs,
                  unsigned char* out) {
    for (std::size_t x = x0; x < std::min(cols.size(), x1); ++x)
        if (cols[x].cellInside && cols[x].ringInside) smooth1(rs, cols[x], out + x * 4);
}

namespace {

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

// The plain kernels keep every check, exact rows or not: the same bytes.
void bilinearrowplain(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                      const Rows& rs, const std::uint32_t* w, std::size_t n, bool,
                      unsigned char* out) {
    for (std::size_t gi = 0; gi < groups.size(); ++gi) {
        const std::size_t x0 = gi * 8;
        if (groups[gi].ok) {
            std::uint32_t s[3][8];
            if (bilinear8plain(cols, x0, rs, w, n, s)) {
                store8plain(s, out + x0 * 4);
                continue;
            }
        }
        bilinearPixels(cols, x0, x0 + 8, rs, out);
    }
}

void smoothrowplain(const std::vector<Col>& cols, const std::vector<Plan::Group>& groups,
                    const Rows& rs, const std::uint32_t* w, std::size_t n, bool,
                    unsigned char* out) {
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
                    // Times 0.75, truncated: exact in integers. The ring's
                    // weights add up to 0.125, so the four pairs add at most
                    // 510 × 0.125: from at most 191 the byte never passes 254,
                    // and the clamp after each pair never acts.
                    std::uint32_t& v = b[ch - 1][j];
                    v = (3 * v) >> 2;
                    for (std::size_t k = 0; k < 4; ++k) {
                        const auto sum =
                            std::uint32_t(chan1(pairs[k][0], ch) + chan1(pairs[k][1], ch));
                        product1(sum, w[(4 + k) * n + x0 + j], v, rfrac);
                    }
                }
            }
            if (settled && rfrac <= std::uint32_t(ringlimit)) {
                store8plain(b, out + x0 * 4);
                continue;
            }
        }
        smoothPixels(cols, x0, x0 + 8, rs, out);
    }
}

} // namespace

RowFns plainRows() {
    return {bilinearrowplain, smoothrowplain};
}

} // namespace IntegerBilinearRows::kernels
