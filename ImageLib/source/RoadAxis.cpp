// Per-axis geometry of the snapshot road, in the continuous view's and the
// resampler's own arithmetic (see ContImageRef.cpp and SamplePixRectNC.cpp).
#include "RoadAxis.h"

#include "ContImageRef.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// The spline's weights of taps -1 .. 2 for fraction f, as the view forms them
// per axis. Each takes four cubes by pow, and a reduction's samples have few
// fractions: a thread's last few are kept.
void splineWeights(double f, bool xaxis, float* w) {
    struct Held {
        double f = -1;
        bool xaxis = false;
        float w[4] = {0, 0, 0, 0};
    };
    thread_local Held held[4];
    thread_local int next = 0;
    for (const Held& h : held) {
        if (h.f == f && h.xaxis == xaxis) {
            std::copy(h.w, h.w + 4, w);
            return;
        }
    }
    for (int i = -1; i <= 2; ++i)
        w[i + 1] = xaxis ? cubic_bspline(-(i - f)) : cubic_bspline(double(float(i)) - f);
    Held& h = held[next];
    next = (next + 1) % 4;
    h.f = f;
    h.xaxis = xaxis;
    std::copy(w, w + 4, h.w);
}

} // namespace

AxisSample axisSample(double p, int lo, int hi, bool xaxis, siinterpcode code) {
    AxisSample a;
    a.inside = SIPixelMath::truncpos(p, a.truncated) && a.truncated >= lo && a.truncated <= hi;
    // Floor and ceiling are whole numbers: truncating them gives them as they are.
    const double fl = std::floor(p);
    a.cellInside = SIPixelMath::truncpos(fl, a.floorPos) &&
                   SIPixelMath::truncpos(std::ceil(p), a.ceilPos) && a.floorPos >= lo &&
                   a.floorPos <= hi && a.ceilPos >= lo && a.ceilPos <= hi;
    if (!a.cellInside) return a;
    a.f = p - fl;
    a.g = 1.0 - a.f;
    if (code == SISmoothBilinear) {
        const double s0 = (a.g + 0.5) * 0.5, s1 = (a.f + 0.5) * 0.5;
        // The group weight is 0.125 × ax × ay, multiplied in that order.
        a.sideLow = xaxis ? 0.125 * s0 : s0;
        a.sideHigh = xaxis ? 0.125 * s1 : s1;
        a.ringInside = std::int64_t(a.floorPos) - 1 >= lo && std::int64_t(a.ceilPos) + 1 <= hi;
    } else if (code == SICubicBSpline) {
        splineWeights(a.f, xaxis, a.spline);
        // A tap of weight 0 adds 0 to every channel: leaving it out changes nothing.
        while (a.firstTap < 4 && a.spline[a.firstTap] == 0.0f) ++a.firstTap;
        while (a.endTap > a.firstTap && a.spline[a.endTap - 1] == 0.0f) --a.endTap;
        a.ringInside = std::int64_t(a.floorPos) - 1 >= lo && std::int64_t(a.floorPos) + 2 <= hi;
    }
    return a;
}

std::vector<double> samplePositions(const RoadSource& c, int r, bool xaxis) {
    const auto& s = *c.sample;
    const int lo = xaxis ? s.lx() : s.ly();
    const int slo = xaxis ? c.lx : c.ly;
    const int shi = xaxis ? c.hx : c.hy;
    const float f = xaxis ? s.xsl() : s.ysl();
    std::vector<double> ps;
    if (c.identity) {
        ps.push_back(double(r));
    } else if (!c.reduce) {
        double p;
        if (!s.scaleinvariant()) {
            p = (double(r) - lo) * f + slo;
        } else {
            p = (double(r) - lo) * f + slo - 0.5 + double(f * 0.5f);
        }
        ps.push_back(std::min<double>(shi, std::max<double>(slo, p)));
    } else {
        const float p0 = float(slo + (double(r) - lo) * f);
        const float top = float(shi);
        const std::int64_t most = std::int64_t(shi) - slo + 2;
        for (std::int64_t j = 0; float(j) < f && j < most; ++j) {
            const float p = p0 + float(j);
            if (p > top) break;
            ps.push_back(double(p));
        }
    }
    return ps;
}

std::vector<double> distinctFractions(const std::vector<AxisSample>& samples) {
    std::vector<double> fs;
    for (const AxisSample& a : samples)
        if (a.cellInside) fs.push_back(a.f);
    std::sort(fs.begin(), fs.end());
    fs.erase(std::unique(fs.begin(), fs.end()), fs.end());
    return fs;
}

int fractionId(const std::vector<double>& fractions, double f) {
    return int(std::lower_bound(fractions.begin(), fractions.end(), f) - fractions.begin());
}
