// Raster walkers: PixRectIterator<P> keeps a position over a raster, and
// PixRectRWIterator<P> hands out a pointer to each pixel of an owned raster in
// turn, rows ly..hy and within a row columns lx..hx.
#pragma once

#include "PixRectRW.h"

#include <cstdint>

template <class P> class Iterator : public SICommon {
public:
    Iterator() = default;
    explicit Iterator(const DBGState& s) : SICommon(s) {}
};

template <class P> class PixRectIterator : public Iterator<P> {
public:
    explicit PixRectIterator(const PixRect<P>* r) : Iterator<P>(r ? r->dbg : DBGState()), pr(r) {}

    int printInfo() const override {
        return siprintf("PixRectIterator pr(%x) x(%d) y(%d)\n",
                        static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(pr)), x, y);
    }
    const PixRect<P>* raster() const { return pr; }

    // The current position; a producer reads it to know which pixel it is at.
    int x = 0;
    int y = 0;

protected:
    const PixRect<P>* pr;
};

template <class P> class PixRectRWIterator : public PixRectIterator<P> {
public:
    explicit PixRectRWIterator(const PixRectRW<P>* r) : PixRectIterator<P>(r), prw(r) {}

    // The first pixel, (lx, ly); null for a raster without pixels (no raster,
    // no storage, or empty bounds), which then has nothing to walk.
    P* firstptr() {
        ptr = nullptr;
        if (!prw || !prw->hasstorage() || prw->width() < 1 || prw->height() < 1) return nullptr;
        this->x = prw->lx();
        this->y = prw->ly();
        ptr = &prw->pixrefNB(this->x, this->y);
        return ptr;
    }
    // The next pixel in walking order, null after the last one. Once the walk has
    // ended (or before it started) it stays at null.
    P* nextptr() {
        if (!ptr) return nullptr;
        if (++this->x > prw->hx()) {
            this->x = prw->lx();
            if (++this->y > prw->hy()) {
                ptr = nullptr;
            } else {
                ptr = &prw->pixrefNB(this->x, this->y);
            }
        } else {
            ++ptr;
        }
        return ptr;
    }
    P* current() const { return ptr; }

    int printInfo() const override {
        siprintf("PixRectRWIterator x(%d) y(%d) SRC:\n", this->x, this->y);
        return prw ? prw->printInfo() : 0;
    }

protected:
    P* ptr = nullptr;
    const PixRectRW<P>* prw;
};

extern template class PixRectIterator<ARGBVal>;
extern template class PixRectIterator<GreyPixel<unsigned char>>;
extern template class PixRectIterator<GreyPixel<float>>;
extern template class PixRectIterator<RGBPixel<float>>;
extern template class PixRectRWIterator<ARGBVal>;
extern template class PixRectRWIterator<GreyPixel<unsigned char>>;
extern template class PixRectRWIterator<GreyPixel<float>>;
extern template class PixRectRWIterator<RGBPixel<float>>;
