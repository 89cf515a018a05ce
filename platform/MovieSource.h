// The demuxer and decoder of one movie file: opens it, builds its sample table
// and hands out the decoded picture of any sample, frame-exactly.
#pragma once

#include "MacTypes.h"
#include "MovieFrameCache.h"
#include "MovieSampleTable.h"
#include "PictureLimits.h"

#include <memory>
#include <string>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;

class MovieSource {
public:
    static constexpr int maxDimension = kMaxPictureSide; // larger pictures are refused
    // Pictures of more pixels are refused too: this bounds the memory of one
    // still (see the README) at about 5 x 4 bytes a pixel, plus a fixed amount.
    static constexpr int64_t maxPixels = int64_t(8192) * 8192; // as kGraphicsImportMaxPixels
    // Opening a file (probing and the first picture included) must finish
    // within deadlineSeconds, decoding any one picture (up to a whole group of
    // pictures from its keyframe) within pictureSeconds; past that the work is
    // abandoned and the result is codecAbortErr.
    static constexpr int deadlineSeconds = 5;
    static constexpr int pictureSeconds = 20;

    struct AudioStream {
        TimeScale sampleRate = 0;
        TimeValue duration = 0; // in sampleRate units
    };
    struct Counters {
        long seeks = 0;           // repositionings of the demuxer
        long picturesDecoded = 0; // pictures the decoder gave back
        long cacheHits = 0;       // pictures answered from the cache
    };

    // Opens `path`; on failure `out` stays empty and the result says why:
    // fnfErr, notAFileErr (a folder), permErr, noMovieFound (not a movie or
    // image), codecBadDataErr (a known kind of file, damaged),
    // noVideoTrackInMovieErr (sound only, or no picture in it), noCodecErr (no
    // decoder for the pictures), memFullErr (pictures larger than
    // maxDimension either way, or than a still's memory bound),
    // codecAbortErr (took longer than deadlineSeconds).
    static OSErr open(const std::string& path, std::unique_ptr<MovieSource>& out);
    ~MovieSource();
    MovieSource(const MovieSource&) = delete;
    MovieSource& operator=(const MovieSource&) = delete;

    const MovieSampleTable& table() const { return samples; }
    const std::vector<AudioStream>& audio() const { return sounds; }
    int displayWidth() const { return dispW; }
    int displayHeight() const { return dispH; }
    int rotation() const { return rotationCw; } // clockwise degrees: 0, 90, 180, 270
    bool isMpegVideo() const { return mpegVideo; }
    // The video's transfer tag (AVColorTransferCharacteristic): the stream's,
    // else the first picture's.
    int transfer() const { return transferTag; }
    // The frame rate coded in the stream (the decoder's once it has seen the
    // stream header, else the container's), as num/den; 0/1 when unknown.
    void codedFrameRate(int* num, int* den) const;
    const Counters& counters() const { return stats; }
    const std::string& filePath() const { return path; }
    // When the movie was made, as its container (or else its video stream)
    // records it: ISO 8601 in UTC, e.g. "2024-05-06T07:08:09Z"; empty when unrecorded.
    std::string creationTime() const;
    // How many decoded pictures are kept for going back (MovieFrameCache::setLimit).
    // A reader that keeps none only ever goes forward, so on the way to the
    // picture it asks for, pictures that no other picture refers to are not
    // decoded at all.
    void setCacheLimit(size_t pictures) {
        cache.setLimit(pictures);
        skipPassedOver = pictures == 0;
    }

    // The decoded picture of sample `index`, valid until the next call; null
    // with `*err` set (codecErr) when that picture cannot be decoded, or
    // codecAbortErr when decoding it took longer than pictureSeconds.
    const AVFrame* picture(long index, OSErr* err);

    struct Clock;

private:
    MovieSource();
    OSErr openDemuxer();
    OSErr scanPackets();
    bool seekTo(long keyIndex, bool byPts);
    bool reopen();
    const AVFrame* decodedPicture(long index, OSErr* err);
    enum class Outcome { found, late, missing };
    Outcome decodeTo(long index, bool afterSeek);
    void closeAll();

    std::string path;
    std::shared_ptr<Clock> clock; // the deadline FFmpeg's interrupt callback and decoding obey
    AVFormatContext* fmt = nullptr;
    AVCodecContext* dec = nullptr;
    AVFrame* frame = nullptr; // scratch for the decoder
    AVFrame* shown = nullptr; // the picture last handed out
    AVPacket* pkt = nullptr;
    int stream = -1;
    MovieSampleTable samples;
    MovieFrameCache cache;
    std::vector<AudioStream> sounds;
    int dispW = 0, dispH = 0, rotationCw = 0;
    int transferTag = 0;
    bool mpegVideo = false;
    int rateNum = 0, rateDen = 1;

    // Decoding position: the decoder continues from the last picture it gave
    // back (`lastOut`, a sample index) until the demuxer is moved.
    bool live = false;
    bool drained = false;
    bool packetPending = false;
    long lastOut = -1;
    int64_t landedKeyPts = 0;
    bool haveLandedKey = false;
    bool ptsSeekMisses = false;  // seeking by presentation time missed once: use decode times
    bool skipPassedOver = false; // pictures before the one asked for may be left undecoded
    bool probed = true;          // streams were probed by decoding at open
    bool untimed = false;        // the packets carry no time: one picture at 0
    int reorder = 0;             // pictures held back before the first comes out
    Counters stats;
};
