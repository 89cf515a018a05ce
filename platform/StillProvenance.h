// The provenance of a still: where in which movie it was taken and how it was
// made, written into the image file as XMP metadata through exiv2.
#pragma once

#include "MacTypes.h"

#include <cstdint>
#include <optional>
#include <string>

struct StillProvenance {
    std::string sourceName; // the movie's file name, without its folders
    long frame = 0;         // 0-based, in presentation order
    int64_t timeValue = 0;  // presentation time: timeValue / timeScale seconds
    int32_t timeScale = 1;
    short hours = 0, minutes = 0, seconds = 0, frames = 0;   // the time code shown
    int timeCodeRate = 0;                                    // frames per time-code second; 0 none
    int cropX = 0, cropY = 0, cropWidth = 0, cropHeight = 0; // the frame's pixels taken
    int width = 0, height = 0;                               // the still's size
    std::string interpolation;  // "none" when the pixels were copied unchanged
    std::optional<int> quality; // JPEG only: the compression asked for (0 lossless ... 100)
    std::string sourceCreated;  // ISO 8601 from the movie's container; empty when it has none
};

// The namespace of the properties that no standard schema has ("moviesnap:").
inline constexpr const char* kStillProvenanceNamespace = "http://moviesnap.invalid/xmp/still/1.0/";

// Adds the provenance to the JPEG or PNG file at `path` as its XMP packet. The
// compressed image data is left as it is. noErr; ioErr when exiv2 cannot read
// or write the file (it may then be partly rewritten: write a temporary file).
OSErr WriteStillProvenance(const char* path, const StillProvenance& provenance);
