// Frame accuracy: every generated movie shows every frame exactly when stepped
// forward, backward and by random jumps.
#include "MovieTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using testmovies::MovieOptions;

namespace {

struct Case {
    const char* name;
    const char* file;
    MovieOptions options;
};

MovieOptions make(const char* encoder, int frames, int gop, int bFrames) {
    MovieOptions o;
    o.encoder = encoder;
    o.frames = frames;
    o.gop = gop;
    o.bFrames = bFrames;
    return o;
}

std::vector<Case> cases() {
    std::vector<Case> c;
    c.push_back({"H264BFramesMp4", "bframes.mp4", make("libx264", 40, 12, 3)});
    MovieOptions open = make("libx264", 40, 10, 2);
    open.openGop = true;
    open.firstPts = 1000; // does not start at 0
    c.push_back({"H264OpenGopLateStartMkv", "opengop.mkv", open});
    c.push_back({"Mpeg4Avi", "mpeg4.avi", make("mpeg4", 30, 10, 0)});
    c.push_back({"MjpegAvi", "mjpeg.avi", make("mjpeg", 20, 1, 0)});
    c.push_back({"Vp9Webm", "vp9.webm", make("libvpx-vp9", 30, 10, 0)});
    c.push_back({"Vp8Mkv", "vp8.mkv", make("libvpx", 30, 10, 0)});
    MovieOptions ts = make("mpeg2video", 40, 12, 2);
    ts.interlaced = true;
    ts.width = 64;
    ts.height = 64;
    c.push_back({"Mpeg2InterlacedTs", "interlaced.ts", ts});
    MovieOptions odd = make("libx264", 25, 8, 2);
    odd.width = 67;
    odd.height = 49;
    odd.encoder = "mpeg4"; // x264 wants even sizes in 4:2:0
    c.push_back({"OddSizeMpeg4Mkv", "odd.mkv", odd});
    MovieOptions scene = make("libx264", 20, 8, 2); // the sample movie's colour scene
    scene.width = 160;
    scene.height = 120;
    scene.content = testmovies::Content::scene;
    c.push_back({"ColourSceneMp4", "scene.mp4", scene});
    return c;
}

class EveryFrame : public ::testing::TestWithParam<Case> {};

TEST_P(EveryFrame, ForwardBackwardAndJumps) {
    const Case& c = GetParam();
    testmovies::TempFolder dir;
    std::string error;
    std::string path = dir.file(c.file);
    ASSERT_TRUE(testmovies::writeMovie(path, c.options, &error)) << error;

    OpenedMovie m(path);
    ASSERT_EQ(m.result, noErr);
    EXPECT_EQ(m.width, c.options.width);
    EXPECT_EQ(m.height, c.options.height);
    std::vector<TimeValue> times = m.sampleTimes();
    ASSERT_EQ(times.size(), size_t(c.options.frames));
    EXPECT_EQ(times.front(), 0);
    Track track = GetMovieIndTrack(m.movie, 1);
    EXPECT_EQ(GetMediaSampleCount(GetTrackMedia(track)), c.options.frames);

    for (size_t i = 0; i < times.size(); ++i) ASSERT_EQ(m.frameAt(times[i]), int(i)) << "forward";
    for (size_t i = times.size(); i-- > 0;) ASSERT_EQ(m.frameAt(times[i]), int(i)) << "backward";
    std::vector<size_t> order(times.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(7));
    for (size_t i : order) ASSERT_EQ(m.frameAt(times[i]), int(i)) << "jump";
    // A time inside a sample shows that sample.
    if (times.size() > 3 && times[3] - times[2] > 1) {
        EXPECT_EQ(m.frameAt(times[2] + (times[3] - times[2]) / 2), 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Movies, EveryFrame, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
