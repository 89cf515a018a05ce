// ContImageRef<P>: a view of a whole raster read as a continuous image. Its
// real-coordinate read interpolates between neighbouring source pixels by one of
// four methods (siinterpcode); cubic_bspline is the spline kernel it uses.
#pragma once

#include "PixRectRef.h"

#include <cstdint>

// The interpolation method of a continuous view. Other values are accepted and
// stored; reads then give opaque black wherever the cell lies inside the bounds.
enum siinterpcode : std::uint8_t {
    SIBilinear = 0,       // the four corners of the cell
    SISmoothBilinear = 1, // 0.75 x bilinear plus the ring of eight around the cell
    SITriangular = 2,     // linear over the triangle (centre, two corners) holding the point
    SICubicBSpline = 3,   // 4 x 4 neighbourhood weighted by the cubic B-spline
};
static_assert(sizeof(siinterpcode) == 1);

// The uniform cubic B-spline at t, written with truncated powers; meant for
// -2 <= t <= 2. Cubes are taken with pow in double and rounded to float, the rest
// is float arithmetic.
float cubic_bspline(double t);

template <class P> class ContImageRef : public PixRectRef<P> {
public:
    ContImageRef() = default;
    explicit ContImageRef(const DBGState& s) : PixRectRef<P>(s) {}
    // A view of the whole source, interpolating by code.
    ContImageRef(PixRect<P>& source, siinterpcode code) : PixRectRef<P>(source), interpcode(code) {}
    // other's view (source, offset, bounds, zoom) with another method.
    ContImageRef(ContImageRef<P>& other, siinterpcode code)
        : PixRectRef<P>(other), interpcode(code) {}
    ~ContImageRef() override = default;

    // Integer reads are interpolated too.
    P pix(int x, int y) const override { return pixdd(x, y); }
    P pixNB(int x, int y) const override { return interpPix(x, y); }
    P pixdd(double x, double y) const override;
    int printInfo() const override;

    // The interpolated value at (x, y); a cell that leaves the bounds gives the
    // stored pixel at the truncated position instead.
    P interpPix(double x, double y) const;
    siinterpcode gettype() const { return interpcode; }

protected:
    siinterpcode interpcode = SIBilinear;
};

extern template class ContImageRef<ARGBVal>;
extern template class ContImageRef<GreyPixel<float>>;
extern template class ContImageRef<GreyPixel<unsigned char>>;
extern template class ContImageRef<RGBPixel<float>>;
