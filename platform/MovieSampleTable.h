// The sample table of a movie's video track: the presentation time of every
// visual sample, sorted, with its keyframe flag, and the movie-time mapping.
#pragma once

#include "MacTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// One packet as the demuxer reports it, in the stream's own time base.
struct MoviePacketTimes {
    int64_t pts = 0; // presentation time (the decode time when the stream has none)
    int64_t dts = 0; // decode time; equal to pts when the stream has none
    bool key = false;
};

struct MovieSample {
    int64_t pts = 0;    // stream time base
    int64_t seekTs = 0; // where a seek to this sample starts: its decode time
    TimeValue time = 0; // movie time: pts shifted to start at 0, in movie time units
    bool key = false;
};

class MovieSampleTable {
public:
    // Sorts the packets by presentation time, drops duplicates and maps the
    // times to movie units: 1 / scale seconds, where scale is the stream's
    // time base made integral (and made coarser when the movie would not fit
    // 32-bit times). `lastDuration` is the last sample's length in stream units
    // (0 when unknown: the mean spacing is used, or `fallbackDuration`).
    // False, with an empty table, when the times span more than 32-bit movie
    // time holds even in whole seconds.
    [[nodiscard]] bool build(std::vector<MoviePacketTimes> packets, int64_t tbNum, int64_t tbDen,
                             int64_t lastDuration, double fallbackSeconds);

    size_t size() const { return samples.size(); }
    bool empty() const { return samples.empty(); }
    const MovieSample& operator[](size_t i) const { return samples[i]; }
    TimeScale timeScale() const { return scale; }
    TimeValue duration() const { return totalDuration; }

    // Index of the sample shown at movie time t: the last one starting at or
    // before t (the first sample for times before it); -1 for an empty table.
    long shownAt(TimeValue t) const;
    long firstAtOrAfter(TimeValue t) const; // -1 when none
    long firstAfter(TimeValue t) const;     // -1 when none
    long lastBefore(TimeValue t) const;     // -1 when none
    long lastAtOrBefore(TimeValue t) const; // -1 when none
    TimeValue sampleDuration(long index) const;
    long findPts(int64_t pts) const; // -1 when no sample has that presentation time
    // The last keyframe at or before sample `index` in presentation order; the
    // first sample when there is none.
    long keyAtOrBefore(long index) const;

private:
    std::vector<MovieSample> samples;
    TimeScale scale = 600;
    TimeValue totalDuration = 0;
};
