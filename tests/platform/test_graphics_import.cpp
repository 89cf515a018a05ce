#include "GraphicsImport.h"
#include "Memory.h"
#include "ScratchFolder.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

struct Imported {
    OSErr err = noErr;
    int width = 0, height = 0, depth = 0;
    OSType type = 0;
    GraphicsImportComponent gi = nullptr;
    ~Imported() { CloseComponent(gi); }
};

void open(const std::string& path, Imported* out) {
    FSSpec fss{path};
    out->err = GetGraphicsImporterForFile(&fss, &out->gi);
    if (out->err) return;
    ImageDescriptionHandle desc = nullptr;
    ASSERT_EQ(GraphicsImportGetImageDescription(out->gi, &desc), noErr);
    ASSERT_NE(desc, nullptr);
    out->width = (*desc)->width;
    out->height = (*desc)->height;
    out->depth = (*desc)->depth;
    out->type = (*desc)->cType;
    DisposeHandle(reinterpret_cast<Handle>(desc));
}

// A world with padded rows, filled with a marker byte so untouched bytes show.
struct World {
    std::vector<uint8_t> bytes;
    long rowBytes;
    bool rgba;
    GWorldPtr world = nullptr;
    World(int w, int h, OSType format, long pad = 12)
        : bytes(size_t((w * 4 + pad) * h), 0xEE), rowBytes(w * 4 + pad),
          rgba(format == k32RGBAPixelFormat) {
        Rect r{0, 0, int16_t(h), int16_t(w)};
        EXPECT_EQ(NewGWorldFromPtr(&world, format, &r, nullptr, nullptr, 0,
                                   reinterpret_cast<Ptr>(bytes.data()), rowBytes),
                  noErr);
    }
    ~World() { DisposeGWorld(world); }
    const uint8_t* at(int x, int y) const { return &bytes[size_t(y) * rowBytes + size_t(x) * 4]; }
};

// Largest difference of any channel between the drawn world and the raster.
int maxDifference(const World& w, const TestRaster& r) {
    int worst = 0;
    for (int y = 0; y < r.height; ++y)
        for (int x = 0; x < r.width; ++x) {
            const uint8_t* d = w.at(x, y);
            const uint8_t* s = r.at(x, y);
            for (int c = 0; c < 4; ++c)
                worst = std::max(worst, std::abs(d[w.rgba ? c : (c + 1) % 4] - s[c]));
        }
    return worst;
}

bool paddingUntouched(const World& w, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (long i = width * 4; i < w.rowBytes; ++i)
            if (w.bytes[size_t(y) * w.rowBytes + i] != 0xEE) return false;
    return true;
}

} // namespace

TEST(GraphicsImport, EachFormatDrawsItsPixelsIntoEitherByteOrderAndReportsAlphaDepth) {
    struct Case {
        TestImageFormat format;
        bool alpha;
        OSType type;
        int tolerance;
        OSType world = k32ARGBPixelFormat;
    };
    const Case cases[] = {
        {TestImageFormat::PNG, false, FOUR_CHAR_CODE("png "), 0},
        {TestImageFormat::PNG, true, FOUR_CHAR_CODE("png "), 0},
        {TestImageFormat::PNG, true, FOUR_CHAR_CODE("png "), 0, k32RGBAPixelFormat},
        {TestImageFormat::TIFF, false, FOUR_CHAR_CODE("tiff"), 0},
        {TestImageFormat::TIFF, true, FOUR_CHAR_CODE("tiff"), 0},
        {TestImageFormat::BMP, false, FOUR_CHAR_CODE("BMPf"), 0},
        {TestImageFormat::WebP, true, FOUR_CHAR_CODE("WebP"), 0},
        {TestImageFormat::JPEG, false, FOUR_CHAR_CODE("jpeg"), 8},
    };
    ScratchFolder dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << int(c.format) << " alpha " << c.alpha
                                        << " rgba " << (c.world == k32RGBAPixelFormat));
        TestRaster raster = GradientRaster(37, 23, c.alpha);
        std::string path = dir.file("img");
        WriteTestImage(path, raster, c.format);
        Imported imp;
        open(path, &imp);
        ASSERT_EQ(imp.err, noErr);
        EXPECT_EQ(imp.width, 37);
        EXPECT_EQ(imp.height, 23);
        EXPECT_EQ(imp.depth, c.alpha ? 32 : 24);
        EXPECT_EQ(imp.type, c.type);

        World world(37, 23, c.world);
        ASSERT_EQ(GraphicsImportSetGWorld(imp.gi, world.world, nullptr), noErr);
        ASSERT_EQ(GraphicsImportDraw(imp.gi), noErr);
        EXPECT_LE(maxDifference(world, raster), c.tolerance);
        EXPECT_TRUE(paddingUntouched(world, 37, 23));
    }
}

TEST(GraphicsImport, FilesThatAreNotUsableImagesFailCleanly) {
    ScratchFolder dir;
    TestRaster raster = GradientRaster(40, 30);
    for (auto format : {TestImageFormat::PNG, TestImageFormat::JPEG, TestImageFormat::TIFF,
                        TestImageFormat::BMP, TestImageFormat::WebP}) {
        SCOPED_TRACE(int(format));
        std::vector<uint8_t> good = EncodeTestImage(raster, format);
        // Cut short: refused, no importer left.
        WriteFileBytes(dir.file("cut"), {good.begin(), good.begin() + long(good.size() * 6 / 10)});
        Imported imp;
        open(dir.file("cut"), &imp);
        EXPECT_NE(imp.err, noErr);
        EXPECT_EQ(imp.gi, nullptr);
    }

    // A flipped byte inside a PNG's image data breaks its checksum.
    std::vector<uint8_t> png = EncodeTestImage(raster, TestImageFormat::PNG);
    png[png.size() - 20] ^= 0x5A;
    WriteFileBytes(dir.file("bad.png"), png);
    Imported bad;
    open(dir.file("bad.png"), &bad);
    EXPECT_EQ(bad.err, codecBadDataErr);
}

TEST(GraphicsImport, ImagesBeyondTheSizeLimitAreRefused) {
    ScratchFolder dir;
    WriteTestImage(dir.file("wide.png"), FlatRaster(kMaxPictureSide + 1, 1, 1, 2, 3),
                   TestImageFormat::PNG);
    Imported wide;
    open(dir.file("wide.png"), &wide);
    EXPECT_EQ(wide.err, codecSizeErr);

    // Found by fuzzing: 84 bytes of WebP declaring 11889 x 8295 pixels (more
    // than kGraphicsImportMaxPixels), which took seconds and a gigabyte to decode.
    WriteFileBytes(dir.file("many.webp"),
                   {0x52, 0x49, 0x46, 0x46, 0x48, 0x00, 0x00, 0x00, 0x57, 0x45, 0x42, 0x50,
                    0x56, 0x50, 0x38, 0x20, 0x3C, 0x00, 0x00, 0x00, 0x10, 0x03, 0x00, 0x9D,
                    0x01, 0x2A, 0x71, 0x6E, 0x67, 0x20, 0x18, 0x00, 0x10, 0x00, 0x2F, 0x81,
                    0xDE, 0xEF, 0x77, 0xAB, 0x3E, 0x3E, 0x3E, 0x1E, 0x01, 0x80, 0x4B, 0x48,
                    0x00, 0x05, 0x10, 0x9A, 0x52, 0x42, 0x15, 0x8A, 0x50, 0x00, 0xFE, 0xD3,
                    0x9E, 0x57, 0x70, 0xBD, 0xCE, 0x7D, 0xD1, 0x7E, 0xF6, 0xE1, 0x53, 0xA0,
                    0xC4, 0xCC, 0x34, 0x69, 0xEE, 0x6C, 0x96, 0x2E, 0x13, 0xE0, 0x00, 0x40});
    Imported many;
    open(dir.file("many.webp"), &many);
    EXPECT_EQ(many.err, codecSizeErr);
}
