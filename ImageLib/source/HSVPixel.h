// HSVPixel<T>: hue, saturation and value on the 0..255 scale of 8-bit channels,
// with the conversions from and to RGB.
#pragma once

#include "Pixel.h"

#include <concepts>

template <class T> class HSVPixel : public Pixel<T>, public HSVPixelType {
public:
    T hue;
    T sat;
    T val;

    constexpr HSVPixel() : hue(0), sat(0), val(0) {}
    constexpr explicit HSVPixel(T v) : hue(0), sat(0), val(v) {}
    constexpr HSVPixel(T h, T s, T v) : hue(h), sat(s), val(v) {}
    constexpr HSVPixel(const HSVPixel& o) : Pixel<T>(o), hue(o.hue), sat(o.sat), val(o.val) {}
    template <class U>
    requires(!std::same_as<U, T>) explicit HSVPixel(const HSVPixel<U>& o)
        : hue(static_cast<T>(o.hue)), sat(static_cast<T>(o.sat)), val(static_cast<T>(o.val)) {}
    explicit HSVPixel(const ARGBVal& a) : HSVPixel() { makeFromRGB(a.red, a.green, a.blue); }
    explicit HSVPixel(const RGBGrVal& g) : HSVPixel() { makeFromRGB(g.red, g.green, g.blue); }
    template <class U> explicit HSVPixel(const RGBPixel<U>& p) : HSVPixel() {
        makeFromRGB(p.getred(), p.getgreen(), p.getblue());
    }
    template <class U>
    explicit HSVPixel(const GreyPixel<U>& p)
        : hue(0), sat(0), val(SIPixelMath::tochan<T>(double(p.getgrey()))) {}
    HSVPixel& operator=(const HSVPixel& o) {
        hue = o.hue;
        sat = o.sat;
        val = o.val;
        return *this;
    }

    int printInfo() const override {
        return siprintf("HSVPixel %lf %lf %lf\n", double(hue), double(sat), double(val));
    }
    HSVPixel& operator<<(const Pixel<T>& p) override {
        set(p);
        return *this;
    }
    HSVPixel& operator=(const Pixel<T>& p) override {
        set(p);
        return *this;
    }
    int set(T v) override {
        hue = sat = T(0);
        val = v;
        return 0;
    }
    int set(T a, T b, T c) override {
        hue = a;
        sat = b;
        val = c;
        return 0;
    }
    int set(const Pixel<T>& p) override {
        hue = p.gethue();
        sat = p.getsat();
        val = p.getval();
        return 0;
    }
    // HSV pixels do not convert on reading: colour channels read 0, grey reads val.
    T getred() const override { return T(0); }
    T getgreen() const override { return T(0); }
    T getblue() const override { return T(0); }
    T getgrey() const override { return val; }
    T gethue() const override { return hue; }
    T getsat() const override { return sat; }
    T getval() const override { return val; }
    int setred(T) override { return 3; }
    int setgreen(T) override { return 3; }
    int setblue(T) override { return 3; }
    int sethue(T v) override {
        hue = v;
        return 3;
    }
    int setsat(T v) override {
        sat = v;
        return 3;
    }
    int setval(T v) override {
        val = v;
        return 0;
    }
    int setgrey(T v) override { return set(v); }
    HSVPixel& operator=(T v) override {
        set(v);
        return *this;
    }
    HSVPixel& operator<<(T v) override {
        set(v);
        return *this;
    }

    HSVPixel& operator<<(const ARGBVal& a) {
        makeFromRGB(a.red, a.green, a.blue);
        return *this;
    }
    HSVPixel& operator<<(const RGBGrVal& g) {
        makeFromRGB(g.red, g.green, g.blue);
        return *this;
    }
    // Value-only arithmetic.
    HSVPixel& operator*=(float f) {
        val = SIPixelMath::tochan<T>(float(val) * f);
        return *this;
    }
    HSVPixel& operator+=(float f) {
        val = SIPixelMath::tochan<T>(float(val) + f);
        return *this;
    }
    HSVPixel& operator+=(const HSVPixel& o) {
        hue = SIPixelMath::tochan<T>(double(hue) + double(o.hue));
        sat = SIPixelMath::tochan<T>(double(sat) + double(o.sat));
        val = SIPixelMath::tochan<T>(double(val) + double(o.val));
        return *this;
    }

    // r, g, b on the 0..255 scale into hue, sat, val on the same scale.
    template <class U> void makeFromRGB(U r, U g, U b);
    // The colour of this pixel; a hue outside 0..255 writes nothing.
    void makeRGB(unsigned char* r, unsigned char* g, unsigned char* b) const;
};

extern template class HSVPixel<unsigned char>;
extern template class HSVPixel<float>;
extern template void
HSVPixel<unsigned char>::makeFromRGB<unsigned char>(unsigned char, unsigned char, unsigned char);
extern template void HSVPixel<unsigned char>::makeFromRGB<int>(int, int, int);
extern template void HSVPixel<unsigned char>::makeFromRGB<float>(float, float, float);
extern template void HSVPixel<unsigned char>::makeFromRGB<double>(double, double, double);
extern template void HSVPixel<float>::makeFromRGB<unsigned char>(unsigned char, unsigned char,
                                                                 unsigned char);
extern template void HSVPixel<float>::makeFromRGB<int>(int, int, int);
extern template void HSVPixel<float>::makeFromRGB<float>(float, float, float);
extern template void HSVPixel<float>::makeFromRGB<double>(double, double, double);
