// Graphics importers: still images (PNG, JPEG, TIFF, BMP, WebP) read with
// FFmpeg's image decoders and drawn into an offscreen world as 32-bit pixels.
#pragma once

#include "Components.h"
#include "ImageCompression.h"
#include "MacTypes.h"
#include "QDOffscreen.h"

#include "Files.h"
#include "PictureLimits.h"

using GraphicsImportComponent = ComponentInstance;

// Nor more pixels than this in all (the bound of a movie's pictures too).
inline constexpr int64_t kGraphicsImportMaxPixels = int64_t(8192) * 8192;

// An importer for the image in `file`. The file is read and decoded here, so a
// nonzero result means there is no usable image: fnfErr (absent), noCodecErr
// (not an image kind we know), codecBadDataErr (damaged or truncated),
// codecSizeErr (empty, or larger than kMaxPictureSide either way or
// kGraphicsImportMaxPixels in all), memFullErr.
OSErr GetGraphicsImporterForFile(const FSSpec* file, GraphicsImportComponent* gi);

// A new description (the caller releases it with DisposeHandle): width,
// height, depth 32 when the image has an alpha channel, 24 otherwise; cType
// names the file's kind ('png ', 'jpeg', 'tiff', 'BMPf', 'WebP').
ComponentResult GraphicsImportGetImageDescription(GraphicsImportComponent gi,
                                                  ImageDescriptionHandle* desc);

// The image's rectangle: (0, 0, height, width).
ComponentResult GraphicsImportGetNaturalBounds(GraphicsImportComponent gi, Rect* natural);

// The world to draw into; the device is ignored.
ComponentResult GraphicsImportSetGWorld(GraphicsImportComponent gi, CGrafPtr port, GDHandle gd);

// Draws the whole image at the world's top left corner, one pixel per pixel,
// clipped to the world: bytes A,R,G,B (R,G,B,A for an 'RGBA' world), alpha 255
// where the image has none; the world's row bytes are honoured.
ComponentResult GraphicsImportDraw(GraphicsImportComponent gi);
