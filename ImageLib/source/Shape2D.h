// Shape2D: a rectangular table of float weights, rows of columns, that a peak
// blend reads with (0, 0) at the top-left pixel of the region it blends.
#pragma once

#include <cstddef>
#include <vector>

class Shape2D {
public:
    Shape2D() = default;
    // w columns by h rows, every weight v; a negative size counts as 0.
    Shape2D(int w, int h, float v = 0.0f)
        : w_(w > 0 ? w : 0), h_(h > 0 ? h : 0),
          weights_(static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_), v) {}

    int width() const { return w_; }
    int height() const { return h_; }
    // True when the table has a weight for every row below h and column below w.
    bool covers(int w, int h) const { return w <= w_ && h <= h_; }

    // Row i of the table: (*this)[i][j] is the weight of row i, column j.
    float* operator[](int i) { return weights_.data() + static_cast<std::size_t>(i) * w_; }
    const float* operator[](int i) const {
        return weights_.data() + static_cast<std::size_t>(i) * w_;
    }

private:
    int w_ = 0;
    int h_ = 0;
    std::vector<float> weights_;
};
