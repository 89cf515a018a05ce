#include "ImageCompression.h"
#include "Memory.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <turbojpeg.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// A world over ARGB bytes made from a raster, rows padded.
struct Source {
    std::vector<uint8_t> bytes;
    GWorldPtr world = nullptr;
    explicit Source(const TestRaster& r, Rect bounds = {}) {
        if (bounds.right == 0) bounds = Rect{0, 0, int16_t(r.height), int16_t(r.width)};
        const long rowBytes = r.width * 4 + 8;
        bytes.assign(size_t(rowBytes) * r.height, 0);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x) {
                const uint8_t* s = r.at(x, y);
                uint8_t* d = &bytes[size_t(y) * rowBytes + size_t(x) * 4];
                d[0] = s[3], d[1] = s[0], d[2] = s[1], d[3] = s[2];
            }
        EXPECT_EQ(NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                                   reinterpret_cast<Ptr>(bytes.data()), rowBytes),
                  noErr);
    }
    ~Source() { DisposeGWorld(world); }
    PixMapHandle pixMap() { return GetGWorldPixMap(world); }
};

struct Sink {
    std::vector<uint8_t> bytes;
    std::vector<long> pieces;
    int failOnCall = 0; // 1-based call that fails with dskFulErr; 0 never
};

OSErr collect(Ptr data, long count, long refcon) {
    auto* sink = reinterpret_cast<Sink*>(refcon);
    sink->pieces.push_back(count);
    if (sink->failOnCall && int(sink->pieces.size()) == sink->failOnCall) return dskFulErr;
    sink->bytes.insert(sink->bytes.end(), data, data + count);
    return noErr;
}

struct Result {
    OSErr err;
    long dataSize = 0;
    ImageDescription desc{};
    std::vector<uint8_t> buffer; // the image itself, without a flush
};

Result compress(Source& src, CodecQ q, Sink* sink, long bufferSize, const Rect* rect = nullptr) {
    Handle desc = NewHandle(86);
    std::vector<char> buffer(static_cast<size_t>(bufferSize));
    ICMFlushProcRecord flush{collect, reinterpret_cast<long>(sink)};
    Rect bounds;
    GetPortBounds(src.world, &bounds);
    Result r;
    r.err = FCompressImage(src.pixMap(), rect ? rect : &bounds, 32, q, kJPEGCodecType, anyCodec,
                           nullptr, 0, bufferSize, sink ? &flush : nullptr, nullptr,
                           reinterpret_cast<ImageDescriptionHandle>(desc), buffer.data());
    std::memcpy(&r.desc, *desc, sizeof r.desc);
    r.dataSize = r.desc.dataSize;
    if (!sink && r.err == noErr) r.buffer.assign(buffer.begin(), buffer.begin() + r.dataSize);
    DisposeHandle(desc);
    return r;
}

struct Decoded {
    int width = 0, height = 0, subsamp = -1, colorspace = -1;
    std::vector<uint8_t> rgb;
};

Decoded decode(const std::vector<uint8_t>& jpeg) {
    Decoded d;
    tjhandle tj = tjInitDecompress();
    EXPECT_EQ(tjDecompressHeader3(tj, jpeg.data(), jpeg.size(), &d.width, &d.height, &d.subsamp,
                                  &d.colorspace),
              0);
    d.rgb.resize(size_t(d.width) * d.height * 3);
    EXPECT_EQ(tjDecompress2(tj, jpeg.data(), jpeg.size(), d.rgb.data(), d.width, 0, d.height,
                            TJPF_RGB, TJFLAG_ACCURATEDCT),
              0);
    tjDestroy(tj);
    return d;
}

double meanError(const Decoded& d, const TestRaster& r, int x0 = 0, int y0 = 0) {
    double sum = 0;
    for (int y = 0; y < d.height; ++y)
        for (int x = 0; x < d.width; ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(d.rgb[(size_t(y) * d.width + x) * 3 + c]) -
                                int(r.at(x + x0, y + y0)[c]));
    return sum / (double(d.width) * d.height * 3);
}

} // namespace

TEST(JPEGQuality, EveryCodecQualityMapsToTheNamedSettingNotAboveIt) {
    struct Row {
        CodecQ q;
        int quality;
        bool full;
    };
    const Row rows[] = {{0xFF, 25, false},  {0x100, 50, false}, {0x200, 75, false},
                        {0x2FF, 75, false}, {0x300, 90, true},  {0x3FF, 95, true},
                        {0x400, 100, true}};
    for (const Row& r : rows) {
        JPEGSettings s = JPEGSettingsForCodecQuality(r.q);
        EXPECT_EQ(s.quality, r.quality) << std::hex << r.q;
        EXPECT_EQ(s.fullChroma, r.full) << std::hex << r.q;
    }
}

TEST(FCompressImage, OutputDecodesToTheImageWithTheQualitysSampling) {
    TestRaster raster = GradientRaster(67, 45);
    Source src(raster);
    struct Case {
        CodecQ q;
        int subsamp;
        double tolerance;
    };
    const Case cases[] = {{codecMinQuality, TJSAMP_420, 4.0},
                          {codecNormalQuality, TJSAMP_420, 2.0},
                          {codecHighQuality, TJSAMP_444, 1.0},
                          {codecMaxQuality, TJSAMP_444, 1.0},
                          {codecLosslessQuality, TJSAMP_444, 0.6}};
    long previousSize = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.q);
        Sink sink;
        Result r = compress(src, c.q, &sink, 512); // handed over in whole pieces of 512
        ASSERT_EQ(r.err, noErr);
        EXPECT_EQ(r.dataSize, long(sink.bytes.size()));
        for (size_t i = 0; i + 1 < sink.pieces.size(); ++i) EXPECT_EQ(sink.pieces[i], 512);
        EXPECT_LE(sink.pieces.back(), 512);
        EXPECT_GT(r.dataSize, previousSize); // more quality, more bytes
        previousSize = r.dataSize;
        Decoded d = decode(sink.bytes);
        EXPECT_EQ(d.width, 67);
        EXPECT_EQ(d.height, 45);
        EXPECT_EQ(d.subsamp, c.subsamp);
        EXPECT_EQ(d.colorspace, c.q == codecLosslessQuality ? TJCS_RGB : TJCS_YCbCr);
        EXPECT_LT(meanError(d, raster), c.tolerance);
    }
}

// A failing flush abandons with its result; without one the image must fit the buffer.
TEST(FCompressImage, FailingFlushesAndShortBuffersAbandon) {
    TestRaster raster = GradientRaster(64, 64);
    Source src(raster);
    Sink sink;
    sink.failOnCall = 2;
    EXPECT_EQ(compress(src, codecNormalQuality, &sink, 256).err, dskFulErr);
    EXPECT_EQ(sink.pieces.size(), 2u); // nothing more was handed over
    EXPECT_EQ(compress(src, codecNormalQuality, nullptr, 64).err, codecSpoolErr);
    Result r = compress(src, codecNormalQuality, nullptr, 1 << 16);
    ASSERT_EQ(r.err, noErr);
    EXPECT_LT(meanError(decode(r.buffer), raster), 2.0);
}

TEST(FCompressImage, ASubRectangleIsRead) {
    TestRaster raster = GradientRaster(40, 30);
    // Bounds not at the origin: the rectangle is in the pixel map's coordinates.
    Source src(raster, Rect{100, 200, 130, 240});
    Rect part{110, 205, 130, 225}; // x 5..25, y 10..30
    Sink sink;
    Result r = compress(src, codecMaxQuality, &sink, 4096, &part);
    ASSERT_EQ(r.err, noErr);
    Decoded d = decode(sink.bytes);
    EXPECT_EQ(d.width, 20);
    EXPECT_EQ(d.height, 20);
    EXPECT_LT(meanError(d, raster, 5, 10), 1.0);
}
