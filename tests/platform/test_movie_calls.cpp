// The file road into a movie, its URL, and the decompression-sequence calls.
#include "MovieTestHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <unistd.h>

namespace {

TEST(MovieCalls, UrlIsPercentEncodedAndFitsTheHandle) {
    Handle url = NewHandleClear(8); // too small: grown
    FSSpec fss{"/tmp/a b%c/é.mov"};
    EXPECT_EQ(HRUtilGetURLFromFSSpec(&fss, url), noErr);
    EXPECT_STREQ(*url, "file:///tmp/a%20b%25c/%C3%A9.mov");
    FSSpec relative{"x.mov"};
    EXPECT_EQ(HRUtilGetURLFromFSSpec(&relative, url), noErr);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    std::string text = *url;
    EXPECT_EQ(text.rfind("file:///", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 6), "/x.mov");
    EXPECT_EQ(HRUtilGetURLFromFSSpec(nullptr, url), paramErr);
    DisposeHandle(url);
}

TEST(MovieCalls, OpenThroughAMovieFile) {
    testmovies::TempFolder dir;
    testmovies::MovieOptions o;
    o.frames = 4;
    std::string error, path = dir.file("road.mp4");
    ASSERT_TRUE(testmovies::writeMovie(path, o, &error)) << error;
    EXPECT_EQ(EnterMovies(), noErr);

    FSSpec fss{path};
    short ref = 0;
    ASSERT_EQ(OpenMovieFile(&fss, &ref, fsRdPerm), noErr);
    Movie movie = nullptr;
    short resId = 1;
    Boolean changed = true;
    ASSERT_EQ(NewMovieFromFile(&movie, ref, &resId, nullptr, newMovieActive, &changed), noErr);
    EXPECT_EQ(CloseMovieFile(ref), noErr);
    EXPECT_EQ(CloseMovieFile(ref), paramErr); // closed already
    EXPECT_FALSE(changed);
    EXPECT_TRUE(GetMovieActive(movie));
    Rect box;
    GetMovieBox(movie, &box);
    EXPECT_EQ(box.right, 64);
    EXPECT_EQ(box.bottom, 48);
    DisposeMovie(movie);

    EXPECT_EQ(NewMovieFromFile(&movie, ref, nullptr, nullptr, 0, nullptr), paramErr);
    EXPECT_EQ(movie, nullptr);
    FSSpec missing{dir.file("none.mov")};
    EXPECT_EQ(OpenMovieFile(&missing, &ref, fsRdPerm), fnfErr);
    FSSpec random{dir.file("random.mov")};
    ASSERT_TRUE(testmovies::writeRandom(random.path, 5000, 3));
    ASSERT_EQ(OpenMovieFile(&random, &ref, fsRdPerm), noErr);
    EXPECT_NE(NewMovieFromFile(&movie, ref, nullptr, nullptr, newMovieActive, nullptr), noErr);
    EXPECT_EQ(movie, nullptr);
    EXPECT_NE(GetMoviesError(), noErr);
    CloseMovieFile(ref);

    // Calls on no movie answer an error and change nothing.
    GetMovieBox(nullptr, &box);
    EXPECT_EQ(GetMoviesError(), invalidMovie);
    MoviesTask(nullptr, 0);
    EXPECT_EQ(GetMoviesError(), invalidMovie);
    EXPECT_EQ(GetMovieIndTrackType(nullptr, 1, kCharacteristicHasVideoFrameRate,
                                   movieTrackCharacteristic),
              nullptr);
    EXPECT_EQ(GetMoviesError(), invalidMovie);
}

TEST(MovieCalls, DecompressionSequence) {
    std::vector<uint32_t> pixels(40 * 30);
    Rect bounds{0, 0, 30, 40};
    GWorldPtr world = nullptr;
    ASSERT_EQ(NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0x80,
                               reinterpret_cast<Ptr>(pixels.data()), 40 * 4),
              noErr);
    PixMapHandle pm = GetGWorldPixMap(world);
    ImageDescriptionHandle desc = nullptr;
    ASSERT_EQ(MakeImageDescriptionForPixMap(pm, &desc), noErr);
    EXPECT_EQ((*desc)->width, 40);
    EXPECT_EQ((*desc)->height, 30);
    EXPECT_EQ((*desc)->depth, 32);
    long size = GetPixRowBytes(pm) * (*desc)->height;
    ImageSequence seq = -1;
    EXPECT_EQ(DecompressSequenceBeginS(&seq, desc, GetPixBaseAddr(pm), size - 1, world, nullptr,
                                       &bounds, nullptr, 0, nullptr, 0, codecHighQuality, nullptr),
              paramErr);
    EXPECT_EQ(seq, 0);
    ASSERT_EQ(DecompressSequenceBeginS(&seq, desc, GetPixBaseAddr(pm), size, world, nullptr,
                                       &bounds, nullptr, 0, nullptr, 0, codecHighQuality, nullptr),
              noErr);
    EXPECT_NE(seq, 0);
    CodecFlags out = 7;
    EXPECT_EQ(DecompressSequenceFrameS(seq, GetPixBaseAddr(pm), size, 0, &out, nullptr), noErr);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(DecompressSequenceFrameS(0, GetPixBaseAddr(pm), size, 0, &out, nullptr), paramErr);
    EXPECT_EQ(CDSequenceEnd(seq), noErr);
    EXPECT_EQ(CDSequenceEnd(seq), paramErr);
    EXPECT_EQ(DecompressSequenceFrameS(seq, GetPixBaseAddr(pm), size, 0, &out, nullptr), paramErr);
    DisposeHandle(reinterpret_cast<Handle>(desc));
    DisposeGWorld(world);
}

} // namespace
