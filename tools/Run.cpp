#include "Run.h"

#include "FramePlan.h"
#include "MoviePixRect.h"
#include "MovieSource.h"
#include "Movies.h"
#include "OpenRefusal.h"
#include "OutputPattern.h"
#include "PictureLimits.h"
#include "PngFile.h"
#include "ProgressBar.h"
#include "SICommon.h"
#include "Snapshot.h"
#include "SnapshotProvenance.h"

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <vector>

namespace moviesnap {

namespace {

// Results no bigger than the largest picture a movie has.
constexpr int kMaxResultSide = kMaxPictureSide;
constexpr int64_t kMaxResultPixels = MovieSource::maxPixels;

// Where --verbose sends the library's diagnostics.
std::FILE* diagnosticsOut = nullptr;

// What every frame of the run shares: the road's settings and the output.
struct Road {
    std::optional<Snapshot::Bounds> crop;
    Snapshot::Size size;
    siinterpcode interp = SISmoothBilinear;
    ImageKind kind = ImageKind::jpeg;
    int quality = 25;
    bool metadata = true;
};

// The provenance of the frame the source shows, as the road makes a still of it.
std::optional<StillProvenance> provenanceFor(MoviePixRect& mpr, const Road& road) {
    if (!road.metadata) return std::nullopt;
    const Snapshot::Chain chain(*mpr.allLines, road.crop ? &*road.crop : nullptr, road.size,
                                road.interp);
    return Snapshot::provenance(
        mpr, chain, road.kind == ImageKind::jpeg ? std::optional<int>(road.quality) : std::nullopt);
}

// A frame whose file could not be written, and why.
struct FailedWrite {
    int frame = 0;
    std::string path;
    OSErr result = noErr;
};

// One frame through the snapshot road into its file, with its provenance when
// there is one: noErr, or why the file could not be written (it is then left
// as it was).
OSErr writeSnapshot(PixRect<ARGBVal>& frame, const Road& road, const std::string& path,
                    const std::optional<StillProvenance>& provenance) {
    try {
        Snapshot::Chain chain(frame, road.crop ? &*road.crop : nullptr, road.size, road.interp);
        const Bitmapio& bitmap = chain.bitmap();
        if (!bitmap.data) return memFullErr;
        const StillProvenance* p = provenance ? &*provenance : nullptr;
        if (road.kind == ImageKind::png)
            return WritePNGFile(path.c_str(), bitmap.data, bitmap.width, bitmap.height,
                                bitmap.bytesPerRow, p);
        return bitmap.saveToFile(path.c_str(), road.quality, p) ? OSErr(noErr)
                                                                : bitmap.lastSaveResult();
    } catch (const std::bad_alloc&) {
        return memFullErr;
    }
}

// Writes frames on a second thread. Each frame handed over is copied, so the
// frame source can decode the next one meanwhile; at most two frames are held.
class BackgroundWriter {
public:
    BackgroundWriter(const Road& road, int width, int height)
        : road_(road), width_(width), height_(height) {
        worker_ = std::thread([this] { work(); });
    }
    ~BackgroundWriter() { finish(); }
    BackgroundWriter(const BackgroundWriter&) = delete;
    BackgroundWriter& operator=(const BackgroundWriter&) = delete;

    // Queues a copy of `pixels` (width x height, rows packed) for `path`; waits
    // while two frames are already held.
    void submit(int frame, std::string path, const ARGBVal* pixels,
                std::optional<StillProvenance> provenance) {
        std::vector<ARGBVal> buffer;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return held_ < 2; });
            ++held_;
            if (!spare_.empty()) {
                buffer = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        buffer.resize(size_t(width_) * size_t(height_));
        std::memcpy(buffer.data(), pixels, buffer.size() * sizeof(ARGBVal));
        {
            std::lock_guard lock(mutex_);
            queue_.push_back(Job{frame, std::move(path), std::move(buffer), std::move(provenance)});
        }
        changed_.notify_all();
    }

    // Waits for every queued frame; answers the frames whose file failed.
    std::vector<FailedWrite> finish() {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        changed_.notify_all();
        if (worker_.joinable()) worker_.join();
        return failed_;
    }

    int done() const { return done_.load(); }

private:
    struct Job {
        int frame;
        std::string path;
        std::vector<ARGBVal> pixels;
        std::optional<StillProvenance> provenance;
    };

    void work() {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex_);
                changed_.wait(lock, [this] { return closing_ || !queue_.empty(); });
                if (queue_.empty()) return;
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            // The same raster the frame source presents: all rows of a frame buffer.
            PixRectWrap<ARGBVal> frame(job.pixels.data(), width_, height_, SIAllLines);
            if (const OSErr err = writeSnapshot(frame, road_, job.path, job.provenance))
                failed_.push_back({job.frame, job.path, err});
            ++done_;
            {
                std::lock_guard lock(mutex_);
                spare_.push_back(std::move(job.pixels));
                --held_;
            }
            changed_.notify_all();
        }
    }

    const Road road_;
    const int width_, height_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    std::vector<std::vector<ARGBVal>> spare_;
    int held_ = 0;
    bool closing_ = false;
    std::atomic<int> done_{0};
    std::vector<FailedWrite> failed_; // the worker's until joined
    std::thread worker_;
};

void usageError(const RunSettings& s, const std::string& message) {
    std::fprintf(s.err, "moviesnap: %s\n%s", message.c_str(), usageText().c_str());
}

// Every visual sample's start, walking forward from the first.
MovieFrames movieFrames(const MoviePixRect& mpr) {
    MovieFrames m;
    const OSType eyes = VisualMediaCharacteristic;
    TimeValue t = -1;
    GetMovieNextInterestingTime(mpr.movie, nextTimeMediaSample | nextTimeEdgeOK, 1, &eyes, 0,
                                0x10000, &t, nullptr);
    while (t >= 0) {
        m.starts.push_back(t);
        const TimeValue was = t;
        GetMovieNextInterestingTime(mpr.movie, nextTimeStep, 1, &eyes, t, 0x10000, &t, nullptr);
        if (t <= was) break;
    }
    m.timeScale = mpr.timeScale;
    m.duration = GetMovieDuration(mpr.movie);
    return m;
}

void printInfo(MoviePixRect& mpr, const RunSettings& s) {
    // The application's summary line: the time code of the frame past the
    // last is the movie's duration.
    short hours = 0, minutes = 0, seconds = 0, frames = 0;
    mpr.getTimeOfFrame(mpr.frameCount, hours, minutes, seconds, frames);
    std::fprintf(s.out, "DUR:%d:%d:%d:%d SZ:%dx%d %d fps\n", hours, minutes, seconds, frames,
                 mpr.allLines->width(), mpr.allLines->height(), int(mpr.fps));
    std::fprintf(s.out, "frames: %u\n", mpr.frameCount);
    if (const char* note = GetMovieDynamicRangeNote(mpr.movie); *note)
        std::fprintf(s.out, "%s\n", note);
}

// The road's settings from the options, checked against the frame; throws
// UsageError for a crop outside the frame or a result without a pixel.
Road roadFor(const Options& o, PixRect<ARGBVal>& frame) {
    Road road;
    road.kind = o.kind;
    road.quality = o.quality;
    road.metadata = o.metadata;
    road.interp = siinterpcode(o.interp);
    if (o.crop) {
        road.crop = Snapshot::cropBounds(o.crop->x, o.crop->y, o.crop->width, o.crop->height);
        const Snapshot::Bounds& b = *road.crop;
        // A crop wholly outside the frame would leave a one-pixel edge of it:
        // that is never what was meant.
        if (b.lx > frame.hx() || b.ly > frame.hy() || b.hx < frame.lx() || b.hy < frame.ly()) {
            char text[160];
            std::snprintf(text, sizeof text, "--crop '%g,%g,%g,%g': outside the %dx%d frame",
                          double(o.crop->x), double(o.crop->y), double(o.crop->width),
                          double(o.crop->height), frame.width(), frame.height());
            throw UsageError(text);
        }
    }
    if (o.width)
        road.size = Snapshot::Size::explicitly(float(*o.width), float(*o.height));
    else if (o.scale)
        road.size = Snapshot::Size::byScale(Snapshot::scaleForPosition(*o.scale));
    const Snapshot::Chain chain(frame, road.crop ? &*road.crop : nullptr, road.size, road.interp);
    const int w = chain.width(), h = chain.height();
    if (w < 1 || h < 1 || w > kMaxResultSide || h > kMaxResultSide ||
        int64_t(w) * h > kMaxResultPixels) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "%s: the result would be %dx%d pixels (1 to %d each way and %lld in all "
                      "are possible)",
                      o.scale ? "--scale" : "--size", w, h, kMaxResultSide,
                      static_cast<long long>(kMaxResultPixels));
        throw UsageError(text);
    }
    return road;
}

} // namespace

int run(const Options& o, const RunSettings& s, RunReport* report) {
    RunReport local;
    RunReport& r = report ? *report : local;

    EnterMovies();
    Movie movie = nullptr;
    const OSErr opened = OpenMovieFromPath(o.movie.c_str(), &movie);
    if (opened != noErr || !movie) {
        std::fprintf(s.err, "moviesnap: %s\n", OpenRefusalSentence(o.movie, opened).c_str());
        return kNotOpened;
    }
    MoviePixRect mpr(movie, k32ARGBPixelFormat);
    if (!mpr.movie || !mpr.allLines || mpr.frameCount == 0) {
        std::fprintf(s.err, "moviesnap: cannot open '%s': no picture to show\n", o.movie.c_str());
        return kNotOpened;
    }
    if (o.info) {
        printInfo(mpr, s);
        return kWritten;
    }

    std::vector<int> frames;
    Road road;
    const MovieFrames table = movieFrames(mpr);
    try {
        frames = planFrames(o, table);
        road = roadFor(o, *mpr.allLines);
    } catch (const UsageError& e) {
        usageError(s, e.what());
        return kBadUsage;
    }
    if (!o.interlace) mpr.setInterlaceFlag(false);
    // Frames are visited in ascending order only: keeping decoded pictures for
    // going back would cost memory and fresh buffers for every picture.
    SetMovieFrameCacheLimit(mpr.movie, 0);

    const OutputPattern names(o.output);
    const int width = mpr.allLines->width(), height = mpr.allLines->height();
    ProgressBar progress(s.err, int(frames.size()), s.terminal && !o.quiet && frames.size() > 1);
    std::vector<FailedWrite> failed;
    std::vector<int> undecoded;
    std::unique_ptr<BackgroundWriter> writer;
    if (s.overlap && frames.size() > 1)
        writer = std::make_unique<BackgroundWriter>(road, width, height);

    int finished = 0;
    for (int f : frames) {
        // Ascending frames: the decoder goes on from where it stands, and
        // only jumps forward to a keyframe when that decodes fewer pictures.
        const TimeValue t = TimeValue(table.starts[size_t(f)]);
        SetMovieTimeValue(mpr.movie, t);
        mpr.currentTime = t;
        mpr.currentFrame = unsigned(f);
        mpr.drawFrame();
        if (GetMoviesError() != noErr) {
            undecoded.push_back(f);
            continue;
        }
        const std::string path = names.name(f);
        std::optional<StillProvenance> provenance = provenanceFor(mpr, road);
        if (writer) {
            writer->submit(f, path, mpr.frameBuffer, std::move(provenance));
            progress.update(writer->done());
        } else {
            if (const OSErr err = writeSnapshot(*mpr.allLines, road, path, provenance))
                failed.push_back({f, path, err});
            progress.update(++finished);
        }
    }
    if (writer) {
        failed = writer->finish();
        progress.update(writer->done());
    }
    progress.finish();

    MovieDecodeCounters counters;
    if (GetMovieDecodeCounters(mpr.movie, &counters) == noErr) {
        r.seeks = counters.seeks;
        r.picturesDecoded = counters.picturesDecoded;
    }
    for (int f : undecoded)
        std::fprintf(s.err, "moviesnap: frame %d could not be decoded; '%s' not written\n", f,
                     names.name(f).c_str());
    for (const FailedWrite& w : failed)
        std::fprintf(s.err, "moviesnap: '%s' (frame %d) could not be written: %s\n", w.path.c_str(),
                     w.frame, FileErrorReason(w.result).c_str());
    r.framesFailed = int(failed.size() + undecoded.size());
    r.framesWritten = int(frames.size()) - r.framesFailed;
    return r.framesFailed ? kNotWritten : kWritten;
}

int runCommandLine(int argc, const char* const* argv, const RunSettings& s, RunReport* report) {
    Options o;
    try {
        o = parseArguments(argc, argv);
    } catch (const UsageError& e) {
        usageError(s, e.what());
        return kBadUsage;
    }
    if (o.help) {
        std::fputs(usageText().c_str(), s.out);
        return kWritten;
    }
    if (o.version) {
        std::fputs("moviesnap " MOVIESNAP_VERSION "\n", s.out);
        return kWritten;
    }
    if (!o.verbose) return run(o, s, report);
    diagnosticsOut = s.err;
    const siprintsink before =
        sisetprintsink([](const char* text) { std::fputs(text, diagnosticsOut); });
    const int result = run(o, s, report);
    sisetprintsink(before);
    return result;
}

} // namespace moviesnap
