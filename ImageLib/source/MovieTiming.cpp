// Frame rate, the frame table (frame count and the start of every frame),
// time code and movie-box normalisation of the frame source.
#include "MovieTiming.h"

#include "MoviePixRect.h"

#include <algorithm>

namespace {
constexpr OSType kEyes = VisualMediaCharacteristic;
constexpr Fixed kForward = 0x10000;
} // namespace

long GetMovieFPS(Movie movie, short* fps) {
    short rate = 0;
    if (fps) *fps = 0;
    if (!movie || !fps) return noErr;
    Boolean isMPEG = false;

    Track track =
        GetMovieIndTrackType(movie, 1, kCharacteristicHasVideoFrameRate, movieTrackCharacteristic);
    if (OSErr err = GetMoviesError()) return err;
    Media media = GetTrackMedia(track);
    if (OSErr err = GetMoviesError()) return err;
    MediaHandler handler = GetMediaHandler(media);
    if (OSErr err = GetMoviesError()) return err;

    if (MediaHasCharacteristic(handler, kCharacteristicIsAnMpegTrack, &isMPEG) == noErr && isMPEG) {
        // MPEG video knows the rate coded in its stream once a frame was shown.
        Fixed coded = 0;
        Size size = sizeof coded;
        MoviesTask(movie, 0);
        if (ComponentResult err =
                MediaGetPublicInfo(handler, kMediaGetPublicInfoEncodedFrameRate, &coded, &size))
            return err;
        *fps = FixRound(coded);
        return noErr;
    }

    const long samples = GetMediaSampleCount(media);
    if (OSErr err = GetMoviesError()) return err;
    if (samples == 0) return noErr;
    const TimeValue duration = GetMediaDuration(media);
    if (OSErr err = GetMoviesError()) return err;
    const TimeScale scale = GetMediaTimeScale(media);
    if (OSErr err = GetMoviesError()) return err;
    // A media without length has no rate (rather than an infinite one).
    if (duration <= 0) return noErr;
    rate = FixRound(X2Fix(double(samples) * double(scale) / double(duration)));
    *fps = rate;
    return noErr;
}

// Walks the visual samples from the first and keeps the start of each: frame
// n is the n-th sample shown. Ten samples at 0, 100, ..., 900 in a movie 1000
// long give 10 frames, lastFrameTime 900 and a mean frame length of 100;
// stepping from the start then shows frames 0, 1, ..., 9 and
// setFrameNumber(9) goes to 900.
int MoviePixRect::countMovieFrames() {
    frameTimes.clear();
    lastFrameTime = 0;
    frameDuration = 0;
    if (!movie) return 0;
    TimeValue t = -1;
    GetMovieNextInterestingTime(movie, nextTimeMediaSample | nextTimeEdgeOK, 1, &kEyes, 0, kForward,
                                &t, nullptr);
    // Only later starts are taken, so that a movie whose times do not move on
    // cannot hold the walk.
    while (t >= 0 && GetMoviesError() == noErr && (frameTimes.empty() || t > frameTimes.back())) {
        frameTimes.push_back(t);
        GetMovieNextInterestingTime(movie, nextTimeStep, 1, &kEyes, t, kForward, &t, nullptr);
    }
    const auto count = uint32_t(frameTimes.size());
    if (count == 0) return 0;
    lastFrameTime = frameTimes.back();
    // The mean length of a frame, for whoever wants a rate; frame numbers and
    // times never go through it. The movie ends where its last sample does.
    const TimeValue length = std::max(GetMovieDuration(movie), lastFrameTime);
    frameDuration = double(length) / double(count);
    return int(count);
}

int MoviePixRect::getTime(short& hours, short& minutes, short& seconds, short& frames) {
    return getTimeOfFrame(currentFrame, hours, minutes, seconds, frames);
}

// Hours, minutes, seconds and frames of the whole-number rate: frame 249 of a
// 25 fps movie is 0:0:9:24, and frame 250, one past its last, 0:0:10:0.
int MoviePixRect::getTimeOfFrame(uint32_t n, short& hours, short& minutes, short& seconds,
                                 short& frames) {
    short f = 0;
    GetMovieFPS(movie, &f);
    fps = f;
    if (f <= 0) {
        // No rate: every frame is a frame of second 0.
        hours = minutes = seconds = 0;
        frames = short(n);
        return 1;
    }
    const int total = int(float(n) / float(f));
    frames = short(int64_t(n) - int64_t(f) * total);
    seconds = short(total % 60);
    minutes = short((total / 60) % 60);
    hours = short(total / 60 / 60);
    return 1;
}

void MoviePixRect::normalizeMovieRect() {
    if (!movie) return;
    Rect box;
    GetMovieBox(movie, &box);
    OffsetRect(&box, -box.left, -box.top);
    SetMovieBox(movie, &box);
}
