// TriangleGeometry: the triangle method's geometry for one point of a cell
// (which of the four triangles around the cell centre holds it, and the ratios
// its colour is mixed by), shared by the continuous view and the snapshot road.
#pragma once

#include <cstdint>

namespace TriangleGeometry {

// The method's constants, in float: pi, the square root of 2, and the distance
// from the cell centre to a corner, 0.5 × root2 = 0.70710677.
inline constexpr float pi = 3.14159274f;
inline constexpr float root2 = 1.41421354f;
inline constexpr float k = 0.5f * root2;

// What the point's colour is: a corner as it is (alpha included), the centre
// value M, corner B, P = M + (B - M) × along, R = A + (B - A) × along, or
// P + (R - P) × across.
enum class Value : std::uint8_t { corner, centre, b, p, r, mix };

// Corners are numbered 0 p00, 1 p10, 2 p01, 3 p11 (p10 is the next column).
struct Point {
    Value value = Value::centre;
    std::uint8_t a = 0, b = 0; // corners A and B; the corner itself for Value::corner
    double along = 0;          // along / k
    double across = 0;         // across / (k - along)
};

// The point at fractions (fx, fy) of its cell, each in 0..1.
Point at(double fx, double fy);

// The same point by algebra instead of the inverse sine, sine and cosine, as
// bounds: at()'s ratio along / k lies in [ratioLow, ratioHigh] and its
// across / (k - along) in [mixLow, mixHigh]. When sure, at()'s value kind and corners are those
// of point (whose along and across are left 0); otherwise a ratio lies too
// close to a boundary between kinds, and only at() decides.
struct Bounds {
    Point point;
    double ratioLow = 0, ratioHigh = 0, mixLow = 0, mixHigh = 0;
    bool sure = false;
};
Bounds estimate(double fx, double fy);

} // namespace TriangleGeometry
