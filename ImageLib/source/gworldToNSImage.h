// gworldToNSImage: a displayable platform image copied from an offscreen world,
// its pixels reordered from A,R,G,B to R,G,B,A.
#pragma once

#include "PlatformImage.h"
#include "QDOffscreen.h"

// A new image of the world's pixels (width x height, 4 bytes a pixel, rows of
// exactly width x 4 bytes, top row first), owned by the caller, who releases
// it; null for no world or when memory runs out. RGBA worlds are copied as they
// are; any other format is taken to be 32-bit ARGB.
NSImage* gworldToNSImage(GWorldPtr world);
