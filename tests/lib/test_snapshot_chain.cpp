// The snapshot chain: crop bounds with their far edges included, scale-slider
// positions, and the bitmap a copied region builds (resampled ones are the
// snapshot road's tests).
#include "Snapshot.h"

#include <gtest/gtest.h>

namespace {

// A w x h frame whose pixels all differ.
struct Frame {
    std::vector<ARGBVal> pixels;
    PixRectWrap<ARGBVal> raster;
    Frame(int w, int h)
        : pixels(size_t(w) * h), raster((fill(w, h), pixels.data()), w, h, SIAllLines) {}
    void fill(int w, int h) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[size_t(y) * w + x] =
                    ARGBVal{255, uint8_t(x * 5), uint8_t(y * 3), uint8_t((x + y) * 7)};
    }
};

} // namespace

TEST(SnapshotChain, CropBoundsIncludeTheFarEdges) {
    const Snapshot::Bounds b = Snapshot::cropBounds(10, 10, 100, 50);
    EXPECT_EQ(b.lx, 10);
    EXPECT_EQ(b.ly, 10);
    EXPECT_EQ(b.hx, 110);
    EXPECT_EQ(b.hy, 60);
    // Summed in float, then truncated: 0.6 + 2.5 = 3.1 → 3.
    const Snapshot::Bounds f = Snapshot::cropBounds(0.6f, 1.9f, 2.5f, 0.2f);
    EXPECT_EQ(f.lx, 0);
    EXPECT_EQ(f.hx, 3);
    EXPECT_EQ(f.ly, 1);
    EXPECT_EQ(f.hy, 2);
}

TEST(SnapshotChain, ScaleSliderPositions) {
    const std::vector<std::pair<float, float>> table = {
        {0, 10},           {1, 9},     {5, 5}, {7, 3}, {8, 2}, {9, 1}, {10, 0.5f},
        {11, 0.33333334f}, {12, 0.25f}};
    for (const auto& [pos, scale] : table) EXPECT_FLOAT_EQ(Snapshot::scaleForPosition(pos), scale);
    EXPECT_FLOAT_EQ(Snapshot::scaleForPosition(8.5f), 2.0f); // 1 / (v - 8) between 8 and 9
}

// A crop partly outside is cut to the frame; at scale 1 it is copied.
TEST(SnapshotChain, CropCutToTheFrameCopiesItsPixels) {
    Frame f(64, 48);
    const Snapshot::Bounds crop = Snapshot::cropBounds(50, 40, 30, 30);
    Snapshot::Chain c(f.raster, &crop, Snapshot::Size::byScale(1.0f), SITriangular);
    const Bitmapio& bm = c.bitmap();
    ASSERT_EQ(bm.width, 14);
    ASSERT_EQ(bm.height, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 14; ++x) {
            const unsigned char* p = bm.data + y * bm.bytesPerRow + x * 4;
            const ARGBVal want = f.raster.pix(50 + x, 40 + y);
            ASSERT_EQ(p[1], want.red);
            ASSERT_EQ(p[2], want.green);
            ASSERT_EQ(p[3], want.blue);
        }
}
