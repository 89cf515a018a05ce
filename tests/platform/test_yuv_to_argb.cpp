// The exact Y'CbCr converter: the fast one against the per-pixel reference,
// colour accuracy on known patches and chroma siting.
#include "YuvToArgb.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

namespace {

const YuvMatrix allMatrices[] = {YuvMatrix::bt601, YuvMatrix::bt709, YuvMatrix::fcc,
                                 YuvMatrix::smpte240m, YuvMatrix::bt2020};
const ChromaLayout allLayouts[] = {ChromaLayout::s420, ChromaLayout::s422, ChromaLayout::s444};

const char* layoutName(ChromaLayout l) {
    return l == ChromaLayout::s420 ? "4:2:0" : l == ChromaLayout::s422 ? "4:2:2" : "4:4:4";
}

// Three planes in owned buffers, rows padded past the picture's width.
struct Picture {
    std::vector<uint8_t> data[3];
    YuvPlanes planes;

    Picture(int w, int h, ChromaLayout layout) {
        planes.width = w;
        planes.height = h;
        planes.layout = layout;
        for (int i = 0; i < 3; ++i) {
            const int pw = i == 0 || layout == ChromaLayout::s444 ? w : (w + 1) / 2;
            const int ph = i == 0 || layout != ChromaLayout::s420 ? h : (h + 1) / 2;
            planes.stride[i] = pw + 5;
            data[i].assign(size_t(planes.stride[i]) * size_t(ph), 0);
            planes.plane[i] = data[i].data();
        }
    }
    int rows(int i) const { return int(data[i].size() / size_t(planes.stride[i])); }
    uint8_t& at(int i, int x, int y) { return data[i][size_t(y * planes.stride[i] + x)]; }

    void randomise(unsigned seed) {
        std::mt19937 rng(seed);
        for (auto& d : data)
            for (auto& b : d) b = uint8_t(rng());
    }
    void fill(uint8_t y, uint8_t cb, uint8_t cr) {
        data[0].assign(data[0].size(), y);
        data[1].assign(data[1].size(), cb);
        data[2].assign(data[2].size(), cr);
    }
};

// A destination with slack after every row, to catch writes past the width.
struct Pixels {
    int width, height;
    long rowBytes;
    std::vector<uint8_t> bytes;
    Pixels(int w, int h)
        : width(w), height(h), rowBytes(long(w) * 4 + 12), bytes(size_t(rowBytes) * h, 0xA5) {}
    const uint8_t* at(int x, int y) const { return bytes.data() + y * rowBytes + x * 4; }
};

// The fast converters against the reference, slack included (the reference
// writes none).
void expectSameAsReference(std::initializer_list<YuvToArgb*> converters, const YuvPlanes& planes,
                           const YuvFormat& f, bool rgba) {
    Pixels ref(planes.width, planes.height);
    convertYuvReference(planes, f, ref.bytes.data(), ref.rowBytes, rgba);
    for (YuvToArgb* fast : converters) {
        Pixels got(planes.width, planes.height);
        fast->convert(planes, f, got.bytes.data(), got.rowBytes, rgba);
        const long at = std::mismatch(ref.bytes.begin(), ref.bytes.end(), got.bytes.begin()).first -
                        ref.bytes.begin();
        EXPECT_EQ(at, long(ref.bytes.size()))
            << "row " << at / ref.rowBytes << " byte " << at % ref.rowBytes;
    }
}

TEST(YuvToArgb, FastMatchesTheReferenceBitForBit) {
    // One converter through every size, as the renderer keeps one; the
    // baseline one alongside on the same pictures.
    YuvToArgb widest, baseline(true);
    const int sizes[][2] = {{1, 1}, {2, 2}, {3, 5}, {67, 49}, {640, 360}};
    unsigned seed = 1;
    for (const auto& size : sizes) {
        const bool big = size[0] > 100;
        for (ChromaLayout layout : allLayouts) {
            Picture pic(size[0], size[1], layout);
            pic.randomise(seed++);
            int i = 0;
            for (YuvMatrix m : allMatrices)
                for (bool full : {false, true})
                    for (bool centred : {false, true})
                        for (bool rgba : {false, true}) {
                            // The large picture takes a share of the cases,
                            // every range, siting and byte order among them.
                            if (big && i++ % 5 != int(m)) continue;
                            SCOPED_TRACE(testing::Message()
                                         << size[0] << "x" << size[1] << " " << layoutName(layout)
                                         << " matrix " << int(m) << " full " << full << " centred "
                                         << centred << " rgba " << rgba);
                            expectSameAsReference({&widest, &baseline}, pic.planes,
                                                  {m, full, centred}, rgba);
                        }
        }
    }
}

// ---- Colour ----------------------------------------------------------------------

struct Patch {
    const char* name;
    YuvMatrix matrix;
    bool full;
    uint8_t y, cb, cr;
    uint8_t r, g, b;
};

// Limited range 100% colour bars of BT.601 and BT.709, and full range
// (JPEG) codes rounded from exact colours.
const Patch patches[] = {
    {"601 white", YuvMatrix::bt601, false, 235, 128, 128, 255, 255, 255},
    {"601 yellow", YuvMatrix::bt601, false, 210, 16, 146, 255, 255, 0},
    {"601 red", YuvMatrix::bt601, false, 81, 90, 240, 255, 0, 0},
    {"709 green", YuvMatrix::bt709, false, 173, 42, 26, 0, 255, 0},
    {"709 red", YuvMatrix::bt709, false, 63, 102, 240, 255, 0, 0},
    {"601 full red", YuvMatrix::bt601, true, 76, 85, 255, 255, 0, 0},
    {"601 full orange", YuvMatrix::bt601, true, 151, 43, 202, 255, 128, 0},
};

TEST(YuvToArgb, KnownPatchesComeOutWithinOne) {
    YuvToArgb fast;
    for (const Patch& p : patches)
        for (ChromaLayout layout : allLayouts) {
            SCOPED_TRACE(std::string(p.name) + " " + layoutName(layout));
            Picture pic(5, 3, layout);
            pic.fill(p.y, p.cb, p.cr);
            Pixels out(5, 3);
            fast.convert(pic.planes, {p.matrix, p.full, false}, out.bytes.data(), out.rowBytes,
                         false);
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                    const uint8_t* px = out.at(x, y);
                    ASSERT_EQ(px[0], 255);
                    ASSERT_NEAR(px[1], p.r, 1) << x << "," << y;
                    ASSERT_NEAR(px[2], p.g, 1) << x << "," << y;
                    ASSERT_NEAR(px[3], p.b, 1) << x << "," << y;
                }
        }
}

// The pixel a flat picture of these codes gives.
std::vector<uint8_t> flatPixel(uint8_t y, uint8_t cb, uint8_t cr) {
    Picture pic(1, 1, ChromaLayout::s444);
    pic.fill(y, cb, cr);
    Pixels out(1, 1);
    convertYuvReference(pic.planes, {}, out.bytes.data(), out.rowBytes, false);
    return {out.at(0, 0), out.at(0, 0) + 4};
}

std::vector<uint8_t> pixelAt(const Pixels& p, int x, int y) {
    return {p.at(x, y), p.at(x, y) + 4};
}

// Chroma samples of Cr 64, 192, 96 across six luma positions. Centred siting
// (4:2:0 rows always; columns when the stream says so) takes 3/4 of the
// nearer sample and 1/4 of the other; left siting puts each sample on an even
// column and the midpoint between; the edges repeat their sample.
TEST(YuvToArgb, ChromaSitsWhereTheStreamSays) {
    const struct {
        ChromaLayout layout;
        bool centred;
        uint8_t expected[6];
    } rows[] = {{ChromaLayout::s420, false, {64, 96, 160, 168, 120, 96}},
                {ChromaLayout::s422, true, {64, 96, 160, 168, 120, 96}},
                {ChromaLayout::s422, false, {64, 128, 192, 144, 96, 96}}};
    YuvToArgb fast;
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(layoutName(row.layout)) + (row.centred ? " centred" : " left"));
        const bool vertical = row.layout == ChromaLayout::s420;
        Picture pic(6, 6, row.layout);
        pic.fill(126, 128, 0);
        const uint8_t cr[3] = {64, 192, 96};
        for (int y = 0; y < pic.rows(2); ++y)
            for (int x = 0; x < 3; ++x) pic.at(2, x, y) = cr[vertical ? y : x];
        Pixels out(6, 6);
        fast.convert(pic.planes, {YuvMatrix::bt601, false, row.centred}, out.bytes.data(),
                     out.rowBytes, false);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x)
                EXPECT_EQ(pixelAt(out, x, y), flatPixel(126, 128, row.expected[vertical ? y : x]))
                    << x << "," << y;
    }
}

} // namespace
