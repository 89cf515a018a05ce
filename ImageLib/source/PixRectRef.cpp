// The view instances the library uses.
#include "PixRectRef.h"

template class PixRectRef<ARGBVal>;
template class PixRectRef<GreyPixel<unsigned char>>;
template class PixRectRef<GreyPixel<float>>;
template class PixRectRef<RGBPixel<float>>;
