// SamplePixRectNC<D, S>: a raster of D showing a raster of S rescaled by two
// factors (source pixels per result pixel). It stores nothing: every read runs
// reduction sampling (sublookup) or enlargement sampling (superlookup).
#pragma once

#include "PixRect.h"

#include <cstdint>
#include <type_traits>

// The sampling method of a resampler.
enum sisamplecodes : std::uint8_t {
    SINearest = 0,      // nearest-pixel reads
    SIInterpolated = 1, // the source's real-coordinate reads
    SIPointSample = 2,  // one nearest-pixel read per result pixel
    SIScatter = 3,      // four weighted real-coordinate reads when enlarging
};
static_assert(sizeof(sisamplecodes) == 1);

// Pixel conversions between a resampler's source, its accumulators and its result.
namespace SISampleConv {

// One source pixel as a result pixel: the same type is taken as it is (alpha
// included), grey results take the grey, ARGBVal from grey is opaque grey.
template <class D, class S> inline D todest(const S& s) {
    if constexpr (std::is_same_v<D, S>) {
        return s;
    } else if constexpr (std::is_same_v<D, ARGBVal>) {
        return ARGBVal(s);
    } else {
        D d;
        d << s;
        return d;
    }
}

// A finished accumulator (an RGBPixel) as a result pixel: ARGBVal is opaque with
// truncated channels, grey results take the accumulator's grey.
template <class D, class A> inline D fromacc(const A& a) {
    if constexpr (std::is_same_v<D, ARGBVal> || std::is_same_v<D, RGBGrVal>) {
        return D(a);
    } else if constexpr (std::is_base_of_v<GreyPixelType, D>) {
        D d;
        d << a;
        return d;
    } else {
        D d;
        d = a;
        return d;
    }
}

// The result of a sampling code the samplers do not know.
template <class D> inline D unknowncode() {
    if constexpr (std::is_same_v<D, ARGBVal>) {
        return ARGBVal(255, 0, 0, 0);
    } else {
        return D{};
    }
}

} // namespace SISampleConv

template <class D, class S> class SamplePixRectNC : public virtual PixRect<D> {
public:
    SamplePixRectNC() = default;
    explicit SamplePixRectNC(const DBGState& s) : PixRect<D>(s) {}
    // source rescaled by xscale, yscale (source pixels per result pixel).
    SamplePixRectNC(const PixRect<S>& source, double xscale, double yscale, sisamplecodes code);
    // Copies show the same source with the same factors; nothing is owned.
    SamplePixRectNC(const SamplePixRectNC&) = default;
    SamplePixRectNC& operator=(const SamplePixRectNC&) = default;
    ~SamplePixRectNC() override = default;

    // Enlargement and mild reduction: one position in the source (or four, scattered).
    virtual D superlookup(const PixRect<S>* src, double x, double y,
                          const sisamplecodes& code) const;
    // Reduction by at least 2: the mean over the footprint.
    virtual D sublookup(const PixRect<S>* src, double x, double y, const sisamplecodes& code) const;
    // The result pixel at result position (x, y), by the sampler the factors pick.
    virtual D lookup(double x, double y) const;
    void init() override {}
    virtual const PixRect<S>* src() const { return src_; }

    D pix(int x, int y) const override {
        if (!this->withinbounds(x, y)) return this->blackpixel;
        return lookup(x, y);
    }
    D pixNB(int x, int y) const override { return lookup(x, y); }
    D pixdd(double x, double y) const override {
        int ix, iy;
        if (!SIPixelMath::truncpos(x, ix) || !SIPixelMath::truncpos(y, iy) ||
            !this->withinbounds(ix, iy)) {
            return this->blackpixel;
        }
        return lookup(x, y);
    }
    int printInfo() const override;

    // Factors, zoom and bounds from source and the two factors.
    void setupRect(const PixRect<S>& source, double xscale, double yscale);
    void setScaleInvariant(bool on) { scaleinvariant_ = on; }
    bool scaleinvariant() const { return scaleinvariant_; }
    sisamplecodes gettype() const { return type_; }
    float xsl() const { return xsl_; }
    float ysl() const { return ysl_; }

protected:
    bool scaleinvariant_ = false;
    const PixRect<S>* src_ = nullptr;
    sisamplecodes type_ = SIInterpolated;
    float xsl_ = 1.0f;
    float ysl_ = 1.0f;
};

extern template class SamplePixRectNC<ARGBVal, ARGBVal>;
extern template class SamplePixRectNC<RGBGrVal, ARGBVal>;
extern template class SamplePixRectNC<ARGBVal, GreyPixel<float>>;
extern template class SamplePixRectNC<GreyPixel<float>, ARGBVal>;
extern template class SamplePixRectNC<GreyPixel<float>, GreyPixel<unsigned char>>;
extern template class SamplePixRectNC<GreyPixel<float>, GreyPixel<float>>;
extern template class SamplePixRectNC<RGBPixel<float>, RGBPixel<float>>;
extern template class SamplePixRectNC<GreyPixel<unsigned char>, ARGBVal>;
extern template class SamplePixRectNC<GreyPixel<unsigned char>, GreyPixel<unsigned char>>;
extern template class SamplePixRectNC<GreyPixel<unsigned char>, GreyPixel<float>>;
