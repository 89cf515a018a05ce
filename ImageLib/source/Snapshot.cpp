#include "Snapshot.h"

namespace Snapshot {

Bounds cropBounds(float x, float y, float w, float h) {
    Bounds b;
    b.lx = int(x);
    b.ly = int(y);
    // The far edge is included: a crop w wide covers w + 1 columns before the
    // cut to the frame.
    b.hx = int(x + w);
    b.hy = int(y + h);
    return b;
}

float scaleForPosition(float position) {
    const float d = position - 9.0f;
    // Not a number takes the enlarging branch, as any position right of 8 does.
    if (d > -1.0f || d != d) return 1.0f / (d + 1.0f);
    return 1.0f - d;
}

Chain::Chain(PixRect<ARGBVal>& frame, const Bounds* crop, const Size& size, siinterpcode interp)
    : interp_(interp) {
    if (crop)
        region_ =
            std::make_unique<PixRectRef<ARGBVal>>(frame, crop->lx, crop->ly, crop->hx, crop->hy);
    else
        region_ = std::make_unique<PixRectRef<ARGBVal>>(frame, frame.lx(), frame.ly(), frame.hx(),
                                                        frame.hy());
    const int rw = region_->width();
    const int rh = region_->height();
    bool copy;
    double xfactor, yfactor;
    if (size.explicitSize) {
        // A size equal to the region's own resamples nothing, so the region is
        // copied. (Against the frame's size in crop mode it would copy the
        // crop at its own size and ignore the size asked for.)
        copy = int(size.width) == rw && int(size.height) == rh;
        xfactor = double(float(rw) / size.width);
        yfactor = double(float(rh) / size.height);
    } else {
        copy = size.scale == 1.0f;
        xfactor = yfactor = double(size.scale);
    }
    if (!copy) {
        continuous_ = std::make_unique<ContImageRef<ARGBVal>>(*region_, interp);
        resampled_ = std::make_unique<SamplePixRectNC<ARGBVal, ARGBVal>>(*continuous_, xfactor,
                                                                         yfactor, SIInterpolated);
    }
}

Chain::~Chain() {
    bitmap_.reset();
    resampled_.reset();
    continuous_.reset();
    copy_.reset();
    region_.reset();
}

int Chain::width() const {
    return resampled_ ? resampled_->width() : region_->width();
}

int Chain::height() const {
    return resampled_ ? resampled_->height() : region_->height();
}

const Bitmapio& Chain::bitmap() {
    if (bitmap_) return *bitmap_;
    if (resampled_) {
        bitmap_ = std::make_unique<Bitmapio>(*resampled_);
    } else {
        copy_ = std::make_unique<PixRectRW<ARGBVal>>(*region_);
        bitmap_ = std::make_unique<Bitmapio>(*copy_);
        // The bitmap holds the copy's pixels now; releasing the copy at once
        // keeps one whole frame less in memory while the still is written.
        copy_.reset();
    }
    return *bitmap_;
}

} // namespace Snapshot
