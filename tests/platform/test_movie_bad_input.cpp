// Damaged and unsuitable files: no movie with a clear result, or a movie
// showing the frames that decode; never a crash or a hang.
#include "MovieSampleTable.h"
#include "MovieTestHelpers.h"
#include "OpenRefusal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

using testmovies::MovieOptions;

namespace {

OSErr openResult(const std::string& path) {
    static int marker;
    Movie movie = reinterpret_cast<Movie>(&marker); // must be cleared on failure
    OSErr e = OpenMovieFromPath(path.c_str(), &movie);
    if (e != noErr) {
        EXPECT_EQ(movie, nullptr);
    }
    DisposeMovie(e == noErr ? movie : nullptr);
    return e;
}

MovieOptions mjpeg(int frames) {
    MovieOptions o;
    o.encoder = "mjpeg";
    o.bFrames = 0;
    o.gop = 1;
    o.frames = frames;
    return o;
}

TEST(MovieBadInput, FilesThatAreNoMovies) {
    testmovies::TempFolder dir;
    EXPECT_EQ(openResult(dir.file("missing.mov")), fnfErr);
    EXPECT_EQ(openResult(dir.path()), notAFileErr);
    WriteFileBytes(dir.file("empty.mov"), {});
    EXPECT_EQ(openResult(dir.file("empty.mov")), noMovieFound);
    ASSERT_TRUE(testmovies::writeRandom(dir.file("random.mov"), 64 * 1024, 11));
    EXPECT_NE(openResult(dir.file("random.mov")), noErr);
    std::string error;
    ASSERT_TRUE(testmovies::writeSoundOnly(dir.file("sound.wav"), &error)) << error;
    EXPECT_EQ(openResult(dir.file("sound.wav")), noVideoTrackInMovieErr);
    WriteFileBytes(dir.file("cut.jxl"), {0xFF}); // its decoder spins for ever
    EXPECT_EQ(openResult(dir.file("cut.jxl")), codecAbortErr);
}

TEST(MovieBadInput, PicturesTooLargeAreRefused) {
    testmovies::TempFolder dir;
    std::string header = "YUV4MPEG2 W20000 H1000 F25:1 Ip A1:1 C420jpeg\nFRAME\n";
    std::vector<uint8_t> bytes(header.begin(), header.end());
    bytes.resize(bytes.size() + 4096, 128);
    WriteFileBytes(dir.file("huge.y4m"), bytes);
    EXPECT_EQ(openResult(dir.file("huge.y4m")), memFullErr);
    // A PNG declaring 100000 x 100000 pixels is refused by the size it declares.
    WriteFileBytes(dir.file("huge.png"),
                   {0x89, 'P',  'N', 'G', '\r', '\n', 0x1A, '\n', 0,    0,    0,
                    13,   'I',  'H', 'D', 'R',  0,    1,    0x86, 0xA0, 0,    1,
                    0x86, 0xA0, 8,   2,   0,    0,    0,    0x8E, 0x3D, 0x3E, 0x62});
    EXPECT_EQ(openResult(dir.file("huge.png")), memFullErr);
    EXPECT_EQ(OpenRefusalSentence(dir.file("huge.png"), memFullErr),
              "Cannot open " + dir.file("huge.png") +
                  ": its pictures are too large (100000 x 100000 pixels).");
}

// One movie's bytes overwritten where they first hold `what`: a codec id no
// decoder knows; the first picture's header, whose failed decoding at open
// starts the demuxer again from the top (as every one-picture movie does), so
// that the movie still opens with the size its header gives.
TEST(MovieBadInput, OverwrittenBytes) {
    const struct {
        const char* file;
        int frames;
        const char* encoder;
        std::string what, with;
        OSErr result;
    } rows[] = {{"codec.mkv", 5, "mpeg4", "V_MPEG4/ISO/ASP", "V_XXXXX", noCodecErr},
                {"nofirst.mov", 1, "mjpeg", "\xFF\xD8\xFF", std::string(100, '\0'), noErr}};
    testmovies::TempFolder dir;
    for (const auto& row : rows) {
        MovieOptions o = mjpeg(row.frames);
        o.encoder = row.encoder;
        std::string error, path = dir.file(row.file);
        ASSERT_TRUE(testmovies::writeMovie(path, o, &error)) << error;
        std::vector<uint8_t> bytes = ReadFileBytes(path);
        auto at = std::search(bytes.begin(), bytes.end(), row.what.begin(), row.what.end(),
                              [](uint8_t a, char b) { return a == uint8_t(b); });
        ASSERT_NE(at, bytes.end()) << row.file;
        std::copy(row.with.begin(), row.with.end(), at);
        WriteFileBytes(path, bytes);
        OpenedMovie m(path);
        EXPECT_EQ(m.result, row.result) << row.file;
        if (row.result == noErr) {
            EXPECT_EQ(m.width, 64);
            EXPECT_EQ(m.height, 48);
        }
    }
}

TEST(MovieBadInput, TruncatedFile) {
    testmovies::TempFolder dir;
    std::string error;
    // A Matroska stream cut short: the frames before the cut are there and exact.
    std::string mkv = dir.file("cut.mkv");
    ASSERT_TRUE(testmovies::writeMovie(mkv, mjpeg(30), &error)) << error;
    std::vector<uint8_t> bytes = ReadFileBytes(mkv);
    bytes.resize(bytes.size() * 6 / 10);
    WriteFileBytes(mkv, bytes);
    OpenedMovie m(mkv);
    ASSERT_EQ(m.result, noErr);
    std::vector<TimeValue> times = m.sampleTimes();
    ASSERT_GT(times.size(), 5u);
    ASSERT_LT(times.size(), 30u);
    for (size_t i = 0; i + 1 < times.size(); ++i) EXPECT_EQ(m.frameAt(times[i]), int(i));
    m.frameAt(times.back()); // possibly cut short: any result, no crash
}

// A keyframe whose picture data is destroyed spoils its own GOP at most:
// the GOPs before and after it show their frames exactly, whichever way they
// are reached.
TEST(MovieBadInput, DamagedKeyframeSpoilsOnlyItsGop) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.frames = 36;
    o.gop = 12;
    o.encoder = "mpeg4";
    o.bFrames = 0;
    std::string error, path = dir.file("nokey.avi");
    ASSERT_TRUE(testmovies::writeMovie(path, o, &error)) << error;
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    // The second keyframe (frame 12): find the MPEG-4 picture start codes.
    const uint8_t vop[4] = {0, 0, 1, 0xB6};
    std::vector<size_t> starts;
    for (auto it = bytes.begin(); (it = std::search(it, bytes.end(), vop, vop + 4)) != bytes.end();
         ++it)
        starts.push_back(size_t(it - bytes.begin()));
    ASSERT_GE(starts.size(), 36u);
    // Its picture data only; the container's chunk header before frame 13 stays.
    for (size_t k = starts[12] + 8; k < (starts[12] + starts[13]) / 2; ++k)
        bytes[k] = uint8_t(k * 37);
    WriteFileBytes(path, bytes);
    OpenedMovie m(path);
    ASSERT_EQ(m.result, noErr);
    std::vector<TimeValue> times = m.sampleTimes();
    ASSERT_EQ(times.size(), 36u);
    for (int pass = 0; pass < 2; ++pass)
        for (size_t k = 0; k < 36; ++k) {
            const size_t i = pass == 0 ? k : 35 - k; // forward, then backward
            const int n = m.frameAt(times[i]);
            if (i < 12 || i >= 24) {
                EXPECT_EQ(n, int(i)) << "pass " << pass << " frame " << i;
            }
        }
}

// Found by fuzzing. MPEG-4 and MPEG video whose headers tag the transfer as
// 200 and 224, numbers FFmpeg's enum does not name: they open as untagged
// movies (the sanitizer build caught reading such tags as enums). A 24 x 16
// WebP with bytes after its RIFF container, on which FFmpeg's WebP decoder
// aborted the process: it opens with its picture.
TEST(MovieBadInput, FuzzFindingsOpen) {
    struct Finding {
        const char* name;
        std::vector<uint8_t> bytes;
        int width, height; // 0: whatever the damaged header says
    };
    const Finding findings[] = {
        {"transfer200.m4v",
         {0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x20, 0x00, 0x00, 0x00,
          0x01, 0x14, 0x66, 0xd9, 0xd9, 0xe0, 0x18, 0x00, 0x00, 0x01, 0xb5, 0x14, 0x66, 0xd9},
         0,
         0},
        {"transfer224.m4v",
         {0x00, 0x00, 0x01, 0xb6, 0x11, 0x60, 0xb0, 0x00, 0x00, 0x01, 0x00,
          0x00, 0x00, 0x01, 0x20, 0x00, 0xc4, 0x8d, 0x88, 0x00, 0xcd, 0x01,
          0x04, 0x03, 0x00, 0x53, 0x00, 0x00, 0x01, 0xb5, 0x14, 0xbc, 0xd9},
         0,
         0},
        {"trailing.webp",
         {0x52, 0x49, 0x46, 0x46, 0x48, 0x00, 0x00, 0x00, 0x57, 0x45, 0x42, 0x50, 0x56, 0x50, 0x38,
          0x20, 0x3c, 0x00, 0x00, 0x00, 0x10, 0x03, 0x00, 0x9d, 0x01, 0x2a, 0x18, 0x00, 0x10, 0x00,
          0x2f, 0x81, 0xde, 0xef, 0x77, 0xab, 0x3e, 0x3e, 0x3e, 0x1e, 0x01, 0x80, 0x4b, 0x30, 0x30,
          0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x13, 0xe0, 0x00,
          0xff, 0xff, 0xff, 0xff, 0x13, 0xe0, 0x30, 0x30, 0x30, 0x30, 0x00, 0xff, 0xff, 0xff, 0xff,
          0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00},
         24,
         16}};
    testmovies::TempFolder dir;
    for (const Finding& f : findings) {
        WriteFileBytes(dir.file(f.name), f.bytes);
        OpenedMovie m(dir.file(f.name));
        ASSERT_EQ(m.result, noErr) << f.name;
        if (f.width) {
            EXPECT_EQ(m.width, f.width) << f.name;
            EXPECT_EQ(m.height, f.height) << f.name;
        }
        MoviesTask(m.movie, 0); // damaged pictures: drawing them may fail, but cleanly
    }
}

// Times far apart: the table keeps every sample with its 32-bit time and a
// duration past the last, or it refuses the movie; a rate is never negative.
TEST(MovieBadInput, TimesBeyondMovieTime) {
    constexpr int64_t big = std::numeric_limits<int64_t>::max();
    const struct {
        std::vector<int64_t> pts;
        int64_t tbDen;
        bool fits;
    } rows[] = {
        {{0, 1000000000}, 1, true},                             // 31 years in whole seconds
        {{0, 1100000000, 2200000000}, 1, false},                // 70 years
        {{0, 2147483600}, 1, false},                            // two samples 68 years apart
        {{-big, big}, 1, false},                                // the whole 64-bit range
        {{0, 1, 2}, std::numeric_limits<int32_t>::max(), true}, // the finest time base
    };
    for (const auto& row : rows) {
        std::vector<MoviePacketTimes> packets;
        for (int64_t t : row.pts) packets.push_back({t, t, true});
        MovieSampleTable table;
        EXPECT_EQ(table.build(packets, 1, row.tbDen, big, 0), row.fits) << row.pts.back();
        ASSERT_EQ(table.size(), row.fits ? row.pts.size() : 0u);
        if (row.fits) {
            EXPECT_GT(table.duration(), table[table.size() - 1].time);
        }
    }
}

} // namespace
