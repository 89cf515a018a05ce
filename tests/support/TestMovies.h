// Generated test media: movies and still images written with the FFmpeg
// libraries, each picture carrying its own frame number as a pattern of big
// black and white blocks that survives lossy compression, and the reader of
// that pattern. Free of any test framework so the application's build can use
// it to make a sample movie.
#pragma once

#include "ScratchFolder.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct AVFrame;

namespace testmovies {

enum class Content {
    numbers, // the frame number as a 4 x 4 grid of blocks (12 bits and a 4-bit check)
    flat,    // every pixel the Y, Cb, Cr of `flat`
    fields,  // even rows white, odd rows black (a picture of two different fields)
    scene,   // a moving colour scene with the number's blocks as small squares on top
};

struct MovieOptions {
    std::string encoder = "libx264"; // an FFmpeg encoder name
    int width = 64;
    int height = 48;
    int frames = 30;
    int gop = 12;    // pictures from one keyframe to the next
    int bFrames = 2; // B-frames between references, for encoders that have them
    bool openGop = false;
    int timeBaseNum = 1; // the encoder's time base
    int timeBaseDen = 25;
    std::vector<int64_t> pts; // explicit presentation times in the time base; else firstPts + i
    int64_t firstPts = 0;
    int sarNum = 0, sarDen = 1;   // sample aspect ratio; 0 leaves it unset (square)
    bool sarInStreamOnly = false; // x264: the ratio in the coded stream, none in the container
    int rotation = 0;             // clockwise degrees a player turns the picture (display matrix)
    bool interlaced = false;      // coded as interlaced, top field first
    int colorRange = 0;           // AVColorRange: 0 unspecified, 1 limited, 2 full
    int colorSpace = 2;           // AVColorSpace: 2 unspecified, 1 BT.709, 6 BT.601
    Content content = Content::numbers;
    uint8_t flat[3] = {128, 128, 128}; // Y, Cb, Cr for Content::flat
    bool withSound = false;            // adds a silent sound stream
    int quality = 0;                   // qscale for MPEG-style encoders, crf for x264/x265; 0: high
    std::string creationTime;          // the container's creation_time (ISO 8601); empty: none
    int pixelFormat = -1;            // AVPixelFormat coded; -1: YUV 4:2:0 where the encoder has it
    int transfer = 0, primaries = 0; // AVColorTransferCharacteristic, AVColorPrimaries; 0: by space
    // Paints picture `number` straight into a frame of `pixelFormat`, in place of `content`.
    std::function<void(AVFrame*, int)> painter;
};

// Writes a movie; false with a reason in `error` when the libraries refuse.
bool writeMovie(const std::string& path, const MovieOptions& options, std::string* error = nullptr);
// A sound-only file (the container from the file name, e.g. .wav).
bool writeSoundOnly(const std::string& path, std::string* error = nullptr);
// One still picture carrying `number`, encoded with `encoder` (png, mjpeg,
// bmp, tiff, libwebp: lossless), written as the encoder's bytes.
bool writeImage(const std::string& path, const std::string& encoder, int width, int height,
                int number, std::string* error = nullptr);
// The same for any options: its encoder, size and content (the number is firstPts),
// as a file or as the encoder's bytes (none when the libraries refuse).
bool writeStill(const std::string& path, const MovieOptions& options, std::string* error = nullptr);
std::vector<uint8_t> encodeStill(const MovieOptions& options, std::string* error = nullptr);

// The frame number painted into a 32-bit buffer (bytes A,R,G,B or R,G,B,A: the
// pattern is grey, so only the colour bytes' mean matters), read through a
// clockwise turn of `rotationCw` degrees. -1 when the pattern does not check.
int readFrameNumber(const uint8_t* pixels, int width, int height, long rowBytes, int rotationCw = 0,
                    bool rgba = false);

// A file of `size` random bytes (the files' own helpers are in ScratchFolder.h).
bool writeRandom(const std::string& path, size_t size, uint32_t seed);

// The tests' temporary folder, removed with everything in it when it goes.
using TempFolder = ::ScratchFolder;

// A movie of `frames` numbered w x h pictures with B-frames, keyframes every
// `gop`, written into `dir`; its path. Throws std::runtime_error when the
// libraries refuse.
std::string numberedMovie(const TempFolder& dir, const std::string& name, int width = 64,
                          int height = 48, int frames = 30, int gop = 12);

} // namespace testmovies
