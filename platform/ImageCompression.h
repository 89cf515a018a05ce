// Image descriptions and still-image compression: FCompressImage with the
// 'jpeg' codec over libjpeg-turbo, handing its bytes to a flush procedure.
#pragma once

#include "Components.h"
#include "MacTypes.h"
#include "QDOffscreen.h"

using CodecType = OSType;
using CodecFlags = uint16_t;
using CompressorComponent = ComponentInstance;

inline constexpr CodecType kJPEGCodecType = FOUR_CHAR_CODE("jpeg");
inline constexpr CompressorComponent anyCodec = nullptr;

// Codec qualities. A value between two of these counts as the lower one.
enum : CodecQ {
    codecMinQuality = 0x000,      // JPEG quality 25, 4:2:0
    codecLowQuality = 0x100,      // 50, 4:2:0
    codecNormalQuality = 0x200,   // 75, 4:2:0
    codecHighQuality = 0x300,     // 90, 4:4:4
    codecMaxQuality = 0x3FF,      // 95, 4:4:4
    codecLosslessQuality = 0x400, // 100, 4:4:4, stored as RGB (no colour conversion)
};

// The 86-byte description of a compressed image, packed as the platform lays it out.
#pragma pack(push, 2)
struct ImageDescription {
    int32_t idSize;  // 86
    CodecType cType; // 'jpeg'
    int32_t resvd1;
    int16_t resvd2;
    int16_t dataRefIndex;
    int16_t version;
    int16_t revisionLevel;
    int32_t vendor;
    CodecQ temporalQuality;
    CodecQ spatialQuality; // the codec quality asked for
    int16_t width;
    int16_t height;
    Fixed hRes; // 72 dpi
    Fixed vRes;
    int32_t dataSize; // bytes of compressed data
    int16_t frameCount;
    unsigned char name[32]; // Pascal string: the codec's name
    int16_t depth;          // 24: JPEG keeps no alpha
    int16_t clutID;         // -1: no colour table
};
#pragma pack(pop)
static_assert(sizeof(ImageDescription) == 86);
using ImageDescriptionPtr = ImageDescription*;
using ImageDescriptionHandle = ImageDescription**;

// Called with each piece of compressed data, in order. `data` null would ask
// for a skip of `bytesAdded` bytes; FCompressImage never asks that. A nonzero
// result abandons the compression with that result.
using ICMFlushProcPtr = OSErr (*)(Ptr data, long bytesAdded, long refcon);
struct ICMFlushProcRecord {
    ICMFlushProcPtr flushProc = nullptr;
    long flushRefCon = 0;
};
using ICMFlushProcRecordPtr = ICMFlushProcRecord*;

// The matching read procedure for decompression from a stream: make at least
// `bytesNeeded` bytes available at *dataP (or skip them when dataP is null).
using ICMDataProcPtr = OSErr (*)(Ptr* dataP, long bytesNeeded, long refcon);
struct ICMDataProcRecord {
    ICMDataProcPtr dataProc = nullptr;
    long dataRefCon = 0;
};
using ICMDataProcRecordPtr = ICMDataProcRecord*;

using ICMProgressProcPtr = OSErr (*)(int16_t message, Fixed completeness, long refcon);
struct ICMProgressProcRecord {
    ICMProgressProcPtr progressProc = nullptr;
    long progressRefCon = 0;
};
using ICMProgressProcRecordPtr = ICMProgressProcRecord*;

// JPEG quality (1..100) and whether chroma is kept at full resolution (4:4:4)
// for a codec quality.
struct JPEGSettings {
    int quality;
    bool fullChroma;
};
JPEGSettings JPEGSettingsForCodecQuality(CodecQ quality);

// Compresses `srcRect` (in the pixel map's coordinates, inside its bounds) of a
// 32-bit ARGB or RGBA pixel map with codec `cType` ('jpeg' only; codecUnimpErr
// otherwise). `codec`, `ctable`, `flags` and `progress` are accepted and not
// used. `data` is a buffer of `bufferSize` bytes: with a flush record every
// full buffer, and the rest at the end, go to the flush procedure (pieces of at
// most `bufferSize` bytes); without one the whole image must fit (codecSpoolErr
// otherwise). `desc` (a handle of at least 86 bytes; grown when smaller)
// receives the description, its dataSize the total number of bytes.
OSErr FCompressImage(PixMapHandle src, const Rect* srcRect, int16_t colorDepth, CodecQ quality,
                     CodecType cType, CompressorComponent codec, CTabHandle ctable,
                     CodecFlags flags, long bufferSize, ICMFlushProcRecordPtr flushProc,
                     ICMProgressProcRecordPtr progressProc, ImageDescriptionHandle desc, Ptr data);
