// PixRectRW<P>: the owned, writable raster. One contiguous block of width x height
// pixels and a row table offset so that rasters()[y][x] is pixel (x, y).
#pragma once

#include "PixRect.h"
#include "PixRectRef.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>
#include <typeinfo>

// The alpha blend blendwithalpha applies; only the first method exists.
enum sialphamethod : std::uint8_t {
    SIAlphaSrc = 0, // the source laid over the target by the source's alpha
};
static_assert(sizeof(sialphamethod) == 1);

// The weight table blendwithpeak reads (Shape2D.h).
class Shape2D;

// Pixel families the whole-raster operations are offered for.
template <class P>
concept SIArgbPixel = std::is_same_v<P, ARGBVal>;
template <class P>
concept SIRgbGrPixel = std::is_same_v<P, RGBGrVal>;
template <class P>
concept SIObjectPixel = std::is_base_of_v<SICommon, P>;

// Pixel conversion used when one raster is copied into another.
namespace SIPixelMath {
template <class P, class Q> inline void assignpixel(P& d, const Q& s) {
    if constexpr (std::is_same_v<P, Q> &&
                  (std::is_same_v<P, ARGBVal> || std::is_same_v<P, RGBGrVal>)) {
        d = s;
    } else if constexpr (std::is_same_v<P, ARGBVal>) {
        static_assert(std::is_base_of_v<GreyPixelType, Q>, "no conversion into ARGBVal");
        d.red = d.green = d.blue = wrapbyte(double(s.getgrey()));
    } else if constexpr (std::is_base_of_v<GreyPixelType, P>) {
        d << s;
    } else if constexpr (std::is_base_of_v<RGBPixelType, P>) {
        using T = typename P::channel_type;
        if constexpr (std::is_same_v<Q, ARGBVal> || std::is_same_v<Q, RGBGrVal>) {
            d.set(T(s.red), T(s.green), T(s.blue));
        } else {
            d.set(tochan<T>(double(s.getred())), tochan<T>(double(s.getgreen())),
                  tochan<T>(double(s.getblue())));
        }
    } else {
        static_assert(std::is_base_of_v<HSVPixelType, P>, "unknown pixel type");
        using T = typename P::channel_type;
        d.set(tochan<T>(double(s.gethue())), tochan<T>(double(s.getsat())),
              tochan<T>(double(s.getval())));
    }
}
} // namespace SIPixelMath

template <class P> class PixRectRW : public virtual PixRect<P> {
public:
    PixRectRW() = default;
    explicit PixRectRW(const DBGState& s) : PixRect<P>(s) {
        siprintf("PixRectRW(const DBGState &s=%d) now dbg=%d\n", s.dcl, this->dbg.dcl);
    }
    PixRectRW(int w, int h) : PixRect<P>(w, h) { PixRectRW::init(); }
    PixRectRW(int lx, int ly, int hx, int hy) : PixRect<P>(lx, ly, hx, hy) { PixRectRW::init(); }
    PixRectRW(const PixRectRW& o) : PixRect<P>(o) {
        PixRectRW::init();
        copyfrom(o);
    }
    // A copy of any raster: its debug class, zoom and bounds, and its pixels converted.
    template <class Q> explicit PixRectRW(const PixRect<Q>& o) {
        this->dbg = o.dbg;
        this->setbounds(o);
        PixRectRW::init();
        copyfrom(o);
    }
    // Assignment copies the overlap of the two bounds; bounds and storage stay.
    PixRectRW& operator=(const PixRect<P>& o) {
        if (&o != static_cast<const PixRect<P>*>(this)) copyfrom(o);
        return *this;
    }
    PixRectRW& operator=(const PixRectRW& o) { return *this = static_cast<const PixRect<P>&>(o); }
    ~PixRectRW() override { PixRectRW::freestore(); }

    // Allocates storage for the current bounds (releasing any it held); empty
    // bounds allocate nothing.
    void init() override;
    virtual void init(int lx, int ly, int hx, int hy) {
        this->setbounds(lx, ly, hx, hy);
        init();
    }
    // Releases the storage; the bounds stay.
    virtual void freestore();

    P pix(int x, int y) const override {
        if (rasters_ && this->withinbounds(x, y)) return rasters_[y][x];
        return this->blackpixel;
    }
    P pixNB(int x, int y) const override {
        if (!rasters_) return this->blackpixel;
        return rasters_[y][x];
    }
    P pixdd(double x, double y) const override {
        int ix, iy;
        if (!SIPixelMath::truncpos(x, ix) || !SIPixelMath::truncpos(y, iy)) {
            return this->blackpixel;
        }
        return pix(ix, iy);
    }
    // Renumbers the pixels: the same memory answers to the shifted coordinates.
    SIerrorcode shiftorigin(int dx, int dy) override;

    // A writable pixel. Outside the bounds or without storage it is a scratch
    // pixel of this raster, black when handed out, so a stray write changes
    // neither the raster nor the shared blackpixel.
    virtual P& pixref(int x, int y) const {
        if (rasters_ && this->withinbounds(x, y)) return rasters_[y][x];
        return scratchpixel();
    }
    virtual P& pixrefNB(int x, int y) const {
        if (!rasters_) return scratchpixel();
        return rasters_[y][x];
    }
    int printInfo() const override {
        siprintf("PixRectRW rast(%x) :",
                 static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(rasters_)));
        return PixRectBase<P>::printInfo();
    }

    // The row table, indexed with absolute coordinates; null without storage.
    P** rasters() const { return rasters_; }
    // Row y, indexed with absolute x: rowptr(y)[x] is pixel (x, y). No checks;
    // the caller knows the raster has storage and y is inside the bounds.
    P* rowptr(int y) const { return rasters_[y]; }
    bool hasstorage() const { return rasters_ != nullptr; }

    // Copies the overlap of the two bounds from src, converting pixels.
    template <class Q> SIerrorcode copyfrom(const PixRect<Q>& src);

    // The src filtered with a 5 x 5 kernel normalised by its sum, kernel[dx + 2][dy + 2]
    // weighting the neighbour (x + dx, y + dy); a border of three pixels stays zero.
    // A kernel without a usable reciprocal of its sum (a sum of 0) is refused: the
    // raster gets src's bounds but no storage. Defined in PixRectKernel.h.
    PixRectRW(PixRectRW<P>& src, float (*kernel)[5]);

    // Whole-raster operations, over every pixel, rows ly..hy and within a row
    // lx..hx; the binary ones over the overlap of this raster and the source.
    // Defined in PixRectOps.h.
    SIerrorcode fillWith(const ARGBVal& v) requires SIArgbPixel<P>;
    // ARGBVal: all four bytes added modulo 256. RGBGrVal: colour bytes added
    // modulo 256 and the grey byte taken from p. Pixel objects: pixel += p.
    SIerrorcode incrementby(const P& p);
    PixRectRW& operator+=(const P& p) {
        incrementby(p);
        return *this;
    }
    // Colour bytes += the low byte of n; alpha stays.
    SIerrorcode incrementby(const int& n) requires SIArgbPixel<P>;
    // Colour bytes += p's channels, clamped to 0..255; alpha stays.
    SIerrorcode incrementby(const RGBPixel<float>& p) requires SIArgbPixel<P>;
    int incrementby(double d);
    PixRectRW& operator+=(double d) {
        incrementby(d);
        return *this;
    }
    int multiplyby(double f) requires(!SIRgbGrPixel<P>);
    PixRectRW& operator*=(double f) requires(!SIRgbGrPixel<P>) {
        multiplyby(f);
        return *this;
    }
    PixRectRW& operator/=(double f) requires(!SIRgbGrPixel<P>) {
        multiplyby(1.0 / f);
        return *this;
    }
    // Numbers the pixels 0, 1, 2, ... in walking order (grey, modulo 256 for bytes).
    int fillwithcount() requires(!SIRgbGrPixel<P>);
    // The pixel's grey from the low byte of v; SIfailed outside the bounds.
    SIerrorcode set(int x, int y,
                    const int& v) requires std::is_same_v<P, GreyPixel<unsigned char>>;

    // ARGBVal <- ARGBVal: four bytes added modulo 256. RGBGrVal <- GreyPixel<float> or
    // RGBPixel<float>: added with clamping, grey recomputed.
    template <class Q>
        SIerrorcode add(const PixRect<Q>& src) requires(SIArgbPixel<P>&& SIArgbPixel<Q>) ||
        (SIRgbGrPixel<P> &&
         (std::is_same_v<Q, GreyPixel<float>> || std::is_same_v<Q, RGBPixel<float>>));
    SIerrorcode subtract(const PixRect<ARGBVal>& src) requires SIArgbPixel<P>;
    // Each pixel keeps weight k against weight 1 for the source pixel.
    SIerrorcode blendwith(const PixRect<ARGBVal>& src, float k) requires SIArgbPixel<P>;
    SIerrorcode blendwithalpha(const PixRect<ARGBVal>& src,
                               sialphamethod m) requires SIArgbPixel<P>;
    // Per colour channel: moves half way to the source where they differ by less than limit.
    SIerrorcode blendwithlimitrgb(const PixRect<ARGBVal>& src, int limit) requires SIArgbPixel<P>;
    // Mixes pixels whose greys differ by less than limit, the target weighing more
    // the more they differ; count is the number of pixels left alone.
    SIerrorcode blendwithlimit(const PixRect<ARGBVal>& src, int limit,
                               int& count) requires SIArgbPixel<P>;
    // Mixes by the weights of shape, row and column counted from the overlap's
    // top-left pixel. A shape smaller than the overlap is refused with SIfailed and
    // nothing changes.
    SIerrorcode blendwithpeak(const PixRect<ARGBVal>& src,
                              const Shape2D& shape) requires SIArgbPixel<P>;

protected:
    // Geometry setters that leave the bounds the row table was built for make the
    // table useless; it is released so that no read can leave the block.
    void boundschanged() override;
    P& scratchpixel() const {
        scratch_ = this->blackpixel;
        return scratch_;
    }
    // Installs a row table; the bounds it addresses are the current bounds.
    void adopttable(P** table, int rows) {
        rowbase_ = table;
        tablerows_ = rows;
        rasters_ = table - this->ly_;
        tlx_ = this->lx_;
        tly_ = this->ly_;
        thx_ = this->hx_;
        thy_ = this->hy_;
    }
    void droptable() {
        delete[] rowbase_;
        rowbase_ = nullptr;
        rasters_ = nullptr;
        tablerows_ = 0;
    }

    P** rasters_ = nullptr;
    P** rowbase_ = nullptr;
    P* pixdata_ = nullptr;
    int tablerows_ = 0;
    // The bounds the row table addresses.
    int tlx_ = 0, tly_ = 0, thx_ = -1, thy_ = -1;
    mutable P scratch_{};
};

template <class P> void PixRectRW<P>::init() {
    PixRectRW::freestore();
    const int w = this->width();
    const int h = this->height();
    if (w < 1 || h < 1) return;
    auto table = std::make_unique<P*[]>(static_cast<std::size_t>(h));
    auto block = std::make_unique<P[]>(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int i = 0; i < h; ++i)
        table[i] = block.get() + static_cast<std::size_t>(i) * w - this->lx_;
    pixdata_ = block.release();
    adopttable(table.release(), h);
}

template <class P> void PixRectRW<P>::freestore() {
    if (rowbase_) {
        delete[] pixdata_;
        pixdata_ = nullptr;
    }
    droptable();
}

template <class P> SIerrorcode PixRectRW<P>::shiftorigin(int dx, int dy) {
    this->movebounds(dx, dy);
    if (!rasters_) return SInodata;
    for (int i = 0; i < tablerows_; ++i) rowbase_[i] -= dx;
    rasters_ -= dy;
    tlx_ += dx;
    thx_ += dx;
    tly_ += dy;
    thy_ += dy;
    return SIok;
}

template <class P> void PixRectRW<P>::boundschanged() {
    if (!rasters_) return;
    if (this->lx_ != tlx_ || this->ly_ != tly_ || this->hx_ != thx_ || this->hy_ != thy_) {
        freestore();
    }
}

template <class P> template <class Q> SIerrorcode PixRectRW<P>::copyfrom(const PixRect<Q>& src) {
    if (!rasters_) return SIok;
    const int lx = SICommon_H::max(this->lx_, src.lx());
    const int ly = SICommon_H::max(this->ly_, src.ly());
    const int hx = SICommon_H::min(this->hx_, src.hx());
    const int hy = SICommon_H::min(this->hy_, src.hy());
    if (hx < lx || hy < ly) return SIok;
    if constexpr (std::is_same_v<P, Q>) {
        // An owned source of the same type is read straight from its rows.
        const auto* rw = dynamic_cast<const PixRectRW<P>*>(&src);
        if (rw && rw->rasters_) {
            for (int y = ly; y <= hy; ++y) {
                const P* s = rw->rasters_[y];
                P* d = rasters_[y];
                if constexpr (std::is_trivially_copyable_v<P>) {
                    std::memmove(d + lx, s + lx, sizeof(P) * static_cast<std::size_t>(hx - lx + 1));
                } else {
                    for (int x = lx; x <= hx; ++x) SIPixelMath::assignpixel(d[x], s[x]);
                }
            }
            return SIok;
        }
        // A plain region view lying wholly inside an owned raster reads that
        // raster's rows, shifted by the view's offset: the same pixels its
        // unchecked reads give, without two virtual calls per pixel.
        if constexpr (std::is_trivially_copyable_v<P>) {
            if (typeid(src) == typeid(PixRectRef<P>)) {
                const auto* ref = dynamic_cast<const PixRectRef<P>*>(&src);
                const auto* base = ref && ref->insidesource()
                                       ? dynamic_cast<const PixRectRW<P>*>(ref->source())
                                       : nullptr;
                const int dx = ref ? ref->offsetx() : 0, dy = ref ? ref->offsety() : 0;
                if (base && base->rasters_ && std::int64_t(lx) - dx >= base->lx() &&
                    std::int64_t(hx) - dx <= base->hx() && std::int64_t(ly) - dy >= base->ly() &&
                    std::int64_t(hy) - dy <= base->hy()) {
                    for (int y = ly; y <= hy; ++y)
                        std::memmove(rasters_[y] + lx, base->rasters_[y - dy] + (lx - dx),
                                     sizeof(P) * static_cast<std::size_t>(hx - lx + 1));
                    return SIok;
                }
            }
        }
    }
    for (int y = ly; y <= hy; ++y) {
        P* d = rasters_[y];
        for (int x = lx; x <= hx; ++x) SIPixelMath::assignpixel(d[x], src.pixNB(x, y));
    }
    return SIok;
}

extern template class PixRectRW<ARGBVal>;
extern template class PixRectRW<RGBGrVal>;
extern template class PixRectRW<GreyPixel<unsigned char>>;
extern template class PixRectRW<GreyPixel<int>>;
extern template class PixRectRW<GreyPixel<float>>;
extern template class PixRectRW<RGBPixel<unsigned char>>;
extern template class PixRectRW<RGBPixel<float>>;
extern template class PixRectRW<HSVPixel<unsigned char>>;
