// PixRectC<P>: a read-only raster that caches an expensive source raster in
// square tiles, each copied whole from the source on the first read inside it.
#pragma once

#include "PixRectRW.h"

#include <memory>
#include <vector>

template <class P> class PixRectC : public PixRect<P> {
public:
    PixRectC() = default;
    explicit PixRectC(const DBGState& s) : PixRect<P>(s) {}
    // A cache over source with 64 x 64 tiles; the source must outlive it.
    explicit PixRectC(PixRect<P>& source) { attach(&source); }
    // As above; a null source gives a cache with nothing to read (all black).
    explicit PixRectC(PixRect<P>* source) { attach(source); }
    // Tiles are owned: a copy would delete them twice.
    PixRectC(const PixRectC&) = delete;
    PixRectC& operator=(const PixRectC&) = delete;
    ~PixRectC() override { deletecache(); }

    void init() override {}
    virtual PixRect<P>* src() const { return src_; }

    // New, empty tile tables for tiles of tw x th pixels: one more tile column and
    // row than width / tw and height / th. Tile sizes below 1 are refused (false,
    // and the cache is left without tables, so every read is black).
    bool initcache(int tw, int th);

    // The tile holding (x, y), copied from the source if not cached yet; null for
    // a position outside the bounds or a cache without tables.
    PixRectRW<P>* cachetile(int x, int y) const;
    // The cached pixel (x, y). A position outside the bounds or a cache without
    // tables gives a scratch pixel, black when handed out, and nothing is cached.
    P& cacheref(int x, int y) const {
        PixRectRW<P>* t = cachetile(x, y);
        if (!t) {
            scratch_ = this->blackpixel;
            return scratch_;
        }
        return t->pixrefNB(x, y);
    }

    P pix(int x, int y) const override {
        if (!this->withinbounds(x, y)) return this->blackpixel;
        return cacheref(x, y);
    }
    P pixNB(int x, int y) const override { return cacheref(x, y); }
    P pixdd(double x, double y) const override {
        int ix, iy;
        if (!SIPixelMath::truncpos(x, ix) || !SIPixelMath::truncpos(y, iy)) {
            return this->blackpixel;
        }
        return cacheref(ix, iy);
    }

    // Removes the tile at row ty, column tx of the table, if one is cached there.
    void deletetile(int ty, int tx);
    // Removes the tile made first (smallest age; of equal ages the last in table order).
    void clearoldest();
    // Removes every tile and restarts the age stamps; the tables stay.
    void clearcache();
    // Removes every tile and the tables.
    void deletecache();

    // Cached pixels, counting each tile at its full size.
    int cachesize() const { return ntiles_ * tw_ * th_; }
    // How full the tile table is, in percent: (ntiles * 100) / (nx * ny), 0 without
    // tables. (A percentage of the table, so a full table reads 100.)
    int percused() const;

    int printInfo() const override {
        siprintf("PixRectC: ");
        return PixRect<P>::printInfo();
    }

    // Geometry and state, for callers that manage the cache.
    int tilesacross() const { return nx_; }
    int tilesdown() const { return ny_; }
    int tilewidth() const { return tw_; }
    int tileheight() const { return th_; }
    int tilecount() const { return ntiles_; }
    // The creation stamp of tile (ty, tx), 0 where none is cached.
    int tileage(int ty, int tx) const { return intable(ty, tx) ? ages_[index(ty, tx)] : 0; }

private:
    void attach(PixRect<P>* source);
    bool intable(int ty, int tx) const { return ty >= 0 && ty < ny_ && tx >= 0 && tx < nx_; }
    std::size_t index(int ty, int tx) const {
        return static_cast<std::size_t>(ty) * static_cast<std::size_t>(nx_) +
               static_cast<std::size_t>(tx);
    }

    // The tile table, row ty at [ty * nx]; empty when there are no tables.
    mutable std::vector<std::unique_ptr<PixRectRW<P>>> tiles_;
    mutable std::vector<int> ages_;
    PixRect<P>* src_ = nullptr;
    int nx_ = 0;
    int ny_ = 0;
    int tw_ = 0;
    int th_ = 0;
    mutable int ntiles_ = 0;
    mutable int agestamp_ = 0;
    mutable P scratch_{};
};

template <class P> void PixRectC<P>::attach(PixRect<P>* source) {
    src_ = source;
    if (!source) return;
    this->dbg = source->dbg;
    PixRectBase<P>::setbounds(*source);
    initcache(64, 64);
}

template <class P> bool PixRectC<P>::initcache(int tw, int th) {
    if (!tiles_.empty() || !ages_.empty()) deletecache();
    if (tw < 1 || th < 1) return false;
    const int w = this->width() > 0 ? this->width() : 0;
    const int h = this->height() > 0 ? this->height() : 0;
    tw_ = tw;
    th_ = th;
    nx_ = w / tw + 1;
    ny_ = h / th + 1;
    const std::size_t n = static_cast<std::size_t>(nx_) * static_cast<std::size_t>(ny_);
    tiles_.resize(n);
    ages_.assign(n, 0);
    ntiles_ = 0;
    return true;
}

template <class P> PixRectRW<P>* PixRectC<P>::cachetile(int x, int y) const {
    if (tiles_.empty() || !src_ || !this->withinbounds(x, y)) return nullptr;
    const int tx = (x - this->lx_) / tw_;
    const int ty = (y - this->ly_) / th_;
    auto& tile = tiles_[index(ty, tx)];
    if (!tile) {
        // The tile's square, cut to the source at the right and bottom edges (the
        // window a view onto the source would show), keeps absolute coordinates
        // and is copied straight from the source.
        const int x0 = this->lx_ + tx * tw_, y0 = this->ly_ + ty * th_;
        const int x1 = SICommon_H::min(x0 + tw_ - 1, src_->hx());
        const int y1 = SICommon_H::min(y0 + th_ - 1, src_->hy());
        tile = std::make_unique<PixRectRW<P>>(x0, y0, x1, y1);
        tile->dbg = this->dbg;
        tile->setscale(this->xs(), this->ys());
        tile->copyfrom(*src_);
        ages_[index(ty, tx)] = agestamp_++;
        ++ntiles_;
    }
    return tile.get();
}

template <class P> void PixRectC<P>::deletetile(int ty, int tx) {
    if (!intable(ty, tx)) return;
    auto& tile = tiles_[index(ty, tx)];
    if (!tile) return;
    tile.reset();
    ages_[index(ty, tx)] = 0;
    --ntiles_;
}

template <class P> void PixRectC<P>::clearoldest() {
    int bty = -1, btx = -1;
    for (int ty = 0; ty < ny_; ++ty) {
        for (int tx = 0; tx < nx_; ++tx) {
            if (!tiles_[index(ty, tx)]) continue;
            if (bty < 0 || ages_[index(ty, tx)] <= ages_[index(bty, btx)]) {
                bty = ty;
                btx = tx;
            }
        }
    }
    if (bty >= 0) deletetile(bty, btx);
}

template <class P> void PixRectC<P>::clearcache() {
    for (auto& t : tiles_) t.reset();
    std::fill(ages_.begin(), ages_.end(), 0);
    ntiles_ = 0;
    agestamp_ = 0;
}

template <class P> void PixRectC<P>::deletecache() {
    tiles_.clear();
    tiles_.shrink_to_fit();
    ages_.clear();
    ages_.shrink_to_fit();
    nx_ = ny_ = 0;
    ntiles_ = 0;
    agestamp_ = 0;
}

template <class P> int PixRectC<P>::percused() const {
    const long long cells = static_cast<long long>(nx_) * ny_;
    if (cells < 1) return 0;
    return static_cast<int>(static_cast<long long>(ntiles_) * 100 / cells);
}

extern template class PixRectC<ARGBVal>;
extern template class PixRectC<GreyPixel<unsigned char>>;
