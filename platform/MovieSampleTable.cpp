#include "MovieSampleTable.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

bool MovieSampleTable::build(std::vector<MoviePacketTimes> packets, int64_t tbNum, int64_t tbDen,
                             int64_t lastDuration, double fallbackSeconds) {
    samples.clear();
    totalDuration = 0;
    if (tbNum <= 0 || tbDen <= 0) tbNum = 1, tbDen = 90000;
    std::stable_sort(
        packets.begin(), packets.end(),
        [](const MoviePacketTimes& a, const MoviePacketTimes& b) { return a.pts < b.pts; });
    packets.erase(std::unique(packets.begin(), packets.end(),
                              [](const MoviePacketTimes& a, const MoviePacketTimes& b) {
                                  return a.pts == b.pts;
                              }),
                  packets.end());
    if (packets.empty()) return true;

    // Stream times may lie anywhere in 64 bits: differences are taken in long
    // double, where they cannot overflow.
    const long double first = (long double)packets.front().pts;
    const long double span = ((long double)packets.back().pts - first) * tbNum / tbDen;
    const long double mean = packets.size() > 1 ? span / (packets.size() - 1) : 0;
    long double lastSec = lastDuration > 0 ? (long double)lastDuration * tbNum / tbDen : mean;
    if (!(lastSec > 0)) lastSec = fallbackSeconds > 0 ? fallbackSeconds : 1.0 / 25;

    // Movie units: the stream's own ticks when they are whole fractions of a
    // second (num 1), else ticks of 1/den; coarser only when the movie would
    // not fit in 32-bit times. A movie longer than that in whole seconds is
    // refused rather than shortened; a last sample too long for it is cut.
    const long double limit = (long double)std::numeric_limits<int32_t>::max() / 2;
    if (!(span < limit)) return false;
    if (!(span + lastSec < limit)) lastSec = mean > 0 ? mean : 1.0 / 25;
    lastSec = std::min(lastSec, limit - span);
    long double units = (long double)tbDen;
    while (units > 1 && (span + lastSec) * units > limit) units = std::floor(units / 10);
    scale = TimeScale(std::min<long double>(units, std::numeric_limits<int32_t>::max()));

    auto toTime = [&](int64_t ticks) {
        long double v = ((long double)ticks - first) * tbNum * scale / tbDen;
        return TimeValue(std::llround(v));
    };
    samples.reserve(packets.size());
    for (const auto& p : packets) {
        TimeValue t = toTime(p.pts);
        // A coarser scale can merge neighbours; the first of them stays.
        if (!samples.empty() && t <= samples.back().time) continue;
        samples.push_back({p.pts, std::min(p.dts, p.pts), t, p.key});
    }
    TimeValue lastLen = std::max<TimeValue>(1, TimeValue(std::llround(lastSec * scale)));
    totalDuration = samples.back().time + lastLen;
    return true;
}

long MovieSampleTable::shownAt(TimeValue t) const {
    if (samples.empty()) return -1;
    long i = lastAtOrBefore(t);
    return i < 0 ? 0 : i;
}

long MovieSampleTable::firstAtOrAfter(TimeValue t) const {
    auto it = std::lower_bound(samples.begin(), samples.end(), t,
                               [](const MovieSample& s, TimeValue v) { return s.time < v; });
    return it == samples.end() ? -1 : long(it - samples.begin());
}

long MovieSampleTable::firstAfter(TimeValue t) const {
    auto it = std::upper_bound(samples.begin(), samples.end(), t,
                               [](TimeValue v, const MovieSample& s) { return v < s.time; });
    return it == samples.end() ? -1 : long(it - samples.begin());
}

long MovieSampleTable::lastBefore(TimeValue t) const {
    auto it = std::lower_bound(samples.begin(), samples.end(), t,
                               [](const MovieSample& s, TimeValue v) { return s.time < v; });
    return long(it - samples.begin()) - 1;
}

long MovieSampleTable::lastAtOrBefore(TimeValue t) const {
    auto it = std::upper_bound(samples.begin(), samples.end(), t,
                               [](TimeValue v, const MovieSample& s) { return v < s.time; });
    return long(it - samples.begin()) - 1;
}

TimeValue MovieSampleTable::sampleDuration(long index) const {
    if (index < 0 || size_t(index) >= samples.size()) return 0;
    if (size_t(index) + 1 < samples.size()) return samples[index + 1].time - samples[index].time;
    return totalDuration - samples[index].time;
}

long MovieSampleTable::findPts(int64_t pts) const {
    auto it = std::lower_bound(samples.begin(), samples.end(), pts,
                               [](const MovieSample& s, int64_t v) { return s.pts < v; });
    return (it != samples.end() && it->pts == pts) ? long(it - samples.begin()) : -1;
}

long MovieSampleTable::keyAtOrBefore(long index) const {
    for (long i = index; i >= 0; --i)
        if (samples[i].key) return i;
    return 0;
}
