// The 5 x 5 kernel filter: an owned raster built as the convolution of another
// owned raster with a weight kernel, normalised by the kernel's sum.
#pragma once

#include "PixRectRW.h"

#include <array>
#include <cmath>
#include <type_traits>
#include <vector>

namespace SIKernel {

// Pixel types whose scaled value depends only on one byte and the weight, so
// that the scaling can be looked up rather than computed per tap.
template <class P>
inline constexpr bool bytepixel =
    std::is_same_v<P, ARGBVal> || std::is_same_v<P, RGBGrVal> ||
    std::is_same_v<P, GreyPixel<unsigned char>> || std::is_same_v<P, RGBPixel<unsigned char>>;

// One channel byte c scaled by w in the pixel type's own way: the packed pixels
// multiply in float (the weight's type), the pixel objects' operator*= in double;
// either way the product is truncated and keeps its low byte, so negative
// products wrap.
template <class P> unsigned char scalebyte(int c, float w) {
    if constexpr (std::is_same_v<P, ARGBVal> || std::is_same_v<P, RGBGrVal>) {
        return SIPixelMath::wrapbyte(static_cast<float>(c) * w);
    } else {
        return SIPixelMath::wrapbyte(double(c) * double(w));
    }
}

// A copy of p scaled by w, added channel by channel to the accumulator sums.
template <class P> void addscaled(const P& p, float w, double& r, double& g, double& b) {
    P c(p);
    if constexpr (std::is_base_of_v<HSVPixelType, P>) {
        c.P::operator*=(w);
    } else {
        c.P::operator*=(double(w));
    }
    r += double(c.getred());
    g += double(c.getgreen());
    b += double(c.getblue());
}

// The normalised accumulator stored into a result pixel.
template <class P> void store(P& d, const RGBPixel<double>& acc) {
    if constexpr (std::is_same_v<P, ARGBVal>) {
        d = ARGBVal(acc); // alpha 255, colour truncated to bytes
    } else if constexpr (std::is_same_v<P, RGBGrVal>) {
        d = RGBGrVal(acc);
    } else if constexpr (std::is_base_of_v<GreyPixelType, P>) {
        d << acc; // the accumulator's grey
    } else if constexpr (std::is_base_of_v<RGBPixelType, P>) {
        d = acc; // red, green and blue; grey recomputed
    } else {
        d = P(acc); // made from red, green and blue
    }
}

// The channel sums of a byte pixel.
template <class P> void bytes(const P& p, int& r, int& g, int& b) {
    if constexpr (std::is_same_v<P, GreyPixel<unsigned char>>) {
        r = g = b = p.grey;
    } else {
        r = p.red;
        g = p.green;
        b = p.blue;
    }
}

} // namespace SIKernel

template <class P> PixRectRW<P>::PixRectRW(PixRectRW<P>& src, float (*kernel)[5]) {
    using namespace SIKernel;
    this->dbg = src.dbg;
    this->setbounds(src);
    if (!kernel) return;
    float sum = 0.0f;
    for (int i = 0; i < 5; ++i) {
        for (int j = 0; j < 5; ++j) sum += kernel[i][j];
    }
    // A sum of 0 has no reciprocal (nor has one so small that its reciprocal
    // overflows, nor a sum that is not a number): such a kernel is refused and
    // the raster keeps src's bounds without storage, so every read is black.
    if (!std::isfinite(sum) || sum == 0.0f) return;
    const float recip = 1.0f / sum;
    if (!std::isfinite(recip)) return;

    PixRectRW::init();
    if (!rasters_ || !src.hasstorage()) return;

    const int x0 = this->lx_ + 3, x1 = this->hx_ - 3;
    const int y0 = this->ly_ + 3, y1 = this->hy_ - 3;
    if (x1 < x0 || y1 < y0) return; // narrower or lower than 7 pixels: no filtered pixel

    if constexpr (bytepixel<P>) {
        // Each tap's scaled byte looked up; the sums of bytes are exact integers,
        // the same in int as in the double accumulator.
        std::vector<std::array<unsigned char, 256>> lut(25);
        for (int k = 0; k < 25; ++k) {
            const float w = kernel[k / 5][k % 5];
            for (int c = 0; c < 256; ++c) lut[k][c] = scalebyte<P>(c, w);
        }
        for (int y = y0; y <= y1; ++y) {
            P* out = rasters_[y];
            for (int x = x0; x <= x1; ++x) {
                int R = 0, G = 0, B = 0;
                for (int dx = -2; dx <= 2; ++dx) {
                    for (int dy = -2; dy <= 2; ++dy) {
                        const auto& t = lut[(dx + 2) * 5 + dy + 2];
                        int r, g, b;
                        bytes(src.rowptr(y + dy)[x + dx], r, g, b);
                        R += t[r];
                        G += t[g];
                        B += t[b];
                    }
                }
                RGBPixel<double> acc;
                acc.set(double(R), double(G), double(B));
                acc *= double(recip);
                store(out[x], acc);
            }
        }
    } else {
        for (int y = y0; y <= y1; ++y) {
            P* out = rasters_[y];
            for (int x = x0; x <= x1; ++x) {
                double r = 0.0, g = 0.0, b = 0.0;
                for (int dx = -2; dx <= 2; ++dx) {
                    for (int dy = -2; dy <= 2; ++dy) {
                        addscaled(src.rowptr(y + dy)[x + dx], kernel[dx + 2][dy + 2], r, g, b);
                    }
                }
                RGBPixel<double> acc;
                acc.set(r, g, b);
                acc *= double(recip);
                store(out[x], acc);
            }
        }
    }
}
