#include "MoviePixRect.h"

#include "LogMessage.h"
#include "QTUtilities.h"
#include "gworldToNSImage.h"

#include <algorithm>
#include <cstddef>
#include <new>

namespace {

constexpr long kHintsInterlaced = hintsAllowInterlace | hintsHighQuality; // 0x140
constexpr long kHintsMask =
    hintsAllowInterlace | hintsHighQuality | hintsAllowBlacklining | hintsSingleField; // 0x104140
constexpr Fixed kForward = 0x10000;                                                    // +1.0
constexpr Fixed kBackward = -1; // only the sign of a step's rate matters
constexpr long kURLSize = 1024;
constexpr short kSrcCopy = 0;

OSType mediatype(Media media) {
    OSType type = 0;
    GetMediaHandlerDescription(media, &type, nullptr, nullptr);
    return type;
}

} // namespace

void MoviePixRect::initfields(unsigned long format) {
    dbg.dcl = 0;
    pixelFormat = uint32_t(format);
    gworld = nullptr;
    movie = nullptr;
    allLines = evenLines = oddLines = nullptr;
    decompSeq = 0;
    frameBuffer = nullptr;
    needDecompInit = true;
    fileURL = NewHandleClear(kURLSize);
}

MoviePixRect::MoviePixRect(Movie theMovie, unsigned long format) {
    initfields(format);
    movie = theMovie;
    initmovie();
}

MoviePixRect::MoviePixRect(unsigned long format) {
    initfields(format);
    EnterMovies();
    Movie opened = nullptr;
    // Only a movie that opened is kept; a dismissed dialog leaves none.
    if (QTUSimpleGetMovieOrImage(&opened, fileURL) == noErr && opened) {
        movie = opened;
    } else if (opened) {
        DisposeMovie(opened);
    }
    if (movie) initmovie();
}

MoviePixRect::~MoviePixRect() {
    if (movie) SetMovieActive(movie, false);
    if (decompSeq != 0) CDSequenceEnd(decompSeq);
    delete allLines;
    delete evenLines;
    delete oddLines;
    allLines = evenLines = oddLines = nullptr;
    if (gworld) UnlockPixels(GetGWorldPixMap(gworld));
    // The buffer goes whether or not a world was made over it.
    delete[] frameBuffer;
    frameBuffer = nullptr;
    if (movie) DisposeMovie(movie);
    if (gworld) DisposeGWorld(gworld);
    if (fileURL) DisposeHandle(fileURL);
}

int MoviePixRect::printInfo() const {
    return 0;
}

void MoviePixRect::initmovie() {
    if (!movie) return;
    SetMovieActive(movie, true);
    EnterMovies();
    normalizeMovieRect();
    makeGWorldForMovie();
    if (!frameBuffer) {
        // Without a frame buffer there is nothing to render into and no
        // rasters to read: the movie counts as not opened.
        SetMovieActive(movie, false);
        DisposeMovie(movie);
        movie = nullptr;
        frameCount = 0;
        currentFrame = 0;
        currentTime = 0;
        return;
    }
    if (gworld) SetMovieGWorld(movie, gworld, GetGWorldDevice(gworld));
    needDecompInit = true;
    short rate = 0;
    GetMovieFPS(movie, &rate);
    fps = rate;
    currentTime = 0;
    currentFrame = 0;
    GoToBeginningOfMovie(movie);
    drawFrame();
    frameCount = uint32_t(countMovieFrames());
}

void MoviePixRect::makeGWorldForMovie() {
    if (!movie) return;
    CGrafPtr savedPort = nullptr;
    GDHandle savedDevice = nullptr;
    GetGWorld(&savedPort, &savedDevice);

    logMessage("GetMovieBox");
    Rect box;
    GetMovieBox(movie, &box);
    const long tracks = GetMovieTrackCount(movie);
    for (long i = 1; i <= tracks; ++i) {
        logMessage("Counting tracks");
        Media media = GetTrackMedia(GetMovieIndTrack(movie, i));
        if (media && mediatype(media) == VideoMediaType) {
            SetMediaPlayHints(media, kHintsInterlaced, kHintsMask);
            timeScale = GetMediaTimeScale(media);
            sampleCount = int32_t(GetMediaSampleCount(media));
        }
    }

    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    // An empty or inverted box, or one beyond the toolbox's largest picture,
    // gets no buffer rather than a negative or absurd allocation.
    gworld = nullptr;
    if (width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide)
        frameBuffer = new (std::nothrow) ARGBVal[std::size_t(width) * std::size_t(height)];

    if (frameBuffer) {
        OSErr err = NewGWorldFromPtr(&gworld, pixelFormat, &box, nullptr, nullptr, pixelsLocked,
                                     reinterpret_cast<Ptr>(frameBuffer), long(width) * 4);
        if (err != noErr)
            siprintf("makeGWorldForMovie: NewGWorld %x FromPtr %x Err=%x\n\r",
                     unsigned(reinterpret_cast<std::uintptr_t>(gworld)),
                     unsigned(reinterpret_cast<std::uintptr_t>(frameBuffer)), unsigned(int(err)));
    }

    logMessage("new pr");
    if (frameBuffer) {
        allLines = new PixRectWrap<ARGBVal>(frameBuffer, width, height, SIAllLines);
        evenLines = new PixRectWrap<ARGBVal>(frameBuffer, width, height, SIEvenLines);
        oddLines = new PixRectWrap<ARGBVal>(frameBuffer, width, height, SIOddLines);
    } else {
        siprintf("makeGWorldForMovie: No framedata \n\r");
    }
    SetGWorld(savedPort, savedDevice);
}

void MoviePixRect::drawFrame() {
    if (!movie || !gworld) return;
    CGrafPtr savedPort = nullptr;
    GDHandle savedDevice = nullptr;
    GetGWorld(&savedPort, &savedDevice);
    SetGWorld(gworld, nullptr);
    MoviesTask(movie, 0);
    SetGWorld(savedPort, savedDevice);
}

void MoviePixRect::rewind() {
    currentTime = 0;
    currentFrame = 0;
    GoToBeginningOfMovie(movie);
}

unsigned int MoviePixRect::frameattime(double t) const {
    // The last frame starting at or before t; times before the first frame
    // (and the "no further sample" time -1) are frame 0.
    if (frameTimes.empty() || !(t >= double(frameTimes.front()))) return 0;
    const auto after = std::upper_bound(frameTimes.begin(), frameTimes.end(), t,
                                        [](double v, TimeValue s) { return v < double(s); });
    return unsigned(after - frameTimes.begin() - 1);
}

TimeValue MoviePixRect::timeofframe(unsigned int n) const {
    if (frameTimes.empty()) return 0;
    return frameTimes[std::min<size_t>(n, frameTimes.size() - 1)];
}

// Moves to the visual sample after (rate > 0) or before (rate < 0) the current
// time. Where the platform finds none, the source goes back to its start
// rather than to the time -1.
int MoviePixRect::step(Fixed rate) {
    const OSType eyes = VisualMediaCharacteristic;
    TimeValue t = -1;
    GetMovieNextInterestingTime(movie, nextTimeStep, 1, &eyes, currentTime, rate, &t, nullptr);
    if (t < 0) {
        rewind();
        return currentTime;
    }
    currentTime = t;
    currentFrame = frameattime(t);
    SetMovieTimeValue(movie, t);
    return currentTime;
}

int MoviePixRect::nextFrame() {
    if (!movie) return currentTime;
    // After the last frame comes the first; a movie of one frame stays there.
    if (currentFrame + 1 >= frameCount) {
        rewind();
        return currentTime;
    }
    return step(kForward);
}

int MoviePixRect::previousFrame() {
    if (!movie) return currentTime;
    if (currentFrame == 0 || frameCount <= 1) {
        rewind();
        return currentTime;
    }
    return step(kBackward);
}

void MoviePixRect::setFrameNumber(unsigned int n) {
    if (!movie) return;
    if (n == 0 || frameCount <= 1) {
        rewind();
        return;
    }
    n = std::min(n, frameCount - 1);
    currentTime = timeofframe(n);
    SetMovieTimeValue(movie, currentTime);
    currentFrame = n;
}

void MoviePixRect::setInterlaceFlag(bool on) {
    if (!movie) return;
    const long tracks = GetMovieTrackCount(movie);
    for (long i = 1; i <= tracks; ++i) {
        Media media = GetTrackMedia(GetMovieIndTrack(movie, i));
        if (media && mediatype(media) == VideoMediaType)
            SetMediaPlayHints(media, on ? kHintsInterlaced : 0, kHintsMask);
    }
}

void MoviePixRect::drawRect() {
    if (!movie) return;
    if (needDecompInit) {
        initDecompressSeq(gworld, nullptr);
        needDecompInit = false; // not retried, whatever the result
    }
    decompress();
}

OSErr MoviePixRect::initDecompressSeq(GWorldPtr srcGWorld, GWorldPtr) {
    ImageDescriptionHandle desc = nullptr;
    PixMapHandle pm = GetGWorldPixMap(srcGWorld);
    Rect bounds;
    GetPortBounds(srcGWorld, &bounds);
    decompSeq = 0;

    OSErr err = MakeImageDescriptionForPixMap(pm, &desc);
    if (err != noErr) {
        siprintf("initDecompressSeq makedesc err=%d, err\n\r", int(err));
        if (desc) DisposeHandle(reinterpret_cast<Handle>(desc));
        return err;
    }
    frameDataSize = uint32_t(GetPixRowBytes(pm) * long((*desc)->height));
    err = DecompressSequenceBeginS(&decompSeq, desc, GetPixBaseAddr(pm), long(frameDataSize),
                                   srcGWorld, nullptr, &bounds, nullptr, kSrcCopy, nullptr, 0,
                                   codecHighQuality, nullptr);
    if (err != noErr)
        siprintf("initDecompressSeq DecompressSequenceBeginS err=%d, err\n\r", int(err));
    DisposeHandle(reinterpret_cast<Handle>(desc));
    return err;
}

long MoviePixRect::decompress() {
    if (!movie) return 0;
    CodecFlags outFlags = 0;
    return DecompressSequenceFrameS(decompSeq, GetPixBaseAddr(GetGWorldPixMap(gworld)),
                                    long(frameDataSize), 0, &outFlags, nullptr);
}

NSImage* MoviePixRect::makeNSImage() {
    return gworldToNSImage(gworld);
}
