// The controller's size arithmetic: scale-slider positions to scale divisors,
// result sizes, and the main window's frame fitted to a movie on a screen.
// Everything is 32-bit float, as the controls and the window frame are.
#pragma once

#include <cstdint>

namespace SizeArithmetic {

// Scale divisor (source pixels per result pixel) for a slider position v.
// Position 9 is the source size; each step right enlarges by one more whole
// factor, each step left divides by one more.
float scaleForPosition(float v);

// A result extent: the source extent divided by the scale, truncated toward zero.
int32_t resultExtent(int32_t source, float scale);

struct FloatRect {
    float x = 0, y = 0, width = 0, height = 0;
};

// The main window frame for a movie of mw x mh: the movie plus the fixed
// margins of the controls, raised to the window's minimum size keeping the
// movie's aspect, then shrunk into the screen's visible area keeping it too.
// The frame sits at the visible area's origin corner.
FloatRect fitWindowToMovie(float mw, float mh, float minW, float minH, const FloatRect& visible);

// Room the window needs around the movie: 19 units across, 139 down.
inline constexpr float kWindowMarginX = 19.0f;
inline constexpr float kWindowMarginY = 139.0f;

} // namespace SizeArithmetic
