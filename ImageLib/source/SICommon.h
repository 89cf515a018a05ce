// SICommon: the polymorphic root of library objects, with its debug state, the
// silent diagnostics sink, the result code of raster operations and the
// min/max helpers that return a reference to one of their arguments.
#pragma once

#include <cstdint>

// The debug class an object carries; nothing branches on it, it is copied and printed.
struct DBGState {
    int32_t dcl = 0;
    constexpr DBGState() = default;
    constexpr DBGState(const DBGState&) = default;
    constexpr DBGState& operator=(const DBGState&) = default;
};

// The diagnostics sink of the library, shaped like printf. It prints nothing and
// returns 0 unless the library is built with SIPRINTF_TO_STDERR.
int siprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A tool or test may capture what the sink is given (one formatted piece per
// call). None is installed normally, and then the sink stays silent.
using siprintsink = void (*)(const char* text);
// Installs s (null removes it) and returns the sink that was installed before.
siprintsink sisetprintsink(siprintsink s);

// Result of raster operations.
enum SIerrorcode : uint8_t {
    SIok = 0,
    SIfailed = 1, // a target lies outside the raster, or two sizes that must agree differ
    SInodata = 4, // no pixel storage, or a view without a source
};
static_assert(sizeof(SIerrorcode) == 1);

class SICommon {
public:
    // Constant constructors let the per-type black pixels be built before any
    // other static object can read them.
    constexpr SICommon() = default;
    constexpr explicit SICommon(const DBGState& s) : dbg(s) {}
    constexpr SICommon(const SICommon&) = default;
    SICommon& operator=(const SICommon&) = default;
    virtual ~SICommon() = default;

    virtual int printInfo() const = 0;

    // Labels of the debug classes, indexed by dcl.
    static const char* const DBGclasslabel[17];

    DBGState dbg;
};

// Min and max that return a reference to one of their arguments; ties go to the
// earlier argument.
namespace SICommon_H {

template <class T> inline const T& max(const T& a, const T& b) {
    return (a < b) ? b : a;
}
template <class T> inline const T& min(const T& a, const T& b) {
    return (a > b) ? b : a;
}

template <class T> inline const T& max(const T& a, const T& b, const T& c) {
    if (a >= b) return (a >= c) ? a : c;
    return (b >= c) ? b : c;
}
template <class T> inline const T& min(const T& a, const T& b, const T& c) {
    if (a <= b) return (a <= c) ? a : c;
    return (b <= c) ? b : c;
}

// The float versions use strict tests only, so that NaN arguments resolve the
// same way everywhere.
template <> inline const float& max<float>(const float& a, const float& b, const float& c) {
    if (!(b > a)) return (c > a) ? c : a;
    return (c > b) ? c : b;
}
template <> inline const float& min<float>(const float& a, const float& b, const float& c) {
    if (!(a > b)) return (a > c) ? c : a;
    return (b > c) ? c : b;
}

} // namespace SICommon_H
