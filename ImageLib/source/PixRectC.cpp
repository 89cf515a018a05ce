// The tile-cache instances.
#include "PixRectC.h"

template class PixRectC<ARGBVal>;
template class PixRectC<GreyPixel<unsigned char>>;
