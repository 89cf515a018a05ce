// The binary additions and raster duplication for the pixel types that use them;
// the other whole-raster operations are instantiated with the owned rasters.
#include "PixRectOps.h"

template SIerrorcode PixRectRW<ARGBVal>::add(const PixRect<ARGBVal>&);
template SIerrorcode PixRectRW<RGBGrVal>::add(const PixRect<GreyPixel<float>>&);
template SIerrorcode PixRectRW<RGBGrVal>::add(const PixRect<RGBPixel<float>>&);

template PixRect<ARGBVal>* PixRect<ARGBVal>::duplicate() const;
template PixRect<RGBGrVal>* PixRect<RGBGrVal>::duplicate() const;
template PixRect<GreyPixel<unsigned char>>* PixRect<GreyPixel<unsigned char>>::duplicate() const;
template PixRect<GreyPixel<int>>* PixRect<GreyPixel<int>>::duplicate() const;
template PixRect<GreyPixel<float>>* PixRect<GreyPixel<float>>::duplicate() const;
template PixRect<RGBPixel<unsigned char>>* PixRect<RGBPixel<unsigned char>>::duplicate() const;
template PixRect<RGBPixel<float>>* PixRect<RGBPixel<float>>::duplicate() const;
template PixRect<HSVPixel<unsigned char>>* PixRect<HSVPixel<unsigned char>>::duplicate() const;
