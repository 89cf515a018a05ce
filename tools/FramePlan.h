// Which frames a moviesnap run writes: the frame numbers asked for, the frame
// shown at a time, or every K-th frame to the end, checked against the movie
// and put in ascending order so that the movie is read forward once.
#pragma once

#include "Options.h"

#include <cstdint>
#include <vector>

namespace moviesnap {

// The movie as the plan sees it: every visual sample's start, in presentation
// order, in units of `timeScale` per second, and the movie's duration.
struct MovieFrames {
    std::vector<int64_t> starts;
    int64_t timeScale = 0;
    int64_t duration = 0;
};

// The frame shown at `seconds`: the last sample starting at or before it.
// Throws UsageError (naming --time) past the end of the movie.
int frameAtTime(const MovieFrames& movie, double seconds);

// The frames to write, ascending and each once. Throws UsageError (naming
// --frame or --time) for a frame the movie does not have.
std::vector<int> planFrames(const Options& options, const MovieFrames& movie);

} // namespace moviesnap
