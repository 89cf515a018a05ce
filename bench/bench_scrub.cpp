// Scrubbing through the application's own movie view: the position slider of
// the real interface, held down and moved to random positions of a generated
// 1920 x 1080 H.264 movie (GOP 250), each position rendered and painted;
// beside it the exact jump on release and, in the same run, a plain libav
// forward decode of one picture. Time is per slider position (wall clock:
// the decoding runs on threads of its own).
#include "AppInterface.h"
#include "MyObject.h"
#include "MyQuickDrawView.h"
#include "TestMovies.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSlider>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr int W = 1920, H = 1080, GOP = 250;

struct Fixture {
    testmovies::TempFolder dir;
    std::string path = dir.file("hd.mp4");
    int frames = 0;
    Fixture() {
        const char* e = std::getenv("BENCH_MOVIE_FRAMES");
        frames = e && std::atoi(e) >= 2 * GOP ? std::atoi(e) : 500;
        testmovies::MovieOptions o;
        o.width = W;
        o.height = H;
        o.frames = frames;
        o.gop = GOP;
        std::string error;
        if (!testmovies::writeMovie(path, o, &error)) {
            std::fprintf(stderr, "cannot write the movie: %s\n", error.c_str());
            std::exit(1);
        }
    }
};
Fixture* fixture = nullptr;

// The slider moved to random positions; held down (scrubbing) or not (exact).
void moveSlider(benchmark::State& state, bool held) {
    AppInterface ui;
    ui.window()->show();
    if (!ui.controller()->openPath(QString::fromStdString(fixture->path))) {
        state.SkipWithError("the movie did not open");
        return;
    }
    QSlider* slider = ui.main.slider;
    slider->setSliderDown(held);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> position(0, fixture->frames - 1);
    for (auto _ : state) {
        slider->setValue(position(random));
        ui.main.myView->repaint();
    }
    slider->setSliderDown(false);
}

void BM_Scrub_ViewSliderHeld(benchmark::State& state) {
    moveSlider(state, true);
}
BENCHMARK(BM_Scrub_ViewSliderHeld)->Unit(benchmark::kMillisecond)->Iterations(40)->UseRealTime();

void BM_Jump_ViewSliderReleased(benchmark::State& state) {
    moveSlider(state, false);
}
BENCHMARK(BM_Jump_ViewSliderReleased)->Unit(benchmark::kMillisecond)->Iterations(20)->UseRealTime();

// Plain libav: the next picture of the stream decoded, from the start again
// at the end.
void BM_ForwardDecode_Plain(benchmark::State& state) {
    AVFormatContext* fmt = nullptr;
    if (avformat_open_input(&fmt, fixture->path.c_str(), nullptr, nullptr) < 0 ||
        avformat_find_stream_info(fmt, nullptr) < 0) {
        state.SkipWithError("libav cannot open the movie");
        return;
    }
    const int stream = av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodec* codec = avcodec_find_decoder(fmt->streams[stream]->codecpar->codec_id);
    AVCodecContext* dec = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(dec, fmt->streams[stream]->codecpar);
    avcodec_open2(dec, codec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    for (auto _ : state) {
        bool got = false;
        while (!got) {
            if (avcodec_receive_frame(dec, frame) == 0) {
                got = true;
                break;
            }
            if (av_read_frame(fmt, packet) < 0) {
                avcodec_send_packet(dec, nullptr);
                if (avcodec_receive_frame(dec, frame) == 0) break;
                avcodec_flush_buffers(dec);
                av_seek_frame(fmt, stream, 0, AVSEEK_FLAG_BACKWARD);
                continue;
            }
            if (packet->stream_index == stream) avcodec_send_packet(dec, packet);
            av_packet_unref(packet);
        }
        benchmark::DoNotOptimize(frame->data[0]);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&dec);
    avformat_close_input(&fmt);
}
BENCHMARK(BM_ForwardDecode_Plain)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Fixture movie;
    fixture = &movie;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
