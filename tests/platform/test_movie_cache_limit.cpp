// The decoded-picture cache limit: a movie read forward only keeps nothing,
// so going back decodes again, still frame-exactly; a limit of a few pictures
// keeps just the latest.
#include "MovieTestHelpers.h"

#include <gtest/gtest.h>

TEST(MovieCacheLimit, ForwardOnlyReadersKeepNothing) {
    testmovies::TempFolder dir;
    testmovies::MovieOptions o; // one group of pictures, with B-frames
    o.frames = o.gop = 24;
    const std::string path = writtenMovie(dir, "m.mp4", o);
    ASSERT_FALSE(path.empty());

    long decodedAgain[2] = {0, 0};
    for (long limit : {0L, 3L}) {
        OpenedMovie m(path);
        ASSERT_EQ(m.result, noErr);
        ASSERT_EQ(SetMovieFrameCacheLimit(m.movie, limit), noErr);
        const std::vector<TimeValue> times = m.sampleTimes();
        for (int i = 0; i < 20; ++i) ASSERT_EQ(m.frameAt(times[size_t(i)]), i);
        MovieDecodeCounters before, after;
        GetMovieDecodeCounters(m.movie, &before);
        // Back by one: held with a limit of 3, decoded again from the keyframe without.
        ASSERT_EQ(m.frameAt(times[18]), 18);
        // Further back than the limit: decoded again either way.
        ASSERT_EQ(m.frameAt(times[10]), 10);
        GetMovieDecodeCounters(m.movie, &after);
        EXPECT_EQ(after.cacheHits - before.cacheHits, limit == 0 ? 0 : 1) << limit;
        decodedAgain[limit == 0 ? 0 : 1] = after.picturesDecoded - before.picturesDecoded;
    }
    EXPECT_GE(decodedAgain[1], 11);              // frame 10 from the keyframe
    EXPECT_GT(decodedAgain[0], decodedAgain[1]); // and frame 18 too
}
