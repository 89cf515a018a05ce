// QImage from the platform images, for the application (the image library
// never includes this header). Both copy the pixels; a null QImage on failure.
#pragma once

#include "PlatformImage.h"

#include <QImage>

// The image's first representation: R,G,B,A bytes as Format_RGBA8888 (R,G,B as
// Format_RGB888).
QImage QImageFromNSImage(const NSImage* image);

// A, R, G, B bytes (alpha first: Format_ARGB32, or premultiplied; skipped
// first: Format_RGB32), R,G,B,A / R,G,B,x bytes (Format_RGBA8888 / RGBX8888),
// R,G,B (Format_RGB888) or grey (Format_Grayscale8).
QImage QImageFromCGImage(CGImageRef image);
