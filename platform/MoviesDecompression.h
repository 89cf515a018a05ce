// Image descriptions and decompression sequences of the movie road. A movie
// has already rendered its frame into the world when these are called, so they
// check their arguments and answer result codes.
#pragma once

#include "ImageCompression.h"
#include "MacTypes.h"
#include "QDOffscreen.h"

using ImageSequence = int32_t;
using DecompressorComponent = void*;
struct MatrixRecord;
using MatrixRecordPtr = MatrixRecord*;
struct Region;
using RgnHandle = Region**;
struct ICMCompletionProcRecord;
using ICMCompletionProcRecordPtr = ICMCompletionProcRecord*;

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
