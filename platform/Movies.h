// The movie toolbox of the platform layer: movies opened from files over
// libavformat/libavcodec/libswscale, their tracks and media, time, and frame
// rendering into offscreen worlds as 32-bit ARGB.
#pragma once

#include "Files.h"
#include "MacTypes.h"
#include "Memory.h"
#include "MoviesDecompression.h"
#include "QDOffscreen.h"

#include <string>

struct MovieRecord;
struct TrackRecord;
struct MediaRecord;
struct MediaHandlerRecord;
using Movie = MovieRecord*;
using Track = TrackRecord*;
using Media = MediaRecord*;
using MediaHandler = MediaHandlerRecord*;

struct TimeRecord {
    int64_t value = 0;
    TimeScale scale = 0;
    void* base = nullptr;
};

enum : OSErr {
    noVideoTrackInMovieErr = -2054, // the file holds no pictures (sound only, or nothing)
};

enum : short {
    newMovieActive = 1,
    // GetMovieNextInterestingTime
    nextTimeMediaSample = 0x1,
    nextTimeSyncSample = 0x8, // a keyframe: one that decodes without the pictures before it
    nextTimeStep = 0x10,
    nextTimeEdgeOK = 0x4000,
};

enum : long {
    movieTrackMediaType = 1,
    movieTrackCharacteristic = 2,
    movieTrackEnabledOnly = 4,
    // SetMediaPlayHints
    hintsAllowInterlace = 0x40,
    hintsHighQuality = 0x100,
    hintsAllowBlacklining = 0x4000,
    hintsSingleField = 0x100000,
};

enum : OSType {
    VisualMediaCharacteristic = FOUR_CHAR_CODE("eyes"),
    AudioMediaCharacteristic = FOUR_CHAR_CODE("ears"),
    kCharacteristicHasVideoFrameRate = FOUR_CHAR_CODE("vfrr"),
    kCharacteristicIsAnMpegTrack = FOUR_CHAR_CODE("mpeg"),
    kMediaGetPublicInfoEncodedFrameRate = FOUR_CHAR_CODE("orat"),
    VideoMediaType = FOUR_CHAR_CODE("vide"),
    SoundMediaType = FOUR_CHAR_CODE("soun"),
};

// Every call sets the calling thread's last movie error; GetMoviesError reads it.
OSErr EnterMovies();
OSErr GetMoviesError();

// Movie files. A reference names an opened file until CloseMovieFile.
OSErr OpenMovieFile(const FSSpec* file, short* refNum, short permission);
OSErr CloseMovieFile(short refNum);
// Opens the movie of an opened file: the result codes of OpenMovieFromPath.
OSErr NewMovieFromFile(Movie* movie, short refNum, short* resId, StringPtr name, short flags,
                       Boolean* dataRefWasChanged);
// The drop road: opens the movie at `path` (active) in one call. Results: 0;
// fnfErr or permErr; noMovieFound (not a movie or no picture in it);
// noVideoTrackInMovieErr (sound only); noCodecErr (no decoder for its
// pictures); memFullErr (pictures larger than 16384 x 16384); paramErr.
// Single-image files (PNG, JPEG, TIFF, BMP, ...) open as one-frame movies.
OSErr OpenMovieFromPath(const char* path, Movie* movie);
// "file://" and the percent-encoded absolute path, NUL-terminated, into `url`
// (grown when it is too small).
OSErr HRUtilGetURLFromFSSpec(const FSSpec* file, Handle url);
void DisposeMovie(Movie movie);

// The displayed rectangle: the coded size with the sample aspect ratio and a
// display rotation applied, at (0, 0) when opened. MoviesTask fills this
// rectangle of the world with the picture scaled to it.
void GetMovieBox(Movie movie, Rect* box);
void SetMovieBox(Movie movie, const Rect* box);
void SetMovieGWorld(Movie movie, CGrafPtr world, GDHandle device);
void GetMovieGWorld(Movie movie, CGrafPtr* world, GDHandle* device);
// Renders the sample shown at the current time (the last one starting at or
// before it) into the movie's world. Inactive movies draw nothing. A picture
// that cannot be decoded leaves the world as it was and sets codecErr.
void MoviesTask(Movie movie, long maxMilliseconds);
void SetMovieActive(Movie movie, Boolean active);
Boolean GetMovieActive(Movie movie);

// Time, in the video stream's units shifted so that the first sample is at 0;
// the time scale is GetMediaTimeScale of the video media.
void GetMovieNextInterestingTime(Movie movie, short flags, short numMediaTypes,
                                 const OSType* whichMediaTypes, TimeValue time, Fixed rate,
                                 TimeValue* interestingTime, TimeValue* interestingDuration);
void SetMovieTimeValue(Movie movie, TimeValue time); // clamped to 0...duration
void GoToBeginningOfMovie(Movie movie);
TimeValue GetMovieTime(Movie movie, TimeRecord* now);
TimeScale GetMovieTimeScale(Movie movie);
TimeValue GetMovieDuration(Movie movie);

// Tracks: the movie's video stream ('vide'), then its sound streams ('soun').
long GetMovieTrackCount(Movie movie);
Track GetMovieIndTrack(Movie movie, long index); // 1-based; null when none
Track GetMovieIndTrackType(Movie movie, long index, OSType typeOrCharacteristic, long flags);
Media GetTrackMedia(Track track);
void GetMediaHandlerDescription(Media media, OSType* mediaType, StringPtr creatorName,
                                OSType* creatorManufacturer);
void SetMediaPlayHints(Media media, long flags, long flagsMask);
long GetMediaPlayHints(Media media);
TimeScale GetMediaTimeScale(Media media);
long GetMediaSampleCount(Media media);
TimeValue GetMediaDuration(Media media);
MediaHandler GetMediaHandler(Media media);
ComponentResult MediaHasCharacteristic(MediaHandler handler, OSType characteristic, Boolean* hasIt);
// 'orat': the frame rate coded in the stream, 16.16 fixed, into 4 bytes.
ComponentResult MediaGetPublicInfo(MediaHandler handler, OSType selector, void* data, Size* ioSize);

// Where a movie came from: the path it was opened from and the time its
// container says it was made (ISO 8601, UTC; empty when it does not say).
struct MovieOrigin {
    std::string path;
    std::string creationTime;
};
OSErr GetMovieOrigin(Movie movie, MovieOrigin* origin);

// Work done so far by a movie's decoding (for tests and benchmarks).
struct MovieDecodeCounters {
    long seeks = 0;
    long picturesDecoded = 0;
    long cacheHits = 0;
};
OSErr GetMovieDecodeCounters(Movie movie, MovieDecodeCounters* counters);

// How an HDR movie's pictures are shown, for a status line: "HDR (PQ) shown
// tone-mapped" or "HDR (HLG) shown tone-mapped"; "" for SDR or no movie.
const char* GetMovieDynamicRangeNote(Movie movie);

// How many decoded pictures a movie keeps so that stepping back is quick
// (320 at most, the default). A reader that only goes forward sets 0: every
// picture's memory is then reused for the next one, and on the way to a
// picture those that no other picture refers to are passed over undecoded.
OSErr SetMovieFrameCacheLimit(Movie movie, long pictures);
