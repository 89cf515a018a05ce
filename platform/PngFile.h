// Lossless PNG files of 32-bit ARGB pixels, encoded with FFmpeg's PNG encoder
// and saved safely: written beside the target and put in its place only when
// complete.
#pragma once

#include "MacTypes.h"
#include "StillProvenance.h"

#include <cstdint>
#include <vector>

// The PNG encoding of width x height pixels (bytes A,R,G,B per pixel, rows
// rowBytes apart) as 8-bit RGB: alpha is dropped, every colour value kept.
// noErr and the bytes in *png; paramErr for a bad size or null pixels,
// memFullErr or codecErr when the encoder fails.
OSErr EncodePNG(const uint8_t* argb, int width, int height, long rowBytes,
                std::vector<uint8_t>* png);

// Encodes and writes the pixels as a PNG file at `path` (type 'PNGf', creator
// 'ogle'), with the provenance as its XMP packet when one is given. On any
// failure the file at `path`, if there was one, is as it was and no partial
// file is left beside it.
OSErr WritePNGFile(const char* path, const uint8_t* argb, int width, int height, long rowBytes,
                   const StillProvenance* provenance = nullptr);
