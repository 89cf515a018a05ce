// The direct road for the snapshot chain. Every step below is the chain's own
// arithmetic (see ContImageRef.cpp and SamplePixRectNC.cpp) rearranged so that
// what depends on one axis only is computed once per column or row.
#include "SnapshotRoad.h"

#include "ContImageRef.h"
#include "FixedRows.h"
#include "PixRectRW.h"
#include "PixRectRef.h"
#include "PixRectWrap.h"
#include "SamplePixRectNC.h"

#include "VectorPaths.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <typeinfo>
#include <vector>

namespace {

// floor or ceil of v as an int; false when no int holds it.
bool intpos(double v, int& out) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return false;
    out = int(v);
    return true;
}

// The chain's pieces and its geometry in the continuous view's coordinates.
struct Chain {
    const SamplePixRectNC<ARGBVal, ARGBVal>* sample = nullptr;
    const PixRectRW<ARGBVal>* base = nullptr;
    int ox = 0, oy = 0;                 // view (x, y) is base (x - ox, y - oy)
    int lx = 0, ly = 0, hx = 0, hy = 0; // the continuous view's bounds
    siinterpcode code = SIBilinear;
    bool identity = false; // factors (1, 1): the view is read at the result's positions
    bool reduce = false;   // factors of 2 and more: footprint means
};

bool isbase(const PixRect<ARGBVal>& p) {
    return typeid(p) == typeid(PixRectRW<ARGBVal>) || typeid(p) == typeid(PixRectWrap<ARGBVal>);
}

// The rectangle (lx, ly, hx, hy) less (dx, dy) lies within r's bounds.
bool within(const Chain& c, int dx, int dy, const PixRectBase<ARGBVal>& r) {
    return std::int64_t(c.lx) - dx >= r.lx() && std::int64_t(c.hx) - dx <= r.hx() &&
           std::int64_t(c.ly) - dy >= r.ly() && std::int64_t(c.hy) - dy <= r.hy();
}

// Only the exact types are taken: a class deriving from one of them may read
// differently. Every position the continuous view reads inside its bounds must
// be a stored pixel of the base raster; a view that misses its source (or any
// other geometry) goes the pixel-by-pixel road, whose reads are all checked.
bool recognise(const PixRect<ARGBVal>& raster, Chain& c) {
    if (typeid(raster) != typeid(SamplePixRectNC<ARGBVal, ARGBVal>)) return false;
    const auto* s = dynamic_cast<const SamplePixRectNC<ARGBVal, ARGBVal>*>(&raster);
    const PixRect<ARGBVal>* src = s ? s->src() : nullptr;
    if (!src || typeid(*src) != typeid(ContImageRef<ARGBVal>)) return false;
    const auto* cont = dynamic_cast<const ContImageRef<ARGBVal>*>(src);
    if (!cont || cont->width() < 1 || cont->height() < 1) return false;

    c.sample = s;
    c.code = cont->gettype();
    c.identity = s->xsl() == 1.0f && s->ysl() == 1.0f;
    c.reduce = !c.identity && s->xsl() != 1.0f && s->xsl() >= 2.0f && s->ysl() >= 2.0f;
    const sisamplecodes t = s->gettype();
    if (!c.identity && t != SIInterpolated && !(c.reduce && t == SIScatter)) return false;

    c.lx = cont->lx();
    c.ly = cont->ly();
    c.hx = cont->hx();
    c.hy = cont->hy();
    c.ox = cont->offsetx();
    c.oy = cont->offsety();
    const PixRect<ARGBVal>* view = cont->source();
    if (!view) return false;
    if (typeid(*view) == typeid(PixRectRef<ARGBVal>)) {
        const auto* region = dynamic_cast<const PixRectRef<ARGBVal>*>(view);
        if (!region || !within(c, c.ox, c.oy, *region)) return false;
        const PixRect<ARGBVal>* b = region->source();
        if (!b || !isbase(*b)) return false;
        c.ox += region->offsetx();
        c.oy += region->offsety();
        view = b;
    } else if (!isbase(*view)) {
        return false;
    }
    c.base = dynamic_cast<const PixRectRW<ARGBVal>*>(view);
    return c.base && c.base->hasstorage() && within(c, c.ox, c.oy, *c.base);
}

// One sample position along one axis, with everything that depends on it alone.
struct Axis {
    int t = 0;         // the position truncated toward zero
    bool in = false;   // t inside the bounds: the view interpolates here
    bool cell = false; // floor and ceil inside the bounds
    bool ring = false; // the neighbours a method reads are inside the bounds too
    int c0 = 0, c1 = 0;
    double f = 0, g = 0;
    double q0 = 0, q1 = 0; // smoothed bilinear side weights (x: times 0.125)
    float w[4] = {0, 0, 0, 0};
    int w0 = 0, w1 = 4; // the spline taps with a weight other than 0
    int fid = 0;        // which of the distinct fractions f is
};

Axis makeaxis(double p, int lo, int hi, bool xaxis, siinterpcode code) {
    Axis a;
    a.in = SIPixelMath::truncpos(p, a.t) && a.t >= lo && a.t <= hi;
    const double fl = std::floor(p);
    a.cell = intpos(fl, a.c0) && intpos(std::ceil(p), a.c1) && a.c0 >= lo && a.c0 <= hi &&
             a.c1 >= lo && a.c1 <= hi;
    if (!a.cell) return a;
    a.f = p - fl;
    a.g = 1.0 - a.f;
    if (code == SISmoothBilinear) {
        const double s0 = (a.g + 0.5) * 0.5, s1 = (a.f + 0.5) * 0.5;
        a.q0 = xaxis ? 0.125 * s0 : s0;
        a.q1 = xaxis ? 0.125 * s1 : s1;
        a.ring = std::int64_t(a.c0) - 1 >= lo && std::int64_t(a.c1) + 1 <= hi;
    } else if (code == SICubicBSpline) {
        for (int i = -1; i <= 2; ++i) {
            a.w[i + 1] = xaxis ? cubic_bspline(-(i - a.f)) : cubic_bspline(double(float(i)) - a.f);
        }
        // A tap of weight 0 adds 0 to every channel: leaving it out changes nothing.
        while (a.w0 < 4 && a.w[a.w0] == 0.0f) ++a.w0;
        while (a.w1 > a.w0 && a.w[a.w1 - 1] == 0.0f) --a.w1;
        a.ring = std::int64_t(a.c0) - 1 >= lo && std::int64_t(a.c0) + 2 <= hi;
    }
    return a;
}

// The triangle method's geometry for one pair of fractions: which value the
// point takes and the two ratios, exactly as the continuous view computes them.
struct Tri {
    std::uint8_t kind = 0;     // 0 corner a, 1 centre, 2 B, 3 P, 4 R, 5 mix
    std::uint8_t a = 0, b = 0; // corners: 0 p00, 1 p10, 2 p01, 3 p11
    double t = 0, u = 0;       // along / k, and across / (k - along)
};

Tri trigeom(double fx, double fy) {
    static const float PI = 3.14159274f;
    static const float ROOT2 = 1.41421354f;
    static const float k = 0.5f * ROOT2;
    const double quarterpi = double(0.25f * PI);
    const double halfpi = double(0.5f * PI);
    const double gy = 1.0 - fy;
    Tri r;
    const bool fx01 = fx == 0.0 || fx == 1.0, fy01 = fy == 0.0 || fy == 1.0;
    if (fx01 && fy01) {
        r.kind = 0;
        r.a = std::uint8_t((fx == 0.0 ? 0 : 1) + (fy == 0.0 ? 0 : 2));
        return r;
    }
    if (fx == 0.5 && fy == 0.5) {
        r.kind = 1;
        return r;
    }
    const double rad0 = std::sqrt((fx - 0.5) * (fx - 0.5) + (fy - 0.5) * (fy - 0.5));
    double d;
    if (gy > fx) {
        if (fx > fy) {
            r.a = 1, r.b = 0, d = fx - 0.5;
        } else {
            r.a = 0, r.b = 2, d = 0.5 - fy;
        }
    } else {
        if (fx > fy) {
            r.a = 3, r.b = 1, d = fy - 0.5;
        } else {
            r.a = 2, r.b = 3, d = 0.5 - fx;
        }
    }
    double theta = d < 0.0 ? quarterpi - std::asin(-d / rad0) : std::asin(d / rad0) + quarterpi;
    const double rad = std::min(double(k), rad0);
    if (theta < 0.0) theta = 0.0;
    if (theta > halfpi) theta = halfpi;
    const double across = std::max(0.0, rad * std::sin(theta));
    const double along = std::max(0.0, rad * std::cos(theta));
    if (along >= double(k)) {
        r.kind = 2;
        return r;
    }
    r.t = along / double(k);
    if (across == 0.0) {
        r.kind = 3;
        return r;
    }
    const double u = across / (double(k) - along);
    if (u >= 1.0) {
        r.kind = 4;
        return r;
    }
    r.kind = 5;
    r.u = u;
    return r;
}

inline unsigned char truncbyte(float v) {
    return static_cast<unsigned char>(static_cast<int>(v));
}

// The sample positions of one result column or row, as the lazy resampler
// reads them: pass-through, one clamped position, or the footprint's grid.
std::vector<double> positions(const Chain& c, int r, bool xaxis) {
    const auto& s = *c.sample;
    const int lo = xaxis ? s.lx() : s.ly();
    const int slo = xaxis ? c.lx : c.ly;
    const int shi = xaxis ? c.hx : c.hy;
    const float f = xaxis ? s.xsl() : s.ysl();
    std::vector<double> ps;
    if (c.identity) {
        ps.push_back(double(r));
    } else if (!c.reduce) {
        double p;
        if (!s.scaleinvariant()) {
            p = (double(r) - lo) * f + slo;
        } else {
            p = (double(r) - lo) * f + slo - 0.5 + double(f * 0.5f);
        }
        ps.push_back(std::min<double>(shi, std::max<double>(slo, p)));
    } else {
        const float p0 = float(slo + (double(r) - lo) * f);
        const float top = float(shi);
        const std::int64_t most = std::int64_t(shi) - slo + 2;
        for (std::int64_t j = 0; float(j) < f && j < most; ++j) {
            const float p = p0 + float(j);
            if (p > top) break;
            ps.push_back(double(p));
        }
    }
    return ps;
}

std::vector<double> distinctfractions(const std::vector<Axis>& axes) {
    std::vector<double> fs;
    for (const Axis& a : axes)
        if (a.cell) fs.push_back(a.f);
    std::sort(fs.begin(), fs.end());
    fs.erase(std::unique(fs.begin(), fs.end()), fs.end());
    return fs;
}

int fractionid(const std::vector<double>& fs, double f) {
    return int(std::lower_bound(fs.begin(), fs.end(), f) - fs.begin());
}

// A spline sum: four float lanes (alpha, red, green, blue), each tap's channels
// times its weight rounded to float and added in tap order.
#if IMAGELIB_X86_VECTOR
} // namespace

#include <immintrin.h>

namespace {

class SplineSum {
public:
    void add(const float* p, float w) {
        acc_ = _mm_add_ps(acc_, _mm_mul_ps(_mm_loadu_ps(p), _mm_set1_ps(w)));
    }
    void add(ARGBVal px, float w) {
        std::uint32_t bits;
        static_assert(sizeof bits == sizeof px);
        std::memcpy(&bits, &px, sizeof bits);
        const __m128i zero = _mm_setzero_si128();
        const __m128i v =
            _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(bits)), zero), zero);
        acc_ = _mm_add_ps(acc_, _mm_mul_ps(_mm_cvtepi32_ps(v), _mm_set1_ps(w)));
    }
    // The colour bytes: each lane truncated, then reduced to a byte.
    void colour(int* rgb) const {
        alignas(16) int out[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(out), _mm_cvttps_epi32(acc_));
        for (int i = 0; i < 3; ++i) rgb[i] = std::uint8_t(out[i + 1]);
    }

private:
    __m128 acc_ = _mm_setzero_ps();
};
#else
class SplineSum {
public:
    void add(const float* p, float w) {
        for (int i = 0; i < 4; ++i) acc_[i] = acc_[i] + p[i] * w;
    }
    void add(ARGBVal px, float w) {
        const float p[4] = {float(px.alpha), float(px.red), float(px.green), float(px.blue)};
        add(p, w);
    }
    void colour(int* rgb) const {
        for (int i = 0; i < 3; ++i) rgb[i] = std::uint8_t(int(acc_[i + 1]));
    }

private:
    float acc_[4] = {0, 0, 0, 0};
};
#endif

// Source rows as floats, four channels a pixel from the view's low column, for
// the spline's taps; rows are
// kept by their position modulo 4, so the four rows a result row reads are all
// held and the next result row mostly finds its rows converted already.
class FloatRows {
public:
    FloatRows(int lx, int hx) : w_(std::size_t(std::int64_t(hx) - lx + 1)) {
        data_.resize(w_ * 16);
    }
    const float* get(int y, const ARGBVal* r) {
        const int slot = y & 3;
        float* d = data_.data() + std::size_t(slot) * w_ * 4;
        if (!held_[slot] || key_[slot] != y) {
            for (std::size_t i = 0; i < w_; ++i) {
                d[4 * i] = float(r[i].alpha);
                d[4 * i + 1] = float(r[i].red);
                d[4 * i + 2] = float(r[i].green);
                d[4 * i + 3] = float(r[i].blue);
            }
            key_[slot] = y;
            held_[slot] = true;
        }
        return d;
    }

private:
    std::size_t w_;
    std::vector<float> data_;
    int key_[4] = {0, 0, 0, 0};
    bool held_[4] = {false, false, false, false};
};

class Engine {
public:
    explicit Engine(const Chain& c);
    // Result rows y0 (inclusive) to y1 (exclusive), counted from the result's top.
    void rows(unsigned char* out, long rowbytes, int y0, int y1) const;

private:
    // One vertical sample with the rows it reads; null rows lie outside the view.
    struct RowSet {
        Axis ay;
        const ARGBVal* r0 = nullptr;                                // row floor(y)
        const ARGBVal* r1 = nullptr;                                // row ceil(y)
        const ARGBVal* t[4] = {nullptr, nullptr, nullptr, nullptr}; // rows floor(y) - 1 ... + 2
        const ARGBVal* up = nullptr;                                // row floor(y) - 1
        const ARGBVal* down = nullptr;                              // row ceil(y) + 1
    };
    const ARGBVal* row(std::int64_t y) const {
        if (y < c_.ly || y > c_.hy) return nullptr;
        return c_.base->rowptr(int(y) - c_.oy);
    }
    ARGBVal at(const ARGBVal* r, std::int64_t x) const {
        if (!r || x < c_.lx || x > c_.hx) return ARGBVal();
        return r[x - c_.ox];
    }
    RowSet rowset(double py) const;
    void sample(const Axis& ax, const RowSet& rs, int* rgb) const;
    void bilinear(const Axis& ax, const RowSet& rs, int* rgb) const;
    void smooth(const Axis& ax, const RowSet& rs, int* rgb) const;
    void triangular(const Axis& ax, const RowSet& rs, int* rgb) const;
    void spline(const Axis& ax, const RowSet& rs, int* rgb) const;

    Chain c_;
    void samplerow(const RowSet& rs, FixedRows::WeightCache* weights, FloatRows* floatrows,
                   unsigned char* o) const;
    void splinerow(const RowSet& rs, FloatRows& fr, unsigned char* o) const;

    std::vector<Axis> cols_;                 // every column sample, result column after column
    std::unique_ptr<FixedRows::Plan> fixed_; // a bilinear method: the row kernels
    std::vector<int> rest_;            // the column samples a row kernel leaves to the pixel road
    std::vector<unsigned char> plain_; // the column sample's cell lies inside
    std::vector<int> colstart_; // result column i's samples: [colstart_[i], colstart_[i + 1])
    std::vector<Tri> tri_;      // triangle geometry per pair of fraction ids, when tabled
    std::vector<double> fys_;   // the distinct row fractions, when tabled
    std::size_t nfx_ = 0;
};

Engine::Engine(const Chain& c) : c_(c) {
    const auto& s = *c_.sample;
    colstart_.reserve(std::size_t(s.width()) + 1);
    for (int x = s.lx(); x <= s.hx(); ++x) {
        colstart_.push_back(int(cols_.size()));
        for (double p : positions(c_, x, true))
            cols_.push_back(makeaxis(p, c_.lx, c_.hx, true, c_.code));
    }
    colstart_.push_back(int(cols_.size()));
    {
        // One entry per column sample: a reduction's footprints are rows of
        // samples like an enlargement's, read by the same kernels.
        std::vector<FixedRows::Col> fc;
        for (const Axis& a : cols_) {
            plain_.push_back(a.in && a.cell ? 1 : 0);
            FixedRows::Col k;
            k.i0 = a.c0 - c_.ox;
            k.i1 = a.c1 - c_.ox;
            if (a.cell) k.g = a.g, k.f = a.f, k.q0 = a.q0, k.q1 = a.q1;
            k.plain = plain_.back() != 0;
            k.ring = a.ring;
            fc.push_back(k);
        }
        if (c_.code == SIBilinear || c_.code == SISmoothBilinear) {
            fixed_ = std::make_unique<FixedRows::Plan>(fc, c_.lx - c_.ox, c_.hx - c_.ox,
                                                       c_.code == SISmoothBilinear);
        }
        for (std::size_t x = 0; x < fc.size(); ++x)
            if (!fc[x].plain || (c_.code != SIBilinear && !fc[x].ring)) rest_.push_back(int(x));
    }
    if (c_.code != SITriangular) return;
    std::vector<Axis> rowsamples;
    for (int y = s.ly(); y <= s.hy(); ++y)
        for (double p : positions(c_, y, false))
            rowsamples.push_back(makeaxis(p, c_.ly, c_.hy, false, c_.code));
    const std::vector<double> fxs = distinctfractions(cols_);
    std::vector<double> fys = distinctfractions(rowsamples);
    // Tabled when the pairs are few against the samples: the fractions of simple
    // factors repeat, so an enlargement by 2 needs four entries.
    const double pairs = double(fxs.size()) * double(fys.size());
    if (pairs < 1.0 || pairs * 4.0 > double(cols_.size()) * double(rowsamples.size()) ||
        pairs > double(1 << 20)) {
        return;
    }
    for (Axis& a : cols_)
        if (a.cell) a.fid = fractionid(fxs, a.f);
    nfx_ = fxs.size();
    tri_.resize(std::size_t(pairs));
    for (std::size_t j = 0; j < fys.size(); ++j)
        for (std::size_t i = 0; i < fxs.size(); ++i) tri_[j * nfx_ + i] = trigeom(fxs[i], fys[j]);
    fys_ = std::move(fys);
}

Engine::RowSet Engine::rowset(double py) const {
    RowSet rs;
    rs.ay = makeaxis(py, c_.ly, c_.hy, false, c_.code);
    const Axis& a = rs.ay;
    if (!a.cell) return rs;
    rs.r0 = row(a.c0);
    rs.r1 = row(a.c1);
    rs.up = row(std::int64_t(a.c0) - 1);
    rs.down = row(std::int64_t(a.c1) + 1);
    for (int j = 0; j < 4; ++j) rs.t[j] = row(std::int64_t(a.c0) - 1 + j);
    if (!tri_.empty()) rs.ay.fid = fractionid(fys_, a.f);
    return rs;
}

inline void channels(const ARGBVal& p, int* rgb) {
    rgb[0] = p.red;
    rgb[1] = p.green;
    rgb[2] = p.blue;
}

void Engine::bilinear(const Axis& ax, const RowSet& rs, int* rgb) const {
    const ARGBVal p00 = rs.r0[ax.c0 - c_.ox], p10 = rs.r0[ax.c1 - c_.ox];
    const ARGBVal p01 = rs.r1[ax.c0 - c_.ox], p11 = rs.r1[ax.c1 - c_.ox];
    const Axis& ay = rs.ay;
    const double w00 = ax.g * ay.g, w10 = ax.f * ay.g, w01 = ay.f * ax.g, w11 = ax.f * ay.f;
    rgb[0] = std::uint8_t(int(p00.red * w00) + int(p10.red * w10) + int(p01.red * w01) +
                          int(p11.red * w11));
    rgb[1] = std::uint8_t(int(p00.green * w00) + int(p10.green * w10) + int(p01.green * w01) +
                          int(p11.green * w11));
    rgb[2] = std::uint8_t(int(p00.blue * w00) + int(p10.blue * w10) + int(p01.blue * w01) +
                          int(p11.blue * w11));
}

void Engine::smooth(const Axis& ax, const RowSet& rs, int* rgb) const {
    bilinear(ax, rs, rgb);
    float b[3];
    for (int i = 0; i < 3; ++i) b[i] = float(int(rgb[i] * 0.75));
    const Axis& ay = rs.ay;
    const std::int64_t x0 = ax.c0, x1 = ax.c1;
    ARGBVal ring[8];
    if (ax.ring && ay.ring) {
        const auto* r0 = rs.r0 - c_.ox;
        const auto* r1 = rs.r1 - c_.ox;
        ring[0] = rs.up[x0 - c_.ox], ring[1] = r0[x0 - 1];
        ring[2] = rs.down[x0 - c_.ox], ring[3] = r1[x0 - 1];
        ring[4] = r0[x1 + 1], ring[5] = rs.up[x1 - c_.ox];
        ring[6] = rs.down[x1 - c_.ox], ring[7] = r1[x1 + 1];
    } else {
        ring[0] = at(rs.up, x0), ring[1] = at(rs.r0, x0 - 1);
        ring[2] = at(rs.down, x0), ring[3] = at(rs.r1, x0 - 1);
        ring[4] = at(rs.r0, x1 + 1), ring[5] = at(rs.up, x1);
        ring[6] = at(rs.down, x1), ring[7] = at(rs.r1, x1 + 1);
    }
    // G00, G01, G10, G11, each clamped into the byte before the next.
    const double w[4] = {ax.q0 * ay.q0, ax.q0 * ay.q1, ax.q1 * ay.q0, ax.q1 * ay.q1};
    for (int k = 0; k < 4; ++k) {
        const ARGBVal& a = ring[2 * k];
        const ARGBVal& c = ring[2 * k + 1];
        const float gs[3] = {float(float(a.red) + float(c.red)),
                             float(float(a.green) + float(c.green)),
                             float(float(a.blue) + float(c.blue))};
        for (int i = 0; i < 3; ++i) {
            const float g = float(double(gs[i]) * w[k]);
            const float v = b[i] + g;
            b[i] = float(SIPixelMath::clampbyte(double(v)));
        }
    }
    for (int i = 0; i < 3; ++i) rgb[i] = int(b[i]);
}

void Engine::triangular(const Axis& ax, const RowSet& rs, int* rgb) const {
    const ARGBVal p[4] = {rs.r0[ax.c0 - c_.ox], rs.r0[ax.c1 - c_.ox], rs.r1[ax.c0 - c_.ox],
                          rs.r1[ax.c1 - c_.ox]};
    const Tri t =
        tri_.empty() ? trigeom(ax.f, rs.ay.f) : tri_[std::size_t(rs.ay.fid) * nfx_ + ax.fid];
    if (t.kind == 0) {
        channels(p[t.a], rgb);
        return;
    }
    if (t.kind == 2) {
        channels(p[t.b], rgb);
        return;
    }
    const auto ch = [](const ARGBVal& v, int i) {
        return float(i == 0 ? v.red : i == 1 ? v.green : v.blue);
    };
    for (int i = 0; i < 3; ++i) {
        // The centre: the corners added in the order p00, p01, p10, p11.
        const float m = (((ch(p[0], i) + ch(p[2], i)) + ch(p[1], i)) + ch(p[3], i)) * 0.25f;
        float v;
        if (t.kind == 1) {
            v = m;
        } else {
            const float bv = ch(p[t.b], i);
            // y + (x - y) × ratio: the float difference times the double ratio,
            // rounded to float, plus y.
            const auto towards = [](float x, float y, double r) { return float((x - y) * r) + y; };
            const float pv = towards(bv, m, t.t);
            if (t.kind == 3) {
                v = pv;
            } else {
                const float av = ch(p[t.a], i);
                const float rv = towards(bv, av, t.t);
                v = t.kind == 4 ? rv : towards(rv, pv, t.u);
            }
        }
        rgb[i] = truncbyte(v);
    }
}

void Engine::spline(const Axis& ax, const RowSet& rs, int* rgb) const {
    const Axis& ay = rs.ay;
    SplineSum acc;
    const bool inner = ax.ring && ay.ring;
    const std::int64_t xb = std::int64_t(ax.c0) - 1;
    for (int j = ay.w0; j < ay.w1; ++j) {
        const ARGBVal* r = rs.t[j];
        const float wy = ay.w[j];
        for (int i = ax.w0; i < ax.w1; ++i) {
            // The weight is the float product; each tap is rounded to float
            // before it is added, as the accumulator does.
            acc.add(inner ? r[xb + i - c_.ox] : at(r, xb + i), ax.w[i] * wy);
        }
    }
    acc.colour(rgb);
}

void Engine::sample(const Axis& ax, const RowSet& rs, int* rgb) const {
    // Outside the view's bounds (truncated): black. A cell that leaves the
    // bounds: the stored pixel at the truncated position.
    if (!ax.in || !rs.ay.in) {
        rgb[0] = rgb[1] = rgb[2] = 0;
        return;
    }
    if (!ax.cell || !rs.ay.cell) {
        channels(at(row(rs.ay.t), ax.t), rgb);
        return;
    }
    switch (c_.code) {
    case SIBilinear:
        return bilinear(ax, rs, rgb);
    case SISmoothBilinear:
        return smooth(ax, rs, rgb);
    case SITriangular:
        return triangular(ax, rs, rgb);
    case SICubicBSpline:
        return spline(ax, rs, rgb);
    default:
        rgb[0] = rgb[1] = rgb[2] = 0;
        return;
    }
}

// Spline pixels of one row whose taps all lie inside the view, from float rows:
// for each tap row, the column weights times the row weight (the float
// products), then each tap's channels times its weight added in tap order.
// Columns whose spline weight is 0 add 0 and change nothing.
void Engine::splinerow(const RowSet& rs, FloatRows& fr, unsigned char* o) const {
    const Axis& ay = rs.ay;
    const float* rowf[4];
    for (int j = ay.w0; j < ay.w1; ++j) rowf[j] = fr.get(ay.c0 - 1 + j, rs.t[j] - c_.ox + c_.lx);
    const int w = int(plain_.size());
    for (int x = 0; x < w; ++x, o += 4) {
        const Axis& ax = cols_[std::size_t(x)];
        if (!plain_[std::size_t(x)] || !ax.ring) continue;
        SplineSum acc;
        const std::int64_t xb = (std::int64_t(ax.c0) - 1 - c_.lx) * 4;
        for (int j = ay.w0; j < ay.w1; ++j) {
            const float* p = rowf[j] + xb;
            for (int i = 0; i < 4; ++i) acc.add(p + 4 * i, ax.w[i] * ay.w[j]);
        }
        int rgb[3];
        acc.colour(rgb);
        o[0] = 255;
        o[1] = std::uint8_t(rgb[0]);
        o[2] = std::uint8_t(rgb[1]);
        o[3] = std::uint8_t(rgb[2]);
    }
}

// Every column sample of one row sample, 4 bytes each (255, red, green, blue):
// the row kernels where they apply, the per-pixel form for the rest.
void Engine::samplerow(const RowSet& rs, FixedRows::WeightCache* weights, FloatRows* floatrows,
                       unsigned char* o) const {
    const bool rowplain = rs.ay.in && rs.ay.cell;
    // A row the row kernels take leaves only the columns they skip.
    bool done = false;
    if (rowplain && fixed_ && weights && (c_.code == SIBilinear || rs.ay.ring)) {
        FixedRows::Rows fr;
        fr.up = rs.up, fr.r0 = rs.r0, fr.r1 = rs.r1, fr.down = rs.down;
        fr.fy = rs.ay.f, fr.gy = rs.ay.g, fr.ay0 = rs.ay.q0, fr.ay1 = rs.ay.q1;
        if (c_.code == SIBilinear) {
            fixed_->bilinear(fr, *weights, o);
        } else {
            fixed_->smooth(fr, *weights, o);
        }
        done = true;
    } else if (rowplain && floatrows && c_.code == SICubicBSpline && rs.ay.ring) {
        splinerow(rs, *floatrows, o);
        done = true;
    }
    const std::size_t nrest = done ? rest_.size() : cols_.size();
    for (std::size_t i = 0; i < nrest; ++i) {
        const std::size_t x = done ? std::size_t(rest_[i]) : i;
        int rgb[3];
        sample(cols_[x], rs, rgb);
        unsigned char* p = o + x * 4;
        p[0] = 255;
        p[1] = std::uint8_t(rgb[0]);
        p[2] = std::uint8_t(rgb[1]);
        p[3] = std::uint8_t(rgb[2]);
    }
}

void Engine::rows(unsigned char* out, long rowbytes, int y0, int y1) const {
    const auto& s = *c_.sample;
    const int w = s.width();
    std::vector<std::int64_t> acc;
    std::vector<unsigned char> samples;
    std::vector<RowSet> sets;
    if (c_.reduce) {
        acc.resize(std::size_t(w) * 3);
        samples.resize(cols_.size() * 4);
    }
    std::unique_ptr<FloatRows> floatrows;
    std::unique_ptr<FixedRows::WeightCache> weights;
    if (fixed_) weights = fixed_->cache();
    if (c_.code == SICubicBSpline) floatrows = std::make_unique<FloatRows>(c_.lx, c_.hx);
    for (int yi = y0; yi < y1; ++yi) {
        unsigned char* o = out + std::int64_t(yi) * rowbytes;
        sets.clear();
        for (double p : positions(c_, s.ly() + yi, false)) sets.push_back(rowset(p));
        if (!c_.reduce) {
            // One sample per column: the samples are the result row.
            samplerow(sets.front(), weights.get(), floatrows.get(), o);
            continue;
        }
        // Footprint means: whole-number sums of the samples taken, times 1 / n.
        // Every sample is a whole number of at most 255, so the double sums the
        // resampler forms are exact and equal these integer sums in any order.
        std::fill(acc.begin(), acc.end(), 0);
        for (const RowSet& rs : sets) {
            samplerow(rs, weights.get(), floatrows.get(), samples.data());
            const unsigned char* sp = samples.data();
            for (int x = 0; x < w; ++x) {
                std::int64_t* a = &acc[std::size_t(x) * 3];
                std::int64_t r = 0, g = 0, b = 0;
                for (int k = colstart_[x]; k < colstart_[x + 1]; ++k) {
                    const unsigned char* q = sp + std::size_t(k) * 4;
                    r += q[1];
                    g += q[2];
                    b += q[3];
                }
                a[0] += r;
                a[1] += g;
                a[2] += b;
            }
        }
        for (int x = 0; x < w; ++x, o += 4) {
            const std::int64_t n =
                std::int64_t(colstart_[x + 1] - colstart_[x]) * std::int64_t(sets.size());
            const std::int64_t* a = &acc[std::size_t(x) * 3];
            const double inv = n > 0 ? 1.0 / double(n) : 0.0;
            o[0] = 255;
            o[1] = SIPixelMath::wrapbyte(double(a[0]) * inv);
            o[2] = SIPixelMath::wrapbyte(double(a[1]) * inv);
            o[3] = SIPixelMath::wrapbyte(double(a[2]) * inv);
        }
    }
}

} // namespace

namespace SnapshotRoad {

bool recognises(const PixRect<ARGBVal>& raster) {
    Chain c;
    return recognise(raster, c);
}

bool fill(const PixRect<ARGBVal>& raster, unsigned char* out, long rowbytes, int threads) {
    Chain c;
    if (!out || !recognise(raster, c)) return false;
    const int h = c.sample->height();
    if (h < 1 || c.sample->width() < 1) return true;
    const Engine engine(c);
    // Rows are independent: each thread fills a band of them, this one the first.
    const int n = std::max(1, std::min(threads, h));
    const auto band = [&](int i) {
        engine.rows(out, rowbytes, int(std::int64_t(h) * i / n),
                    int(std::int64_t(h) * (i + 1) / n));
    };
    std::atomic<bool> failed{false};
    std::vector<std::thread> helpers;
    helpers.reserve(std::size_t(n));
    int started = 1;
    try {
        for (; started < n; ++started) {
            helpers.emplace_back([&band, &failed, started] {
                try {
                    band(started);
                } catch (...) {
                    failed = true;
                }
            });
        }
    } catch (const std::system_error&) {
        // No more threads to be had: this thread takes the remaining bands.
    }
    try {
        band(0);
        for (int i = started; i < n; ++i) band(i);
    } catch (...) {
        failed = true;
    }
    for (auto& t : helpers) t.join();
    if (failed) throw std::bad_alloc();
    return true;
}

} // namespace SnapshotRoad
