// The polymorphic pixel family: Pixel<T> with its grey and RGB members, the
// family tag types, and the conversions of the packed pixels from them.
#pragma once

#include "ARGBVal.h"
#include "SICommon.h"

// Every pixel can answer every channel, so generic code converts between any two.
template <class T> class Pixel : public SICommon {
public:
    using channel_type = T;

    constexpr Pixel() = default;
    constexpr Pixel(const Pixel&) = default;
    ~Pixel() override = default;

    int printInfo() const override = 0;
    virtual Pixel& operator<<(const Pixel<T>& p) {
        set(p);
        return *this;
    }
    virtual Pixel& operator=(const Pixel<T>& p) {
        set(p);
        return *this;
    }
    virtual int set(T v) = 0;
    virtual int set(T a, T b, T c) = 0;
    virtual int set(const Pixel<T>& p) = 0;
    virtual T getred() const = 0;
    virtual T getgreen() const = 0;
    virtual T getblue() const = 0;
    virtual T getgrey() const = 0;
    virtual T gethue() const = 0;
    virtual T getsat() const = 0;
    virtual T getval() const = 0;
    virtual int setred(T v) = 0;
    virtual int setgreen(T v) = 0;
    virtual int setblue(T v) = 0;
    virtual int sethue(T v) = 0;
    virtual int setsat(T v) = 0;
    virtual int setval(T v) = 0;
    virtual int setgrey(T v) = 0;
    virtual Pixel& operator=(T v) {
        set(v);
        return *this;
    }
    virtual Pixel& operator<<(T v) {
        set(v);
        return *this;
    }
};

// Tags telling the pixel family by type.
class GreyPixelType {};
class RGBPixelType {};
class HSVPixelType {};

template <class T> class GreyPixel : public Pixel<T>, public GreyPixelType {
public:
    T grey;

    constexpr GreyPixel() : grey(0) {}
    constexpr explicit GreyPixel(T v) : grey(v) {}
    constexpr GreyPixel(const GreyPixel& o) : Pixel<T>(o), grey(o.grey) {}
    GreyPixel& operator=(const GreyPixel& o) {
        grey = o.grey;
        return *this;
    }

    int printInfo() const override { return siprintf("GreyPixel< %lf >\n", double(grey)); }
    GreyPixel& operator<<(const Pixel<T>& p) override {
        set(p);
        return *this;
    }
    GreyPixel& operator=(const Pixel<T>& p) override {
        set(p);
        return *this;
    }
    int set(T v) override { return setgrey(v); }
    // The mean of the three, in int for integer channels.
    int set(T a, T b, T c) override {
        if constexpr (std::is_integral_v<T>) {
            grey = static_cast<T>((static_cast<long long>(a) + b + c) / 3);
        } else {
            grey = (a + b + c) / T(3);
        }
        return 0;
    }
    int set(const Pixel<T>& p) override { return setgrey(p.getgrey()); }
    T getred() const override { return grey; }
    T getgreen() const override { return grey; }
    T getblue() const override { return grey; }
    T getgrey() const override { return grey; }
    T gethue() const override { return T(0); }
    T getsat() const override { return T(0); }
    T getval() const override { return grey; }
    int setred(T v) override { return setgrey(v); }
    int setgreen(T v) override { return setgrey(v); }
    int setblue(T v) override { return setgrey(v); }
    int sethue(T) override { return 3; }
    int setsat(T) override { return 3; }
    int setval(T v) override { return setgrey(v); }
    int setgrey(T v) override {
        grey = v;
        return 0;
    }
    GreyPixel& operator=(T v) override {
        set(v);
        return *this;
    }
    GreyPixel& operator<<(T v) override {
        set(v);
        return *this;
    }

    virtual GreyPixel& operator+=(const ARGBVal& a) {
        grey = SIPixelMath::tochan<T>(double(grey) + a.intgrey());
        return *this;
    }
    virtual GreyPixel& operator-=(const ARGBVal& a) {
        grey = SIPixelMath::tochan<T>(double(grey) - a.intgrey());
        return *this;
    }
    virtual GreyPixel& operator<<(const ARGBVal& a) {
        grey = static_cast<T>(a.intgrey());
        return *this;
    }
    virtual GreyPixel& operator+=(const RGBGrVal& g) {
        grey = SIPixelMath::tochan<T>(double(grey) + g.grey);
        return *this;
    }
    virtual GreyPixel& operator-=(const RGBGrVal& g) {
        grey = SIPixelMath::tochan<T>(double(grey) - g.grey);
        return *this;
    }
    virtual GreyPixel& operator<<(const RGBGrVal& g) {
        grey = static_cast<T>(g.grey);
        return *this;
    }
    virtual GreyPixel& operator+=(double d) {
        set(SIPixelMath::tochan<T>(double(grey) + d));
        return *this;
    }
    virtual GreyPixel& operator*=(double d) {
        set(SIPixelMath::tochan<T>(double(grey) * d));
        return *this;
    }

    // Reading another pixel type takes its grey.
    template <class U> GreyPixel& operator<<(const Pixel<U>& p) {
        set(SIPixelMath::tochan<T>(double(p.getgrey())));
        return *this;
    }
    template <class U> GreyPixel& operator=(const Pixel<U>& p) { return *this << p; }
    template <class U> GreyPixel& operator+=(const Pixel<U>& p) {
        set(SIPixelMath::tochan<T>(double(grey) + double(p.getgrey())));
        return *this;
    }
};

template <class T> class RGBPixel : public Pixel<T>, public RGBPixelType {
public:
    T grey;
    T red;
    T green;
    T blue;

    constexpr RGBPixel() : grey(0), red(0), green(0), blue(0) {}
    constexpr explicit RGBPixel(T v) : grey(v), red(v), green(v), blue(v) {}
    RGBPixel(const RGBPixel& o) : Pixel<T>(o), grey(0), red(o.red), green(o.green), blue(o.blue) {
        recomputegrey();
    }
    explicit RGBPixel(const ARGBVal& a)
        : grey(0), red(static_cast<T>(a.red)), green(static_cast<T>(a.green)),
          blue(static_cast<T>(a.blue)) {
        recomputegrey();
    }
    RGBPixel& operator=(const RGBPixel& o) {
        if (&o != this) set(o.red, o.green, o.blue);
        return *this;
    }

    int printInfo() const override {
        return siprintf("RGBPixel %lf %lf %lf\n", double(red), double(green), double(blue));
    }
    RGBPixel& operator<<(const Pixel<T>& p) override {
        set(p);
        return *this;
    }
    RGBPixel& operator=(const Pixel<T>& p) override {
        set(p);
        return *this;
    }
    int set(T v) override {
        grey = red = green = blue = v;
        return 0;
    }
    int set(T a, T b, T c) override {
        red = a;
        green = b;
        blue = c;
        recomputegrey();
        return 0;
    }
    int set(const Pixel<T>& p) override {
        red = p.getred();
        green = p.getgreen();
        blue = p.getblue();
        grey = p.getgrey();
        return 0;
    }
    T getred() const override { return red; }
    T getgreen() const override { return green; }
    T getblue() const override { return blue; }
    T getgrey() const override { return grey; }
    T gethue() const override { return T(0); }
    T getsat() const override { return T(0); }
    T getval() const override { return grey; }
    int setred(T v) override {
        red = v;
        return 0;
    }
    int setgreen(T v) override {
        green = v;
        return 0;
    }
    int setblue(T v) override {
        blue = v;
        return 0;
    }
    int sethue(T) override { return 3; }
    int setsat(T) override { return 3; }
    int setval(T v) override { return set(v); }
    int setgrey(T v) override {
        grey = v;
        return 0;
    }
    RGBPixel& operator=(T v) override {
        set(v);
        return *this;
    }
    RGBPixel& operator<<(T v) override {
        set(v);
        return *this;
    }

    virtual RGBPixel& operator+=(const ARGBVal& a) { return addbytes(a.red, a.green, a.blue, 1); }
    virtual RGBPixel& operator-=(const ARGBVal& a) { return addbytes(a.red, a.green, a.blue, -1); }
    virtual RGBPixel& operator<<(const ARGBVal& a) {
        red = static_cast<T>(a.red);
        green = static_cast<T>(a.green);
        blue = static_cast<T>(a.blue);
        return *this;
    }
    virtual RGBPixel& operator+=(const RGBGrVal& g) { return addbytes(g.red, g.green, g.blue, 1); }
    virtual RGBPixel& operator-=(const RGBGrVal& g) { return addbytes(g.red, g.green, g.blue, -1); }
    virtual RGBPixel& operator<<(const RGBGrVal& g) {
        red = static_cast<T>(g.red);
        green = static_cast<T>(g.green);
        blue = static_cast<T>(g.blue);
        return *this;
    }
    virtual RGBPixel& operator*=(double d) {
        set(SIPixelMath::tochan<T>(red * d), SIPixelMath::tochan<T>(green * d),
            SIPixelMath::tochan<T>(blue * d));
        return *this;
    }
    virtual RGBPixel& operator+=(double d) {
        set(SIPixelMath::tochan<T>(red + d), SIPixelMath::tochan<T>(green + d),
            SIPixelMath::tochan<T>(blue + d));
        return *this;
    }

    // Channel-wise sums and differences with any pixel; the grey is recomputed.
    template <class U> RGBPixel& operator+=(const Pixel<U>& p) {
        set(SIPixelMath::tochan<T>(double(red) + double(p.getred())),
            SIPixelMath::tochan<T>(double(green) + double(p.getgreen())),
            SIPixelMath::tochan<T>(double(blue) + double(p.getblue())));
        return *this;
    }
    template <class U> RGBPixel& operator-=(const Pixel<U>& p) {
        set(SIPixelMath::tochan<T>(double(red) - double(p.getred())),
            SIPixelMath::tochan<T>(double(green) - double(p.getgreen())),
            SIPixelMath::tochan<T>(double(blue) - double(p.getblue())));
        return *this;
    }
    template <class U> RGBPixel& operator=(const Pixel<U>& p) {
        set(SIPixelMath::tochan<T>(double(p.getred())),
            SIPixelMath::tochan<T>(double(p.getgreen())),
            SIPixelMath::tochan<T>(double(p.getblue())));
        return *this;
    }

    // The grey weights over the current colour channels.
    void recomputegrey() {
        if constexpr (std::is_integral_v<T>) {
            grey = static_cast<T>((30LL * red + 59LL * green + 11LL * blue) / 100);
        } else {
            grey = (T(30) * red + T(59) * green + T(11) * blue) / T(100);
        }
    }

private:
    RGBPixel& addbytes(int r, int g, int b, int sign) {
        red = SIPixelMath::tochan<T>(double(red) + sign * r);
        green = SIPixelMath::tochan<T>(double(green) + sign * g);
        blue = SIPixelMath::tochan<T>(double(blue) + sign * b);
        return *this;
    }
};

extern template class GreyPixel<unsigned char>;
extern template class GreyPixel<int>;
extern template class GreyPixel<float>;
extern template class RGBPixel<unsigned char>;
extern template class RGBPixel<float>;
extern template class RGBPixel<double>;

// The packed pixels' conversions from the polymorphic ones.

template <class T> ARGBVal::ARGBVal(const GreyPixel<T>& p) : alpha(255) {
    red = green = blue = SIPixelMath::wrapbyte(double(p.getgrey()));
}

template <class T> ARGBVal::ARGBVal(const RGBPixel<T>& p) : alpha(255) {
    *this << p;
}

template <class T> ARGBVal& ARGBVal::operator<<(const RGBPixel<T>& p) {
    red = SIPixelMath::wrapbyte(double(p.getred()));
    green = SIPixelMath::wrapbyte(double(p.getgreen()));
    blue = SIPixelMath::wrapbyte(double(p.getblue()));
    return *this;
}

inline ARGBVal& ARGBVal::operator+=(const Pixel<float>& p) {
    red = SIPixelMath::clampbyte(double(red + p.getred()));
    green = SIPixelMath::clampbyte(double(green + p.getgreen()));
    blue = SIPixelMath::clampbyte(double(blue + p.getblue()));
    return *this;
}

template <class T> RGBGrVal::RGBGrVal(const RGBPixel<T>& p) {
    *this << p;
}

template <class T> RGBGrVal& RGBGrVal::operator<<(const RGBPixel<T>& p) {
    red = SIPixelMath::wrapbyte(double(p.getred()));
    green = SIPixelMath::wrapbyte(double(p.getgreen()));
    blue = SIPixelMath::wrapbyte(double(p.getblue()));
    grey = SIPixelMath::wrapbyte(double(p.getgrey()));
    return *this;
}

template <class T> RGBGrVal& RGBGrVal::operator+=(const RGBPixel<T>& p) {
    red = SIPixelMath::clampbyte(double(red) + double(p.getred()));
    green = SIPixelMath::clampbyte(double(green) + double(p.getgreen()));
    blue = SIPixelMath::clampbyte(double(blue) + double(p.getblue()));
    recomputegrey();
    return *this;
}

template <class T> RGBGrVal& RGBGrVal::operator+=(const GreyPixel<T>& p) {
    const double g = double(p.getgrey());
    red = SIPixelMath::clampbyte(double(red) + g);
    green = SIPixelMath::clampbyte(double(green) + g);
    blue = SIPixelMath::clampbyte(double(blue) + g);
    recomputegrey();
    return *this;
}
