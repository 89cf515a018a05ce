// Shape and colour of the rendered frame: single images, sample aspect ratio,
// rotation, colour matrix and range, deep colour and HDR, interlaced fields
// (and MPEG's coded rate).
#include "MovieTestHelpers.h"

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}
#include <gtest/gtest.h>
#include <zimg.h>

#include <cmath>
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

// A ratio in the container, or coded only in the stream (MP4 opens from its
// header without probing, so the first picture must tell it).
TEST(MoviePictures, SampleAspectRatioWidensTheBox) {
    testmovies::TempFolder dir;
    for (bool streamOnly : {false, true}) {
        MovieOptions o;
        o.encoder = streamOnly ? "libx264" : "mpeg4";
        o.bFrames = 0;
        o.frames = 5;
        o.sarNum = streamOnly ? 3 : 2;
        o.sarDen = streamOnly ? 2 : 1;
        o.sarInStreamOnly = streamOnly;
        OpenedMovie m(writtenMovie(dir, streamOnly ? "wide.mp4" : "wide.mkv", o));
        ASSERT_EQ(m.result, noErr);
        EXPECT_EQ(m.width, streamOnly ? 96 : 128);
        EXPECT_EQ(m.height, 48);
        for (int i = 4; i >= 0; --i) EXPECT_EQ(m.frameAt(m.sampleTimes()[size_t(i)]), i);
    }
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
    }
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

// The tags choose range and matrix (the conversion itself is checked on its
// own). Red in BT.601 is Y 81 Cb 90 Cr 240 (limited); in BT.709 Y 63 Cb 102
// Cr 240. Read with the other matrix, each gives a visibly different colour.
INSTANTIATE_TEST_SUITE_P(
    Movies, ColourPatch,
    ::testing::Values(Patch{"LimitedWhite", 1, 6, 64, 48, 235, 128, 128, 255, 255, 255},
                      Patch{"FullWhiteIsGrey", 2, 6, 64, 48, 235, 128, 128, 235, 235, 235},
                      Patch{"Bt709Red", 1, 1, 64, 48, 63, 102, 240, 255, 0, 0},
                      Patch{"UntaggedSdIsBt601", 0, 2, 64, 48, 81, 90, 240, 255, 0, 0},
                      Patch{"UntaggedHdIsBt709", 0, 2, 1280, 720, 63, 102, 240, 255, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A smooth BT.709 picture, finer than 8 bits, carried into a 10-bit HEVC movie
// with the row's tags by zimg set up as FFmpeg's zscale filter sets it by
// default (quick transfer curves, reference white at 100 nits), comes back
// close to the original (a 10-bit SDR ramp cut to 8 bits before the matrix
// would reach only about 52 dB); below it, a strip of grey highlights (R'G'B'
// 0.7 to 2.4: about 0.5 to 8 times reference white) keeps its order of
// brightness.
struct Carriage {
    const char* name;
    int transfer, primaries, space;
    double minPsnr;
    int maxError; // codes off the rounded original, anywhere above the strip
    bool grey;    // a grey ramp rather than colours
    const char* note;
    int format = AV_PIX_FMT_YUV420P10LE; // NV12: raw, Cb and Cr interleaved as hardware gives them
};

void PrintTo(const Carriage& c, std::ostream* os) {
    *os << c.name;
}

class DeepColour : public ::testing::TestWithParam<Carriage> {};

constexpr int kW = 256, kH = 144, kStrip = 112;
constexpr float kHighlights[] = {0.7f, 1.0f, 1.35f, 1.8f, 2.4f};

float originalAt(int x, int y, int c, bool grey) {
    const float u = (x + 0.5f) / kW, v = (y + 0.5f) / kStrip;
    if (y >= kStrip) return kHighlights[x * 5 / kW];
    if (grey) return 0.05f + 0.9f * u;
    return c == 0   ? 0.05f + 0.9f * u
           : c == 1 ? 0.1f + 0.8f * v
                    : 0.5f + 0.45f * std::sin(5 * u - 4 * v);
}

void carry(AVFrame* out, const Carriage& c) {
    AVFrame* yuv = out; // NV12 is made planar first
    if (out->format == AV_PIX_FMT_NV12) {
        yuv = av_frame_alloc();
        yuv->format = AV_PIX_FMT_YUV420P;
        yuv->width = kW;
        yuv->height = kH;
        ASSERT_EQ(av_frame_get_buffer(yuv, 64), 0);
    }
    AVFrame* rgb = av_frame_alloc();
    rgb->format = AV_PIX_FMT_GBRPF32LE;
    rgb->width = kW;
    rgb->height = kH;
    ASSERT_EQ(av_frame_get_buffer(rgb, 64), 0);
    const int order[3] = {2, 0, 1}; // R, G, B in the frame's planes
    zimg_image_buffer_const src{ZIMG_API_VERSION, {}};
    zimg_image_buffer dst{ZIMG_API_VERSION, {}};
    for (int p = 0; p < 3; ++p) {
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                reinterpret_cast<float*>(rgb->data[order[p]] + y * rgb->linesize[order[p]])[x] =
                    std::pow(originalAt(x, y, p, c.grey), 2.4f); // BT.1886 light
        src.plane[p] = {rgb->data[order[p]], rgb->linesize[order[p]], ZIMG_BUFFER_MAX};
        dst.plane[p] = {yuv->data[p], yuv->linesize[p], ZIMG_BUFFER_MAX};
    }
    zimg_image_format from, to;
    zimg_image_format_default(&from, ZIMG_API_VERSION);
    from.width = kW;
    from.height = kH;
    from.pixel_type = ZIMG_PIXEL_FLOAT;
    from.color_family = ZIMG_COLOR_RGB;
    from.matrix_coefficients = ZIMG_MATRIX_RGB;
    from.transfer_characteristics = ZIMG_TRANSFER_LINEAR; // the quick BT.709 curve stops at 1.5
    from.color_primaries = ZIMG_PRIMARIES_BT709;
    to = from;
    to.pixel_type = yuv == out ? ZIMG_PIXEL_WORD : ZIMG_PIXEL_BYTE;
    to.depth = yuv == out ? 10 : 8;
    to.pixel_range = ZIMG_RANGE_LIMITED;
    to.subsample_w = to.subsample_h = 1;
    to.color_family = ZIMG_COLOR_YUV;
    to.matrix_coefficients = zimg_matrix_coefficients_e(c.space);
    to.transfer_characteristics = zimg_transfer_characteristics_e(c.transfer);
    to.color_primaries = zimg_color_primaries_e(c.primaries);
    zimg_graph_builder_params params;
    zimg_graph_builder_params_default(&params, ZIMG_API_VERSION);
    params.allow_approximate_gamma = 1;
    zimg_filter_graph* g = zimg_filter_graph_build(&from, &to, &params);
    ASSERT_TRUE(g);
    size_t tmp = 0;
    zimg_filter_graph_get_tmp_size(g, &tmp);
    void* scratch = av_malloc(tmp);
    EXPECT_EQ(zimg_filter_graph_process(g, &src, &dst, scratch, nullptr, nullptr, nullptr, nullptr),
              0);
    av_free(scratch);
    zimg_filter_graph_free(g);
    av_frame_free(&rgb);
    if (yuv == out) return;
    SwsContext* sws = sws_getContext(kW, kH, AV_PIX_FMT_YUV420P, kW, kH, AV_PIX_FMT_NV12, 0,
                                     nullptr, nullptr, nullptr);
    sws_scale(sws, yuv->data, yuv->linesize, 0, kH, out->data, out->linesize);
    sws_freeContext(sws);
    av_frame_free(&yuv);
}

TEST_P(DeepColour, ComesBackCloseToTheOriginal) {
    const Carriage& c = GetParam();
    testmovies::TempFolder dir;
    MovieOptions o;
    o.encoder = c.format == AV_PIX_FMT_NV12 ? "rawvideo" : "libx265";
    o.width = kW;
    o.height = kH;
    o.frames = 2;
    o.bFrames = 0;
    o.pixelFormat = c.format;
    o.colorSpace = c.space;
    o.transfer = c.transfer;
    o.primaries = c.primaries;
    o.colorRange = AVCOL_RANGE_MPEG;
    o.painter = [&c](AVFrame* f, int) { carry(f, c); };
    OpenedMovie m(writtenMovie(dir, "carried.mkv", o));
    ASSERT_EQ(m.result, noErr);
    EXPECT_STREQ(GetMovieDynamicRangeNote(m.movie), c.note);
    m.frameAt(0);
    ASSERT_EQ(GetMoviesError(), noErr);
    double squares = 0;
    int worst = 0, n = 0;
    for (int y = 0; y < kStrip - 8; ++y)
        for (int x = 0; x < kW; ++x)
            for (int p = 0; p < 3; ++p, ++n) {
                const int want =
                    int(std::lround(255 * std::clamp(originalAt(x, y, p, c.grey), 0.f, 1.f)));
                const int d = m.at(x, y)[1 + p] - want;
                squares += d * d;
                worst = std::max(worst, std::abs(d));
            }
    EXPECT_GE(10 * std::log10(255.0 * 255.0 * n / squares), c.minPsnr);
    EXPECT_LE(worst, c.maxError);
    if (c.transfer == AVCOL_TRC_BT709) return; // SDR has no highlights
    for (int i = 1; i < 5; ++i) {
        const int x0 = (2 * i - 1) * kW / 10, x1 = (2 * i + 1) * kW / 10, y = (kStrip + kH) / 2;
        EXPECT_GT(m.at(x1, y)[2], m.at(x0, y)[2]) << "highlight " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Movies, DeepColour,
    ::testing::Values(
        Carriage{"Pq", AVCOL_TRC_SMPTE2084, AVCOL_PRI_BT2020, AVCOL_SPC_BT2020_NCL, 32, 255, false,
                 "HDR (PQ) shown tone-mapped"},
        Carriage{"Hlg", AVCOL_TRC_ARIB_STD_B67, AVCOL_PRI_BT2020, AVCOL_SPC_BT2020_NCL, 32, 255,
                 false, "HDR (HLG) shown tone-mapped"},
        Carriage{"Sdr10Bit", AVCOL_TRC_BT709, AVCOL_PRI_BT709, AVCOL_SPC_BT709, 55, 1, true, ""},
        Carriage{"SemiPlanarPq", AVCOL_TRC_SMPTE2084, AVCOL_PRI_BT2020, AVCOL_SPC_BT2020_NCL, 32,
                 255, false, "HDR (PQ) shown tone-mapped", AV_PIX_FMT_NV12}),
    [](const auto& info) { return std::string(info.param.name); });

double rowMean(const OpenedMovie& m, int y) {
    double sum = 0;
    for (int x = 0; x < m.width; ++x) sum += m.at(x, y)[2];
    return sum / m.width;
}

TEST(MoviePictures, InterlaceHintsOffShowOneFieldAndMpegKnowsItsRate) {
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
    // MPEG video's rate is the one coded in its stream (other codecs' comes
    // from the sample table, checked with the grabber).
    MediaHandler h = GetMediaHandler(media);
    Boolean mpeg = false;
    EXPECT_EQ(MediaHasCharacteristic(h, kCharacteristicIsAnMpegTrack, &mpeg), noErr);
    EXPECT_TRUE(mpeg);
    Fixed rate = 0;
    Size size = 4;
    EXPECT_EQ(MediaGetPublicInfo(h, kMediaGetPublicInfoEncodedFrameRate, &rate, &size), noErr);
    EXPECT_EQ(rate, 25 << 16);
    SetMediaPlayHints(media, 0, 0x104140); // off: the top field only
    m.frameAt(0);
    EXPECT_GT(rowMean(m, 20), 200);
    EXPECT_GT(rowMean(m, 21), 200);
    SetMediaPlayHints(media, 0x140, 0x104140);
    m.frameAt(0);
    EXPECT_LT(rowMean(m, 21), 50);
}

} // namespace
