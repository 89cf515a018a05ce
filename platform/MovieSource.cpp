#include "MovieSource.h"

#include "ColourTags.h"
#include "Movies.h"
#include "OpenRefusal.h"
#include "WebpPacket.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace {

constexpr int64_t noPts = AV_NOPTS_VALUE;

int64_t bestTimestamp(const AVFrame* f) {
    return f->pts != noPts ? f->pts : f->best_effort_timestamp;
}

// The clockwise turn a player gives the picture: the display matrix holds the
// counter-clockwise angle, rounded here to a quarter turn.
int rotationOf(const AVStream* st) {
    size_t size = 0;
    const uint8_t* m = av_stream_get_side_data(st, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!m || size < 9 * sizeof(int32_t)) return 0;
    double angle = -av_display_rotation_get(reinterpret_cast<const int32_t*>(m));
    if (std::isnan(angle)) return 0;
    long quarter = std::lround(angle / 90.0);
    return int(((quarter % 4) + 4) % 4) * 90;
}

// QuickTime/MP4 and Matroska/WebM headers give every stream's codec, size
// and timing, so nothing needs decoding to open them: the first picture,
// decoded at open anyway, tells the rest. Other containers are probed.
bool describedByHeader(const AVFormatContext* fmt) {
    const char* name = fmt->iformat ? fmt->iformat->name : "";
    if (std::strncmp(name, "mov,", 4) != 0 && std::strncmp(name, "matroska", 8) != 0) return false;
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        const AVCodecParameters* p = fmt->streams[i]->codecpar;
        if (p->codec_type != AVMEDIA_TYPE_VIDEO) continue;
        if (p->codec_id == AV_CODEC_ID_NONE || p->width <= 0 || p->height <= 0) return false;
    }
    return true;
}

// How many pictures the decoder must hold back before giving one out, from
// the packets in decode order: the most that precede a picture in decode
// order but follow it in presentation order. (Probing would learn this by
// decoding; a decoder that guesses it low gives the first pictures out of order.)
int reorderDepth(const std::vector<MoviePacketTimes>& decodeOrder) {
    constexpr size_t most = 16; // the largest picture buffer any codec has
    int depth = 0;
    for (size_t i = 0; i < decodeOrder.size(); ++i) {
        int later = 0;
        for (size_t j = i > 4 * most ? i - 4 * most : 0; j < i; ++j)
            if (decodeOrder[j].pts > decodeOrder[i].pts) ++later;
        depth = std::max(depth, later);
    }
    return std::min(depth, int(most));
}

bool tooLarge(long width, long height) {
    return width > MovieSource::maxDimension || height > MovieSource::maxDimension ||
           int64_t(width) * height > MovieSource::maxPixels;
}

// The size a PNG file declares in its header; false for any other file.
bool pngHeaderSize(const std::string& path, long* width, long* height) {
    unsigned char b[24] = {};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    const size_t n = std::fread(b, 1, sizeof b, f);
    std::fclose(f);
    if (n < sizeof b || std::memcmp(b, "\x89PNG\r\n\x1a\n", 8) != 0 ||
        std::memcmp(b + 12, "IHDR", 4))
        return false;
    auto be32 = [&](int at) {
        return long(b[at]) << 24 | long(b[at + 1]) << 16 | long(b[at + 2]) << 8 | long(b[at + 3]);
    };
    *width = be32(16);
    *height = be32(20);
    return true;
}

using SteadyClock = std::chrono::steady_clock;

// The opener's side of one probe running on a worker thread: the worker hands
// over the opened demuxer, or closes it itself when the opener gave up waiting.
struct Probe {
    std::mutex lock;
    std::condition_variable finished;
    bool done = false, abandoned = false;
    AVFormatContext* fmt = nullptr;
    int result = 0;
    bool probed = false;
    bool recognised = false; // the file's kind was known
};

} // namespace

// A deadline shared by the source, its demuxers (FFmpeg's interrupt callback)
// and probes left running on their worker threads.
struct MovieSource::Clock {
    std::atomic<int64_t> until{std::numeric_limits<int64_t>::max()}; // steady-clock ticks
    bool running() const { return until.load() != std::numeric_limits<int64_t>::max(); }
    void start(int seconds) {
        until = (SteadyClock::now() + std::chrono::seconds(seconds)).time_since_epoch().count();
    }
    void stop() { until = std::numeric_limits<int64_t>::max(); }
    bool expired() const { return SteadyClock::now().time_since_epoch().count() > until.load(); }
    static int interrupt(void* clock) { return static_cast<const Clock*>(clock)->expired(); }
};

MovieSource::MovieSource() : clock(std::make_shared<Clock>()) {}

MovieSource::~MovieSource() {
    closeAll();
}

void MovieSource::closeAll() {
    cache.clear();
    av_frame_free(&frame);
    av_frame_free(&shown);
    av_packet_free(&pkt);
    avcodec_free_context(&dec);
    avformat_close_input(&fmt);
}

OSErr MovieSource::open(const std::string& path, std::unique_ptr<MovieSource>& out) {
    out.reset();
    struct stat sb {};
    if (::stat(path.c_str(), &sb) != 0) return errno == EACCES ? permErr : fnfErr;
    if (S_ISDIR(sb.st_mode)) return notAFileErr;
    if (sb.st_size == 0) return noMovieFound;

    std::unique_ptr<MovieSource> m(new MovieSource);
    m->path = path;
    m->frame = av_frame_alloc();
    m->shown = av_frame_alloc();
    m->pkt = av_packet_alloc();
    if (!m->frame || !m->shown || !m->pkt) return memFullErr;
    m->clock->start(deadlineSeconds);
    if (OSErr e = m->openDemuxer()) return e;

    AVStream* st = m->fmt->streams[m->stream];
    const AVCodecParameters* par = st->codecpar;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    if (!codec) return noCodecErr;
    if (tooLarge(par->width, par->height)) {
        NoteRefusedPictureSize(par->width, par->height);
        return memFullErr;
    }
    if (par->width <= 0 || par->height <= 0) {
        // Nothing could read the size, or the decoder refused to make the
        // picture; a PNG still says its size in its header.
        long w = 0, h = 0;
        if (pngHeaderSize(path, &w, &h) && tooLarge(w, h)) {
            NoteRefusedPictureSize(w, h);
            return memFullErr;
        }
        return codecBadDataErr; // a decoder is there, but nothing it could read
    }
    m->dec = avcodec_alloc_context3(codec);
    if (!m->dec) return memFullErr;
    if (avcodec_parameters_to_context(m->dec, par) < 0) return noCodecErr;
    m->dec->pkt_timebase = st->time_base;
    m->dec->thread_count = 0; // as many as the machine has
    m->dec->max_pixels = maxPixels;
    m->mpegVideo =
        par->codec_id == AV_CODEC_ID_MPEG1VIDEO || par->codec_id == AV_CODEC_ID_MPEG2VIDEO;
    AVRational r = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
    if (r.num > 0 && r.den > 0) m->rateNum = r.num, m->rateDen = r.den;

    if (OSErr e = m->scanPackets()) return e;
    if (!m->probed) m->dec->has_b_frames = std::max(m->dec->has_b_frames, m->reorder);
    if (avcodec_open2(m->dec, codec, nullptr) < 0) return noCodecErr;

    // Everything wanted from the stream is read now: decoding the first
    // picture may reopen the demuxer, which frees the stream and its parameters.
    int codedW = par->width, codedH = par->height;
    const AVRational containerSar = st->sample_aspect_ratio, headerSar = par->sample_aspect_ratio;
    const int transferTag = ColourTags::of(par->color_trc);
    m->rotationCw = rotationOf(st);
    st = nullptr;
    par = nullptr;

    // Unprobed, the first picture gives the size and shape the header may
    // not (cropping and aspect ratio coded in the stream alone). It is the
    // first picture shown anyway, so its decoding is not wasted.
    const AVFrame* first = nullptr;
    if (!m->probed) {
        OSErr err = noErr;
        first = m->picture(0, &err);
        if (err == codecAbortErr) return err;
        if (first && first->width > 0 && first->height > 0) {
            if (tooLarge(first->width, first->height)) {
                NoteRefusedPictureSize(first->width, first->height);
                return memFullErr;
            }
            codedW = first->width, codedH = first->height;
        }
    }

    m->transferTag = transferTag;
    if (m->transferTag == AVCOL_TRC_UNSPECIFIED && first)
        m->transferTag = ColourTags::of(first->color_trc);

    // Displayed size: the sample aspect ratio (the container's before the
    // stream's) widens or narrows the picture (the height stays, as players
    // do), then a quarter turn swaps the sides.
    AVRational sar = containerSar.num > 0 && containerSar.den > 0 ? containerSar
                     : first                                      ? first->sample_aspect_ratio
                                                                  : headerSar;
    double w = codedW;
    if (sar.num > 0 && sar.den > 0) w = w * sar.num / sar.den;
    double h = codedH;
    if (w > maxDimension) h = h * maxDimension / w, w = maxDimension; // keep the shape
    m->dispW = std::max(1, int(std::lround(w)));
    m->dispH = std::max(1, int(std::lround(h)));
    if (m->rotationCw == 90 || m->rotationCw == 270) std::swap(m->dispW, m->dispH);
    m->clock->stop();
    out = std::move(m);
    return noErr;
}

OSErr MovieSource::openDemuxer() {
    // Probing decodes, and a decoder may spin for ever on a damaged picture
    // without asking the interrupt callback, so it runs on a worker thread;
    // past the deadline (running: open() and picture() start it) the worker
    // is left to finish, or spin, on its own.
    auto probe = std::make_shared<Probe>();
    std::thread([probe, clock = clock, path = path] {
        AVFormatContext* f = avformat_alloc_context();
        int r = AVERROR(ENOMEM);
        bool probed = false;
        if (f) {
            f->interrupt_callback = {&Clock::interrupt, clock.get()};
            r = avformat_open_input(&f, path.c_str(), nullptr, nullptr); // frees f on failure
        }
        const bool recognised = r >= 0;
        if (r >= 0) {
            probed = !describedByHeader(f);
            if (probed) {
                // The probing decoders must not allocate pictures we would refuse anyway.
                std::vector<AVDictionary*> opts(f->nb_streams, nullptr);
                for (auto& d : opts) av_dict_set_int(&d, "max_pixels", maxPixels, 0);
                r = avformat_find_stream_info(f, opts.empty() ? nullptr : opts.data());
                for (auto& d : opts) av_dict_free(&d);
                if (r >= 0 && clock->expired()) r = AVERROR_EXIT;
            }
        }
        std::lock_guard hold(probe->lock);
        if (probe->abandoned || r < 0) {
            avformat_close_input(&f);
        }
        probe->fmt = f;
        probe->result = r;
        probe->probed = probed;
        probe->recognised = recognised;
        probe->done = true;
        probe->finished.notify_all();
    }).detach();

    std::unique_lock wait(probe->lock);
    const SteadyClock::time_point until{SteadyClock::duration(clock->until.load())};
    if (!probe->finished.wait_until(wait, until, [&] { return probe->done; })) {
        probe->abandoned = true;
        return codecAbortErr;
    }
    fmt = probe->fmt;
    probed = probe->probed;
    const int r = probe->result;
    const bool fmtRecognised = probe->recognised;
    if (r < 0) {
        fmt = nullptr;
        if (r == AVERROR(ENOENT)) return fnfErr;
        if (r == AVERROR(EACCES)) return permErr;
        if (r == AVERROR(ENOMEM)) return memFullErr;
        if (r == AVERROR_EXIT) return codecAbortErr;
        // A file whose kind was recognised but whose streams could not be read.
        return fmtRecognised ? OSErr(codecBadDataErr) : OSErr(noMovieFound);
    }

    stream = -1;
    int64_t bestArea = -1;
    bool sound = false;
    sounds.clear();
    for (unsigned i = 0; i < fmt->nb_streams; ++i) {
        AVStream* st = fmt->streams[i];
        st->discard = AVDISCARD_ALL;
        const AVCodecParameters* p = st->codecpar;
        if (p->codec_type == AVMEDIA_TYPE_AUDIO) {
            sound = true;
            AudioStream a;
            a.sampleRate = p->sample_rate > 0 ? p->sample_rate : 1;
            if (st->duration != noPts && st->duration > 0)
                a.duration = TimeValue(std::min<int64_t>(
                    av_rescale_q(st->duration, st->time_base, AVRational{1, a.sampleRate}),
                    std::numeric_limits<int32_t>::max()));
            sounds.push_back(a);
        }
        // Cover art travels as a video stream of one picture; it is not the movie.
        if (p->codec_type != AVMEDIA_TYPE_VIDEO || (st->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        int64_t area = int64_t(p->width) * p->height;
        if (area > bestArea) bestArea = area, stream = int(i);
    }
    if (stream < 0) return sound ? OSErr(noVideoTrackInMovieErr) : OSErr(noMovieFound);
    fmt->streams[stream]->discard = AVDISCARD_DEFAULT;
    return noErr;
}

// One pass over the packets without decoding: the presentation time and key
// flag of every visual sample. (Container indexes are not used: MP4 keeps
// decode times there and Matroska only its keyframes, so neither gives the
// presentation times of reordered pictures.)
OSErr MovieSource::scanPackets() {
    AVStream* st = fmt->streams[stream];
    std::vector<MoviePacketTimes> times;
    int64_t lastDuration = 0, maxPts = std::numeric_limits<int64_t>::min();
    size_t firstKey = SIZE_MAX; // in decode order
    untimed = false;
    for (;;) {
        if (clock->expired()) break; // a demuxer may find packets without reading anything
        int r = av_read_frame(fmt, pkt);
        if (r == AVERROR(EAGAIN)) continue;
        if (r < 0) break;
        if (pkt->stream_index == stream && !(pkt->flags & AV_PKT_FLAG_DISCARD)) {
            int64_t ts = pkt->pts != noPts ? pkt->pts : pkt->dts;
            // A stream whose packets carry no time (an icon file) shows its first picture.
            if (ts == noPts && times.empty() && !untimed) ts = 0, untimed = true;
            bool key = pkt->flags & AV_PKT_FLAG_KEY;
            if (ts != noPts) {
                if (key && firstKey == SIZE_MAX) firstKey = times.size();
                times.push_back({ts, pkt->dts != noPts ? pkt->dts : ts, key});
                if (ts > maxPts) maxPts = ts, lastDuration = pkt->duration;
            }
        }
        av_packet_unref(pkt);
    }
    if (clock->expired()) return codecAbortErr;
    // Pictures before the first keyframe can never be decoded. A stream
    // without any keyframe flag is taken as starting with one.
    if (firstKey == SIZE_MAX) {
        if (!times.empty()) times.front().key = true;
    } else {
        times.erase(times.begin(), times.begin() + long(firstKey));
    }
    reorder = reorderDepth(times);
    double fallback = rateNum > 0 ? double(rateDen) / rateNum : 0;
    if (!samples.build(std::move(times), st->time_base.num, st->time_base.den, lastDuration,
                       fallback))
        return codecBadDataErr;                         // times beyond any movie's length: damaged
    if (samples.empty()) return noVideoTrackInMovieErr; // no picture in it
    live = false; // the demuxer is at the end; the first picture seeks
    return noErr;
}

void MovieSource::codedFrameRate(int* num, int* den) const {
    if (dec && dec->framerate.num > 0 && dec->framerate.den > 0) {
        *num = dec->framerate.num;
        *den = dec->framerate.den;
    } else {
        *num = rateNum;
        *den = rateDen;
    }
}

bool MovieSource::reopen() {
    avformat_close_input(&fmt);
    if (openDemuxer() != noErr) return false;
    avcodec_flush_buffers(dec);
    ++stats.seeks;
    live = true;
    drained = packetPending = false;
    lastOut = -1;
    haveLandedKey = false;
    return true;
}

bool MovieSource::seekTo(long keyIndex, bool byPts) {
    av_packet_unref(pkt);
    packetPending = false;
    // Demuxers of single pictures seek by guessing byte positions, and land
    // inside the picture; starting again from the top is sure.
    if (!fmt || samples.size() == 1) return reopen();
    avcodec_flush_buffers(dec);
    drained = false;
    haveLandedKey = false;
    lastOut = -1;
    // Demuxers index keyframes by presentation time (MP4 with its composition
    // shift, Matroska) or by decode time (MPEG streams). Seeking by the
    // keyframe's presentation time lands on it in both kinds, or on a later
    // keyframe in a stream of very short GOPs, which decodeTo reports as late.
    // Seeking by its decode time, which is never later than its presentation
    // time, lands on it or an earlier keyframe: sure, but in MP4 with B-frames
    // a whole GOP too early, so it is only the second try.
    int64_t ts = byPts ? samples[keyIndex].pts : samples[keyIndex].seekTs;
    int r = av_seek_frame(fmt, stream, ts, AVSEEK_FLAG_BACKWARD);
    if (r < 0) r = avformat_seek_file(fmt, stream, std::numeric_limits<int64_t>::min(), ts, ts, 0);
    if (r < 0) return reopen(); // the demuxer cannot seek: start again from the top
    ++stats.seeks;
    live = true;
    return true;
}

// Decodes forward until the picture of sample `index` comes out. `late`: the
// demuxer landed after it (seek further back); `missing`: the stream went past
// it without producing it (it cannot be decoded).
MovieSource::Outcome MovieSource::decodeTo(long index, bool afterSeek) {
    const int64_t target = samples[index].pts;
    bool first = afterSeek;
    int failures = 0;
    for (;;) {
        if (clock->expired()) return Outcome::missing;
        int r = avcodec_receive_frame(dec, frame);
        if (r == 0) {
            ++stats.picturesDecoded;
            int64_t pts = untimed ? samples[0].pts : bestTimestamp(frame);
            long idx = pts == noPts ? -1 : samples.findPts(pts);
            // Pictures outside the table, and leading pictures of the keyframe
            // we started from (they refer to pictures before it), are skipped.
            if (idx < 0 || (haveLandedKey && pts < landedKeyPts)) {
                av_frame_unref(frame);
                continue;
            }
            bool clean = !(frame->flags & AV_FRAME_FLAG_CORRUPT) && !frame->decode_error_flags;
            if (clean) cache.insert(idx, frame);
            lastOut = idx;
            bool wasFirst = first;
            first = false;
            if (pts == target) {
                av_frame_unref(shown);
                av_frame_move_ref(shown, frame);
                return Outcome::found;
            }
            av_frame_unref(frame);
            if (pts > target) return wasFirst ? Outcome::late : Outcome::missing;
            continue;
        }
        if (r == AVERROR_EOF) {
            live = false;
            return Outcome::missing;
        }
        if (r != AVERROR(EAGAIN)) {
            if (++failures > 1000) return Outcome::missing;
            continue;
        }
        if (drained) { // the decoder has nothing more and wants nothing
            live = false;
            return Outcome::missing;
        }
        if (!packetPending) {
            int rr = av_read_frame(fmt, pkt);
            if (rr == AVERROR(EAGAIN)) continue;
            if (rr < 0) { // end of the file: let the decoder give back what it holds
                avcodec_send_packet(dec, nullptr);
                drained = true;
                continue;
            }
            if (pkt->stream_index != stream) {
                av_packet_unref(pkt);
                continue;
            }
            if (afterSeek && !haveLandedKey) {
                // Where the demuxer landed: nothing before a keyframe decodes.
                if (!(pkt->flags & AV_PKT_FLAG_KEY)) {
                    av_packet_unref(pkt);
                    continue;
                }
                haveLandedKey = true;
                landedKeyPts = pkt->pts != noPts ? pkt->pts : pkt->dts;
                if (landedKeyPts != noPts && landedKeyPts > target) {
                    av_packet_unref(pkt);
                    return Outcome::late;
                }
            }
            packetPending = true;
        }
        // A picture shown before the one asked for is only needed when others
        // refer to it; the decoder tells which from the picture's own header.
        const bool passedOver = skipPassedOver && pkt->pts != noPts && pkt->pts < target;
        dec->skip_frame = passedOver ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
        CutWebpPacketToContainer(dec->codec_id, pkt);
        int s = avcodec_send_packet(dec, pkt);
        if (s == AVERROR(EAGAIN)) continue; // take pictures out first, then send again
        packetPending = false;
        av_packet_unref(pkt);
        if (s < 0 && ++failures > 1000) return Outcome::missing;
    }
}

std::string MovieSource::creationTime() const {
    if (!fmt) return {};
    const AVDictionaryEntry* e = av_dict_get(fmt->metadata, "creation_time", nullptr, 0);
    if (!e && stream >= 0)
        e = av_dict_get(fmt->streams[stream]->metadata, "creation_time", nullptr, 0);
    if (!e || !*e->value) return {};
    // The demuxers write microseconds; whole seconds say the same more plainly.
    std::string t = e->value;
    if (const size_t dot = t.find(".000000"); dot != std::string::npos) t.erase(dot, 7);
    return t;
}

const AVFrame* MovieSource::picture(long index, OSErr* err) {
    // Within open() the opening's deadline runs; otherwise each picture has its own.
    const bool ownDeadline = !clock->running();
    if (ownDeadline) clock->start(pictureSeconds);
    const AVFrame* f = decodedPicture(index, err);
    if (!f && clock->expired()) *err = codecAbortErr;
    if (ownDeadline) clock->stop();
    return f;
}

const AVFrame* MovieSource::decodedPicture(long index, OSErr* err) {
    *err = noErr;
    if (index < 0 || size_t(index) >= samples.size()) {
        *err = paramErr;
        return nullptr;
    }
    if (const AVFrame* f = cache.find(index)) {
        ++stats.cacheHits;
        return f;
    }
    long key = samples.keyAtOrBefore(index);
    // Forward: decoding on from where the decoder stands costs no more than
    // seeking to the keyframe and decoding from there. At the end of the file
    // (drained) the decoder still gives back the pictures it holds.
    if (live && lastOut >= 0 && lastOut < index && index - lastOut <= index - key + 1) {
        if (decodeTo(index, false) == Outcome::found) return shown;
        if (const AVFrame* f = cache.find(index)) return f;
    }
    // The first try seeks by presentation time unless that has missed before
    // in this movie; a miss tries the same keyframe by decode time.
    const bool tryPts = !ptsSeekMisses;
    for (int attempt = tryPts ? 0 : 1; attempt < 9; ++attempt) {
        if (!seekTo(key, attempt == 0)) break;
        Outcome o = decodeTo(index, true);
        if (o == Outcome::found) return shown;
        if (attempt == 0) { // landed after the keyframe, or past the picture
            ptsSeekMisses = true;
            continue;
        }
        if (o == Outcome::missing) break;
        // Landed after the target: start from the keyframe before, and at
        // last from the very beginning.
        if (key == 0 && attempt > 1) {
            if (!reopen() || decodeTo(index, true) != Outcome::found) break;
            return shown;
        }
        key = key > 0 ? samples.keyAtOrBefore(key - 1) : 0;
    }
    *err = codecErr;
    return nullptr;
}
