// The controller's size arithmetic.
#include "SizeArithmetic.h"

namespace SizeArithmetic {

float scaleForPosition(float v) {
    const float d = v - 9.0f;
    // A NaN position takes the enlarging branch, so it never yields a divisor
    // of 1 - NaN that would look like a reduction.
    if (d > -1.0f || d != d) return 1.0f / (d + 1.0f);
    return 1.0f - d;
}

int32_t resultExtent(int32_t source, float scale) {
    const float q = float(source) / scale;
    // Truncation toward zero; quotients beyond the int range (a scale of 0 or
    // NaN from a broken control) give 0 rather than undefined behaviour.
    if (!(q > -2147483648.0f && q < 2147483647.0f)) return 0;
    return int32_t(q);
}

FloatRect fitWindowToMovie(float mw, float mh, float minW, float minH, const FloatRect& visible) {
    float w = mw + kWindowMarginX;
    float h = mh + kWindowMarginY;
    if (minW > w) {
        h = (minW - kWindowMarginX) * (mh / mw) + kWindowMarginY;
        w = minW;
    }
    if (minH > h) {
        w = (minH - kWindowMarginY) * (mw / mh) + kWindowMarginX;
        h = minH;
    }
    if (w > visible.width || h > visible.height) {
        const float aw = visible.width - kWindowMarginX;
        const float ah = visible.height - kWindowMarginY;
        const float a = mw / mh;
        if (aw / ah > a) {
            w = ah * a + kWindowMarginX;
            h = visible.height;
        } else {
            h = aw / a + kWindowMarginY;
            w = visible.width;
        }
    }
    return {visible.x, visible.y, w, h};
}

} // namespace SizeArithmetic
