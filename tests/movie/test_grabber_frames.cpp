// The frame source renders every frame exactly: stepping forward and backward,
// jumping by frame number, through its frame buffer and its field views.
#include "GrabberTestHelpers.h"
#include "LogMessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

using testmovies::MovieOptions;

namespace {

// Whether every codec and container decodes exactly is checked on the movie
// layer; here one movie with reordered pictures drives the source's stepping,
// clamping, wrapping and frame-number jumps.
TEST(Grabber, EveryFrameForwardBackwardAndByNumber) {
    MovieOptions o;
    o.frames = 30;
    o.gop = 10;
    o.bFrames = 3;
    testmovies::TempFolder dir;
    const std::string path = writtenMovie(dir, "h264.mp4", o);
    ASSERT_FALSE(path.empty());
    const std::vector<TimeValue> times = OpenedMovie(path).sampleTimes();
    const unsigned n = unsigned(o.frames);
    ASSERT_EQ(times.size(), n);

    auto g = grab(path);
    ASSERT_TRUE(g && g->movie);
    EXPECT_EQ(g->frameCount, n);
    EXPECT_EQ(g->lastFrameTime, times.back());
    EXPECT_DOUBLE_EQ(g->frameDuration, double(times.back()) / n);
    EXPECT_EQ(g->allLines->width(), o.width);
    EXPECT_EQ(g->allLines->height(), o.height);
    EXPECT_EQ(shownNumber(*g), 0) << "set-up renders the first frame";

    for (unsigned i = 1; i < n; ++i) {
        EXPECT_EQ(g->nextFrame(), times[i]);
        g->drawFrame();
        ASSERT_EQ(shownNumber(*g), int(i)) << "forward";
    }
    for (int i = int(n) - 2; i >= 0; --i) {
        EXPECT_EQ(g->previousFrame(), times[size_t(i)]);
        g->drawFrame();
        ASSERT_EQ(shownNumber(*g), i) << "backward";
    }
    EXPECT_EQ(g->currentFrame, 0u);
    EXPECT_EQ(g->previousFrame(), 0); // stays at the start
    EXPECT_EQ(g->currentFrame, 0u);

    g->setFrameNumber(n + 5); // clamped to the count
    EXPECT_EQ(g->currentFrame, n);
    EXPECT_EQ(g->currentTime, TimeValue(double(n) * g->frameDuration));
    EXPECT_EQ(g->nextFrame(), 0); // the count is not below itself: wraps
    EXPECT_EQ(g->currentFrame, 0u);
    g->drawFrame();
    EXPECT_EQ(shownNumber(*g), 0);

    std::vector<unsigned> order(n + 1);
    for (unsigned i = 0; i <= n; ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(11));
    for (unsigned k : order) {
        g->setFrameNumber(k);
        const TimeValue t = TimeValue(double(k) * g->frameDuration);
        EXPECT_EQ(g->currentTime, t);
        EXPECT_EQ(g->currentFrame, k);
        g->drawFrame();
        ASSERT_EQ(shownNumber(*g), pictureAt(times, t)) << "jump to " << k;
    }
}

TEST(GrabberTiming, TenSamplesAHundredApart) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.encoder = "mpeg4";
    o.bFrames = 0;
    o.frames = 10;
    o.timeBaseDen = 1000;
    for (int i = 0; i < 10; ++i) o.pts.push_back(i * 100);
    const std::string path = writtenMovie(dir, "ten.mkv", o);
    auto g = grab(path);
    ASSERT_TRUE(g && g->movie);
    EXPECT_EQ(g->frameCount, 10u);
    EXPECT_EQ(g->lastFrameTime, 900);
    EXPECT_EQ(g->frameDuration, 90.0);
    EXPECT_EQ(g->fps, 10);

    std::vector<unsigned> numbers;
    for (int i = 0; i < 9; ++i) {
        g->nextFrame();
        numbers.push_back(g->currentFrame);
        g->drawFrame();
        EXPECT_EQ(shownNumber(*g), i + 1);
    }
    EXPECT_EQ(numbers, (std::vector<unsigned>{1, 2, 3, 4, 5, 6, 7, 8, 10}));
    EXPECT_EQ(g->nextFrame(), 0); // 10 is not below the count: wraps
    EXPECT_EQ(g->currentFrame, 0u);

    g->setFrameNumber(9);
    EXPECT_EQ(g->currentTime, 810);
    g->drawFrame();
    EXPECT_EQ(shownNumber(*g), 8);
    g->setFrameNumber(0);
    EXPECT_EQ(g->currentTime, 0);
    EXPECT_EQ(g->currentFrame, 0u);
}

// A single image is a movie of one sample: its frame duration is 0, and every
// frame number stays 0 instead of dividing by it.
TEST(GrabberTiming, OneFrameMovieStaysAtItsFrame) {
    testmovies::TempFolder dir;
    std::string error, path = dir.file("still.png");
    ASSERT_TRUE(testmovies::writeImage(path, "png", 48, 32, 5, &error)) << error;
    auto g = grab(path);
    ASSERT_TRUE(g && g->movie);
    EXPECT_EQ(g->frameCount, 1u);
    EXPECT_EQ(g->frameDuration, 0.0);
    EXPECT_EQ(shownNumber(*g), 5);
    for (int step = 0; step < 3; ++step) {
        EXPECT_EQ(g->nextFrame(), 0);
        EXPECT_EQ(g->currentFrame, 0u);
        EXPECT_EQ(g->previousFrame(), 0);
        EXPECT_EQ(g->currentFrame, 0u);
    }
    g->setFrameNumber(7);
    EXPECT_EQ(g->currentFrame, 0u);
    EXPECT_EQ(g->currentTime, 0);
    g->drawFrame();
    EXPECT_EQ(shownNumber(*g), 5);
    short h = -1, m = -1, s = -1, f = -1;
    EXPECT_EQ(g->getTime(h, m, s, f), 1);
    EXPECT_EQ(h + m + s + f, 0);
}

std::vector<std::string>& traced() {
    static std::vector<std::string> lines;
    return lines;
}

// The box is moved to the origin before the buffer is sized from it; the
// views present all rows, the even rows and the odd rows of that buffer.
TEST(GrabberViews, BoxAtOriginAndFieldViews) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.frames = 3;
    o.withSound = true;
    const std::string path = writtenMovie(dir, "box.mkv", o);
    ASSERT_FALSE(path.empty());

    for (int height : {1, 5, 48}) {
        Movie m = nullptr;
        ASSERT_EQ(OpenMovieFromPath(path.c_str(), &m), noErr);
        Rect offset{10, 20, int16_t(10 + height), 84};
        SetMovieBox(m, &offset);
        traced().clear();
        silogsink before = sisetlogsink([](const char* s) { traced().push_back(s); });
        MoviePixRect g(m, 32);
        sisetlogsink(before);
        ASSERT_NE(g.movie, nullptr);
        EXPECT_EQ(traced(), (std::vector<std::string>{"GetMovieBox", "Counting tracks",
                                                      "Counting tracks", "new pr"}));
        Rect box;
        GetMovieBox(g.movie, &box);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.left, 0);
        EXPECT_EQ(box.bottom, height);
        EXPECT_EQ(box.right, 64);
        ASSERT_TRUE(g.allLines && g.evenLines && g.oddLines);
        EXPECT_EQ(g.allLines->hx(), 63);
        EXPECT_EQ(g.allLines->hy(), height - 1);
        EXPECT_EQ(g.evenLines->hy(), (height + 1) / 2 - 1);
        EXPECT_EQ(g.oddLines->hy(), height / 2 - 1);
        EXPECT_EQ(g.oddLines->hx(), 63);
        for (int i = 0; i < 64 * height; ++i)
            g.frameBuffer[i] = ARGBVal(255, uint8_t(i / 64), uint8_t(i % 64), 0);
        for (int k = 0; k <= g.evenLines->hy(); ++k) EXPECT_EQ(g.evenLines->pix(3, k).red, 2 * k);
        for (int k = 0; k <= g.oddLines->hy(); ++k) EXPECT_EQ(g.oddLines->pix(3, k).red, 2 * k + 1);
        if (height == 48) {
            g.drawFrame();
            EXPECT_EQ(shownNumber(g), 0);
        }
    }
}

// Interlace off shows one field with the other interpolated; only video
// tracks' hints change.
TEST(GrabberViews, InterlaceFlagReachesTheRendererAndOnlyVideo) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.encoder = "mpeg2video";
    o.content = testmovies::Content::fields;
    o.interlaced = true;
    o.height = 64;
    o.frames = 2;
    o.withSound = true;
    const std::string path = writtenMovie(dir, "fields.ts", o);
    auto g = grab(path);
    ASSERT_TRUE(g && g->movie);
    Media video = GetTrackMedia(GetMovieIndTrackType(g->movie, 1, VideoMediaType, 1));
    Media sound = GetTrackMedia(GetMovieIndTrackType(g->movie, 1, SoundMediaType, 1));
    ASSERT_TRUE(video && sound);
    SetMediaPlayHints(sound, 0x104140, 0x104140);
    auto rowGap = [&] {
        return std::abs(g->allLines->pix(8, 20).red - g->allLines->pix(8, 21).red);
    };
    EXPECT_GT(rowGap(), 200) << "whole frames: white and black rows";
    g->setInterlaceFlag(false);
    EXPECT_EQ(GetMediaPlayHints(video), 0);
    EXPECT_EQ(GetMediaPlayHints(sound), 0x104140);
    g->drawFrame();
    EXPECT_LT(rowGap(), 40) << "one field, the other interpolated";
    g->setInterlaceFlag(true);
    EXPECT_EQ(GetMediaPlayHints(video), 0x140);
    EXPECT_EQ(GetMediaPlayHints(sound), 0x104140);
    g->drawFrame();
    EXPECT_GT(rowGap(), 200);
}

} // namespace
