#include "MovieFrameCache.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace {
size_t pictureBytes(const AVFrame* f) {
    size_t n = 0;
    for (int i = 0; i < AV_NUM_DATA_POINTERS && f->buf[i]; ++i) n += f->buf[i]->size;
    return n ? n : size_t(f->width) * size_t(f->height) * 4;
}
} // namespace

MovieFrameCache::~MovieFrameCache() {
    clear();
}

void MovieFrameCache::insert(long sample, const AVFrame* frame) {
    if (!frame || limitPictures == 0 || entries.count(sample)) return;
    size_t b = pictureBytes(frame);
    if (b > maxBytes) return;
    while (!entries.empty() && (usedBytes + b > maxBytes || entries.size() >= limitPictures))
        evictOne();
    AVFrame* ref = av_frame_clone(frame);
    if (!ref) return; // out of memory: the cache is only an accelerator
    ages.push_back(sample);
    entries.emplace(sample, Entry{ref, b, std::prev(ages.end())});
    usedBytes += b;
}

const AVFrame* MovieFrameCache::find(long sample) {
    auto it = entries.find(sample);
    if (it == entries.end()) return nullptr;
    ages.splice(ages.end(), ages, it->second.age);
    return it->second.frame;
}

void MovieFrameCache::evictOne() {
    long victim = ages.front();
    ages.pop_front();
    auto it = entries.find(victim);
    usedBytes -= it->second.bytes;
    av_frame_free(&it->second.frame);
    entries.erase(it);
}

void MovieFrameCache::setLimit(size_t pictures) {
    limitPictures = pictures < maxPictures ? pictures : maxPictures;
    while (entries.size() > limitPictures) evictOne();
}

void MovieFrameCache::clear() {
    for (auto& [k, e] : entries) av_frame_free(&e.frame);
    entries.clear();
    ages.clear();
    usedBytes = 0;
}
