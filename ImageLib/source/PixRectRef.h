// PixRectRef<P>: a rectangular window onto another raster (its source) with an
// integer offset between view and source coordinates. It copies no pixels.
#pragma once

#include "PixRect.h"

#include <cstdint>

template <class P> class PixRectRef : public virtual PixRect<P> {
public:
    PixRectRef() = default;
    explicit PixRectRef(const DBGState& s) : PixRect<P>(s) {}
    // A view of the whole source.
    explicit PixRectRef(PixRect<P>& source) : src_(&source) {
        copygeometry(source);
        siprintf("PixRectRef copy constructor1:PixRectRef<PixType>::PixRectRef( PixRect<PixType> "
                 "&src) %d %d %d %d -> %d %d %d %d\n",
                 source.lx(), source.ly(), source.hx(), source.hy(), this->lx_, this->ly_,
                 this->hx_, this->hy_);
        updateinside();
    }
    // A view of the given rectangle, cut to the source; a rectangle that misses
    // the source collapses to one row or column at its low edge.
    PixRectRef(PixRect<P>& source, int lx, int ly, int hx, int hy) : src_(&source) {
        this->setscale(source.xs(), source.ys());
        PixRectBase<P>::setbounds(lx, ly, hx, hy);
        cuttosource();
    }
    PixRectRef(const PixRectRef& o) : PixRect<P>(o), src_(o.src_), sx_(o.sx_), sy_(o.sy_) {
        copygeometry(o);
    }
    PixRectRef& operator=(const PixRectRef& o) {
        PixRect<P>::operator=(o);
        src_ = o.src_;
        sx_ = o.sx_;
        sy_ = o.sy_;
        inside_ = o.inside_;
        return *this;
    }
    ~PixRectRef() override = default;

    void init() override {}
    virtual PixRect<P>* src() const { return src_; }

    P pix(int x, int y) const override {
        if (!src_ || !this->withinbounds(x, y)) return this->blackpixel;
        return src_->pix(x - sx_, y - sy_);
    }
    // Unchecked when the whole view lies inside its source; otherwise (a view
    // that misses its source) the source's checked read, so that positions
    // outside the source read blackpixel and never touch memory.
    P pixNB(int x, int y) const override {
        if (!src_) return this->blackpixel;
        if (inside_) return src_->pixNB(x - sx_, y - sy_);
        return src_->pix(x - sx_, y - sy_);
    }
    P pixdd(double x, double y) const override {
        int ix, iy;
        if (!src_ || !SIPixelMath::truncpos(x, ix) || !SIPixelMath::truncpos(y, iy) ||
            !this->withinbounds(ix, iy)) {
            return this->blackpixel;
        }
        return src_->pixdd(x - sx_, y - sy_);
    }

    // Renumbers the view: every view position keeps showing the same source pixel.
    SIerrorcode shiftorigin(int dx, int dy) override {
        if (!src_) return SInodata;
        sx_ += dx;
        sy_ += dy;
        this->movebounds(dx, dy);
        updateinside();
        return SIok;
    }
    // Moves the window over the source, then cuts it to the source.
    virtual SIerrorcode shiftbounds(int dx, int dy) {
        if (!src_) return SInodata;
        this->movebounds(dx, dy);
        cuttosource();
        return SIok;
    }
    virtual SIerrorcode setbounds(int lx, int ly, int hx, int hy) {
        if (!src_) return SInodata;
        PixRectBase<P>::setbounds(lx, ly, hx, hy);
        cuttosource();
        return SIok;
    }
    using PixRectBase<P>::setbounds;
    // Both corners inside the view, and both inside the source once the offset
    // is taken off.
    bool validatebounds(int x0, int y0, int x1, int y1) const {
        if (!src_) return false;
        return PixRectBase<P>::validatebounds(x0, y0, x1, y1) &&
               src_->validatebounds(x0 - sx_, y0 - sy_, x1 - sx_, y1 - sy_);
    }
    int printInfo() const override {
        siprintf("PixRectRef<PixType> sx=%d sy=%d:", sx_, sy_);
        int r = PixRect<P>::printInfo();
        if (src_) {
            siprintf("SRC:");
            r = src_->printInfo();
        }
        return r;
    }

    // Direct access for code that reads the source itself: view (x, y) is source
    // (x - offsetx(), y - offsety()).
    PixRect<P>* source() const { return src_; }
    int offsetx() const { return sx_; }
    int offsety() const { return sy_; }
    // True when every position of the view lies inside the source's bounds.
    bool insidesource() const { return inside_; }

protected:
    void boundschanged() override { updateinside(); }

    // Debug class, zoom and bounds of o. Set here rather than through the shared
    // base's constructor so that a class deriving from the view gets them too.
    void copygeometry(const PixRectBase<P>& o) {
        this->dbg = o.dbg;
        this->setscale(o.xs(), o.ys());
        PixRectBase<P>::setbounds(o.lx(), o.ly(), o.hx(), o.hy());
        updateinside();
    }

    // Cuts the bounds to the source's bounds seen in view coordinates.
    void cuttosource() {
        if (!src_) return;
        const PixRectBase<P> seen(src_->lx() + sx_, src_->ly() + sy_, src_->hx() + sx_,
                                  src_->hy() + sy_);
        this->intersect(&seen);
        updateinside();
    }
    void updateinside() {
        if (!src_ || this->width() < 1 || this->height() < 1) {
            inside_ = false;
            return;
        }
        const std::int64_t lx = std::int64_t(this->lx_) - sx_, hx = std::int64_t(this->hx_) - sx_;
        const std::int64_t ly = std::int64_t(this->ly_) - sy_, hy = std::int64_t(this->hy_) - sy_;
        inside_ = lx >= src_->lx() && hx <= src_->hx() && ly >= src_->ly() && hy <= src_->hy();
    }

    PixRect<P>* src_ = nullptr;
    int sx_ = 0;
    int sy_ = 0;
    bool inside_ = false;
};

extern template class PixRectRef<ARGBVal>;
extern template class PixRectRef<GreyPixel<unsigned char>>;
extern template class PixRectRef<GreyPixel<float>>;
extern template class PixRectRef<RGBPixel<float>>;
