// The controller's size arithmetic: the main window's frame fitted to a movie
// on a screen, in 32-bit float as the window frame is.
#pragma once

namespace SizeArithmetic {

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
