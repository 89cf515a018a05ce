// Shape and colour of the rendered frame: single images, sample aspect ratio,
// rotation, colour matrix and range, interlaced fields, scaling to the box.
#include "MovieTestHelpers.h"

#include <gtest/gtest.h>

#include <cstdlib>

using testmovies::MovieOptions;

namespace {

// Every kind of still the libraries decode, written by their encoders (and
// muxers, for the kinds that are containers): the picture carries its number,
// or at 1 x 1 is white.
TEST(MoviePictures, SingleImagesAreOneFrameMovies) {
    testmovies::TempFolder dir;
    const struct {
        const char* file;
        const char* encoder;
        int width, height;
        bool muxed; // written as a one-frame movie (its number 0) in the file's container
    } rows[] = {
        {"a.png", "png", 80, 60, false},      {"a.jpg", "mjpeg", 80, 60, false},
        {"b.jpg", "mjpeg", 640, 480, false},  {"a.bmp", "bmp", 80, 60, false},
        {"a.tiff", "tiff", 80, 60, false},    {"a.tga", "targa", 80, 60, false},
        {"a.webp", "libwebp", 80, 60, false}, {"a.j2k", "jpeg2000", 80, 60, false},
        {"a.jxl", "libjxl", 80, 60, false},   {"a.pbm", "pbm", 1, 1, false},
        {"a.pgm", "pgm", 1, 1, false},        {"a.ppm", "ppm", 1, 1, false},
        {"a.gif", "gif", 80, 60, true},       {"a.ico", "bmp", 64, 48, true},
        {"a.wmv", "wmv2", 80, 60, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        MovieOptions o;
        o.encoder = row.encoder;
        o.width = row.width;
        o.height = row.height;
        o.frames = 1;
        o.bFrames = 0;
        o.firstPts = row.muxed ? 0 : 1234;
        const bool tiny = row.width < 8;
        if (tiny) o.content = testmovies::Content::flat, o.flat[0] = 235; // white
        std::string error, path = dir.file(row.file);
        ASSERT_TRUE(row.muxed ? testmovies::writeMovie(path, o, &error)
                              : testmovies::writeStill(path, o, &error))
            << error;
        OpenedMovie m(path);
        ASSERT_EQ(m.result, noErr);
        EXPECT_EQ(m.width, row.width);
        EXPECT_EQ(m.height, row.height);
        EXPECT_EQ(m.sampleTimes(), std::vector<TimeValue>{0});
        EXPECT_EQ(GetMediaSampleCount(GetTrackMedia(GetMovieIndTrack(m.movie, 1))), 1);
        EXPECT_GT(GetMovieDuration(m.movie), 0);
        if (tiny) {
            m.frameAt(0);
            EXPECT_EQ(GetMoviesError(), noErr);
            for (int c = 1; c < 4; ++c) EXPECT_GE(m.at(0, 0)[c], 250) << c;
        } else {
            EXPECT_EQ(m.frameAt(0), int(o.firstPts));
        }
        EXPECT_EQ(m.at(0, 0)[0], 255); // opaque
    }
}

TEST(MoviePictures, OneFrameMovie) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.frames = 1;
    const std::string path = writtenMovie(dir, "one.mp4", o);
    OpenedMovie m(path);
    ASSERT_EQ(m.result, noErr);
    EXPECT_EQ(m.sampleTimes(), std::vector<TimeValue>{0});
    EXPECT_EQ(m.frameAt(0), 0);
    EXPECT_EQ(m.frameAt(GetMovieDuration(m.movie)), 0);
}

TEST(MoviePictures, SampleAspectRatioWidensTheBox) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.encoder = "mpeg4";
    o.bFrames = 0;
    o.frames = 5;
    o.sarNum = 2;
    o.sarDen = 1;
    const std::string path = writtenMovie(dir, "wide.mkv", o);
    OpenedMovie m(path);
    ASSERT_EQ(m.result, noErr);
    EXPECT_EQ(m.width, 128);
    EXPECT_EQ(m.height, 48);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(m.frameAt(m.sampleTimes()[size_t(i)]), i);
}

// A ratio coded only in the stream (no container box) is found as well: MP4
// opens from its header without probing, so the first picture must tell it.
TEST(MoviePictures, SampleAspectRatioCodedInTheStreamAlone) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.frames = 5;
    o.sarNum = 3;
    o.sarDen = 2;
    o.sarInStreamOnly = true;
    const std::string path = writtenMovie(dir, "wide.mp4", o);
    OpenedMovie m(path);
    ASSERT_EQ(m.result, noErr);
    EXPECT_EQ(m.width, 96);
    EXPECT_EQ(m.height, 48);
    for (int i = 4; i >= 0; --i) EXPECT_EQ(m.frameAt(m.sampleTimes()[size_t(i)]), i);
}

TEST(MoviePictures, RotationTurnsThePicture) {
    testmovies::TempFolder dir;
    for (int rotation : {90, 180, 270}) {
        SCOPED_TRACE(rotation);
        MovieOptions o;
        o.frames = 6;
        o.rotation = rotation;
        const std::string path = writtenMovie(dir, "turned" + std::to_string(rotation) + ".mp4", o);
        OpenedMovie m(path);
        ASSERT_EQ(m.result, noErr);
        EXPECT_EQ(m.width, rotation == 180 ? 64 : 48);
        EXPECT_EQ(m.height, rotation == 180 ? 48 : 64);
        std::vector<TimeValue> times = m.sampleTimes();
        for (int i = 0; i < 6; ++i) EXPECT_EQ(m.frameAt(times[size_t(i)], rotation), i);
        // Read unturned, the pattern does not check.
        EXPECT_NE(testmovies::readFrameNumber(m.bytes(), m.width, m.height, m.width * 4), 5);
    }
}

TEST(MoviePictures, DrawsScaledIntoAnyBox) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.encoder = "mpeg4";
    o.bFrames = 0;
    o.frames = 3;
    const std::string path = writtenMovie(dir, "box.avi", o);
    Movie movie = nullptr;
    ASSERT_EQ(OpenMovieFromPath(path.c_str(), &movie), noErr);
    // A world larger than the box: the box (moved to 10,20 and doubled) is
    // filled, the rest of the world untouched.
    std::vector<uint32_t> pixels(200 * 150, 0x01020304);
    Rect bounds{0, 0, 150, 200};
    GWorldPtr world = nullptr;
    ASSERT_EQ(NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                               reinterpret_cast<Ptr>(pixels.data()), 200 * 4),
              noErr);
    Rect box{10, 20, 10 + 96, 20 + 128};
    SetMovieBox(movie, &box);
    SetMovieGWorld(movie, world, nullptr);
    SetMovieTimeValue(movie, 2);
    MoviesTask(movie, 0);
    EXPECT_EQ(GetMoviesError(), noErr);
    auto* bytes = reinterpret_cast<const uint8_t*>(pixels.data());
    EXPECT_EQ(testmovies::readFrameNumber(bytes + (10 * 200 + 20) * 4, 128, 96, 200 * 4), 2);
    EXPECT_EQ(pixels[5 * 200 + 5], 0x01020304u);
    EXPECT_EQ(pixels[120 * 200 + 170], 0x01020304u);
    // Partly outside the world: clipped, no write past the buffer.
    Rect out{100, 150, 100 + 96, 150 + 128};
    SetMovieBox(movie, &out);
    MoviesTask(movie, 0);
    EXPECT_EQ(GetMoviesError(), noErr);
    // An inactive movie draws nothing.
    pixels.assign(pixels.size(), 0);
    SetMovieActive(movie, false);
    MoviesTask(movie, 0);
    EXPECT_EQ(pixels[120 * 200 + 170], 0u);
    DisposeMovie(movie);
    DisposeGWorld(world);
}

struct Patch {
    const char* name;
    int range, space, width, height;
    uint8_t y, cb, cr;
    int r, g, b;
};

class ColourPatch : public ::testing::TestWithParam<Patch> {};

TEST_P(ColourPatch, GivesTheRightRGB) {
    const Patch& p = GetParam();
    testmovies::TempFolder dir;
    MovieOptions o;
    o.encoder = "mpeg4";
    o.bFrames = 0;
    o.frames = 1;
    o.width = p.width;
    o.height = p.height;
    o.colorRange = p.range;
    o.colorSpace = p.space;
    o.content = testmovies::Content::flat;
    o.flat[0] = p.y;
    o.flat[1] = p.cb;
    o.flat[2] = p.cr;
    const std::string path = writtenMovie(dir, "patch.mkv", o);
    OpenedMovie m(path);
    ASSERT_EQ(m.result, noErr);
    m.frameAt(0);
    ASSERT_EQ(GetMoviesError(), noErr);
    const uint8_t* px = m.at(m.width / 2, m.height / 2);
    EXPECT_EQ(px[0], 255);
    EXPECT_NEAR(px[1], p.r, 4);
    EXPECT_NEAR(px[2], p.g, 4);
    EXPECT_NEAR(px[3], p.b, 4);
}

// Red in BT.601 is Y 81 Cb 90 Cr 240 (limited); in BT.709 Y 63 Cb 102 Cr 240.
// Read with the other matrix, each gives a visibly different colour.
INSTANTIATE_TEST_SUITE_P(
    Movies, ColourPatch,
    ::testing::Values(Patch{"LimitedWhite", 1, 6, 64, 48, 235, 128, 128, 255, 255, 255},
                      Patch{"LimitedBlack", 1, 6, 64, 48, 16, 128, 128, 0, 0, 0},
                      Patch{"FullWhiteIsGrey", 2, 6, 64, 48, 235, 128, 128, 235, 235, 235},
                      Patch{"FullDark", 2, 6, 64, 48, 16, 128, 128, 16, 16, 16},
                      Patch{"Bt601Red", 1, 6, 64, 48, 81, 90, 240, 255, 0, 0},
                      Patch{"Bt709Red", 1, 1, 64, 48, 63, 102, 240, 255, 0, 0},
                      Patch{"UntaggedSdIsBt601", 0, 2, 64, 48, 81, 90, 240, 255, 0, 0},
                      Patch{"UntaggedHdIsBt709", 0, 2, 1280, 720, 63, 102, 240, 255, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

double rowMean(const OpenedMovie& m, int y) {
    double sum = 0;
    for (int x = 0; x < m.width; ++x) sum += m.at(x, y)[2];
    return sum / m.width;
}

TEST(MoviePictures, InterlaceHintsOffShowOneField) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.encoder = "mpeg2video";
    o.interlaced = true;
    o.height = 64;
    o.frames = 12; // a transport stream needs a few packets to be recognised
    o.content = testmovies::Content::fields;
    const std::string path = writtenMovie(dir, "fields.ts", o);
    OpenedMovie m(path);
    ASSERT_EQ(m.result, noErr);
    Media media = GetTrackMedia(GetMovieIndTrack(m.movie, 1));

    m.frameAt(0); // hints on: both fields, the rows alternate
    EXPECT_GT(rowMean(m, 20), 200);
    EXPECT_LT(rowMean(m, 21), 50);
    SetMediaPlayHints(media, 0, 0x104140); // off: the top field only
    m.frameAt(0);
    EXPECT_GT(rowMean(m, 20), 200);
    EXPECT_GT(rowMean(m, 21), 200);
    SetMediaPlayHints(media, 0x140, 0x104140);
    m.frameAt(0);
    EXPECT_LT(rowMean(m, 21), 50);

    // A progressive picture is always shown whole.
    o.interlaced = false;
    o.encoder = "mpeg4";
    o.bFrames = 0;
    OpenedMovie p(writtenMovie(dir, "progressive.mkv", o));
    ASSERT_EQ(p.result, noErr);
    SetMediaPlayHints(GetTrackMedia(GetMovieIndTrack(p.movie, 1)), 0, 0x104140);
    p.frameAt(0);
    EXPECT_GT(rowMean(p, 20), 200);
    EXPECT_LT(rowMean(p, 21), 60);
}

} // namespace
