// A bounded cache of decoded pictures of one movie, keyed by sample index.
#pragma once

#include <cstddef>
#include <list>
#include <unordered_map>

struct AVFrame;

// Holds references to the decoder's own pictures (no copies, no conversion)
// for the samples decoded most recently. Every picture decoded on the way to
// a requested sample goes in, so that stepping backward through a GOP after
// one seek-and-decode finds the earlier pictures here instead of decoding the
// GOP again for every step. The least recently used picture leaves first. The
// budget is at most 512 MiB and at most `maxPictures` pictures, so small
// frames keep a small cache.
class MovieFrameCache {
public:
    static constexpr size_t maxBytes = size_t(512) << 20;
    static constexpr size_t maxPictures = 320; // more than a GOP of 250

    MovieFrameCache() = default;
    MovieFrameCache(const MovieFrameCache&) = delete;
    MovieFrameCache& operator=(const MovieFrameCache&) = delete;
    ~MovieFrameCache();

    // Takes a new reference to `frame`; nothing happens when the sample is held.
    void insert(long sample, const AVFrame* frame);
    const AVFrame* find(long sample); // null when absent; marks it as recently used
    void clear();
    // At most `pictures` are held (maxPictures at most); 0 holds none, which
    // also lets the decoder reuse its picture buffers at once.
    void setLimit(size_t pictures);
    size_t limit() const { return limitPictures; }
    size_t count() const { return entries.size(); }
    size_t bytes() const { return usedBytes; }

private:
    struct Entry {
        AVFrame* frame;
        size_t bytes;
        std::list<long>::iterator age;
    };
    void evictOne();
    std::unordered_map<long, Entry> entries;
    std::list<long> ages; // front: least recently used
    size_t usedBytes = 0;
    size_t limitPictures = maxPictures;
};
