// The continuous view's reads: the four interpolation methods, written step by
// step in the arithmetic each one is defined by, and the spline kernel.
#include "ContImageRef.h"

#include "TriangleGeometry.h"

#include <algorithm>
#include <cmath>
#include <type_traits>

float cubic_bspline(double t) {
    // u cubed when u > 0, else 0; a u that is not a number gives 0 as well.
    const auto cube = [](double u) -> float { return u > 0.0 ? float(std::pow(u, 3.0)) : 0.0f; };
    const float t1 = cube(t + 2.0);
    const float t2 = -4.0f * cube(t + 1.0);
    const float t3 = 6.0f * cube(t);
    const float t4 = -4.0f * cube(t - 1.0);
    return (((t1 + t2) + t3) + t4) * 0.16666667f;
}

namespace {

// A pixel's colour as the float triple the ring, centre and triangle arithmetic
// works in: ARGBVal bytes as floats, grey pixels through ARGBVal first.
template <class P> RGBPixel<float> asrgbf(const P& p) {
    if constexpr (std::is_same_v<P, ARGBVal>) {
        return RGBPixel<float>(p);
    } else if constexpr (std::is_base_of_v<GreyPixelType, P>) {
        return RGBPixel<float>(ARGBVal(p));
    } else {
        return p;
    }
}

// A float triple as a result pixel: ARGBVal opaque with truncated channels.
template <class P> P fromrgbf(const RGBPixel<float>& v) {
    if constexpr (std::is_same_v<P, ARGBVal>) {
        return ARGBVal(v);
    } else if constexpr (std::is_base_of_v<GreyPixelType, P>) {
        P p;
        p << v;
        return p;
    } else {
        return v;
    }
}

// y + (x - y) * ratio: the difference in float, times the double ratio in double
// and rounded to float, plus y in float.
RGBPixel<float> towards(const RGBPixel<float>& x, const RGBPixel<float>& y, double ratio) {
    RGBPixel<float> d = x;
    d -= y;
    d *= ratio;
    d += y;
    return d;
}

} // namespace

template <class P> P ContImageRef<P>::pixdd(double x, double y) const {
    int ix, iy;
    if (!SIPixelMath::truncpos(x, ix) || !SIPixelMath::truncpos(y, iy) ||
        !this->withinbounds(ix, iy)) {
        return this->blackpixel;
    }
    return interpPix(x, y);
}

template <class P> P ContImageRef<P>::interpPix(double x, double y) const {
    // The plain view read: the stored pixel through the view's own bounds test.
    const auto viewpix = [this](int px, int py) { return PixRectRef<P>::pix(px, py); };

    // 1. The cell; one that leaves the bounds gives the stored pixel.
    const double flx = std::floor(x), fly = std::floor(y);
    // Floor and ceiling are whole numbers: truncating them gives them as they are.
    int x0, y0, x1, y1;
    if (!SIPixelMath::truncpos(flx, x0) || !SIPixelMath::truncpos(fly, y0) ||
        !SIPixelMath::truncpos(std::ceil(x), x1) || !SIPixelMath::truncpos(std::ceil(y), y1) ||
        x0 < this->lx_ || x0 > this->hx_ || x1 < this->lx_ || x1 > this->hx_ || y0 < this->ly_ ||
        y0 > this->hy_ || y1 < this->ly_ || y1 > this->hy_) {
        int tx, ty;
        if (!SIPixelMath::truncpos(x, tx) || !SIPixelMath::truncpos(y, ty)) return this->blackpixel;
        return viewpix(tx, ty);
    }

    // 2. Corners through the source's read less the offset (PixRectRef::pixNB:
    // unchecked while the view lies inside its source, checked otherwise).
    const auto corner = [this](int px, int py) { return PixRectRef<P>::pixNB(px, py); };
    const P p00 = corner(x0, y0), p10 = corner(x1, y0), p01 = corner(x0, y1), p11 = corner(x1, y1);

    // 3. Fractions.
    const double fx = x - flx, fy = y - fly;
    const double gx = 1.0 - fx, gy = 1.0 - fy;

    const auto bilinear = [&]() -> P {
        const double w00 = gx * gy, w10 = fx * gy, w01 = fy * gx, w11 = fx * fy;
        if constexpr (std::is_same_v<P, ARGBVal>) {
            const auto chan = [&](unsigned char ARGBVal::*c) {
                return static_cast<unsigned char>(
                    SIPixelMath::wrapbyte(p00.*c * w00) + SIPixelMath::wrapbyte(p10.*c * w10) +
                    SIPixelMath::wrapbyte(p01.*c * w01) + SIPixelMath::wrapbyte(p11.*c * w11));
            };
            ARGBVal r;
            r.alpha =
                static_cast<unsigned char>(255 + p00.alpha + p10.alpha + p01.alpha + p11.alpha);
            r.red = chan(&ARGBVal::red);
            r.green = chan(&ARGBVal::green);
            r.blue = chan(&ARGBVal::blue);
            return r;
        } else {
            P acc{};
            const P* ps[4] = {&p00, &p10, &p01, &p11};
            const double ws[4] = {w00, w10, w01, w11};
            for (int i = 0; i < 4; ++i) {
                P t = *ps[i];
                t *= ws[i];
                acc += t;
            }
            return acc;
        }
    };

    switch (interpcode) {
    case SIBilinear:
        return bilinear();

    case SISmoothBilinear: {
        P b = bilinear();
        if constexpr (std::is_same_v<P, ARGBVal>) {
            b.red = SIPixelMath::wrapbyte(b.red * 0.75);
            b.green = SIPixelMath::wrapbyte(b.green * 0.75);
            b.blue = SIPixelMath::wrapbyte(b.blue * 0.75);
        } else {
            b *= 0.75;
        }
        const double ax0 = (gx + 0.5) * 0.5, ax1 = (fx + 0.5) * 0.5;
        const double ay0 = (gy + 0.5) * 0.5, ay1 = (fy + 0.5) * 0.5;
        const auto group = [&](int ax, int ay, int bx, int by, double w) {
            RGBPixel<float> g = asrgbf(viewpix(ax, ay));
            g += asrgbf(viewpix(bx, by));
            g *= w;
            return g;
        };
        // Added in the order G00, G01, G10, G11.
        b += group(x0, y0 - 1, x0 - 1, y0, 0.125 * ax0 * ay0);
        b += group(x0, y1 + 1, x0 - 1, y1, 0.125 * ax0 * ay1);
        b += group(x1 + 1, y0, x1, y0 - 1, 0.125 * ax1 * ay0);
        b += group(x1, y1 + 1, x1 + 1, y1, 0.125 * ax1 * ay1);
        return b;
    }

    case SITriangular: {
        using TriangleGeometry::Value;
        const TriangleGeometry::Point t = TriangleGeometry::at(fx, fy);
        const P* corners[4] = {&p00, &p10, &p01, &p11};
        // 1. Exactly on a corner: that corner as it is.
        if (t.value == Value::corner) return *corners[t.a];
        // 2. The centre value.
        RGBPixel<float> m = asrgbf(p00);
        m += asrgbf(p01);
        m += asrgbf(p10);
        m += asrgbf(p11);
        m *= 0.25;
        if (t.value == Value::centre) return fromrgbf<P>(m);
        // 3. to 7.: B, P, R or the mix of P and R.
        const RGBPixel<float> bv = asrgbf(*corners[t.b]);
        if (t.value == Value::b) return fromrgbf<P>(bv);
        const RGBPixel<float> pv = towards(bv, m, t.along);
        if (t.value == Value::p) return fromrgbf<P>(pv);
        const RGBPixel<float> rv = towards(bv, asrgbf(*corners[t.a]), t.along);
        if (t.value == Value::r) return fromrgbf<P>(rv);
        return fromrgbf<P>(towards(rv, pv, t.across));
    }

    case SICubicBSpline: {
        std::conditional_t<std::is_same_v<P, ARGBVal>, RGBPixel<float>, P> acc{};
        for (int j = -1; j <= 2; ++j) {
            const float wy = cubic_bspline(double(float(j)) - fy);
            const int row = int(double(j) + fly);
            for (int i = -1; i <= 2; ++i) {
                const float wx = cubic_bspline(-(i - fx));
                const P p = viewpix(int(double(i) + flx), row);
                if constexpr (std::is_same_v<P, ARGBVal>) {
                    RGBPixel<float> t(p);
                    t *= double(wx * wy);
                    acc += t;
                } else {
                    P t = p;
                    t *= double(wx * wy);
                    acc += t;
                }
            }
        }
        if constexpr (std::is_same_v<P, ARGBVal>) {
            return ARGBVal(acc);
        } else {
            return acc;
        }
    }

    default:
        if constexpr (std::is_same_v<P, ARGBVal>) {
            return ARGBVal(255, 0, 0, 0);
        } else {
            return P{};
        }
    }
}

template <class P> int ContImageRef<P>::printInfo() const {
    siprintf("ContImageRef :");
    return PixRectRef<P>::printInfo();
}

template class ContImageRef<ARGBVal>;
template class ContImageRef<GreyPixel<float>>;
template class ContImageRef<GreyPixel<unsigned char>>;
template class ContImageRef<RGBPixel<float>>;
