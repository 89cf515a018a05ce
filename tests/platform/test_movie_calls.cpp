// The file road into a movie, and its URL.
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
}

} // namespace
