// SamplePixRect<D, S>: the stored counterpart of the lazy resampler. Every
// result pixel is computed once, at construction, into storage of its own; from
// then on it is an owned, writable raster that no longer follows its source.
#pragma once

#include "PixRectIterator.h"
#include "PixRectRW.h"
#include "SamplePixRectNC.h"

template <class D, class S>
class SamplePixRect : public SamplePixRectNC<D, S>, public PixRectRW<D> {
public:
    SamplePixRect() = default;
    explicit SamplePixRect(const DBGState& s) : PixRect<D>(s) {}
    // source resampled by xscale, yscale (source pixels per result pixel) with the
    // sampling code, stored. The source is read here and never again for pixels.
    SamplePixRect(PixRect<S>& source, double xscale, double yscale, const sisamplecodes& code);
    // Nothing copies a resampled raster; a copy would have to choose between
    // sharing and duplicating the storage.
    SamplePixRect(const SamplePixRect&) = delete;
    SamplePixRect& operator=(const SamplePixRect&) = delete;
    ~SamplePixRect() override { PixRectRW<D>::freestore(); }

    // Fills the storage from source: a copy for factors (1, 1); otherwise each
    // pixel from one sampler, chosen once for the whole raster: reduction
    // sampling when either factor is 2 or more, enlargement sampling otherwise
    // (unlike the lazy resampler, which reduces only when both are). SIok once
    // filled; SInodata when the result has pixels but no storage.
    SIerrorcode makeFrom(const PixRect<S>& source, const sisamplecodes& code);

    // Reads and geometry are those of the owned raster: the stored pixels.
    void init() override { PixRectRW<D>::init(); }
    D pix(int x, int y) const override { return PixRectRW<D>::pix(x, y); }
    D pixNB(int x, int y) const override { return PixRectRW<D>::pixNB(x, y); }
    D pixdd(double x, double y) const override { return PixRectRW<D>::pixdd(x, y); }
    int printInfo() const override {
        siprintf("SamplePixRect: ");
        SamplePixRectNC<D, S>::printInfo();
        return PixRectRW<D>::printInfo();
    }

private:
    // The fill through the snapshot road, for the types and factors it
    // reproduces bit for bit; false, writing nothing, when it does not apply.
    bool fastfill(const PixRect<S>& source, const sisamplecodes& code);
};

template <class D, class S>
SamplePixRect<D, S>::SamplePixRect(PixRect<S>& source, double xscale, double yscale,
                                   const sisamplecodes& code)
    : SamplePixRectNC<D, S>(source, xscale, yscale, code) {
    PixRectRW<D>::init();
    makeFrom(source, code);
}

template <class D, class S>
SIerrorcode SamplePixRect<D, S>::makeFrom(const PixRect<S>& source, const sisamplecodes& code) {
    if (this->xsl_ == 1.0f && this->ysl_ == 1.0f) return this->copyfrom(source);
    if (!this->hasstorage()) return (this->width() < 1 || this->height() < 1) ? SIok : SInodata;
    if (fastfill(source, code)) return SIok;
    const bool reduce = this->xsl_ >= 2.0f || this->ysl_ >= 2.0f;
    PixRectRWIterator<D> it(this);
    for (D* p = it.firstptr(); p; p = it.nextptr()) {
        *p = reduce ? this->sublookup(&source, it.x, it.y, code)
                    : this->superlookup(&source, it.x, it.y, code);
    }
    return SIok;
}

// The snapshot chain's own pair as well, filled through the snapshot road where it can be.
template <>
bool SamplePixRect<ARGBVal, ARGBVal>::fastfill(const PixRect<ARGBVal>& source,
                                               const sisamplecodes& code);
extern template class SamplePixRect<ARGBVal, ARGBVal>;
extern template class SamplePixRect<ARGBVal, GreyPixel<float>>;
extern template class SamplePixRect<GreyPixel<unsigned char>, ARGBVal>;
extern template class SamplePixRect<GreyPixel<unsigned char>, GreyPixel<unsigned char>>;
extern template class SamplePixRect<GreyPixel<unsigned char>, GreyPixel<float>>;
extern template class SamplePixRect<GreyPixel<float>, GreyPixel<float>>;
extern template class SamplePixRect<RGBPixel<float>, RGBPixel<float>>;
