// The controller's size arithmetic.
#include "SizeArithmetic.h"

namespace SizeArithmetic {

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
