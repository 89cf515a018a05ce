// The image library's umbrella header: including it gives every library class.
#pragma once

#include "ARGBVal.h"
#include "Bitmap.h"
#include "Bitmapio.h"
#include "ContImageRef.h"
#include "HSVPixel.h"
#include "PixRect.h"
#include "PixRectRW.h"
#include "PixRectRef.h"
#include "PixRectWrap.h"
#include "Pixel.h"
#include "SICommon.h"
#include "SamplePixRectNC.h"
#include "SnapshotRoad.h"
