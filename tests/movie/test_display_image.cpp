// The display image of an offscreen world: byte order, row length and size.
#include "gworldToNSImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct World {
    std::vector<uint8_t> bytes;
    GWorldPtr world = nullptr;
    World(Rect bounds, long rowBytes, OSType format = k32ARGBPixelFormat)
        : bytes(size_t(rowBytes) * size_t(bounds.bottom - bounds.top)) {
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 7 + 3);
        NewGWorldFromPtr(&world, format, &bounds, nullptr, nullptr, pixelsLocked,
                         reinterpret_cast<Ptr>(bytes.data()), rowBytes);
    }
    ~World() { DisposeGWorld(world); }
};

const NSBitmapImageRep* onlyRep(const NSImage* image) {
    return image && image->representations().size() == 1 ? image->representations()[0] : nullptr;
}

TEST(DisplayImage, ArgbBecomesRgbaRowByRowFromAnyBoundsAndRgbaStays) {
    World w({5, 5, 15, 25}, 20 * 4 + 12); // 20 x 10 pixels, 12 spare bytes a row
    NSImage* image = gworldToNSImage(w.world);
    const NSBitmapImageRep* rep = onlyRep(image);
    ASSERT_NE(rep, nullptr);
    EXPECT_EQ(rep->pixelsWide(), 20);
    EXPECT_EQ(rep->pixelsHigh(), 10);
    EXPECT_EQ(rep->bytesPerRow(), 80);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(rep->bitmapData()[y * 80 + x * 4 + c],
                          w.bytes[size_t(y) * 92 + size_t(x) * 4 + size_t((c + 1) % 4)]);
    EXPECT_EQ((*GetGWorldPixMap(w.world))->locks, 1) << "the world's lock state is kept";
    image->release();

    World rgba({0, 0, 3, 4}, 20, k32RGBAPixelFormat);
    image = gworldToNSImage(rgba.world);
    rep = onlyRep(image);
    ASSERT_NE(rep, nullptr);
    for (int y = 0; y < 3; ++y)
        for (int i = 0; i < 16; ++i)
            ASSERT_EQ(rep->bitmapData()[y * 16 + i], rgba.bytes[size_t(y) * 20 + size_t(i)]);
    image->release();
}

} // namespace
