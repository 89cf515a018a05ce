#include "TestMovies.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <stdexcept>
#include <tuple>

namespace testmovies {

namespace {

constexpr int gridSide = 4; // 4 x 4 cells: 12 bits of number, 4 of check
constexpr uint8_t dark = 16, light = 235;

int checkBits(int number) {
    return (number * 7 + 5) & 15;
}

bool cellBit(int number, int cell) {
    int word = (number & 0xFFF) | (checkBits(number) << 12);
    return (word >> cell) & 1;
}

bool fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

std::string avError(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Paints picture `number` into a YUV 4:2:0 frame. The scene: hues sweeping
// across, brightness rising down the picture, a bright disc crossing it; the
// number's blocks stand on it as grey squares centred on the cells, large
// enough to cover what readFrameNumber averages, so that the number still
// reads back.
void paint(AVFrame* f, const MovieOptions& o, int number) {
    const int w = f->width, h = f->height;
    const bool scene = o.content == Content::scene, flat = o.content == Content::flat;
    const double discX = w * (0.15 + 0.7 * ((number % 100) / 99.0)), discY = h * 0.62;
    const double discR = h * 0.12;
    const int sqx = w / (gridSide * 5) + 4, sqy = h / (gridSide * 5) + 4;
    // The number's bit at (x, y), or -1 where the scene shows instead.
    auto bit = [&](int x, int y) {
        int cx = std::min(gridSide - 1, x * gridSide / w);
        int cy = std::min(gridSide - 1, y * gridSide / h);
        int mx = int((cx + 0.5) * w / gridSide), my = int((cy + 0.5) * h / gridSide);
        if (scene && (std::abs(x - mx) > sqx || std::abs(y - my) > sqy)) return -1;
        return int(cellBit(number, cy * gridSide + cx));
    };
    auto inDisc = [&](double x, double y) {
        return (x - discX) * (x - discX) + (y - discY) * (y - discY) <= discR * discR;
    };
    for (int y = 0; y < h; ++y) {
        uint8_t* row = f->data[0] + long(y) * f->linesize[0];
        for (int x = 0; x < w; ++x) {
            const int b = o.content == Content::fields ? !(y & 1) : bit(x, y);
            if (flat)
                row[x] = o.flat[0];
            else if (b >= 0)
                row[x] = b ? light : dark;
            else
                row[x] = inDisc(x, y) ? 225 : uint8_t(50 + 150 * y / std::max(1, h - 1));
        }
    }
    for (int y = 0; y < (h + 1) / 2; ++y) {
        uint8_t* cbRow = f->data[1] + long(y) * f->linesize[1];
        uint8_t* crRow = f->data[2] + long(y) * f->linesize[2];
        for (int x = 0; x < (w + 1) / 2; ++x) {
            uint8_t cb = flat ? o.flat[1] : 128, cr = flat ? o.flat[2] : 128;
            if (scene && bit(2 * x, 2 * y) < 0 && bit(2 * x + 1, 2 * y + 1) < 0) {
                const double a = 2 * 3.14159265358979 * (2.0 * x / w + number / 125.0);
                const bool disc = inDisc(2 * x + 0.5, 2 * y + 0.5);
                cb = disc ? 90 : uint8_t(128 + 90 * std::cos(a));
                cr = disc ? 200 : uint8_t(128 + 90 * std::sin(a));
            }
            cbRow[x] = cb;
            crRow[x] = cr;
        }
    }
}

AVPixelFormat pickFormat(const AVCodec* codec) {
    if (!codec->pix_fmts) return AV_PIX_FMT_YUV420P;
    for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
        if (*p == AV_PIX_FMT_YUV420P) return *p;
    return codec->pix_fmts[0];
}

// An encoder, its stream and the conversion from our painted YUV 4:2:0.
struct Encoder {
    AVCodecContext* ctx = nullptr;
    AVStream* st = nullptr;
    SwsContext* sws = nullptr;
    AVFrame* yuv = nullptr;
    AVFrame* coded = nullptr;
    ~Encoder() {
        avcodec_free_context(&ctx);
        sws_freeContext(sws);
        av_frame_free(&yuv);
        av_frame_free(&coded);
    }
};

int drain(AVFormatContext* oc, Encoder& e, AVPacket* pkt) {
    for (;;) {
        int r = avcodec_receive_packet(e.ctx, pkt);
        if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return 0;
        if (r < 0) return r;
        // Every picture lasts one tick unless the encoder says otherwise, so
        // that a container's edit list covers the last picture too.
        if (pkt->duration <= 0 && e.ctx->codec_type == AVMEDIA_TYPE_VIDEO) pkt->duration = 1;
        av_packet_rescale_ts(pkt, e.ctx->time_base, e.st->time_base);
        pkt->stream_index = e.st->index;
        r = av_interleaved_write_frame(oc, pkt);
        if (r < 0) return r;
    }
}

bool openVideo(Encoder& e, AVFormatContext* oc, const MovieOptions& o, std::string* error) {
    const AVCodec* codec = avcodec_find_encoder_by_name(o.encoder.c_str());
    if (!codec) return fail(error, "no encoder " + o.encoder);
    e.ctx = avcodec_alloc_context3(codec);
    e.ctx->width = o.width;
    e.ctx->height = o.height;
    e.ctx->pix_fmt = o.pixelFormat >= 0 ? AVPixelFormat(o.pixelFormat) : pickFormat(codec);
    e.ctx->time_base = AVRational{o.timeBaseNum, o.timeBaseDen};
    e.ctx->framerate = AVRational{o.timeBaseDen, o.timeBaseNum};
    e.ctx->gop_size = o.gop;
    e.ctx->keyint_min = o.gop;
    e.ctx->max_b_frames = o.bFrames;
    e.ctx->thread_count = 1;
    if (o.sarNum > 0 && !o.sarInStreamOnly)
        e.ctx->sample_aspect_ratio = AVRational{o.sarNum, o.sarDen};
    e.ctx->color_range = AVColorRange(o.colorRange);
    e.ctx->colorspace = AVColorSpace(o.colorSpace);
    if (o.colorSpace == AVCOL_SPC_BT709) {
        e.ctx->color_primaries = AVCOL_PRI_BT709;
        e.ctx->color_trc = AVCOL_TRC_BT709;
    } else if (o.colorSpace == AVCOL_SPC_SMPTE170M || o.colorSpace == AVCOL_SPC_BT470BG) {
        e.ctx->color_primaries = AVCOL_PRI_SMPTE170M;
        e.ctx->color_trc = AVCOL_TRC_SMPTE170M;
    }
    if (o.transfer) e.ctx->color_trc = AVColorTransferCharacteristic(o.transfer);
    if (o.primaries) e.ctx->color_primaries = AVColorPrimaries(o.primaries);
    if (e.ctx->pix_fmt == AV_PIX_FMT_YUV420P && o.encoder == "mjpeg")
        e.ctx->color_range = AVCOL_RANGE_JPEG; // the encoder wants full range
    if (o.interlaced) {
        e.ctx->flags |= AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME;
        e.ctx->field_order = AV_FIELD_TT;
    }
    if (oc->oformat->flags & AVFMT_GLOBALHEADER) e.ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* opts = nullptr;
    if (o.encoder == "libx264") {
        av_dict_set(&opts, "preset", "veryfast", 0);
        av_dict_set_int(&opts, "crf", o.quality ? o.quality : 18, 0);
        // A fixed pattern of B-frames (one of each pair referred to by others),
        // whatever the pictures show.
        std::string params = "scenecut=0:b-adapt=0";
        if (o.openGop) params += ":open-gop=1";
        if (o.sarNum > 0 && o.sarInStreamOnly)
            params += ":sar=" + std::to_string(o.sarNum) + "/" + std::to_string(o.sarDen);
        av_dict_set(&opts, "x264-params", params.c_str(), 0);
    } else if (o.encoder == "libx265") {
        av_dict_set(&opts, "preset", "ultrafast", 0);
        av_dict_set_int(&opts, "crf", o.quality ? o.quality : 10, 0);
        av_dict_set(&opts, "x265-params", "log-level=error", 0);
    } else if (o.encoder == "libvpx" || o.encoder == "libvpx-vp9") {
        av_dict_set(&opts, "deadline", "realtime", 0);
        av_dict_set_int(&opts, "cpu-used", 8, 0);
        av_dict_set_int(&opts, "crf", o.quality ? o.quality : 10, 0);
        e.ctx->bit_rate = 2000000;
        e.ctx->max_b_frames = 0;
    } else {
        e.ctx->flags |= AV_CODEC_FLAG_QSCALE;
        e.ctx->global_quality = FF_QP2LAMBDA * (o.quality ? o.quality : 2);
        if (o.encoder == "mjpeg") e.ctx->max_b_frames = 0;
        if (o.encoder == "libwebp") av_dict_set(&opts, "lossless", "1", 0);
    }
    int r = avcodec_open2(e.ctx, codec, &opts);
    av_dict_free(&opts);
    if (r < 0) return fail(error, "cannot open " + o.encoder + ": " + avError(r));
    e.st = avformat_new_stream(oc, nullptr);
    if (!e.st) return fail(error, "no stream");
    e.st->time_base = e.ctx->time_base;
    e.st->sample_aspect_ratio = e.ctx->sample_aspect_ratio;
    avcodec_parameters_from_context(e.st->codecpar, e.ctx);
    if (o.rotation) {
        auto* m = reinterpret_cast<int32_t*>(
            av_stream_new_side_data(e.st, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(int32_t)));
        if (!m) return fail(error, "no side data");
        // The matrix's own angle (av_display_rotation_get) is the counter-clockwise
        // one, so a player turns the picture clockwise by `rotation`.
        av_display_rotation_set(m, double(o.rotation));
    }
    e.yuv = av_frame_alloc();
    e.yuv->format = AV_PIX_FMT_YUV420P;
    e.yuv->width = o.width;
    e.yuv->height = o.height;
    if (av_frame_get_buffer(e.yuv, 0) < 0) return fail(error, "no frame");
    if (e.ctx->pix_fmt != AV_PIX_FMT_YUV420P) {
        e.coded = av_frame_alloc();
        e.coded->format = e.ctx->pix_fmt;
        e.coded->width = o.width;
        e.coded->height = o.height;
        if (av_frame_get_buffer(e.coded, 0) < 0) return fail(error, "no frame");
        e.sws = sws_getContext(o.width, o.height, AV_PIX_FMT_YUV420P, o.width, o.height,
                               e.ctx->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!e.sws) return fail(error, "no conversion");
    }
    return true;
}

AVFrame* picture(Encoder& e, const MovieOptions& o, int number) {
    if (o.painter && e.coded) {
        av_frame_make_writable(e.coded);
        o.painter(e.coded, number);
        return e.coded;
    }
    av_frame_make_writable(e.yuv);
    paint(e.yuv, o, number);
    AVFrame* f = e.yuv;
    if (e.sws) {
        av_frame_make_writable(e.coded);
        sws_scale(e.sws, e.yuv->data, e.yuv->linesize, 0, o.height, e.coded->data,
                  e.coded->linesize);
        f = e.coded;
    }
    f->color_range = e.ctx->color_range;
    f->colorspace = e.ctx->colorspace;
    f->interlaced_frame = o.interlaced;
    f->top_field_first = o.interlaced;
    return f;
}

bool openSound(Encoder& e, AVFormatContext* oc, const std::string& name, std::string* error) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (!codec) return fail(error, "no encoder " + name);
    e.ctx = avcodec_alloc_context3(codec);
    e.ctx->sample_rate = 48000;
    e.ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&e.ctx->ch_layout, 2);
    e.ctx->bit_rate = 128000;
    e.ctx->time_base = AVRational{1, 48000};
    if (oc->oformat->flags & AVFMT_GLOBALHEADER) e.ctx->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int r = avcodec_open2(e.ctx, codec, nullptr);
    if (r < 0) return fail(error, "cannot open " + name + ": " + avError(r));
    e.st = avformat_new_stream(oc, nullptr);
    e.st->time_base = e.ctx->time_base;
    avcodec_parameters_from_context(e.st->codecpar, e.ctx);
    e.coded = av_frame_alloc();
    e.coded->format = e.ctx->sample_fmt;
    e.coded->nb_samples = e.ctx->frame_size > 0 ? e.ctx->frame_size : 1024;
    av_channel_layout_copy(&e.coded->ch_layout, &e.ctx->ch_layout);
    e.coded->sample_rate = 48000;
    if (av_frame_get_buffer(e.coded, 0) < 0) return fail(error, "no frame");
    av_samples_set_silence(e.coded->data, 0, e.coded->nb_samples, 2, e.ctx->sample_fmt);
    return true;
}

// Silent sound up to `seconds`.
int soundUntil(AVFormatContext* oc, Encoder& s, AVPacket* pkt, int64_t* next, double seconds) {
    while (*next < int64_t(seconds * 48000)) {
        s.coded->pts = *next;
        *next += s.coded->nb_samples;
        int r = avcodec_send_frame(s.ctx, s.coded);
        if (r < 0) return r;
        if ((r = drain(oc, s, pkt)) < 0) return r;
    }
    return 0;
}

struct Output {
    AVFormatContext* oc = nullptr;
    AVPacket* pkt = av_packet_alloc();
    ~Output() {
        if (oc && !(oc->oformat->flags & AVFMT_NOFILE)) avio_closep(&oc->pb);
        avformat_free_context(oc);
        av_packet_free(&pkt);
    }
    bool open(const std::string& path, std::string* error) {
        avformat_alloc_output_context2(&oc, nullptr, nullptr, path.c_str());
        if (!oc) return fail(error, "no muxer for " + path);
        return true;
    }
    bool begin(const std::string& path, std::string* error) {
        if (!(oc->oformat->flags & AVFMT_NOFILE) &&
            avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE) < 0)
            return fail(error, "cannot write " + path);
        int r = avformat_write_header(oc, nullptr);
        return r < 0 ? fail(error, "header: " + avError(r)) : true;
    }
};

} // namespace

bool writeMovie(const std::string& path, const MovieOptions& o, std::string* error) {
    if (av_log_get_level() >= AV_LOG_INFO) av_log_set_level(AV_LOG_ERROR); // encoders chatter
    Output out;
    if (!out.open(path, error)) return false;
    Encoder video, sound;
    if (!openVideo(video, out.oc, o, error)) return false;
    const bool mp4 = std::strcmp(out.oc->oformat->name, "mp4") == 0 ||
                     std::strcmp(out.oc->oformat->name, "mov") == 0;
    if (o.withSound && !openSound(sound, out.oc, mp4 ? "aac" : "mp2", error)) return false;
    if (!o.creationTime.empty())
        av_dict_set(&out.oc->metadata, "creation_time", o.creationTime.c_str(), 0);
    if (!out.begin(path, error)) return false;
    int64_t nextSound = 0;
    for (int i = 0; i < o.frames; ++i) {
        AVFrame* f = picture(video, o, i);
        f->pts = size_t(i) < o.pts.size() ? o.pts[size_t(i)] : o.firstPts + i;
        int r = avcodec_send_frame(video.ctx, f);
        if (r < 0) return fail(error, "encode: " + avError(r));
        if ((r = drain(out.oc, video, out.pkt)) < 0) return fail(error, "write: " + avError(r));
        if (o.withSound) {
            double t = double(f->pts + 1) * o.timeBaseNum / o.timeBaseDen;
            if (soundUntil(out.oc, sound, out.pkt, &nextSound, t) < 0) return fail(error, "sound");
        }
    }
    avcodec_send_frame(video.ctx, nullptr);
    if (drain(out.oc, video, out.pkt) < 0) return fail(error, "flush");
    if (o.withSound) {
        avcodec_send_frame(sound.ctx, nullptr);
        drain(out.oc, sound, out.pkt);
    }
    int r = av_write_trailer(out.oc);
    return r < 0 ? fail(error, "trailer: " + avError(r)) : true;
}

bool writeSoundOnly(const std::string& path, std::string* error) {
    Output out;
    if (!out.open(path, error)) return false;
    Encoder sound;
    if (!openSound(sound, out.oc, "pcm_s16le", error)) return false;
    if (!out.begin(path, error)) return false;
    int64_t next = 0;
    if (soundUntil(out.oc, sound, out.pkt, &next, 0.5) < 0) return fail(error, "sound");
    avcodec_send_frame(sound.ctx, nullptr);
    drain(out.oc, sound, out.pkt);
    return av_write_trailer(out.oc) >= 0 || fail(error, "trailer");
}

bool writeImage(const std::string& path, const std::string& encoder, int width, int height,
                int number, std::string* error) {
    MovieOptions o;
    o.encoder = encoder;
    o.width = width;
    o.height = height;
    o.firstPts = number;
    return writeStill(path, o, error);
}

std::vector<uint8_t> encodeStill(const MovieOptions& o, std::string* error) {
    std::vector<uint8_t> bytes;
    Encoder e;
    AVFormatContext* oc = avformat_alloc_context(); // only for its flags
    oc->oformat = av_guess_format("image2", nullptr, nullptr);
    const bool ok = openVideo(e, oc, o, error);
    avformat_free_context(oc);
    if (!ok) return bytes;
    AVFrame* f = picture(e, o, int(o.firstPts));
    f->pts = 0;
    f->quality = e.ctx->global_quality;
    AVPacket* pkt = av_packet_alloc();
    int r = avcodec_send_frame(e.ctx, f);
    if (r >= 0) r = avcodec_send_frame(e.ctx, nullptr);
    while (r >= 0 && (r = avcodec_receive_packet(e.ctx, pkt)) >= 0) {
        bytes.insert(bytes.end(), pkt->data, pkt->data + pkt->size);
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    if (bytes.empty()) fail(error, "nothing encoded");
    return bytes;
}

bool writeStill(const std::string& path, const MovieOptions& o, std::string* error) {
    const std::vector<uint8_t> bytes = encodeStill(o, error);
    if (bytes.empty()) return false;
    try {
        WriteFileBytes(path, bytes);
    } catch (const std::exception& e) {
        return fail(error, e.what());
    }
    return true;
}

int readFrameNumber(const uint8_t* pixels, int width, int height, long rowBytes, int rotationCw,
                    bool rgba) {
    if (!pixels || width < gridSide || height < gridSide) return -1;
    const int colour = rgba ? 0 : 1;
    int word = 0;
    for (int cell = 0; cell < gridSide * gridSide; ++cell) {
        // The cell's centre in the picture as coded, turned as the display turns it.
        double u = (cell % gridSide + 0.5) / gridSide, v = (cell / gridSide + 0.5) / gridSide;
        for (int turn = ((rotationCw % 360) + 360) % 360; turn >= 90; turn -= 90)
            std::tie(u, v) = std::pair(1 - v, u);
        int cx = int(u * width), cy = int(v * height);
        int rx = std::max(0, width / (gridSide * 5)), ry = std::max(0, height / (gridSide * 5));
        long sum = 0, n = 0;
        for (int y = cy - ry; y <= cy + ry; ++y)
            for (int x = cx - rx; x <= cx + rx; ++x) {
                if (x < 0 || y < 0 || x >= width || y >= height) continue;
                const uint8_t* p = pixels + long(y) * rowBytes + long(x) * 4 + colour;
                sum += p[0] + p[1] + p[2];
                ++n;
            }
        if (n && sum / (3 * n) >= 128) word |= 1 << cell;
    }
    int number = word & 0xFFF;
    return (word >> 12) == checkBits(number) ? number : -1;
}

std::string numberedMovie(const TempFolder& dir, const std::string& name, int width, int height,
                          int frames, int gop) {
    MovieOptions o;
    o.width = width;
    o.height = height;
    o.frames = frames;
    o.gop = gop;
    std::string error;
    const std::string path = dir.file(name);
    if (!writeMovie(path, o, &error)) throw std::runtime_error("writeMovie " + name + ": " + error);
    return path;
}

bool writeRandom(const std::string& path, size_t size, uint32_t seed) {
    std::mt19937 gen(seed);
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = uint8_t(gen());
    WriteFileBytes(path, bytes);
    return true;
}

} // namespace testmovies
