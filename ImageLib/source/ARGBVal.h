// The two packed 4-byte pixels, ARGBVal (the pixel of frames and bitmaps) and
// RGBGrVal (colour with a stored grey byte), and the channel arithmetic helpers.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>

template <class T> class Pixel;
template <class T> class GreyPixel;
template <class T> class RGBPixel;
template <class T> class HSVPixel;

// Conversions of computed values into channels. Every conversion truncates
// toward zero; bytes then either keep the low byte or clamp, as each operation
// says. Non-finite and out-of-range inputs never reach an undefined conversion.
namespace SIPixelMath {

// Truncated toward zero, then reduced modulo 256 (-3.7 gives 253, 400 gives 144).
inline unsigned char wrapbyte(double v) {
    if (!(v == v)) return 0;
    if (!(std::fabs(v) < 9.0e18)) {
        v = std::fmod(v, 256.0);
        if (!(v == v)) return 0;
    }
    return static_cast<unsigned char>(static_cast<long long>(v));
}

// Truncated toward zero, then clamped to 0..255.
inline unsigned char clampbyte(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 255.0) return 255;
    return static_cast<unsigned char>(v);
}

// Truncated toward zero and saturated to the int range.
inline int truncint(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

// A computed value stored into a channel of type T: bytes wrap, ints truncate,
// floating channels take the value as it is.
template <class T> inline T tochan(double v) {
    if constexpr (std::is_same_v<T, unsigned char>) {
        return wrapbyte(v);
    } else if constexpr (std::is_integral_v<T>) {
        return static_cast<T>(truncint(v));
    } else {
        return static_cast<T>(v);
    }
}

// The grey of an 8-bit RGB triple: (30 R + 59 G + 11 B) / 100, truncating.
constexpr int intgrey(int r, int g, int b) {
    return (30 * r + 59 * g + 11 * b) / 100;
}

} // namespace SIPixelMath

// A 32-bit pixel, bytes in memory order alpha, red, green, blue: the layout of
// ARGB frame buffers, so a row of them can be read in place.
struct ARGBVal {
    unsigned char alpha = 0;
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;

    constexpr ARGBVal() = default;
    constexpr ARGBVal(unsigned char a, unsigned char r, unsigned char g, unsigned char b)
        : alpha(a), red(r), green(g), blue(b) {}
    // Opaque grey from the low byte of v.
    constexpr explicit ARGBVal(const int& v)
        : alpha(255), red(static_cast<unsigned char>(v)), green(static_cast<unsigned char>(v)),
          blue(static_cast<unsigned char>(v)) {}
    template <class T> explicit ARGBVal(const GreyPixel<T>& p);
    template <class T> explicit ARGBVal(const RGBPixel<T>& p);

    // Colour bytes from p, truncated and wrapped; alpha unchanged.
    template <class T> ARGBVal& operator<<(const RGBPixel<T>& p);
    // Colour bytes plus p's channels, truncated and clamped; alpha unchanged.
    ARGBVal& operator+=(const Pixel<float>& p);

    // Weighted mean: this pixel has weight k against weight 1 for o; alpha unchanged.
    ARGBVal& mixInProportion(const ARGBVal& o, float k) {
        red = SIPixelMath::wrapbyte((red * k + o.red) / (k + 1.0f));
        green = SIPixelMath::wrapbyte((green * k + o.green) / (k + 1.0f));
        blue = SIPixelMath::wrapbyte((blue * k + o.blue) / (k + 1.0f));
        return *this;
    }
    // Lays s over this pixel by s's alpha; a transparent s changes nothing.
    ARGBVal& mixByAlphaSrc(const ARGBVal& s) {
        if (s.alpha == 0) return *this;
        const int d = s.alpha + 255;
        red = static_cast<unsigned char>((s.red * s.alpha + red * 256) / d);
        green = static_cast<unsigned char>((s.green * s.alpha + green * 256) / d);
        blue = static_cast<unsigned char>((s.blue * s.alpha + blue * 256) / d);
        return *this;
    }

    // The integer grey of the colour bytes.
    constexpr int intgrey() const { return SIPixelMath::intgrey(red, green, blue); }

    friend constexpr bool operator==(const ARGBVal&, const ARGBVal&) = default;
};

// A colour pixel that carries its own grey: bytes red, green, blue, grey.
struct RGBGrVal {
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    unsigned char grey = 0;

    constexpr RGBGrVal() = default;
    constexpr RGBGrVal(unsigned char r, unsigned char g, unsigned char b, unsigned char gr)
        : red(r), green(g), blue(b), grey(gr) {}
    // All four bytes from the low byte of v.
    constexpr explicit RGBGrVal(const int& v)
        : red(static_cast<unsigned char>(v)), green(static_cast<unsigned char>(v)),
          blue(static_cast<unsigned char>(v)), grey(static_cast<unsigned char>(v)) {}
    template <class T> explicit RGBGrVal(const RGBPixel<T>& p);

    template <class T> RGBGrVal& operator<<(const RGBPixel<T>& p);
    RGBGrVal& operator<<(const ARGBVal& a) {
        red = a.red;
        green = a.green;
        blue = a.blue;
        recomputegrey();
        return *this;
    }
    template <class T> RGBGrVal& operator+=(const RGBPixel<T>& p);
    template <class T> RGBGrVal& operator+=(const GreyPixel<T>& p);

    void recomputegrey() {
        grey = static_cast<unsigned char>(SIPixelMath::intgrey(red, green, blue));
    }

    friend constexpr bool operator==(const RGBGrVal&, const RGBGrVal&) = default;
};

static_assert(sizeof(ARGBVal) == 4 && alignof(ARGBVal) == 1);
static_assert(offsetof(ARGBVal, alpha) == 0 && offsetof(ARGBVal, red) == 1 &&
              offsetof(ARGBVal, green) == 2 && offsetof(ARGBVal, blue) == 3);
static_assert(sizeof(RGBGrVal) == 4);
static_assert(offsetof(RGBGrVal, red) == 0 && offsetof(RGBGrVal, green) == 1 &&
              offsetof(RGBGrVal, blue) == 2 && offsetof(RGBGrVal, grey) == 3);
static_assert(std::is_trivially_copyable_v<ARGBVal> && std::is_standard_layout_v<ARGBVal>);
static_assert(std::is_trivially_copyable_v<RGBGrVal>);

// Half the difference b - a as a byte when |a - b| is below limit, else 0.
inline unsigned char decrease(unsigned char a, unsigned char b, int limit) {
    const int d = b - a;
    const int e = a - b;
    if ((d > e ? d : e) < limit) return static_cast<unsigned char>(d / 2);
    return 0;
}
