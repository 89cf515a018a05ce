// PixRectWrap<ARGBVal>: an owned-raster interface over a 32-bit ARGB buffer that
// somebody else allocated, presenting all its rows, or only the even or odd ones.
#pragma once

#include "PixRectRW.h"

#include <cstdint>

// Which rows of the wrapped buffer are presented.
enum siwraptype : std::uint8_t {
    SIOddLines = 0,  // buffer rows 1, 3, 5, ...
    SIEvenLines = 1, // buffer rows 0, 2, 4, ...
    SIAllLines = 2,  // every buffer row
};
static_assert(sizeof(siwraptype) == 1);

template <class P> class PixRectWrap; // only the ARGBVal instance exists

template <> class PixRectWrap<ARGBVal> : public PixRectRW<ARGBVal> {
public:
    PixRectWrap() = default;
    explicit PixRectWrap(const DBGState& s);
    // Wraps h rows of w pixels at data, without copying and without owning them.
    PixRectWrap(ARGBVal* data, int w, int h, siwraptype t);
    // Deep copies: an all-rows wrap over a buffer of its own holding exactly the
    // rows o presents.
    PixRectWrap(const PixRectWrap& o);
    explicit PixRectWrap(const PixRectWrap* o);
    // Assignment copies pixels over the overlap, as for owned rasters.
    PixRectWrap& operator=(const PixRectWrap& o) {
        PixRectRW<ARGBVal>::operator=(o);
        return *this;
    }
    ~PixRectWrap() override;

    // Builds the row table over the buffer for the current bounds.
    void init() override;
    using PixRectRW<ARGBVal>::init;
    // Releases the row table, and the buffer if this wrap owns it.
    void freestore() override;

    // Points the rows at the buffer according to the wrap type.
    void makerows();
    void copyfromwrapped(const PixRectWrap* o);

    ARGBVal* getwrapdata() const { return wrapdata_; }
    bool owndata() const { return ownsdata_; }
    siwraptype getwraptype() const { return wraptype_; }
    // Releases the buffer with free() whoever allocated it (so a caller handing
    // over a buffer for this must have it from malloc); the raster is then
    // without storage, so no read reaches the released memory.
    void freewrapdata();

    static const char* typetoname(siwraptype t);
    int printInfo() const override;

protected:
    ARGBVal* wrapdata_ = nullptr;
    siwraptype wraptype_ = SIAllLines;
    bool ownsdata_ = false;
};
