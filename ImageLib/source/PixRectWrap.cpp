// The wrapped ARGB buffer: row tables over foreign memory, field views, deep copies.
#include "PixRectWrap.h"

#include <cstdlib>
#include <cstring>
#include <new>

PixRectWrap<ARGBVal>::PixRectWrap(const DBGState& s) : PixRect<ARGBVal>(s) {}

PixRectWrap<ARGBVal>::PixRectWrap(ARGBVal* data, int w, int h, siwraptype t)
    : wrapdata_(data), wraptype_(t) {
    int rows = h;
    if (t == SIEvenLines) rows = (h + 1) / 2;
    if (t == SIOddLines) rows = h / 2;
    PixRectBase<ARGBVal>::setbounds(0, 0, w - 1, rows - 1);
    makerows();
}

PixRectWrap<ARGBVal>::PixRectWrap(const PixRectWrap& o) : PixRectWrap(&o) {}

PixRectWrap<ARGBVal>::PixRectWrap(const PixRectWrap* o) : ownsdata_(true) {
    if (o) copyfromwrapped(o);
}

PixRectWrap<ARGBVal>::~PixRectWrap() {
    PixRectWrap::freestore();
}

void PixRectWrap<ARGBVal>::makerows() {
    droptable();
    pixdata_ = wrapdata_;
    const int w = width();
    const int rows = height();
    if (!wrapdata_ || w < 1 || rows < 1) return;
    if (wraptype_ == SIAllLines) {
        init();
        return;
    }
    if (wraptype_ != SIEvenLines && wraptype_ != SIOddLines) return;
    // Row i of a field is buffer row 2i (even) or 2i + 1 (odd).
    const std::size_t first = (wraptype_ == SIOddLines) ? std::size_t(w) : 0;
    auto** table = new ARGBVal*[static_cast<std::size_t>(rows)];
    for (int i = 0; i < rows; ++i) {
        table[i] = wrapdata_ + first + 2 * std::size_t(i) * std::size_t(w) - lx_;
    }
    adopttable(table, rows);
}

void PixRectWrap<ARGBVal>::init() {
    droptable();
    const int w = width();
    const int h = height();
    if (!wrapdata_ || w < 1 || h < 1) return;
    auto** table = new ARGBVal*[static_cast<std::size_t>(h)];
    for (int i = 0; i < h; ++i) table[i] = wrapdata_ + std::size_t(i) * std::size_t(w) - lx_;
    pixdata_ = wrapdata_;
    adopttable(table, h);
}

void PixRectWrap<ARGBVal>::freestore() {
    droptable();
    pixdata_ = nullptr;
    if (ownsdata_ && wrapdata_) {
        std::free(wrapdata_);
        wrapdata_ = nullptr;
    }
}

void PixRectWrap<ARGBVal>::freewrapdata() {
    droptable();
    pixdata_ = nullptr;
    std::free(wrapdata_);
    wrapdata_ = nullptr;
}

void PixRectWrap<ARGBVal>::copyfromwrapped(const PixRectWrap* o) {
    if (!o || o == this) return;
    PixRectWrap::freestore();
    dbg = o->dbg;
    PixRectBase<ARGBVal>::setbounds(o->lx(), o->ly(), o->hx(), o->hy());
    if (o->wraptype_ != SIOddLines && o->wraptype_ != SIEvenLines && o->wraptype_ != SIAllLines) {
        return;
    }
    const int w = width();
    const int h = height();
    if (w < 1 || h < 1) return;
    void* buffer = std::calloc(std::size_t(w) * std::size_t(h), sizeof(ARGBVal));
    if (!buffer) throw std::bad_alloc();
    wrapdata_ = static_cast<ARGBVal*>(buffer);
    ownsdata_ = true;
    makerows();
    // A source without rows leaves the copy black.
    if (!o->rasters_) return;
    for (int y = ly_; y <= hy_; ++y) {
        std::memcpy(rasters_[y] + lx_, o->rasters_[y] + o->lx_, sizeof(ARGBVal) * std::size_t(w));
    }
}

const char* PixRectWrap<ARGBVal>::typetoname(siwraptype t) {
    static const char* const names[] = {"SIOddLines", "SIEvenLines", "SIAllLines"};
    // A value outside the enumeration has no name of its own.
    if (t > SIAllLines) return "SIUnknownLines";
    return names[t];
}

int PixRectWrap<ARGBVal>::printInfo() const {
    siprintf("PixRectWrap:(_type=%s) ", typetoname(wraptype_));
    return PixRectRW<ARGBVal>::printInfo();
}
