// Image descriptions and decompression sequences of the movie road. A movie
// has already rendered its frame into the world when these are called, so they
// check their arguments and answer result codes.
#pragma once

#include "MacTypes.h"
#include "QDOffscreen.h"

struct ImageDescription {
    int32_t idSize = 0;    // bytes in this description
    OSType cType = 0;      // 'raw ' for uncompressed pixels
    int16_t width = 0;     // pixels
    int16_t height = 0;    // rows
    Fixed hRes = 72 << 16; // dots per inch
    Fixed vRes = 72 << 16;
    int32_t dataSize = 0;        // bytes of pixel data, 0 when not known
    int16_t depth = 32;          // bits per pixel
    int16_t clutID = -1;         // no colour table
    unsigned char name[32] = {}; // codec name, Pascal string
};
using ImageDescriptionPtr = ImageDescription*;
using ImageDescriptionHandle = ImageDescription**;

using ImageSequence = int32_t;
using CodecFlags = uint16_t;
using DecompressorComponent = void*;
struct MatrixRecord;
using MatrixRecordPtr = MatrixRecord*;
struct Region;
using RgnHandle = Region**;
struct ICMCompletionProcRecord;
using ICMCompletionProcRecordPtr = ICMCompletionProcRecord*;

enum : CodecQ {
    codecNormalQuality = 0x200,
    codecHighQuality = 0x300,
};

// A new handle holding the description of `pixMap` (its width, height and
// depth); released by the caller with DisposeHandle.
OSErr MakeImageDescriptionForPixMap(PixMapHandle pixMap, ImageDescriptionHandle* desc);
// Begins a sequence drawing `data` (`dataSize` bytes, at least row bytes x
// height of the port) into `port`. `*seq` is nonzero on success, 0 otherwise.
OSErr DecompressSequenceBeginS(ImageSequence* seq, ImageDescriptionHandle desc, Ptr data,
                               long dataSize, CGrafPtr port, GDHandle device, const Rect* srcRect,
                               MatrixRecordPtr matrix, short mode, RgnHandle mask, CodecFlags flags,
                               CodecQ accuracy, DecompressorComponent codec);
OSErr DecompressSequenceFrameS(ImageSequence seq, Ptr data, long dataSize, CodecFlags inFlags,
                               CodecFlags* outFlags, ICMCompletionProcRecordPtr completion);
OSErr CDSequenceEnd(ImageSequence seq);
