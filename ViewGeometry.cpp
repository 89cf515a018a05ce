// Geometry of the movie view.
#include "ViewGeometry.h"

#include <algorithm>
#include <cmath>

namespace ViewGeometry {

FloatRect fitImage(float iw, float ih, const FloatRect& b) {
    const float viewAspect = b.width / b.height;
    const float imageAspect = iw / ih;
    FloatRect r;
    if (viewAspect > imageAspect) {
        r.width = imageAspect * b.height;
        r.height = b.height;
        r.x = b.x + (viewAspect * b.height - imageAspect * b.height) * 0.5f;
        r.y = b.y;
    } else {
        r.width = b.width;
        r.height = b.width / imageAspect;
        r.x = b.x;
        r.y = b.y + (b.width / viewAspect - r.height) * 0.5f;
    }
    return r;
}

FloatRect placeImage(float iw, float ih, const FloatRect& b) {
    if (iw <= b.width && ih <= b.height)
        return {b.x + std::floor((b.width - iw) * 0.5f), b.y + std::floor((b.height - ih) * 0.5f),
                iw, ih};
    return fitImage(iw, ih, b);
}

FloatRect outlineForCrop(const FloatRect& crop, const FloatRect& drawn, float movieW,
                         float movieH) {
    const float sx = movieW / drawn.width;
    const float sy = movieH / drawn.height;
    return {crop.x / sx + drawn.x, crop.y / sy + drawn.y, crop.width / sx, crop.height / sy};
}

FloatRect cropFromDrag(float ax, float ay, float dx, float dy, const FloatRect& drawn, float movieW,
                       float movieH) {
    const float sx = movieW / drawn.width;
    const float sy = movieH / drawn.height;
    return {(ax - drawn.x) * sx, (ay - drawn.y) * sy, dx * sx, dy * sy};
}

FloatRect normaliseCrop(FloatRect c) {
    if (c.width < 0) {
        c.width = -c.width;
        c.x -= c.width;
    }
    if (c.height < 0) {
        c.height = -c.height;
        c.y -= c.height;
    }
    return c;
}

FloatRect limitCropToFrame(const FloatRect& c, float movieW, float movieH) {
    const float x0 = std::max(c.x, 0.0f);
    const float y0 = std::max(c.y, 0.0f);
    const float x1 = std::min(c.x + c.width, movieW);
    const float y1 = std::min(c.y + c.height, movieH);
    // Fewer than one whole pixel across or down: the export would see an empty
    // or one-pixel region and the size fields would read 0, so the selection
    // falls back to the whole frame, as a click does in an image editor.
    if (!(x1 - x0 >= 1.0f) || !(y1 - y0 >= 1.0f)) return {0, 0, movieW, movieH};
    return {x0, y0, x1 - x0, y1 - y0};
}

} // namespace ViewGeometry
