// Opening a frame source by dialog, the time code and frame rate, and sources
// that end up without a movie.
#include "../lib/SinkCapture.h"
#include "GetOneFileWithPreview.h"
#include "GrabberTestHelpers.h"

#include <gtest/gtest.h>

using testmovies::MovieOptions;

namespace {

std::string smallMovie(const testmovies::TempFolder& dir, const char* name = "small.mp4") {
    MovieOptions o;
    o.frames = 6;
    o.timeBaseDen = 30;
    return writtenMovie(dir, name, o);
}

TEST(OpenDialog, ChosenPathOpensTheMovieAndNamesItsFile) {
    testmovies::TempFolder dir;
    const std::string path = smallMovie(dir, "a b.mp4");
    ScriptedDialogScope dialogs({path});
    MoviePixRect g(32);
    ASSERT_NE(g.movie, nullptr);
    EXPECT_EQ(std::string(*g.fileURL), "file://" + dir.path() + "/a%20b.mp4");
    EXPECT_EQ(g.frameCount, 6u);
    EXPECT_EQ(g.fps, 30);
    EXPECT_EQ(shownNumber(g), 0);
    g.nextFrame();
    g.drawFrame();
    EXPECT_EQ(shownNumber(g), 1);
}

TEST(OpenDialog, CancelOrUnopenableFileLeavesNoMovie) {
    testmovies::TempFolder dir;
    std::string text = dir.file("notes.mov");
    ASSERT_TRUE(testmovies::writeRandom(text, 4096, 3));
    // Which files the movie layer refuses, and why, is tested there.
    ScriptedDialogScope dialogs({std::nullopt, text});
    for (int i = 0; i < 2; ++i) {
        MoviePixRect g(32);
        EXPECT_EQ(g.movie, nullptr) << i;
        EXPECT_EQ(g.allLines, nullptr);
        EXPECT_EQ(g.nextFrame(), g.currentTime);
        g.setFrameNumber(3);
        g.drawFrame();
        g.drawRect();
        EXPECT_EQ(g.makeNSImage(), nullptr);
        if (i == 0) {
            EXPECT_EQ(**g.fileURL, 0) << "a cancel names no file";
        }
    }
    EXPECT_EQ(dialogs.script->opens.size(), 2u);
}

TEST(TimeCode, HoursMinutesSecondsFrames) {
    testmovies::TempFolder dir;
    MovieOptions o;
    o.frames = 4;
    const std::string path = writtenMovie(dir, "pal.mkv", o);
    auto g = grab(path);
    ASSERT_TRUE(g && g->movie);
    short h, m, s, f;
    g->fps = 0;
    g->currentFrame = 3 * 3600 * 25 + 61 * 25 + 24; // the last frame of its second
    EXPECT_EQ(g->getTime(h, m, s, f), 1);
    EXPECT_EQ(g->fps, 25) << "the rate is refreshed";
    EXPECT_EQ((std::vector<int>{h, m, s, f}), (std::vector<int>{3, 1, 1, 24}));
    g->currentFrame = 25;
    g->getTime(h, m, s, f);
    EXPECT_EQ((std::vector<int>{h, m, s, f}), (std::vector<int>{0, 0, 1, 0}));

    // No rate (no movie): the frame number as frames, nothing divided by 0.
    ScriptedDialogScope dialogs;
    MoviePixRect none(32);
    none.fps = 12;
    none.currentFrame = 1234;
    EXPECT_EQ(none.getTime(h, m, s, f), 1);
    EXPECT_EQ(none.fps, 0);
    EXPECT_EQ((std::vector<int>{h, m, s, f}), (std::vector<int>{0, 0, 0, 1234}));
}

// A movie whose box gives no frame buffer counts as not opened: no movie, no
// rasters for anybody to read.
TEST(GrabberFailures, NoFrameBufferMeansNoMovie) {
    testmovies::TempFolder dir;
    const std::string path = smallMovie(dir);
    const Rect boxes[] = {{0, 0, 0, 64}, {0, 0, 48, 0}, {20, 0, 10, 64}, {0, 0, 20000, 64}};
    for (const Rect& box : boxes) {
        Movie m = nullptr;
        ASSERT_EQ(OpenMovieFromPath(path.c_str(), &m), noErr);
        SetMovieBox(m, &box);
        SinkCapture sink;
        MoviePixRect g(m, 32);
        EXPECT_EQ(sink.text(), "makeGWorldForMovie: No framedata \n\r");
        EXPECT_EQ(g.movie, nullptr);
        EXPECT_EQ(g.allLines, nullptr);
        EXPECT_EQ(g.frameCount, 0u);
    }
}

} // namespace
