// The raster walker instances.
#include "PixRectIterator.h"

template class PixRectIterator<ARGBVal>;
template class PixRectIterator<GreyPixel<unsigned char>>;
template class PixRectIterator<GreyPixel<float>>;
template class PixRectIterator<RGBPixel<float>>;
template class PixRectRWIterator<ARGBVal>;
template class PixRectRWIterator<GreyPixel<unsigned char>>;
template class PixRectRWIterator<GreyPixel<float>>;
template class PixRectRWIterator<RGBPixel<float>>;
