// The bitmap bridge: headers from rasters, filling, and rasters over the data.
#include "Bitmap.h"

#include "SnapshotRoad.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

namespace {
std::atomic<int> fillthreadsetting{0};
}

void Bitmap::setfillthreads(int n) {
    fillthreadsetting.store(n < 1 ? 0 : n);
}

int Bitmap::fillthreads() {
    const int n = fillthreadsetting.load();
    if (n > 0) return n;
    const unsigned hw = std::thread::hardware_concurrency();
    return hw == 0 ? 1 : int(hw);
}

void Bitmap::header(const PixRectBase<ARGBVal>& raster) {
    dbg.dcl = 0;
    data = nullptr;
    bitsPerComponent = 8;
    bitsPerPixel = 32;
    // A raster with no pixels (its high bound below its low one) gives an empty
    // bitmap rather than a negative size, and one too large to hold gives an
    // empty bitmap rather than an absurd allocation.
    const std::int64_t w = std::int64_t(raster.hx()) - raster.lx() + 1;
    const std::int64_t h = std::int64_t(raster.hy()) - raster.ly() + 1;
    if (w < 1 || h < 1 || w * 4 * h > maxdatasize) {
        width = height = bytesPerRow = dataSize = 0;
        return;
    }
    width = std::int32_t(w);
    height = std::int32_t(h);
    bytesPerRow = std::int32_t((w * 32 + 7) / 8);
    dataSize = bytesPerRow * height;
    makeData(static_cast<unsigned long>(dataSize));
}

Bitmap::Bitmap(PixRect<ARGBVal> const& raster) {
    header(raster);
    fillFrom(raster);
}

Bitmap::Bitmap(PixRectRW<ARGBVal> const& raster) {
    header(raster);
    if (!data) return;
    // Row by row from the row table, alpha as stored: the same bytes as one block
    // copy of a contiguous raster, and right for a wrap of every other row too.
    const std::size_t rowbytes = std::size_t(width) * 4;
    for (int i = 0; i < height; ++i) {
        unsigned char* out = data + std::size_t(i) * std::size_t(bytesPerRow);
        if (raster.hasstorage()) {
            std::memcpy(out, raster.rowptr(raster.ly() + i) + raster.lx(), rowbytes);
        } else {
            // A raster without storage reads black everywhere.
            std::memset(out, 0, rowbytes);
        }
    }
}

Bitmap::~Bitmap() {
    releaseData();
}

void Bitmap::makeData(unsigned long size) {
    releaseData();
    if (size == 0) return;
    data = static_cast<unsigned char*>(std::malloc(size));
    if (!data) throw std::bad_alloc();
}

void Bitmap::setData(unsigned char* bytes) {
    if (bytes == data) return;
    releaseData();
    data = bytes;
}

void Bitmap::releaseData() {
    std::free(data);
    data = nullptr;
}

template <> SIerrorcode Bitmap::fillFrom<ARGBVal>(PixRect<ARGBVal> const& raster, int threads) {
    dbg = raster.dbg;
    if (std::int64_t(raster.hx()) - raster.lx() + 1 != width ||
        std::int64_t(raster.hy()) - raster.ly() + 1 != height) {
        return SIfailed;
    }
    if (width < 1 || height < 1) return SIok;
    if (!data) return SInodata;
    if (threads < 1) threads = fillthreads();
    if (SnapshotRoad::fill(raster, data, bytesPerRow, threads)) return SIok;
    // Any other raster: every pixel through its own read, one thread (a raster
    // of unknown kind may keep state in its reads).
    unsigned char* out = data;
    for (int y = raster.ly(); y <= raster.hy(); ++y) {
        unsigned char* p = out;
        for (int x = raster.lx(); x <= raster.hx(); ++x, p += 4) {
            const ARGBVal v = raster.pix(x, y);
            p[0] = 255;
            p[1] = v.red;
            p[2] = v.green;
            p[3] = v.blue;
        }
        out += bytesPerRow;
    }
    return SIok;
}

template <> PixRectRW<ARGBVal>* Bitmap::makergbPixRectCopy<ARGBVal>() {
    if (!data || width < 1 || height < 1) return nullptr;
    auto* r = new PixRectRW<ARGBVal>(width, height);
    for (int y = 0; y < height; ++y) {
        std::memcpy(&r->pixrefNB(0, y), data + std::size_t(y) * std::size_t(bytesPerRow),
                    std::size_t(width) * 4);
    }
    return r;
}

template <> PixRectRW<ARGBVal>* Bitmap::makergbPixRect<ARGBVal>(bool share) {
    if (share && data) {
        return new PixRectWrap<ARGBVal>(reinterpret_cast<ARGBVal*>(data), width, height,
                                        SIAllLines);
    }
    return makergbPixRectCopy<ARGBVal>();
}

template <> PixRectRW<ARGBVal>* Bitmap::makergbPixRectOdd<ARGBVal>(bool flag) {
    if (flag || !data) return nullptr;
    return new PixRectWrap<ARGBVal>(reinterpret_cast<ARGBVal*>(data), width, height, SIOddLines);
}

template <> PixRectRW<ARGBVal>* Bitmap::makergbPixRectEven<ARGBVal>(bool flag) {
    if (flag || !data) return nullptr;
    return new PixRectWrap<ARGBVal>(reinterpret_cast<ARGBVal*>(data), width, height, SIEvenLines);
}

PixRectRW<GreyPixel<unsigned char>>* Bitmap::makegreyPixRect(bool flag) {
    if (flag || !data || width < 1 || height < 1) return nullptr;
    auto* r = new PixRectRW<GreyPixel<unsigned char>>(width, height);
    for (int y = 0; y < height; ++y) {
        const unsigned char* b = data + std::size_t(y) * std::size_t(bytesPerRow);
        for (int x = 0; x < width; ++x, b += 4) {
            r->pixrefNB(x, y).set(static_cast<unsigned char>((b[1] + b[2] + b[3]) / 3));
        }
    }
    return r;
}

int Bitmap::printInfo() const {
    return siprintf("Bitmap Info w=%d h=%d data=%x bpp=%d\n", width, height,
                    static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(data)), bitsPerPixel);
}
