// Bitmap: a block of 32-bit ARGB pixels with the header a platform image needs,
// built from a raster and able to hand its pixels back as rasters.
#pragma once

#include "PixRectRW.h"
#include "PixRectWrap.h"
#include "SICommon.h"

#include <cstdint>

class Bitmap : public SICommon {
public:
    // An empty bitmap: no data, no size.
    Bitmap() = default;
    // Header from the raster's bounds, then every pixel read and made opaque.
    explicit Bitmap(PixRect<ARGBVal> const& raster);
    // Header from the raster's bounds, then its stored pixels copied, alpha included.
    explicit Bitmap(PixRectRW<ARGBVal> const& raster);
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    int printInfo() const override;
    ~Bitmap() override;

    // A new uninitialised buffer of size bytes replaces the data (0 gives none).
    void makeData(unsigned long size);
    // Adopts bytes, which must come from malloc; the old buffer is released.
    void setData(unsigned char* bytes);
    void releaseData();

    // Reads every pixel of raster into the bitmap as 255, red, green, blue.
    // SIfailed when the sizes differ, SInodata when the bitmap holds no data
    // for a non-empty size. threads: 0 for the library's setting, else the
    // number of threads that share the rows (the result is the same).
    template <class P> SIerrorcode fillFrom(PixRect<P> const& raster, int threads = 0);

    // Rasters over or copied from the data; each is new and the caller's. The
    // views share the data and must not outlive it. Null without data.
    template <class P> PixRectRW<P>* makergbPixRect(bool share);
    template <class P> PixRectRW<P>* makergbPixRectCopy();
    template <class P> PixRectRW<P>* makergbPixRectOdd(bool flag);
    template <class P> PixRectRW<P>* makergbPixRectEven(bool flag);
    PixRectRW<GreyPixel<unsigned char>>* makegreyPixRect(bool flag);

    // The number of threads a fill uses when not told: all cores unless set
    // (a value below 1 restores that).
    static void setfillthreads(int n);
    static int fillthreads();

    // The largest data a bitmap holds; rasters that need more give an empty bitmap.
    static constexpr std::int64_t maxdatasize = 0x7fffffff;

    unsigned char* data = nullptr;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerComponent = 8;
    std::int32_t bitsPerPixel = 32;
    std::int32_t bytesPerRow = 0;
    // The platform's alpha layout of the data (4 alpha first, 6 first byte
    // skipped); bitmaps built from rasters hold opaque pixels alpha first: 4.
    std::uint8_t alphaInfo = 4;
    std::int32_t dataSize = 0;

private:
    // The header for a raster of these bounds, and its data.
    void header(const PixRectBase<ARGBVal>& raster);
};

template <> SIerrorcode Bitmap::fillFrom<ARGBVal>(PixRect<ARGBVal> const& raster, int threads);
template <> PixRectRW<ARGBVal>* Bitmap::makergbPixRect<ARGBVal>(bool share);
template <> PixRectRW<ARGBVal>* Bitmap::makergbPixRectCopy<ARGBVal>();
template <> PixRectRW<ARGBVal>* Bitmap::makergbPixRectOdd<ARGBVal>(bool flag);
template <> PixRectRW<ARGBVal>* Bitmap::makergbPixRectEven<ARGBVal>(bool flag);
