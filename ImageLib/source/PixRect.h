// Raster geometry (PixRectBase<P>: inclusive absolute bounds, zoom, origin moves)
// and the read interface every raster fulfils (PixRect<P>: pix, pixNB, pixdd).
#pragma once

#include "HSVPixel.h"
#include "Pixel.h"
#include "SICommon.h"

#include <type_traits>

namespace SIPixelMath {
// A real coordinate truncated toward zero into an int; false when it cannot be
// one (not a number, or beyond the int range), which no raster contains.
inline bool truncpos(double v, int& out) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return false;
    out = static_cast<int>(v);
    return true;
}
} // namespace SIPixelMath

template <class P> class PixRectBase : public SICommon {
public:
    // All channels zero; what every read outside the bounds or without storage returns.
    static const P blackpixel;

    // Bounds start empty, (0, 0, -1, -1), until a user sets them.
    constexpr PixRectBase() = default;
    PixRectBase(int w, int h) : lx_(0), ly_(0), hx_(w - 1), hy_(h - 1) {}
    PixRectBase(int lx, int ly, int hx, int hy) : lx_(lx), ly_(ly), hx_(hx), hy_(hy) {}
    explicit PixRectBase(const DBGState& s) : SICommon(s) {}
    PixRectBase(const PixRectBase& o) : SICommon(o.dbg), xs_(o.xs_), ys_(o.ys_) {}
    PixRectBase& operator=(const PixRectBase&) = default;
    ~PixRectBase() override = default;

    int printInfo() const override {
        return siprintf("PixRectBase lx(%d) ly(%d) hx(%d) hy(%d) W(%d) H(%d) z(%f,%f)\n", lx_, ly_,
                        hx_, hy_, width(), height(), xs_, ys_);
    }
    virtual void init() {}

    int lx() const { return lx_; }
    int ly() const { return ly_; }
    int hx() const { return hx_; }
    int hy() const { return hy_; }
    int width() const { return hx_ - lx_ + 1; }
    int height() const { return hy_ - ly_ + 1; }
    double xs() const { return xs_; }
    double ys() const { return ys_; }
    // Centre column and row; of an even width the right one of the two middle columns.
    int cx() const { return lx_ + (hx_ - lx_ + 1) / 2; }
    int cy() const { return ly_ + (hy_ - ly_ + 1) / 2; }

    void setbounds(int lx, int ly, int hx, int hy) {
        lx_ = lx;
        ly_ = ly;
        hx_ = hx;
        hy_ = hy;
        boundschanged();
    }
    template <class Q> void setbounds(const PixRectBase<Q>& o) {
        xs_ = o.xs();
        ys_ = o.ys();
        setbounds(o.lx(), o.ly(), o.hx(), o.hy());
    }
    template <class Q> void setbounds(const PixRectBase<Q>* o) {
        if (o) setbounds(*o);
    }
    int setwidth(int w) {
        hx_ = lx_ + w - 1;
        boundschanged();
        return hx_;
    }
    PixRectBase& setscale(double xs, double ys) {
        xs_ = xs;
        ys_ = ys;
        return *this;
    }
    bool withinbounds(int x, int y) const { return lx_ <= x && x <= hx_ && ly_ <= y && y <= hy_; }
    bool validatebounds(int x0, int y0, int x1, int y1) const {
        return withinbounds(x0, y0) && withinbounds(x1, y1);
    }
    // Shrinks the bounds to the common part; disjoint bounds leave one row or
    // column at the low edge rather than an empty raster.
    void intersect(const PixRectBase<P>* o) {
        if (!o) return;
        lx_ = SICommon_H::max(lx_, o->lx_);
        ly_ = SICommon_H::max(ly_, o->ly_);
        hx_ = SICommon_H::min(hx_, o->hx_);
        hy_ = SICommon_H::min(hy_, o->hy_);
        if (hx_ < lx_) hx_ = lx_;
        if (hy_ < ly_) hy_ = ly_;
        boundschanged();
    }
    virtual bool equalbounds(const PixRectBase& a, const PixRectBase& b) const {
        return a.lx_ == b.lx_ && a.ly_ == b.ly_ && a.hx_ == b.hx_ && a.hy_ == b.hy_;
    }
    virtual bool equalsize(const PixRectBase& a, const PixRectBase& b) const {
        return a.width() == b.width() && a.height() == b.height();
    }
    virtual SIerrorcode shiftorigin(int dx, int dy) {
        movebounds(dx, dy);
        boundschanged();
        return SIok;
    }
    // Whole-raster measurements; geometry alone holds no pixels, so both are 0
    // here and every raster with a read interface answers them from its pixels.
    virtual double totalLum() const { return 0.0; }
    virtual float averageHue() const { return 0.0f; }
    virtual SIerrorcode zeroorigin() { return shiftorigin(-lx_, -ly_); }
    virtual SIerrorcode centreorigin() {
        return shiftorigin(-lx_ - (hx_ - lx_ + 1) / 2, -ly_ - (hy_ - ly_ + 1) / 2);
    }

protected:
    // Called after the geometry setters changed the bounds, so that a raster
    // whose pixels depend on them can stay consistent.
    virtual void boundschanged() {}
    void movebounds(int dx, int dy) {
        lx_ += dx;
        hx_ += dx;
        ly_ += dy;
        hy_ += dy;
    }

    double xs_ = 1.0;
    double ys_ = 1.0;
    int lx_ = 0;
    int ly_ = 0;
    int hx_ = -1;
    int hy_ = -1;
};

// Built by constant initialisation, so it is all-zero before any other static
// object runs; it is const, so no write can ever make it non-black.
template <class P> constinit const P PixRectBase<P>::blackpixel{};

template <class P> class PixRect : public PixRectBase<P> {
public:
    constexpr PixRect() = default;
    PixRect(int w, int h) : PixRectBase<P>(w, h) {}
    PixRect(int lx, int ly, int hx, int hy) : PixRectBase<P>(lx, ly, hx, hy) {}
    explicit PixRect(const DBGState& s) : PixRectBase<P>(s) {
        siprintf("PixRect(const DBGState &s=%d) now dbg=%d\n", s.dcl, this->dbg.dcl);
    }
    PixRect(const PixRect& o) : PixRectBase<P>(o) {
        this->lx_ = o.lx_;
        this->ly_ = o.ly_;
        this->hx_ = o.hx_;
        this->hy_ = o.hy_;
    }
    explicit PixRect(const PixRect<P>* o) : PixRectBase<P>(o ? o->dbg : DBGState()) {
        this->setbounds(o);
    }
    PixRect& operator=(const PixRect&) = default;

    int printInfo() const override {
        siprintf("PixRect: ");
        return PixRectBase<P>::printInfo();
    }

    // The pixel at (x, y), or blackpixel outside the bounds or without pixels.
    virtual P pix(int x, int y) const = 0;
    // The pixel at (x, y) with no bounds test: the caller knows it is inside.
    virtual P pixNB(int x, int y) const = 0;
    // The pixel at real coordinates; the bounds test truncates toward zero.
    virtual P pixdd(double x, double y) const = 0;

    virtual void printData() const;
    virtual void printDataLimited(int n) const;

    // The sum of the pixels' grey values, read with pixNB row by row.
    double totalLum() const override;
    // The mean hue of the pixels on the 0..255 scale, summed in float.
    float averageHue() const override;
    // A new owned raster with these bounds and pixels (zoom 1, debug class 0),
    // handed over as its PixRect part; the caller deletes it. Defined with the
    // owned raster's whole-raster operations (PixRectOps.h).
    PixRect<P>* duplicate() const;
};

namespace SIPixelMath {
// The grey value a measurement counts for one pixel: the integer grey of the
// colour bytes for ARGBVal, the stored grey otherwise (val for HSV pixels).
template <class P> inline double greyof(const P& p) {
    if constexpr (std::is_same_v<P, ARGBVal>) {
        return double(p.intgrey());
    } else if constexpr (std::is_same_v<P, RGBGrVal>) {
        return double(p.grey);
    } else {
        return double(p.getgrey());
    }
}
} // namespace SIPixelMath

template <class P> double PixRect<P>::totalLum() const {
    double sum = 0.0;
    for (int y = this->ly_; y <= this->hy_; ++y) {
        for (int x = this->lx_; x <= this->hx_; ++x) sum += SIPixelMath::greyof(pixNB(x, y));
    }
    return sum;
}

template <class P> float PixRect<P>::averageHue() const {
    // A raster without pixels has no hue to average: 0 rather than 0 / 0.
    if (this->width() < 1 || this->height() < 1) return 0.0f;
    float sum = 0.0f;
    for (int y = this->ly_; y <= this->hy_; ++y) {
        for (int x = this->lx_; x <= this->hx_; ++x) sum += HSVPixel<float>(pixNB(x, y)).hue;
    }
    return sum / float(this->width()) / float(this->height());
}

template <class P> void PixRect<P>::printData() const {
    if constexpr (std::is_same_v<P, ARGBVal>) {
        siprintf("PixRect<ARGBVal>::printData\n");
        for (int y = this->ly_; y <= this->hy_; ++y) {
            for (int x = this->lx_; x <= this->hx_; ++x) siprintf("%3d ", pixNB(x, y).intgrey());
            siprintf("\n");
        }
        siprintf("\n");
    } else if constexpr (std::is_same_v<P, GreyPixel<unsigned char>> ||
                         std::is_same_v<P, GreyPixel<float>>) {
        for (int y = this->ly_; y <= this->hy_; ++y) {
            for (int x = this->lx_; x <= this->hx_; ++x) {
                if constexpr (std::is_same_v<P, GreyPixel<float>>) {
                    siprintf("%5.1f ", double(pixNB(x, y).grey));
                } else {
                    siprintf("0x%x ", static_cast<unsigned>(pixNB(x, y).grey));
                }
            }
            siprintf("\n");
        }
        siprintf("\n");
    } else {
        siprintf("PixRect::PrintData()\n");
    }
}

template <class P> void PixRect<P>::printDataLimited(int n) const {
    if constexpr (std::is_same_v<P, ARGBVal>) {
        siprintf("PixRect<ARGBVal>::printDataLimited\n");
        int printed = 0;
        for (int y = this->ly_; y <= this->hy_; ++y) {
            for (int x = this->lx_; x <= this->hx_ && printed < n; ++x, ++printed) {
                siprintf("%3d ", pixNB(x, y).intgrey());
            }
            siprintf("\n");
        }
        siprintf("\n");
    } else {
        siprintf("PixRect::PrintDataLimited()\n");
    }
}
