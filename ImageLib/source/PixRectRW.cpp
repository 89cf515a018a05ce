// The owned-raster instances, with their whole-raster operations and kernel
// filter, and the pixel conversions copyfrom is used with.
#include "PixRectRW.h"
#include "PixRectKernel.h"
#include "PixRectOps.h"

template class PixRectRW<ARGBVal>;
template class PixRectRW<RGBGrVal>;
template class PixRectRW<GreyPixel<unsigned char>>;
template class PixRectRW<GreyPixel<int>>;
template class PixRectRW<GreyPixel<float>>;
template class PixRectRW<RGBPixel<unsigned char>>;
template class PixRectRW<RGBPixel<float>>;
template class PixRectRW<HSVPixel<unsigned char>>;

template SIerrorcode PixRectRW<ARGBVal>::copyfrom(const PixRect<ARGBVal>&);
template SIerrorcode PixRectRW<ARGBVal>::copyfrom(const PixRect<GreyPixel<float>>&);
template SIerrorcode PixRectRW<RGBGrVal>::copyfrom(const PixRect<RGBGrVal>&);
template SIerrorcode PixRectRW<GreyPixel<unsigned char>>::copyfrom(const PixRect<ARGBVal>&);
template SIerrorcode
PixRectRW<GreyPixel<unsigned char>>::copyfrom(const PixRect<GreyPixel<unsigned char>>&);
template SIerrorcode
PixRectRW<GreyPixel<unsigned char>>::copyfrom(const PixRect<GreyPixel<float>>&);
template SIerrorcode PixRectRW<GreyPixel<int>>::copyfrom(const PixRect<GreyPixel<int>>&);
template SIerrorcode PixRectRW<GreyPixel<float>>::copyfrom(const PixRect<GreyPixel<float>>&);
template SIerrorcode
PixRectRW<RGBPixel<unsigned char>>::copyfrom(const PixRect<RGBPixel<unsigned char>>&);
template SIerrorcode PixRectRW<RGBPixel<float>>::copyfrom(const PixRect<RGBPixel<float>>&);
template SIerrorcode
PixRectRW<HSVPixel<unsigned char>>::copyfrom(const PixRect<HSVPixel<unsigned char>>&);
