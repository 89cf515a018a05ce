// Frame rate, frame count and duration estimate, time code and movie-box
// normalisation of the frame source.
#include "MovieTiming.h"

#include "MoviePixRect.h"

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

int MoviePixRect::countMovieFrames() {
    if (!movie) return 0;
    TimeValue t = -1;
    GetMovieNextInterestingTime(movie, nextTimeMediaSample | nextTimeEdgeOK, 1, &kEyes, 0, kForward,
                                &t, nullptr);
    uint32_t count = 0;
    TimeValue last = 0;
    while (t >= 0 && GetMoviesError() == noErr) {
        ++count;
        GetMovieNextInterestingTime(movie, nextTimeStep, 1, &kEyes, t, kForward, &t, nullptr);
        if (t >= 0) last = t;
    }
    lastFrameTime = last;
    // No visual sample gives 0 rather than 0 / 0, so that a frame duration is
    // never undefined (one sample gives 0 as it is).
    frameDuration = count ? double(last) / double(count) : 0.0;
    return int(count);
}

int MoviePixRect::getTime(short& hours, short& minutes, short& seconds, short& frames) {
    short f = 0;
    GetMovieFPS(movie, &f);
    fps = f;
    if (f <= 0) {
        // No rate: every frame is a frame of second 0.
        hours = minutes = seconds = 0;
        frames = short(currentFrame);
        return 1;
    }
    const int total = int(float(currentFrame) / float(f));
    frames = short(int64_t(currentFrame) - int64_t(f) * total);
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
