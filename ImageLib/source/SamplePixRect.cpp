// The materialised resampler instances.
#include "SamplePixRect.h"

// Only the snapshot chain's own types have a direct road; every other pair is
// filled pixel by pixel through the samplers.
template <class D, class S>
bool SamplePixRect<D, S>::fastfill(const PixRect<S>&, const sisamplecodes&) {
    return false;
}

template class SamplePixRect<ARGBVal, GreyPixel<float>>;
template class SamplePixRect<GreyPixel<unsigned char>, ARGBVal>;
template class SamplePixRect<GreyPixel<unsigned char>, GreyPixel<unsigned char>>;
template class SamplePixRect<GreyPixel<unsigned char>, GreyPixel<float>>;
template class SamplePixRect<GreyPixel<float>, GreyPixel<float>>;
template class SamplePixRect<RGBPixel<float>, RGBPixel<float>>;
