// The lazy resampler: set-up of the result's geometry and the two samplers.
#include "SamplePixRectNC.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The widest result a resampler presents. Factors so small that the result
// would be wider (or a width that is not a number) are held to this, so the
// bounds stay ordinary ints and no caller is led into an absurd allocation.
constexpr std::int64_t maxresult = std::int64_t(1) << 30;

// The high bound of a result for one axis: lrintf(low + size / factor - 1), ties
// to even, all in float. A factor that is not a positive number (0, negative,
// NaN) gives an empty result, as an infinite one does by the arithmetic itself.
int resulthigh(int low, int high, float factor) {
    const std::int64_t empty = std::int64_t(low) - 1;
    const std::int64_t top = std::int64_t(low) + maxresult - 1;
    const auto held = [&](std::int64_t h) {
        h = std::clamp<std::int64_t>(h, empty, top);
        return int(std::clamp<std::int64_t>(h, std::numeric_limits<int>::min(),
                                            std::numeric_limits<int>::max()));
    };
    if (!(factor > 0.0f)) return held(empty);
    const std::int64_t size = std::int64_t(high) - low + 1;
    const float v = float(low) + float(size) / factor - 1.0f;
    if (!(v == v)) return held(empty);
    if (double(v) >= double(top)) return held(top);
    if (double(v) <= double(empty)) return held(empty);
    return held(std::lrintf(v));
}

// lrintf into an int; values no int can hold become a position no raster has.
int rintpos(float v) {
    if (!(v > -2147483648.0f && v < 2147483648.0f)) return std::numeric_limits<int>::min();
    return int(std::lrintf(v));
}
int rintpos(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::numeric_limits<int>::min();
    return int(std::lrint(v));
}

} // namespace

template <class D, class S>
SamplePixRectNC<D, S>::SamplePixRectNC(const PixRect<S>& source, double xscale, double yscale,
                                       sisamplecodes code)
    : src_(&source), type_(code) {
    this->dbg = source.dbg;
    setupRect(source, xscale, yscale);
}

template <class D, class S>
void SamplePixRectNC<D, S>::setupRect(const PixRect<S>& source, double xscale, double yscale) {
    xsl_ = float(xscale);
    ysl_ = float(yscale);
    this->setscale(xscale * source.xs(), yscale * source.ys());
    // The result keeps the source's low corner; its size is the source's divided
    // by the factor, rounded with ties to even.
    const int hx = resulthigh(source.lx(), source.hx(), xsl_);
    const int hy = resulthigh(source.ly(), source.hy(), ysl_);
    PixRectBase<D>::setbounds(source.lx(), source.ly(), hx, hy);
}

template <class D, class S> D SamplePixRectNC<D, S>::lookup(double x, double y) const {
    if (xsl_ == 1.0f && ysl_ == 1.0f) {
        if (!src_) return this->blackpixel;
        return SISampleConv::todest<D>(src_->pixdd(x, y));
    }
    if (xsl_ == 1.0f) return superlookup(src_, x, y, type_);
    if (xsl_ >= 2.0f && ysl_ >= 2.0f) return sublookup(src_, x, y, type_);
    return superlookup(src_, x, y, type_);
}

template <class D, class S>
D SamplePixRectNC<D, S>::sublookup(const PixRect<S>* src, double x, double y,
                                   const sisamplecodes& code) const {
    if (!src) return this->blackpixel;
    RGBPixel<double> acc;
    const float sx0 = float(src->lx() + (x - this->lx_) * xsl_);
    const float sy0 = float(src->ly() + (y - this->ly_) * ysl_);
    const float fhx = float(src->hx());
    const float fhy = float(src->hy());
    if (code == SIInterpolated || code == SIScatter || code == SINearest) {
        // A footprint of ceil(xsl) x ceil(ysl) samples on a unit grid, less those
        // beyond the high edges. Once a sample lies beyond an edge every later
        // one does too, so the loops stop there; that also bounds them when a
        // factor is infinite.
        // Beyond 2^24 float positions may stop advancing; the sample counts are
        // then held to the source's size, which no footprint can exceed otherwise.
        const std::int64_t wmax = std::int64_t(src->hx()) - src->lx() + 2;
        const std::int64_t hmax = std::int64_t(src->hy()) - src->ly() + 2;
        long n = 0;
        for (std::int64_t j = 0; float(j) < xsl_ && j < wmax; ++j) {
            const float sx = sx0 + float(j);
            if (sx > fhx) break;
            for (std::int64_t i = 0; float(i) < ysl_ && i < hmax; ++i) {
                const float sy = sy0 + float(i);
                if (sy > fhy) break;
                if (code == SINearest) {
                    acc += src->pix(rintpos(sx), rintpos(sy));
                } else {
                    acc += src->pixdd(sx, sy);
                }
                ++n;
            }
        }
        // A position outside the result may find no sample: it stays black.
        if (n > 0) acc *= 1.0 / double(n);
    } else if (code == SIPointSample) {
        acc += src->pix(rintpos(sx0 + xsl_ * 0.5f), rintpos(sy0 + ysl_ * 0.5f));
    }
    return SISampleConv::fromacc<D>(acc);
}

template <class D, class S>
D SamplePixRectNC<D, S>::superlookup(const PixRect<S>* src, double x, double y,
                                     const sisamplecodes& code) const {
    if (!src) return this->blackpixel;
    double sx, sy;
    if (!scaleinvariant_) {
        sx = (x - this->lx_) * xsl_ + src->lx();
        sy = (y - this->ly_) * ysl_ + src->ly();
    } else {
        // The centre of the result pixel's footprint.
        sx = (x - this->lx_) * xsl_ + src->lx() - 0.5 + double(xsl_ * 0.5f);
        sy = (y - this->ly_) * ysl_ + src->ly() - 0.5 + double(ysl_ * 0.5f);
    }
    // Clamped into the source; a position that is not a number lands on the low edge.
    sx = std::min<double>(src->hx(), std::max<double>(src->lx(), sx));
    sy = std::min<double>(src->hy(), std::max<double>(src->ly(), sy));
    switch (code) {
    case SIInterpolated:
        return SISampleConv::todest<D>(src->pixdd(sx, sy));
    case SINearest:
    case SIPointSample:
        return SISampleConv::todest<D>(src->pix(rintpos(sx), rintpos(sy)));
    case SIScatter: {
        static constexpr double offs[4][3] = {
            {0.0, 0.0, 0.7}, {1.1, -0.7, 0.1}, {0.2, 1.3, 0.1}, {-1.0, 0.8, 0.1}};
        RGBPixel<float> acc;
        for (const auto& o : offs) {
            RGBPixel<float> t;
            t += src->pixdd(sx + o[0], sy + o[1]);
            t *= o[2];
            acc += t;
        }
        return SISampleConv::fromacc<D>(acc);
    }
    default:
        return SISampleConv::unknowncode<D>();
    }
}

template <class D, class S> int SamplePixRectNC<D, S>::printInfo() const {
    siprintf("SamplePixRectNC: type(%d) xsl(%f) ysl(%f) ", int(type_), double(xsl_), double(ysl_));
    int r = PixRect<D>::printInfo();
    siprintf("SRC:");
    if (src_) r = src_->printInfo();
    return r;
}

template class SamplePixRectNC<ARGBVal, ARGBVal>;
template class SamplePixRectNC<RGBGrVal, ARGBVal>;
template class SamplePixRectNC<ARGBVal, GreyPixel<float>>;
template class SamplePixRectNC<GreyPixel<float>, ARGBVal>;
template class SamplePixRectNC<GreyPixel<float>, GreyPixel<unsigned char>>;
template class SamplePixRectNC<GreyPixel<float>, GreyPixel<float>>;
template class SamplePixRectNC<RGBPixel<float>, RGBPixel<float>>;
template class SamplePixRectNC<GreyPixel<unsigned char>, ARGBVal>;
template class SamplePixRectNC<GreyPixel<unsigned char>, GreyPixel<unsigned char>>;
template class SamplePixRectNC<GreyPixel<unsigned char>, GreyPixel<float>>;
