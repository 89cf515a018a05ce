// MoviePixRect: the movie frame source. It holds one movie, renders its current
// frame into a 32-bit ARGB buffer of its own and presents that buffer as
// rasters of all, even and odd rows; it steps, jumps, and reckons frame
// numbers, frame rate and time code.
#pragma once

#include "ARGBVal.h"
#include "Memory.h"
#include "MovieTiming.h"
#include "Movies.h"
#include "PictureLimits.h"
#include "PixRectWrap.h"
#include "PlatformImage.h"
#include "QDOffscreen.h"
#include "SICommon.h"

#include <cstdint>
#include <vector>

class MoviePixRect : public SICommon {
public:
    // Takes ownership of an opened movie and sets it up. When no frame buffer
    // can be had for it, the movie is disposed of and `movie` is null.
    MoviePixRect(Movie theMovie, unsigned long pixelFormat);
    // Asks the user for a movie or single-image file and opens it; `movie`
    // stays null when no file was chosen or it did not open.
    explicit MoviePixRect(unsigned long pixelFormat);
    ~MoviePixRect();
    MoviePixRect(const MoviePixRect&) = delete;
    MoviePixRect& operator=(const MoviePixRect&) = delete;

    void initmovie();
    void makeGWorldForMovie();

    // Renders the frame at the current movie time into the frame buffer.
    void drawFrame();
    // Step to the next or previous visual sample, wrapping to the start at
    // either end; both answer the new movie time. The caller renders.
    int nextFrame();
    int previousFrame();
    // Moves to the start of frame n (clamped to the last frame); the caller
    // renders.
    void setFrameNumber(unsigned int n);
    // On: whole interlaced frames (the default); off: one field, interpolated.
    void setInterlaceFlag(bool on);

    // Refresh before display: the decompression sequence over the world is
    // begun once, then run on every call.
    void drawRect();
    OSErr initDecompressSeq(GWorldPtr srcGWorld, GWorldPtr unused);
    long decompress();

    // A new display image of the world, owned by the caller; null without one.
    NSImage* makeNSImage();

    // Timing (MovieTiming.cpp).
    int countMovieFrames();
    // The time code of the current frame.
    int getTime(short& hours, short& minutes, short& seconds, short& frames);
    // The time code of frame n, wherever the source stands; that of frame
    // `frameCount` (one past the last) is the movie's length.
    int getTimeOfFrame(uint32_t n, short& hours, short& minutes, short& seconds, short& frames);
    void normalizeMovieRect();

    int printInfo() const override;

    // Frame n is the n-th visual sample in presentation order. frameattime(t)
    // is the frame shown at movie time t: the last sample starting at or
    // before t (frame 0 before the first); timeofframe(n) is the start of
    // sample n (of the last sample for n beyond it). A movie without visual
    // samples has frame 0 at time 0.
    unsigned int frameattime(double t) const;
    TimeValue timeofframe(unsigned int n) const;

    uint32_t pixelFormat = 0;
    GWorldPtr gworld = nullptr;
    Movie movie = nullptr;
    int32_t currentTime = 0;
    double frameDuration = 0; // the mean length of a frame: the movie's length over frameCount
    int32_t lastFrameTime = 0;
    uint32_t currentFrame = 0;
    uint32_t frameCount = 0;
    uint32_t frameDataSize = 0;
    PixRectWrap<ARGBVal>* allLines = nullptr;
    PixRectWrap<ARGBVal>* evenLines = nullptr;
    PixRectWrap<ARGBVal>* oddLines = nullptr;
    ImageSequence decompSeq = 0;
    int32_t timeScale = 0;
    int32_t sampleCount = 0;
    ARGBVal* frameBuffer = nullptr;
    int16_t fps = 0;
    Handle fileURL = nullptr;
    bool needDecompInit = true;

private:
    // The start of every visual sample in presentation order, from
    // countMovieFrames: the table through which frame numbers and times meet.
    std::vector<TimeValue> frameTimes;

    void initfields(unsigned long format);
    // Back to the first frame: time 0, frame 0.
    void rewind();
    // One step to the neighbouring visual sample in the direction of `rate`.
    int step(Fixed rate);
};
