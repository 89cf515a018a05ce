// Conversions between RGB and the 0..255 HSV scale, and the HSV instances.
#include "HSVPixel.h"

#include <cmath>

namespace {

// A channel value already on the 0..255 scale, truncated into the channel.
template <class T> T storehsv(float v) {
    if constexpr (std::is_same_v<T, unsigned char>) {
        return SIPixelMath::wrapbyte(v);
    } else {
        return static_cast<T>(v);
    }
}

// Integer and double inputs are divided in double and rounded to float; float
// inputs are divided in float.
template <class U> float normalised(U c) {
    if constexpr (std::is_same_v<U, float>) {
        return c / 255.0f;
    } else {
        return static_cast<float>(static_cast<double>(c) / 255.0);
    }
}

} // namespace

template <class T> template <class U> void HSVPixel<T>::makeFromRGB(U r, U g, U b) {
    const float R = normalised(r);
    const float G = normalised(g);
    const float B = normalised(b);
    const float mx = SICommon_H::max(R, G, B);
    const float mn = SICommon_H::min(R, G, B);
    if (mx == mn) {
        hue = T(0);
        sat = T(0);
        val = storehsv<T>(mx * 255.0f);
        return;
    }
    const float d = mx - mn;
    const float s = d / mx;
    // Ties follow the order of the tests: red before blue before green.
    float h;
    if (mx == R) {
        h = (G - B) / d;
    } else if (mx != G) {
        h = (R - G) / d + 4.0f;
    } else {
        h = (B - R) / d + 2.0f;
    }
    h = h * 60.0f;
    const float hu = (h < 0.0f) ? (h + 360.0f) * 255.0f / 360.0f : (h * 255.0f) / 360.0f;
    hue = storehsv<T>(hu);
    sat = storehsv<T>(s * 255.0f);
    val = storehsv<T>(mx * 255.0f);
}

template <class T>
void HSVPixel<T>::makeRGB(unsigned char* r, unsigned char* g, unsigned char* b) const {
    float H, S;
    if constexpr (std::is_same_v<T, unsigned char>) {
        H = static_cast<float>(hue / 255.0);
        S = static_cast<float>(sat / 255.0);
    } else {
        H = static_cast<float>(hue) / 255.0f;
        S = static_cast<float>(sat) / 255.0f;
    }
    const float V = static_cast<float>(val);
    if (S == 0.0f) {
        *r = *g = *b = SIPixelMath::wrapbyte(V);
        return;
    }
    const float h6 = (H == 1.0f) ? 0.0f : H * 6.0f;
    const float fl = std::floor(h6);
    // A hue far outside the scale (or not a number) has no sector.
    if (!(fl >= 0.0f && fl <= 5.0f)) return;
    const int i = static_cast<int>(fl);
    const float f = h6 - static_cast<float>(i);
    const float p = (1.0f - S) * V;
    const float q = (1.0f - S * f) * V;
    const float t = (1.0f - S * (1.0f - f)) * V;
    float cr, cg, cb;
    switch (i) {
    case 0:
        cr = V, cg = t, cb = p;
        break;
    case 1:
        cr = q, cg = V, cb = p;
        break;
    case 2:
        cr = p, cg = V, cb = t;
        break;
    case 3:
        cr = p, cg = q, cb = V;
        break;
    case 4:
        cr = t, cg = p, cb = V;
        break;
    default:
        cr = V, cg = p, cb = q;
        break;
    }
    *r = SIPixelMath::wrapbyte(cr);
    *g = SIPixelMath::wrapbyte(cg);
    *b = SIPixelMath::wrapbyte(cb);
}

template class HSVPixel<unsigned char>;
template class HSVPixel<float>;
template void HSVPixel<unsigned char>::makeFromRGB<unsigned char>(unsigned char, unsigned char,
                                                                  unsigned char);
template void HSVPixel<unsigned char>::makeFromRGB<int>(int, int, int);
template void HSVPixel<unsigned char>::makeFromRGB<float>(float, float, float);
template void HSVPixel<unsigned char>::makeFromRGB<double>(double, double, double);
template void HSVPixel<float>::makeFromRGB<unsigned char>(unsigned char, unsigned char,
                                                          unsigned char);
template void HSVPixel<float>::makeFromRGB<int>(int, int, int);
template void HSVPixel<float>::makeFromRGB<float>(float, float, float);
template void HSVPixel<float>::makeFromRGB<double>(double, double, double);
