// Test images made by the tests themselves: rasters with known pixels, and
// their encodings as PNG, JPEG, TIFF, BMP and WebP through the movie
// generator's still encoder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixels as R,G,B,A bytes, rows packed.
struct TestRaster {
    int width = 0;
    int height = 0;
    bool alpha = false; // whether the alpha bytes mean anything (else all 255)
    std::vector<uint8_t> rgba;
    const uint8_t* at(int x, int y) const { return &rgba[(size_t(y) * width + x) * 4]; }
    uint8_t* at(int x, int y) { return &rgba[(size_t(y) * width + x) * 4]; }
};

// Red rises left to right, green top to bottom, blue along the diagonal; with
// `alpha`, alpha varies too (never 255 everywhere).
TestRaster GradientRaster(int width, int height, bool alpha = false);
TestRaster FlatRaster(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);

enum class TestImageFormat { PNG, JPEG, TIFF, BMP, WebP };

// The encoded file. PNG, TIFF, WebP (lossless) and BMP keep the pixels exactly
// (BMP drops alpha); JPEG is 4:4:4 at a high quality. Throws std::runtime_error
// when the encoder is missing or fails.
std::vector<uint8_t> EncodeTestImage(const TestRaster& raster, TestImageFormat format);
void WriteTestImage(const std::string& path, const TestRaster& raster, TestImageFormat format);
