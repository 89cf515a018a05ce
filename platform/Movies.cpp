#include "Movies.h"

#include "DeepColourToArgb.h"
#include "LibraryLog.h"
#include "MovieFrameRenderer.h"
#include "MovieSource.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

struct MediaHandlerRecord {
    MediaRecord* media = nullptr;
};

struct MediaRecord {
    MovieRecord* movie = nullptr;
    OSType type = 0;
    int sound = -1; // index into the source's sound streams; -1 for the video
    long hints = hintsAllowInterlace | hintsHighQuality;
    MediaHandlerRecord handler;
};

struct TrackRecord {
    MediaRecord media;
};

struct MovieRecord {
    std::unique_ptr<MovieSource> source;
    MovieFrameRenderer renderer;
    std::vector<std::unique_ptr<TrackRecord>> tracks; // the video first
    Rect box;
    CGrafPtr world = nullptr;
    GDHandle device = nullptr;
    bool active = false;
    TimeValue time = 0;
    std::vector<uint8_t> clipped; // the picture when the box reaches outside the world
};

namespace {

thread_local OSErr lastError = noErr;

OSErr setError(OSErr e) {
    lastError = e;
    return e;
}

std::mutex filesLock;
std::map<short, std::string> openFiles;
short nextRef = 1;

MovieSource* videoOf(Media media) {
    return (media && media->sound < 0 && media->movie) ? media->movie->source.get() : nullptr;
}

bool hasCharacteristic(const MediaRecord& m, OSType c) {
    if (m.sound >= 0) return c == AudioMediaCharacteristic;
    return c == VisualMediaCharacteristic || c == kCharacteristicHasVideoFrameRate ||
           (c == kCharacteristicIsAnMpegTrack && m.movie->source->isMpegVideo());
}

} // namespace

OSErr EnterMovies() {
    RouteLibraryLog();
    return setError(noErr);
}

OSErr GetMoviesError() {
    return lastError;
}

OSErr OpenMovieFile(const FSSpec* file, short* refNum, short permission) {
    if (!file || !refNum || file->path.empty()) return setError(paramErr);
    *refNum = 0;
    if (permission != fsCurPerm && permission != fsRdPerm) return setError(permErr); // read only
    if (::access(file->path.c_str(), F_OK) != 0) return setError(fnfErr);
    if (::access(file->path.c_str(), R_OK) != 0) return setError(permErr);
    std::lock_guard<std::mutex> hold(filesLock);
    for (int tries = 0; tries < 0x7FFF; ++tries) {
        short ref = nextRef;
        nextRef = short(nextRef == 0x7FFF ? 1 : nextRef + 1);
        if (!openFiles.count(ref)) {
            openFiles.emplace(ref, file->path);
            *refNum = ref;
            return setError(noErr);
        }
    }
    return setError(memFullErr); // every reference in use
}

OSErr CloseMovieFile(short refNum) {
    std::lock_guard<std::mutex> hold(filesLock);
    return setError(openFiles.erase(refNum) ? noErr : paramErr);
}

OSErr NewMovieFromFile(Movie* movie, short refNum, short* resId, StringPtr name, short flags,
                       Boolean* dataRefWasChanged) {
    if (!movie) return setError(paramErr);
    *movie = nullptr;
    if (dataRefWasChanged) *dataRefWasChanged = false;
    if (resId) *resId = 0;
    if (name) name[0] = 0;
    std::string path;
    {
        std::lock_guard<std::mutex> hold(filesLock);
        auto it = openFiles.find(refNum);
        if (it == openFiles.end()) return setError(paramErr);
        path = it->second;
    }
    OSErr e = OpenMovieFromPath(path.c_str(), movie);
    if (e == noErr) (*movie)->active = flags & newMovieActive;
    return setError(e);
}

OSErr OpenMovieFromPath(const char* path, Movie* movie) {
    if (!movie) return setError(paramErr);
    *movie = nullptr;
    if (!path || !*path) return setError(paramErr);
    RouteLibraryLog();
    std::unique_ptr<MovieSource> source;
    if (OSErr e = MovieSource::open(path, source)) return setError(e);

    auto m = std::make_unique<MovieRecord>();
    m->box.bottom = int16_t(source->displayHeight());
    m->box.right = int16_t(source->displayWidth());
    m->active = true;
    m->source = std::move(source);
    auto addTrack = [&](OSType type, int sound) {
        auto t = std::make_unique<TrackRecord>();
        t->media.movie = m.get();
        t->media.type = type;
        t->media.sound = sound;
        t->media.handler.media = &t->media;
        m->tracks.push_back(std::move(t));
    };
    addTrack(VideoMediaType, -1);
    for (size_t i = 0; i < m->source->audio().size(); ++i) addTrack(SoundMediaType, int(i));
    *movie = m.release();
    return setError(noErr);
}

OSErr HRUtilGetURLFromFSSpec(const FSSpec* file, Handle url) {
    if (!file || !url || file->path.empty()) return setError(paramErr);
    std::string path = file->path;
    if (path[0] != '/') {
        std::vector<char> cwd(4096);
        if (!::getcwd(cwd.data(), cwd.size())) return setError(ioErr);
        path = std::string(cwd.data()) + "/" + path;
    }
    static const char hex[] = "0123456789ABCDEF";
    std::string text = "file://";
    for (unsigned char c : path) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain) {
            text += char(c);
        } else {
            text += '%';
            text += hex[c >> 4];
            text += hex[c & 15];
        }
    }
    long need = long(text.size()) + 1;
    if (GetHandleSize(url) < need) {
        SetHandleSize(url, need);
        if (MemError() != noErr || GetHandleSize(url) < need) return setError(memFullErr);
    }
    std::memcpy(*url, text.c_str(), size_t(need));
    return setError(noErr);
}

void DisposeMovie(Movie movie) {
    delete movie;
    setError(noErr);
}

void GetMovieBox(Movie movie, Rect* box) {
    if (!movie || !box) return void(setError(movie ? paramErr : invalidMovie));
    *box = movie->box;
    setError(noErr);
}

void SetMovieBox(Movie movie, const Rect* box) {
    if (!movie || !box) return void(setError(movie ? paramErr : invalidMovie));
    movie->box = *box;
    setError(noErr);
}

void SetMovieGWorld(Movie movie, CGrafPtr world, GDHandle device) {
    if (!movie) return void(setError(invalidMovie));
    movie->world = world;
    movie->device = device;
    setError(noErr);
}

void GetMovieGWorld(Movie movie, CGrafPtr* world, GDHandle* device) {
    if (world) *world = movie ? movie->world : nullptr;
    if (device) *device = movie ? movie->device : nullptr;
    setError(movie ? noErr : invalidMovie);
}

void MoviesTask(Movie movie, long) {
    if (!movie) return void(setError(invalidMovie));
    setError(noErr);
    if (!movie->active || !movie->world) return;
    const PixMap& pm = movie->world->pixMap;
    const int boxW = movie->box.right - movie->box.left;
    const int boxH = movie->box.bottom - movie->box.top;
    if (boxW <= 0 || boxH <= 0 || !pm.baseAddr) return;

    const MovieSampleTable& table = movie->source->table();
    OSErr err = noErr;
    const AVFrame* picture = movie->source->picture(table.shownAt(movie->time), &err);
    if (!picture) return void(setError(err));

    const long hints = movie->tracks.front()->media.hints;
    const bool oneField = !(hints & hintsAllowInterlace) || (hints & hintsSingleField);
    const bool rgba = pm.pixelFormat == k32RGBAPixelFormat;
    // The box in the world's pixel coordinates, and the part of it inside.
    const int x0 = movie->box.left - pm.bounds.left, y0 = movie->box.top - pm.bounds.top;
    const int worldW = pm.bounds.right - pm.bounds.left, worldH = pm.bounds.bottom - pm.bounds.top;
    const int cx0 = std::max(0, x0), cy0 = std::max(0, y0);
    const int cx1 = std::min(worldW, x0 + boxW), cy1 = std::min(worldH, y0 + boxH);
    if (cx0 >= cx1 || cy0 >= cy1) return;
    auto* base = reinterpret_cast<uint8_t*>(pm.baseAddr);
    MovieRenderTarget target{base + long(y0) * pm.rowBytes + long(x0) * 4, pm.rowBytes, boxW, boxH,
                             rgba};
    const bool inside = cx0 == x0 && cy0 == y0 && cx1 == x0 + boxW && cy1 == y0 + boxH;
    if (!inside) {
        movie->clipped.resize(size_t(boxW) * size_t(boxH) * 4);
        target.base = movie->clipped.data();
        target.rowBytes = long(boxW) * 4;
    }
    if (!movie->renderer.render(picture, target, movie->source->rotation(), oneField))
        return void(setError(codecErr));
    if (!inside) {
        for (int y = cy0; y < cy1; ++y)
            std::memcpy(base + long(y) * pm.rowBytes + long(cx0) * 4,
                        movie->clipped.data() + (size_t(y - y0) * boxW + size_t(cx0 - x0)) * 4,
                        size_t(cx1 - cx0) * 4);
    }
}

void SetMovieActive(Movie movie, Boolean active) {
    if (!movie) return void(setError(invalidMovie));
    movie->active = active;
    setError(noErr);
}

Boolean GetMovieActive(Movie movie) {
    setError(movie ? noErr : invalidMovie);
    return movie && movie->active;
}

void GetMovieNextInterestingTime(Movie movie, short flags, short numMediaTypes,
                                 const OSType* whichMediaTypes, TimeValue time, Fixed rate,
                                 TimeValue* interestingTime, TimeValue* interestingDuration) {
    if (interestingTime) *interestingTime = -1;
    if (interestingDuration) *interestingDuration = 0;
    if (!movie) return void(setError(invalidMovie));
    if (numMediaTypes > 0 && !whichMediaTypes) return void(setError(paramErr));
    setError(noErr);
    // Only pictures have samples here: a request naming no visual type
    // (sound, say) finds nothing. No types at all means every track.
    bool visual = numMediaTypes <= 0;
    for (short i = 0; i < numMediaTypes; ++i)
        visual = visual || whichMediaTypes[i] == VisualMediaCharacteristic ||
                 whichMediaTypes[i] == VideoMediaType;
    if (!visual) return;
    const MovieSampleTable& table = movie->source->table();
    const bool edge = flags & nextTimeEdgeOK;
    long i = rate >= 0 ? (edge ? table.firstAtOrAfter(time) : table.firstAfter(time))
                       : (edge ? table.lastAtOrBefore(time) : table.lastBefore(time));
    if (i >= 0 && (flags & nextTimeSyncSample)) {
        if (rate < 0)
            i = table.keyAtOrBefore(i);
        else
            while (i >= 0 && !table[size_t(i)].key) i = size_t(i) + 1 < table.size() ? i + 1 : -1;
    }
    if (i < 0) return;
    if (interestingTime) *interestingTime = table[size_t(i)].time;
    if (interestingDuration) *interestingDuration = table.sampleDuration(i);
}

void SetMovieTimeValue(Movie movie, TimeValue time) {
    if (!movie) return void(setError(invalidMovie));
    movie->time = std::clamp<TimeValue>(time, 0, movie->source->table().duration());
    setError(noErr);
}

void GoToBeginningOfMovie(Movie movie) {
    SetMovieTimeValue(movie, 0);
}

TimeValue GetMovieTime(Movie movie, TimeRecord* now) {
    if (!movie) {
        setError(invalidMovie);
        return 0;
    }
    if (now) *now = TimeRecord{movie->time, movie->source->table().timeScale(), nullptr};
    setError(noErr);
    return movie->time;
}

TimeScale GetMovieTimeScale(Movie movie) {
    setError(movie ? noErr : invalidMovie);
    return movie ? movie->source->table().timeScale() : 0;
}

TimeValue GetMovieDuration(Movie movie) {
    setError(movie ? noErr : invalidMovie);
    return movie ? movie->source->table().duration() : 0;
}

long GetMovieTrackCount(Movie movie) {
    setError(movie ? noErr : invalidMovie);
    return movie ? long(movie->tracks.size()) : 0;
}

Track GetMovieIndTrack(Movie movie, long index) {
    if (!movie) return setError(invalidMovie), nullptr;
    if (index < 1 || size_t(index) > movie->tracks.size()) return setError(invalidTrack), nullptr;
    setError(noErr);
    return movie->tracks[size_t(index - 1)].get();
}

Track GetMovieIndTrackType(Movie movie, long index, OSType type, long flags) {
    if (!movie) return setError(invalidMovie), nullptr;
    long seen = 0;
    for (auto& t : movie->tracks) {
        bool match = (flags & movieTrackCharacteristic) ? hasCharacteristic(t->media, type)
                                                        : t->media.type == type;
        if (match && ++seen == index) {
            setError(noErr);
            return t.get();
        }
    }
    setError(invalidTrack);
    return nullptr;
}

Media GetTrackMedia(Track track) {
    setError(track ? noErr : invalidTrack);
    return track ? &track->media : nullptr;
}

void GetMediaHandlerDescription(Media media, OSType* mediaType, StringPtr creatorName,
                                OSType* creatorManufacturer) {
    if (mediaType) *mediaType = media ? media->type : 0;
    if (creatorName) creatorName[0] = 0;
    if (creatorManufacturer) *creatorManufacturer = 0;
    setError(media ? noErr : invalidMedia);
}

void SetMediaPlayHints(Media media, long flags, long flagsMask) {
    if (!media) return void(setError(invalidMedia));
    media->hints = (media->hints & ~flagsMask) | (flags & flagsMask);
    setError(noErr);
}

long GetMediaPlayHints(Media media) {
    setError(media ? noErr : invalidMedia);
    return media ? media->hints : 0;
}

TimeScale GetMediaTimeScale(Media media) {
    if (!media) return setError(invalidMedia), 0;
    setError(noErr);
    if (MovieSource* s = videoOf(media)) return s->table().timeScale();
    return media->movie->source->audio()[size_t(media->sound)].sampleRate;
}

long GetMediaSampleCount(Media media) {
    if (!media) return setError(invalidMedia), 0;
    setError(noErr);
    if (MovieSource* s = videoOf(media)) return long(s->table().size());
    return media->movie->source->audio()[size_t(media->sound)].duration; // one per sound sample
}

TimeValue GetMediaDuration(Media media) {
    if (!media) return setError(invalidMedia), 0;
    setError(noErr);
    if (MovieSource* s = videoOf(media)) return s->table().duration();
    return media->movie->source->audio()[size_t(media->sound)].duration;
}

MediaHandler GetMediaHandler(Media media) {
    setError(media ? noErr : invalidMedia);
    return media ? &media->handler : nullptr;
}

ComponentResult MediaHasCharacteristic(MediaHandler handler, OSType characteristic,
                                       Boolean* hasIt) {
    if (!handler || !handler->media || !hasIt) return paramErr;
    *hasIt = hasCharacteristic(*handler->media, characteristic);
    return noErr;
}

ComponentResult MediaGetPublicInfo(MediaHandler handler, OSType selector, void* data,
                                   Size* ioSize) {
    if (!handler || !data || !ioSize) return paramErr;
    MovieSource* s = videoOf(handler->media);
    if (selector != kMediaGetPublicInfoEncodedFrameRate || !s || *ioSize < long(sizeof(Fixed)))
        return paramErr;
    int num = 0, den = 1;
    s->codedFrameRate(&num, &den);
    Fixed rate = den > 0 ? X2Fix(double(num) / den) : 0;
    std::memcpy(data, &rate, sizeof rate);
    *ioSize = sizeof(Fixed);
    return noErr;
}

OSErr SetMovieFrameCacheLimit(Movie movie, long pictures) {
    if (!movie || pictures < 0) return setError(movie ? paramErr : invalidMovie);
    movie->source->setCacheLimit(size_t(pictures));
    return setError(noErr);
}

OSErr GetMovieOrigin(Movie movie, MovieOrigin* origin) {
    if (!movie || !origin) return setError(movie ? paramErr : invalidMovie);
    *origin = MovieOrigin{movie->source->filePath(), movie->source->creationTime()};
    return setError(noErr);
}

const char* GetMovieDynamicRangeNote(Movie movie) {
    if (!movie || !movie->source) return "";
    return dynamicRangeNote(dynamicRangeOf(movie->source->transfer()));
}

OSErr GetMovieDecodeCounters(Movie movie, MovieDecodeCounters* counters) {
    if (!movie || !counters) return setError(movie ? paramErr : invalidMovie);
    const auto& c = movie->source->counters();
    *counters = MovieDecodeCounters{c.seeks, c.picturesDecoded, c.cacheHits};
    return setError(noErr);
}
