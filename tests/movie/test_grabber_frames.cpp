// The frame source renders every frame exactly: stepping forward and backward,
// jumping by frame number, through its frame buffer and its field views.
#include "GrabberTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using testmovies::MovieOptions;

namespace {

// A movie kind whose pictures carry their own index: frame n of the source
// must show the picture numbered n, however it was reached.
struct Kind {
    const char* name;
    const char* file;
    MovieOptions options;
};
void PrintTo(const Kind& k, std::ostream* os) {
    *os << k.name;
}

MovieOptions kindOptions(int frames, int gop, int bFrames, const char* encoder = "libx264") {
    MovieOptions o;
    o.encoder = encoder;
    o.frames = frames;
    o.gop = gop;
    o.bFrames = bFrames;
    return o;
}

std::vector<Kind> kinds() {
    std::vector<Kind> k;
    k.push_back({"ConstantRateBFrames", "cfr.mp4", kindOptions(30, 10, 3)});
    // 250 frames at 25 fps from one keyframe, with B-frames (and the edit
    // list the MP4 muxer writes for their delay).
    k.push_back({"Gop250", "gop250.mp4", kindOptions(250, 250, 3)});
    MovieOptions vfr = kindOptions(40, 12, 2);
    vfr.timeBaseDen = 1000;
    for (int i = 0, t = 0; i < vfr.frames; ++i, t += (i % 3 == 0 ? 80 : i % 3 == 1 ? 20 : 40))
        vfr.pts.push_back(t);
    k.push_back({"VariableRate", "vfr.mkv", vfr});
    MovieOptions late = kindOptions(20, 8, 2);
    late.firstPts = 7; // the first picture at a time other than 0
    k.push_back({"FirstSampleLate", "late.mkv", late});
    MovieOptions ten = kindOptions(10, 12, 0, "mpeg4");
    ten.timeBaseDen = 1000;
    for (int i = 0; i < 10; ++i) ten.pts.push_back(i * 100);
    k.push_back({"TenSamplesAHundredApart", "ten.mkv", ten});
    MovieOptions fields = kindOptions(16, 8, 2, "mpeg2video");
    fields.interlaced = true;
    k.push_back({"FieldCoded", "fields.ts", fields});
    MovieOptions open = kindOptions(40, 10, 2);
    open.openGop = true;
    open.firstPts = 1000;
    k.push_back({"OpenGopLateStart", "opengop.mkv", open});
    k.push_back({"Mpeg4Avi", "mpeg4.avi", kindOptions(30, 10, 0, "mpeg4")});
    k.push_back({"MjpegAvi", "mjpeg.avi", kindOptions(20, 1, 0, "mjpeg")});
    k.push_back({"Vp9Webm", "vp9.webm", kindOptions(30, 10, 0, "libvpx-vp9")});
    k.push_back({"Vp8Mkv", "vp8.mkv", kindOptions(30, 10, 0, "libvpx")});
    MovieOptions odd = kindOptions(25, 8, 0, "mpeg4"); // x264 wants even sizes in 4:2:0
    odd.width = 67;
    odd.height = 49;
    k.push_back({"OddSizeMpeg4", "odd.mkv", odd});
    MovieOptions scene = kindOptions(20, 8, 2); // the sample movie's colour scene
    scene.width = 160;
    scene.height = 120;
    scene.content = testmovies::Content::scene;
    k.push_back({"ColourScene", "scene.mp4", scene});
    // A single image is a movie of one sample: every step and jump stays at it.
    k.push_back({"OneImage", "one.png", kindOptions(1, 1, 0, "png")});
    return k;
}

class FrameNumbers : public ::testing::TestWithParam<Kind> {};

// Stepping forward to the end and round, stepping back, and jumps in random
// and in reverse order: the index shown is always currentFrame, and the time
// the start of that picture.
TEST_P(FrameNumbers, EveryFrameShowsItsOwnNumber) {
    const Kind& kind = GetParam();
    testmovies::TempFolder dir;
    const std::string path = writtenMovie(dir, kind.file, kind.options);
    ASSERT_FALSE(path.empty());
    const std::vector<TimeValue> times = OpenedMovie(path).sampleTimes();
    const auto n = unsigned(kind.options.frames);
    ASSERT_EQ(times.size(), n);
    auto g = grab(path);
    ASSERT_TRUE(g && g->movie);
    ASSERT_EQ(g->frameCount, n);
    EXPECT_EQ(g->lastFrameTime, times.back());

    auto expectAt = [&](unsigned k, const char* how) {
        ASSERT_EQ(g->currentFrame, k) << how;
        EXPECT_EQ(g->currentTime, times[k]) << how << " " << k;
        g->drawFrame();
        ASSERT_EQ(shownNumber(*g), int(k)) << how;
    };
    expectAt(0, "opened");
    for (unsigned k = 1; k < n; ++k) {
        g->nextFrame();
        expectAt(k, "forward");
    }
    g->nextFrame();
    expectAt(0, "wrapped after the last");
    g->previousFrame();
    expectAt(0, "back from the first");
    g->setFrameNumber(n - 1);
    for (int k = int(n) - 2; k >= 0; --k) {
        g->previousFrame();
        expectAt(unsigned(k), "backward");
    }
    std::vector<unsigned> order(n);
    for (unsigned k = 0; k < n; ++k) order[k] = n - 1 - k;
    for (unsigned k : order) {
        g->setFrameNumber(k);
        expectAt(k, "jump in reverse order");
    }
    std::shuffle(order.begin(), order.end(), std::mt19937(11));
    for (unsigned k : order) {
        g->setFrameNumber(k);
        expectAt(k, "jump in random order");
    }
    g->setFrameNumber(n + 5);
    expectAt(n - 1, "jump past the end");
}

INSTANTIATE_TEST_SUITE_P(Kinds, FrameNumbers, ::testing::ValuesIn(kinds()),
                         [](const auto& info) { return std::string(info.param.name); });

// The box is moved to the origin before the buffer is sized from it; the
// views present all rows, the even rows and the odd rows of that buffer; the
// interlace flag reaches the video track's hints only.
TEST(GrabberViews, BoxAtOriginFieldViewsAndTheInterlaceFlag) {
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
        MoviePixRect g(m, 32);
        ASSERT_NE(g.movie, nullptr);
        Rect box;
        GetMovieBox(g.movie, &box);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.left, 0);
        EXPECT_EQ(box.bottom, height);
        EXPECT_EQ(box.right, 64);
        ASSERT_TRUE(g.allLines && g.evenLines && g.oddLines);
        EXPECT_EQ(g.evenLines->hy(), (height + 1) / 2 - 1);
        EXPECT_EQ(g.oddLines->hy(), height / 2 - 1);
        for (int i = 0; i < 64 * height; ++i)
            g.frameBuffer[i] = ARGBVal(255, uint8_t(i / 64), uint8_t(i % 64), 0);
        for (int k = 0; k <= g.evenLines->hy(); ++k) EXPECT_EQ(g.evenLines->pix(3, k).red, 2 * k);
        for (int k = 0; k <= g.oddLines->hy(); ++k) EXPECT_EQ(g.oddLines->pix(3, k).red, 2 * k + 1);
    }

    // The interlace flag reaches the video track's hints only.
    auto g = grab(path);
    ASSERT_TRUE(g && g->movie);
    Media video = GetTrackMedia(GetMovieIndTrackType(g->movie, 1, VideoMediaType, 1));
    Media sound = GetTrackMedia(GetMovieIndTrackType(g->movie, 1, SoundMediaType, 1));
    ASSERT_TRUE(video && sound);
    SetMediaPlayHints(sound, 0x104140, 0x104140);
    g->setInterlaceFlag(false);
    EXPECT_EQ(GetMediaPlayHints(video), 0);
    g->setInterlaceFlag(true);
    EXPECT_EQ(GetMediaPlayHints(video), 0x140);
    EXPECT_EQ(GetMediaPlayHints(sound), 0x104140);
}

} // namespace
