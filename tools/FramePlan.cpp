#include "FramePlan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace moviesnap {

int frameAtTime(const MovieFrames& movie, double seconds) {
    char given[64];
    std::snprintf(given, sizeof given, "%g", seconds);
    if (movie.starts.empty() || movie.timeScale <= 0)
        throw UsageError(std::string("--time '") + given + "': the movie has no frames");
    double units = seconds * double(movie.timeScale);
    // A time typed in decimals lands a hair off the unit it names (0.04 s at
    // 12800 units a second is 512 units, not 511.99999...): such hairs count
    // as the unit itself.
    const double nearest = std::nearbyint(units);
    if (std::fabs(units - nearest) < 1e-6) units = nearest;
    if (units > double(std::max(movie.duration, movie.starts.back()))) {
        char end[64];
        std::snprintf(end, sizeof end, "%g",
                      double(std::max(movie.duration, movie.starts.back())) /
                          double(movie.timeScale));
        throw UsageError(std::string("--time '") + given + "': after the end of the movie (" + end +
                         " seconds)");
    }
    const int64_t t = int64_t(std::floor(units));
    // The last start at or before t; the first frame covers everything before it.
    const auto after = std::upper_bound(movie.starts.begin(), movie.starts.end(), t);
    if (after == movie.starts.begin()) return 0;
    return int(after - movie.starts.begin()) - 1;
}

std::vector<int> planFrames(const Options& options, const MovieFrames& movie) {
    const int count = int(movie.starts.size());
    std::vector<int> frames = options.frames;
    if (options.time) frames = {frameAtTime(movie, *options.time)};
    for (int f : frames)
        if (f >= count)
            throw UsageError("--frame '" + std::to_string(f) + "': the movie has " +
                             std::to_string(count) + " frames (0 to " + std::to_string(count - 1) +
                             ")");
    if (options.every > 0 && !frames.empty()) {
        const int first = frames.front();
        frames.clear();
        for (long f = first; f < count; f += options.every) frames.push_back(int(f));
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

} // namespace moviesnap
