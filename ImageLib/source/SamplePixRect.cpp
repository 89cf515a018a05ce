// The materialised resampler instances, and the fill of the snapshot chain's
// own types through the snapshot road.
#include "SamplePixRect.h"

#include "Bitmap.h"
#include "SnapshotRoad.h"

// Every pair but the snapshot chain's own is filled pixel by pixel through the samplers.
template <class D, class S>
bool SamplePixRect<D, S>::fastfill(const PixRect<S>&, const sisamplecodes&) {
    return false;
}

// The road fills a lazy resampler's pixels as opaque ARGB rows. Its pixels are
// the stored ones, bit for bit, when both factors are 2 or more: then both
// resamplers reduce, and a reduced pixel is the opaque mean of its footprint.
// An enlargement keeps the source's alpha, which the road does not write, so it
// goes through the samplers; so does every chain the road does not recognise.
template <>
bool SamplePixRect<ARGBVal, ARGBVal>::fastfill(const PixRect<ARGBVal>& source,
                                               const sisamplecodes& code) {
    if (!(xsl_ >= 2.0f && ysl_ >= 2.0f)) return false;
    const SamplePixRectNC<ARGBVal, ARGBVal> lazy(source, double(xsl_), double(ysl_), code);
    if (!lazy.equalsize(lazy, *this)) return false;
    // The storage is one block, row after row, so it is the road's output as it is.
    auto* out = reinterpret_cast<unsigned char*>(rowptr(ly()) + lx());
    return SnapshotRoad::fill(lazy, out, long(width()) * long(sizeof(ARGBVal)),
                              Bitmap::fillthreads());
}

template class SamplePixRect<ARGBVal, ARGBVal>;
template class SamplePixRect<ARGBVal, GreyPixel<float>>;
template class SamplePixRect<GreyPixel<unsigned char>, ARGBVal>;
template class SamplePixRect<GreyPixel<unsigned char>, GreyPixel<unsigned char>>;
template class SamplePixRect<GreyPixel<unsigned char>, GreyPixel<float>>;
template class SamplePixRect<GreyPixel<float>, GreyPixel<float>>;
template class SamplePixRect<RGBPixel<float>, RGBPixel<float>>;
