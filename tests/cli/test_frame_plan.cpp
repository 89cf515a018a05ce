// Which frames a run writes: exact frame numbers, the frame shown at a time,
// every K-th to the end, ascending and once each, and frames the movie lacks.
// Also the progress bar's line.
#include "FramePlan.h"
#include "ProgressBar.h"

#include <gtest/gtest.h>

using namespace moviesnap;

namespace {

// 10 frames at 25 per second in 12800 units a second: starts 512 apart.
MovieFrames tenFrames() {
    MovieFrames m;
    for (int i = 0; i < 10; ++i) m.starts.push_back(512 * i);
    m.timeScale = 12800;
    m.duration = 5120;
    return m;
}

Options withFrames(std::vector<int> frames, int every = 0) {
    Options o;
    o.frames = std::move(frames);
    o.every = every;
    return o;
}

} // namespace

TEST(FramePlan, FramesAscendingOnce) {
    EXPECT_EQ(planFrames(withFrames({7, 2, 7, 0}), tenFrames()), (std::vector<int>{0, 2, 7}));
    EXPECT_EQ(planFrames(withFrames({3}, 3), tenFrames()), (std::vector<int>{3, 6, 9}));
    EXPECT_EQ(planFrames(withFrames({9}, 4), tenFrames()), (std::vector<int>{9}));
    EXPECT_EQ(planFrames(withFrames({0}, 1), tenFrames()).size(), 10u);
}

TEST(FramePlan, FramesTheMovieLacksAreNamed) {
    try {
        planFrames(withFrames({3, 10}), tenFrames());
        FAIL() << "frame 10 of 10 was taken";
    } catch (const UsageError& e) {
        EXPECT_STREQ(e.what(), "--frame '10': the movie has 10 frames (0 to 9)");
    }
}

TEST(FramePlan, TimeNamesTheFrameShownThen) {
    const MovieFrames m = tenFrames();
    EXPECT_EQ(frameAtTime(m, 0.039), 0);
    EXPECT_EQ(frameAtTime(m, 0.04), 1); // exactly the second frame's start
    EXPECT_EQ(frameAtTime(m, 0.4), 9);  // the very end still shows the last frame
    EXPECT_THROW(frameAtTime(m, 0.41), UsageError);

    // Uneven starts (a variable-rate movie): the last start at or before the time.
    MovieFrames v;
    v.starts = {0, 100, 1000, 1010};
    v.timeScale = 1000;
    v.duration = 2000;
    EXPECT_EQ(frameAtTime(v, 0.5), 1);
    EXPECT_EQ(frameAtTime(v, 1.009), 2);
    EXPECT_EQ(frameAtTime(v, 1.9), 3);

    Options o;
    o.time = 0.2;
    o.every = 2;
    EXPECT_EQ(planFrames(o, m), (std::vector<int>{5, 7, 9}));
}

TEST(ProgressBar, LineShowsTheShareDone) {
    EXPECT_EQ(ProgressBar::line(12, 40, 10), "[###       ] 12/40 frames");
    EXPECT_EQ(ProgressBar::line(55, 40, 4), "[####] 40/40 frames");
    EXPECT_EQ(ProgressBar::line(0, 0, 4), "[####] 0/0 frames");
}
