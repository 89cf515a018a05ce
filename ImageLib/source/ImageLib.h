// The image library's umbrella header: including it gives every library class.
#pragma once

#include "ARGBVal.h"
#include "GetOneFileWithPreview.h"
#include "HSVPixel.h"
#include "LogMessage.h"
#include "MoviePixRect.h"
#include "MovieTiming.h"
#include "PixRect.h"
#include "PixRectRW.h"
#include "PixRectRef.h"
#include "PixRectWrap.h"
#include "Pixel.h"
#include "QTUtilities.h"
#include "SICommon.h"
#include "gworldToNSImage.h"
