// The instances of the grey and RGB pixel templates the library uses.
#include "Pixel.h"

template class GreyPixel<unsigned char>;
template class GreyPixel<int>;
template class GreyPixel<float>;
template class RGBPixel<unsigned char>;
template class RGBPixel<float>;
template class RGBPixel<double>;
