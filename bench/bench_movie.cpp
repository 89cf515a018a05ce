// The frame source on a generated 1920 x 1080 H.264 movie (GOP 250) beside
// plain libav code doing the same minimal work in the same run: opening with
// frame counting beside a demux pass; a forward step with rendering beside
// decoding one more picture and converting it; a backward step and a random
// jump beside seeking to the keyframe and decoding forward to the picture.
// The backward sweep through a whole GOP is reported per step, to set beside
// the forward step.
#include "MoviePixRect.h"
#include "TestMovies.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int W = 1920, H = 1080, GOP = 250;

int frameTotal() {
    // 30 s at 25 frames a second; BENCH_MOVIE_FRAMES shortens it.
    const char* e = std::getenv("BENCH_MOVIE_FRAMES");
    return e && std::atoi(e) >= 2 * GOP ? std::atoi(e) : 750;
}

struct Fixture {
    testmovies::TempFolder dir;
    std::string path;
    int frames = 0;
    Fixture() : path(dir.file("hd.mp4")), frames(frameTotal()) {
        testmovies::MovieOptions o;
        o.width = W;
        o.height = H;
        o.frames = frames;
        o.gop = GOP;
        o.bFrames = 2;
        std::string error;
        if (!testmovies::writeMovie(path, o, &error)) {
            std::fprintf(stderr, "cannot write the movie: %s\n", error.c_str());
            std::exit(1);
        }
    }
};

Fixture* fixture = nullptr;

// ---- The plain libav side ----------------------------------------------------

struct PacketInfo {
    int64_t pts, dts;
    bool key;
};

class Plain {
public:
    explicit Plain(const std::string& path) {
        if (avformat_open_input(&fmt, path.c_str(), nullptr, nullptr) < 0) return;
        avformat_find_stream_info(fmt, nullptr);
        stream = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (stream < 0) return;
        const AVCodecParameters* par = fmt->streams[stream]->codecpar;
        const AVCodec* codec = avcodec_find_decoder(par->codec_id);
        dec = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(dec, par);
        dec->pkt_timebase = fmt->streams[stream]->time_base;
        dec->thread_count = 0; // the same as the frame source
        avcodec_open2(dec, codec, nullptr);
        frame = av_frame_alloc();
        pkt = av_packet_alloc();
        out.resize(size_t(W) * H * 4);
    }
    ~Plain() {
        sws_freeContext(sws);
        av_packet_free(&pkt);
        av_frame_free(&frame);
        avcodec_free_context(&dec);
        avformat_close_input(&fmt);
    }
    Plain(const Plain&) = delete;
    Plain& operator=(const Plain&) = delete;
    bool ok() const { return dec && frame && pkt; }

    // One pass over the packets: each picture's times and key flag, in
    // presentation order.
    std::vector<PacketInfo> demuxPass() {
        std::vector<PacketInfo> all;
        while (av_read_frame(fmt, pkt) >= 0) {
            if (pkt->stream_index == stream)
                all.push_back({pkt->pts, pkt->dts, bool(pkt->flags & AV_PKT_FLAG_KEY)});
            av_packet_unref(pkt);
        }
        std::sort(all.begin(), all.end(),
                  [](const PacketInfo& a, const PacketInfo& b) { return a.pts < b.pts; });
        if (!all.empty()) firstDts = all.front().dts;
        return all;
    }

    // Decodes the next picture in presentation order and converts it; false
    // at the end of the movie.
    bool decodeOne() {
        for (;;) {
            int r = avcodec_receive_frame(dec, frame);
            if (r == 0) {
                lastPts = frame->best_effort_timestamp;
                return true;
            }
            if (r == AVERROR_EOF) return false;
            if (av_read_frame(fmt, pkt) < 0) {
                avcodec_send_packet(dec, nullptr);
                continue;
            }
            if (pkt->stream_index == stream) avcodec_send_packet(dec, pkt);
            av_packet_unref(pkt);
        }
    }
    bool decodeOneAndConvert() { return decodeOne() && convert(); }

    // From the keyframe at or before picture `index`, decoded forward to it.
    bool seekAndDecode(const std::vector<PacketInfo>& pictures, size_t index) {
        size_t key = index;
        while (key > 0 && !pictures[key].key) --key;
        // MP4 indexes keyframes by their (shifted) presentation time.
        av_seek_frame(fmt, stream, pictures[key].pts, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(dec);
        while (decodeOne())
            if (lastPts >= pictures[index].pts) return lastPts == pictures[index].pts && convert();
        return false;
    }

    // Back to the first picture (after a demux pass).
    void rewind() {
        av_seek_frame(fmt, stream, firstDts, AVSEEK_FLAG_BACKWARD);
        avcodec_flush_buffers(dec);
    }

private:
    // The conversion the frame source makes: BT.709 limited range to ARGB
    // with the same filter and rounding.
    bool convert() {
        sws = sws_getCachedContext(
            sws, frame->width, frame->height, AVPixelFormat(frame->format), W, H, AV_PIX_FMT_ARGB,
            SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr, nullptr, nullptr);
        if (!sws) return false;
        sws_setColorspaceDetails(sws, sws_getCoefficients(SWS_CS_ITU709), 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        uint8_t* planes[4] = {out.data(), nullptr, nullptr, nullptr};
        int strides[4] = {W * 4, 0, 0, 0};
        return sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides) > 0;
    }

    AVFormatContext* fmt = nullptr;
    AVCodecContext* dec = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* pkt = nullptr;
    SwsContext* sws = nullptr;
    int stream = -1;
    int64_t lastPts = 0;
    int64_t firstDts = 0;
    std::vector<uint8_t> out;
};

// ---- The frame source side ---------------------------------------------------

std::unique_ptr<MoviePixRect> openSource() {
    Movie m = nullptr;
    if (OpenMovieFromPath(fixture->path.c_str(), &m) != noErr) return nullptr;
    auto g = std::make_unique<MoviePixRect>(m, 32);
    return g->movie ? std::move(g) : nullptr;
}

// The decoding work per iteration, as the movie counts it.
void reportWork(benchmark::State& state, const MoviePixRect& g, const MovieDecodeCounters& before) {
    MovieDecodeCounters after;
    GetMovieDecodeCounters(g.movie, &after);
    const double n = double(state.iterations());
    state.counters["decoded"] = double(after.picturesDecoded - before.picturesDecoded) / n;
    state.counters["seeks"] = double(after.seeks - before.seeks) / n;
    state.counters["cached"] = double(after.cacheHits - before.cacheHits) / n;
}

// Random frame numbers over the whole movie, the same for both sides.
std::vector<unsigned> jumpTargets() {
    std::vector<unsigned> t(64);
    std::mt19937 rng(5);
    for (auto& k : t) k = unsigned(rng() % unsigned(fixture->frames));
    return t;
}

void BM_Open_FrameSource(benchmark::State& state) {
    for (auto _ : state) {
        auto g = openSource();
        if (!g || g->frameCount != unsigned(fixture->frames)) state.SkipWithError("open failed");
    }
}

void BM_Open_PlainDemuxPass(benchmark::State& state) {
    for (auto _ : state) {
        Plain p(fixture->path);
        const size_t n = p.ok() ? p.demuxPass().size() : 0;
        if (n != size_t(fixture->frames)) {
            std::fprintf(stderr, "demux pass: %zu pictures\n", n);
            state.SkipWithError("demux failed");
        }
    }
}

// The plain road to the same state as an opened frame source: the demux pass
// and the first picture converted.
void BM_Open_PlainDemuxPassAndFirstPicture(benchmark::State& state) {
    for (auto _ : state) {
        Plain p(fixture->path);
        if (!p.ok() || p.demuxPass().size() != size_t(fixture->frames))
            state.SkipWithError("demux failed");
        p.rewind();
        if (!p.decodeOneAndConvert()) state.SkipWithError("decode failed");
    }
}

void BM_StepForward_FrameSource(benchmark::State& state) {
    auto g = openSource();
    if (!g) return state.SkipWithError("open failed");
    MovieDecodeCounters before;
    GetMovieDecodeCounters(g->movie, &before);
    for (auto _ : state) {
        if (g->currentFrame + 1 >= g->frameCount) {
            state.PauseTiming();
            g->setFrameNumber(0);
            g->drawFrame();
            state.ResumeTiming();
        }
        g->nextFrame();
        g->drawFrame();
    }
    reportWork(state, *g, before);
}

void BM_StepForward_PlainDecodeOneAndConvert(benchmark::State& state) {
    Plain p(fixture->path);
    if (!p.ok()) return state.SkipWithError("open failed");
    p.demuxPass();
    p.rewind();
    for (auto _ : state) {
        if (!p.decodeOneAndConvert()) {
            state.PauseTiming();
            p.rewind();
            state.ResumeTiming();
            p.decodeOneAndConvert();
        }
    }
}

// Backward steps through the first GOP, from its last picture to its first;
// reaching the first picture goes back (untimed) to the last of the GOP, the
// way a user arrives there: the frame shown, the GOP decoded on the way.
void BM_StepBackward_FrameSource(benchmark::State& state) {
    auto g = openSource();
    if (!g) return state.SkipWithError("open failed");
    const OSType eyes = VisualMediaCharacteristic;
    auto toEndOfGop = [&] {
        // The last picture of the GOP is the 250th sample.
        g->setFrameNumber(0);
        for (int i = 0; i < GOP - 1; ++i) {
            TimeValue t = -1;
            GetMovieNextInterestingTime(g->movie, nextTimeStep, 1, &eyes, g->currentTime, 0x10000,
                                        &t, nullptr);
            g->currentTime = t;
        }
        g->currentFrame = g->frameattime(g->currentTime);
        SetMovieTimeValue(g->movie, g->currentTime);
        g->drawFrame();
    };
    toEndOfGop();
    MovieDecodeCounters before;
    GetMovieDecodeCounters(g->movie, &before);
    for (auto _ : state) {
        if (g->currentFrame == 0) {
            state.PauseTiming();
            toEndOfGop();
            state.ResumeTiming();
        }
        g->previousFrame();
        g->drawFrame();
    }
    reportWork(state, *g, before);
}

// The plain road of a backward step: seek to the keyframe and decode forward
// to the picture before. Steps are taken at places spread over the GOP.
void BM_StepBackward_PlainSeekAndDecode(benchmark::State& state) {
    Plain p(fixture->path);
    if (!p.ok()) return state.SkipWithError("open failed");
    const std::vector<PacketInfo> pictures = p.demuxPass();
    size_t j = 0;
    for (auto _ : state) {
        const size_t from = size_t(GOP - 1) - (j++ * 97) % size_t(GOP - 1); // 249 ... 1
        if (!p.seekAndDecode(pictures, from - 1)) state.SkipWithError("seek failed");
    }
}

void BM_Jump_FrameSource(benchmark::State& state) {
    auto g = openSource();
    if (!g) return state.SkipWithError("open failed");
    const std::vector<unsigned> targets = jumpTargets();
    size_t j = 0;
    MovieDecodeCounters before;
    GetMovieDecodeCounters(g->movie, &before);
    for (auto _ : state) {
        g->setFrameNumber(targets[j++ % targets.size()]);
        g->drawFrame();
    }
    reportWork(state, *g, before);
}

void BM_Jump_PlainSeekAndDecode(benchmark::State& state) {
    Plain p(fixture->path);
    if (!p.ok()) return state.SkipWithError("open failed");
    const std::vector<PacketInfo> pictures = p.demuxPass();
    // The picture the frame source shows for each frame number: the last
    // sample starting at or before the frame's time.
    const double duration = double(pictures.back().pts - pictures.front().pts) / pictures.size();
    std::vector<size_t> shown;
    for (unsigned k : jumpTargets()) {
        const int64_t t = pictures.front().pts + int64_t(k * duration);
        size_t i = 0;
        while (i + 1 < pictures.size() && pictures[i + 1].pts <= t) ++i;
        shown.push_back(i);
    }
    size_t j = 0;
    for (auto _ : state)
        if (!p.seekAndDecode(pictures, shown[j++ % shown.size()]))
            state.SkipWithError("seek failed");
}

BENCHMARK(BM_Open_FrameSource)
    ->MinWarmUpTime(0.3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_Open_PlainDemuxPass)
    ->MinWarmUpTime(0.3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_Open_PlainDemuxPassAndFirstPicture)
    ->MinWarmUpTime(0.3)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_StepForward_FrameSource)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(600);
BENCHMARK(BM_StepForward_PlainDecodeOneAndConvert)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(600);
BENCHMARK(BM_StepBackward_FrameSource)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(2 * (GOP - 1));
BENCHMARK(BM_StepBackward_PlainSeekAndDecode)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(24);
BENCHMARK(BM_Jump_FrameSource)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(64);
BENCHMARK(BM_Jump_PlainSeekAndDecode)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(64);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    av_log_set_level(AV_LOG_ERROR);
    Fixture f;
    fixture = &f;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture = nullptr;
    return 0;
}
