// Whole-raster operations of the owned raster (fill, add, scale, count, blends
// against a second raster) and the measurements every raster answers.
#pragma once

#include "PixRectRW.h"
#include "Shape2D.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace SIRasterOps {

// The common part of two rasters' bounds; empty when they do not meet (no
// collapsing to one row or column).
struct Overlap {
    int lx, ly, hx, hy;
    bool empty() const { return hx < lx || hy < ly; }
    int width() const { return hx - lx + 1; }
    int height() const { return hy - ly + 1; }
};

template <class P, class Q> Overlap overlapof(const PixRectBase<P>& t, const PixRectBase<Q>& s) {
    return {SICommon_H::max(t.lx(), s.lx()), SICommon_H::max(t.ly(), s.ly()),
            SICommon_H::min(t.hx(), s.hx()), SICommon_H::min(t.hy(), s.hy())};
}

// SIok for a raster with no pixels to visit, SInodata for one whose bounds hold
// pixels but which has no storage for them.
template <class P> SIerrorcode nothingtodo(const PixRectRW<P>& r) {
    return (r.width() < 1 || r.height() < 1) ? SIok : SInodata;
}

// Calls f(pixel) for every pixel of r, rows ly..hy, columns lx..hx. Rows are
// fetched from the row table one by one, so a raster whose rows are not
// contiguous (a wrap over every other line) is walked correctly.
template <class P, class F> void eachpixel(const PixRectRW<P>& r, F&& f) {
    if (!r.hasstorage()) return;
    const int lx = r.lx(), hx = r.hx();
    for (int y = r.ly(); y <= r.hy(); ++y) {
        P* p = r.rowptr(y) + lx;
        P* const e = r.rowptr(y) + hx + 1;
        for (; p != e; ++p) f(*p);
    }
}

// Calls f(target pixel, source pixel, i, j) over the overlap o, with (i, j) the
// row and column inside it. An owned source of the target's type is read from
// its rows; any other through pixNB, inside its bounds by construction.
template <class P, class Q, class F>
void eachpair(const PixRectRW<P>& t, const PixRect<Q>& src, const Overlap& o, F&& f) {
    if constexpr (std::is_same_v<P, Q>) {
        const auto* rw = dynamic_cast<const PixRectRW<P>*>(&src);
        if (rw && rw->hasstorage()) {
            for (int y = o.ly; y <= o.hy; ++y) {
                P* d = t.rowptr(y);
                const P* s = rw->rowptr(y);
                for (int x = o.lx; x <= o.hx; ++x) f(d[x], s[x], y - o.ly, x - o.lx);
            }
            return;
        }
    }
    for (int y = o.ly; y <= o.hy; ++y) {
        P* d = t.rowptr(y);
        for (int x = o.lx; x <= o.hx; ++x) f(d[x], src.pixNB(x, y), y - o.ly, x - o.lx);
    }
}

// Runs a binary operation over the overlap of t and src: nothing (SIok) when
// they do not meet.
template <class P, class Q, class F>
SIerrorcode binary(const PixRectRW<P>& t, const PixRect<Q>& src, F&& f) {
    if (!t.hasstorage()) return nothingtodo(t);
    const Overlap o = overlapof(t, src);
    if (o.empty()) return SIok;
    eachpair(t, src, o, f);
    return SIok;
}

inline unsigned char addbytes(unsigned char a, unsigned char b) {
    return static_cast<unsigned char>(a + b);
}
inline unsigned char subbytes(unsigned char a, unsigned char b) {
    return static_cast<unsigned char>(a - b);
}

} // namespace SIRasterOps

template <class P> SIerrorcode PixRectRW<P>::fillWith(const ARGBVal& v) requires SIArgbPixel<P> {
    if (!rasters_) return SIRasterOps::nothingtodo(*this);
    for (int y = this->ly_; y <= this->hy_; ++y) {
        std::fill(rasters_[y] + this->lx_, rasters_[y] + this->hx_ + 1, v);
    }
    return SIok;
}

template <class P> SIerrorcode PixRectRW<P>::incrementby(const P& v) {
    using namespace SIRasterOps;
    if (!rasters_) return nothingtodo(*this);
    if constexpr (std::is_same_v<P, ARGBVal>) {
        eachpixel(*this, [v](ARGBVal& p) {
            p.alpha = addbytes(p.alpha, v.alpha);
            p.red = addbytes(p.red, v.red);
            p.green = addbytes(p.green, v.green);
            p.blue = addbytes(p.blue, v.blue);
        });
    } else if constexpr (std::is_same_v<P, RGBGrVal>) {
        // The grey byte is taken from v, not recomputed from the sums.
        eachpixel(*this, [v](RGBGrVal& p) {
            p.red = addbytes(p.red, v.red);
            p.green = addbytes(p.green, v.green);
            p.blue = addbytes(p.blue, v.blue);
            p.grey = v.grey;
        });
    } else {
        eachpixel(*this, [&v](P& p) { p += v; });
    }
    return SIok;
}

template <class P> SIerrorcode PixRectRW<P>::incrementby(const int& n) requires SIArgbPixel<P> {
    if (!rasters_) return SIRasterOps::nothingtodo(*this);
    const auto b = static_cast<unsigned char>(n);
    SIRasterOps::eachpixel(*this, [b](ARGBVal& p) {
        p.red = SIRasterOps::addbytes(p.red, b);
        p.green = SIRasterOps::addbytes(p.green, b);
        p.blue = SIRasterOps::addbytes(p.blue, b);
    });
    return SIok;
}

template <class P>
SIerrorcode PixRectRW<P>::incrementby(const RGBPixel<float>& v) requires SIArgbPixel<P> {
    if (!rasters_) return SIRasterOps::nothingtodo(*this);
    SIRasterOps::eachpixel(*this, [&v](ARGBVal& p) { p += v; });
    return SIok;
}

template <class P> int PixRectRW<P>::incrementby(double d) {
    using namespace SIRasterOps;
    if constexpr (std::is_same_v<P, ARGBVal> || std::is_same_v<P, RGBGrVal>) {
        // trunc(d) as a byte, added modulo 256 to each colour byte.
        const unsigned char b = SIPixelMath::wrapbyte(d);
        eachpixel(*this, [b](P& p) {
            p.red = addbytes(p.red, b);
            p.green = addbytes(p.green, b);
            p.blue = addbytes(p.blue, b);
            if constexpr (std::is_same_v<P, RGBGrVal>) p.recomputegrey();
        });
    } else if constexpr (std::is_base_of_v<HSVPixelType, P>) {
        const auto f = static_cast<float>(d);
        eachpixel(*this, [f](P& p) { p.P::operator+=(f); });
    } else {
        // The elements are exactly P, so the pixel's own operation is called
        // without a virtual dispatch.
        eachpixel(*this, [d](P& p) { p.P::operator+=(d); });
    }
    return 0;
}

template <class P> int PixRectRW<P>::multiplyby(double f) requires(!SIRgbGrPixel<P>) {
    using namespace SIRasterOps;
    if constexpr (std::is_same_v<P, ARGBVal>) {
        // trunc(c * f) as a byte depends on c alone: one table per call.
        std::array<unsigned char, 256> t;
        for (int c = 0; c < 256; ++c) t[c] = SIPixelMath::wrapbyte(c * f);
        eachpixel(*this, [&t](ARGBVal& p) {
            p.red = t[p.red];
            p.green = t[p.green];
            p.blue = t[p.blue];
        });
    } else if constexpr (std::is_base_of_v<HSVPixelType, P>) {
        const auto g = static_cast<float>(f);
        eachpixel(*this, [g](P& p) { p.P::operator*=(g); });
    } else {
        eachpixel(*this, [f](P& p) { p.P::operator*=(f); });
    }
    return 0;
}

template <class P> int PixRectRW<P>::fillwithcount() requires(!SIRgbGrPixel<P>) {
    int k = 0;
    if constexpr (std::is_same_v<P, ARGBVal>) {
        SIRasterOps::eachpixel(*this, [&k](ARGBVal& p) {
            p.red = p.green = p.blue = static_cast<unsigned char>(k++);
        });
    } else {
        using T = typename P::channel_type;
        SIRasterOps::eachpixel(*this,
                               [&k](P& p) { p.P::setgrey(SIPixelMath::tochan<T>(double(k++))); });
    }
    return 0;
}

template <class P>
SIerrorcode PixRectRW<P>::set(int x, int y,
                              const int& v) requires std::is_same_v<P, GreyPixel<unsigned char>> {
    if (!this->withinbounds(x, y)) return SIfailed;
    if (!rasters_) return SInodata;
    rasters_[y][x].setgrey(static_cast<unsigned char>(v));
    return SIok;
}

template <class P>
    template <class Q>
    SIerrorcode
    PixRectRW<P>::add(const PixRect<Q>& src) requires(SIArgbPixel<P>&& SIArgbPixel<Q>) ||
    (SIRgbGrPixel<P> &&
     (std::is_same_v<Q, GreyPixel<float>> || std::is_same_v<Q, RGBPixel<float>>)) {
    using namespace SIRasterOps;
    if constexpr (std::is_same_v<P, ARGBVal>) {
        return binary(*this, src, [](ARGBVal& t, const ARGBVal& s, int, int) {
            t.alpha = addbytes(t.alpha, s.alpha);
            t.red = addbytes(t.red, s.red);
            t.green = addbytes(t.green, s.green);
            t.blue = addbytes(t.blue, s.blue);
        });
    } else {
        return binary(*this, src, [](RGBGrVal& t, const Q& s, int, int) { t += s; });
    }
}

template <class P>
SIerrorcode PixRectRW<P>::subtract(const PixRect<ARGBVal>& src) requires SIArgbPixel<P> {
    using namespace SIRasterOps;
    return binary(*this, src, [](ARGBVal& t, const ARGBVal& s, int, int) {
        t.alpha = subbytes(t.alpha, s.alpha);
        t.red = subbytes(t.red, s.red);
        t.green = subbytes(t.green, s.green);
        t.blue = subbytes(t.blue, s.blue);
    });
}

template <class P>
SIerrorcode PixRectRW<P>::blendwith(const PixRect<ARGBVal>& src, float k) requires SIArgbPixel<P> {
    return SIRasterOps::binary(
        *this, src, [k](ARGBVal& t, const ARGBVal& s, int, int) { t.mixInProportion(s, k); });
}

template <class P>
SIerrorcode PixRectRW<P>::blendwithalpha(const PixRect<ARGBVal>& src,
                                         sialphamethod m) requires SIArgbPixel<P> {
    if (m != SIAlphaSrc) return SIok; // no other method exists; nothing is blended
    return SIRasterOps::binary(*this, src,
                               [](ARGBVal& t, const ARGBVal& s, int, int) { t.mixByAlphaSrc(s); });
}

namespace SIRasterOps {
// Half way toward s when the two differ by less than limit; the division
// truncates toward zero, so the result lies between t and s.
inline unsigned char towardwithin(unsigned char t, unsigned char s, int limit) {
    const int d = int(s) - int(t);
    if (std::abs(d) < limit) return static_cast<unsigned char>(t + d / 2);
    return t;
}
} // namespace SIRasterOps

template <class P>
SIerrorcode PixRectRW<P>::blendwithlimitrgb(const PixRect<ARGBVal>& src,
                                            int limit) requires SIArgbPixel<P> {
    using namespace SIRasterOps;
    return binary(*this, src, [limit](ARGBVal& t, const ARGBVal& s, int, int) {
        t.red = towardwithin(t.red, s.red, limit);
        t.green = towardwithin(t.green, s.green, limit);
        t.blue = towardwithin(t.blue, s.blue, limit);
    });
}

template <class P>
SIerrorcode PixRectRW<P>::blendwithlimit(const PixRect<ARGBVal>& src, int limit,
                                         int& count) requires SIArgbPixel<P> {
    count = 0;
    return SIRasterOps::binary(*this, src, [limit, &count](ARGBVal& t, const ARGBVal& s, int, int) {
        const int g = std::abs(s.intgrey() - t.intgrey());
        if (g >= limit) {
            ++count;
        } else {
            t.mixInProportion(s, static_cast<float>(g / 10.0 + 1.0));
        }
    });
}

template <class P>
SIerrorcode PixRectRW<P>::blendwithpeak(const PixRect<ARGBVal>& src,
                                        const Shape2D& shape) requires SIArgbPixel<P> {
    using namespace SIRasterOps;
    if (!rasters_) return nothingtodo(*this);
    const Overlap o = overlapof(*this, src);
    if (o.empty()) return SIok;
    // The caller's table must hold a weight for every pixel of the overlap;
    // a smaller one would be read beyond its end.
    if (!shape.covers(o.width(), o.height())) return SIfailed;
    eachpair(*this, src, o, [&shape](ARGBVal& t, const ARGBVal& s, int i, int j) {
        const auto w = static_cast<float>(1.025 - double(shape[i][j]));
        t.mixInProportion(s, static_cast<float>(w * 40.0));
    });
    return SIok;
}

template <class P> PixRect<P>* PixRect<P>::duplicate() const {
    auto* d = new PixRectRW<P>(this->lx_, this->ly_, this->hx_, this->hy_);
    if (d->hasstorage()) {
        for (int y = this->ly_; y <= this->hy_; ++y) {
            P* row = d->rowptr(y);
            for (int x = this->lx_; x <= this->hx_; ++x) row[x] = pixNB(x, y);
        }
    }
    return d;
}
