// Movie time, the sample table and the pictures a jump decodes.
#include "MovieTestHelpers.h"

#include <gtest/gtest.h>

using testmovies::MovieOptions;

namespace {

const OSType eyes = VisualMediaCharacteristic;

TimeValue next(Movie m, short flags, TimeValue from, Fixed rate, TimeValue* duration = nullptr) {
    TimeValue t = 0;
    GetMovieNextInterestingTime(m, flags, 1, &eyes, from, rate, &t, duration);
    return t;
}

TEST(MovieTiming, TenSamplesAHundredApart) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.encoder = "mpeg4";
    o.bFrames = 0;
    o.frames = 10;
    o.timeBaseDen = 1000;
    for (int i = 0; i < 10; ++i) o.pts.push_back(i * 100);
    const std::string path = writtenMovie(dir, "ten.mkv", o);
    OpenedMovie m(path);
    ASSERT_EQ(m.result, noErr);

    EXPECT_EQ(m.sampleTimes(),
              (std::vector<TimeValue>{0, 100, 200, 300, 400, 500, 600, 700, 800, 900}));
    Media media = GetTrackMedia(GetMovieIndTrack(m.movie, 1));
    EXPECT_EQ(GetMediaDuration(media), 1000); // the last sample lasts as long as the others

    TimeValue d = 0;
    EXPECT_EQ(next(m.movie, nextTimeMediaSample | nextTimeEdgeOK, 0, 0x10000, &d), 0);
    EXPECT_EQ(d, 100);
    EXPECT_EQ(next(m.movie, nextTimeStep, 810, 0x10000), 900);
    EXPECT_EQ(next(m.movie, nextTimeStep, 900, 0x10000, &d), -1);
    EXPECT_EQ(d, 0);
    EXPECT_EQ(GetMoviesError(), noErr); // "none" is not an error
    EXPECT_EQ(next(m.movie, nextTimeStep, 810, -1), 800);
    EXPECT_EQ(next(m.movie, nextTimeStep | nextTimeEdgeOK, 800, -1), 800);
    EXPECT_EQ(next(m.movie, nextTimeStep, 0, -1), -1);

    EXPECT_EQ(m.frameAt(810), 8); // the sample shown at 810 starts at 800
    SetMovieTimeValue(m.movie, -1);
    EXPECT_EQ(GetMovieTime(m.movie, nullptr), 0);
    SetMovieTimeValue(m.movie, 5000);
    EXPECT_EQ(GetMovieTime(m.movie, nullptr), 1000);
    MoviesTask(m.movie, 0);
    EXPECT_EQ(testmovies::readFrameNumber(m.bytes(), m.width, m.height, m.width * 4), 9);
}

// A jump decodes from the keyframe before it, not from a GOP earlier (MP4
// indexes keyframes by their shifted presentation time), and stepping onto
// the last pictures takes what the decoder still holds at the end of the file.
TEST(MovieTiming, JumpsStartAtTheirKeyframeAndTheEndNeedsNoSeek) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.frames = 48;
    o.gop = 24;
    o.bFrames = 2;
    for (const char* name : {"jump.mp4", "jump.mkv"}) {
        const std::string path = writtenMovie(dir, name, o);
        OpenedMovie m(path);
        ASSERT_EQ(m.result, noErr);
        std::vector<TimeValue> times = m.sampleTimes();
        ASSERT_EQ(times.size(), 48u);
        MovieDecodeCounters before, after;
        GetMovieDecodeCounters(m.movie, &before);
        ASSERT_EQ(m.frameAt(times[30]), 30) << name;
        GetMovieDecodeCounters(m.movie, &after);
        EXPECT_LE(after.picturesDecoded - before.picturesDecoded, 7 + 4) << name;
        for (int i = 31; i < 48; ++i) ASSERT_EQ(m.frameAt(times[size_t(i)]), i) << name;
        GetMovieDecodeCounters(m.movie, &before);
        EXPECT_EQ(before.seeks, after.seeks) << name;
        EXPECT_LE(before.picturesDecoded - after.picturesDecoded, 17 + 4) << name;
    }
}

} // namespace
