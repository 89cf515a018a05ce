// Recognising the snapshot chain: only the exact types are taken, since a class
// deriving from one of them may read differently.
#include "RoadSource.h"

#include "ContImageRef.h"
#include "PixRectRef.h"
#include "PixRectWrap.h"

#include <cstdint>
#include <typeinfo>

namespace {

bool isbase(const PixRect<ARGBVal>& p) {
    return typeid(p) == typeid(PixRectRW<ARGBVal>) || typeid(p) == typeid(PixRectWrap<ARGBVal>);
}

// The rectangle (lx, ly, hx, hy) less (dx, dy) lies within r's bounds.
bool within(const RoadSource& c, int dx, int dy, const PixRectBase<ARGBVal>& r) {
    return std::int64_t(c.lx) - dx >= r.lx() && std::int64_t(c.hx) - dx <= r.hx() &&
           std::int64_t(c.ly) - dy >= r.ly() && std::int64_t(c.hy) - dy <= r.hy();
}

} // namespace

// Every position the continuous view reads inside its bounds must be a stored
// pixel of the base raster; a view that misses its source (or any other
// geometry) goes the pixel-by-pixel road, whose reads are all checked.
bool RoadSource::recognise(const PixRect<ARGBVal>& raster, RoadSource& c) {
    if (typeid(raster) != typeid(SamplePixRectNC<ARGBVal, ARGBVal>)) return false;
    const auto* s = dynamic_cast<const SamplePixRectNC<ARGBVal, ARGBVal>*>(&raster);
    const PixRect<ARGBVal>* src = s ? s->src() : nullptr;
    if (!src || typeid(*src) != typeid(ContImageRef<ARGBVal>)) return false;
    const auto* cont = dynamic_cast<const ContImageRef<ARGBVal>*>(src);
    if (!cont || cont->width() < 1 || cont->height() < 1) return false;

    c.sample = s;
    c.code = cont->gettype();
    c.identity = s->xsl() == 1.0f && s->ysl() == 1.0f;
    c.reduce = !c.identity && s->xsl() != 1.0f && s->xsl() >= 2.0f && s->ysl() >= 2.0f;
    const sisamplecodes t = s->gettype();
    if (!c.identity && t != SIInterpolated && !(c.reduce && t == SIScatter)) return false;

    c.lx = cont->lx();
    c.ly = cont->ly();
    c.hx = cont->hx();
    c.hy = cont->hy();
    c.ox = cont->offsetx();
    c.oy = cont->offsety();
    const PixRect<ARGBVal>* view = cont->source();
    if (!view) return false;
    if (typeid(*view) == typeid(PixRectRef<ARGBVal>)) {
        const auto* region = dynamic_cast<const PixRectRef<ARGBVal>*>(view);
        if (!region || !within(c, c.ox, c.oy, *region)) return false;
        const PixRect<ARGBVal>* b = region->source();
        if (!b || !isbase(*b)) return false;
        c.ox += region->offsetx();
        c.oy += region->offsety();
        view = b;
    } else if (!isbase(*view)) {
        return false;
    }
    c.base = dynamic_cast<const PixRectRW<ARGBVal>*>(view);
    return c.base && c.base->hasstorage() && within(c, c.ox, c.oy, *c.base);
}
