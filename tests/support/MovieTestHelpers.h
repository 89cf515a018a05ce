// A movie opened for a test with a world of its displayed size, and the frame
// number shown at a time.
#pragma once

#include "Movies.h"
#include "TestMovies.h"

#include <gtest/gtest.h>

#include <vector>

struct OpenedMovie {
    Movie movie = nullptr;
    GWorldPtr world = nullptr;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    OSErr result = noErr;

    explicit OpenedMovie(const std::string& path) {
        result = OpenMovieFromPath(path.c_str(), &movie);
        if (result != noErr) return;
        Rect box;
        GetMovieBox(movie, &box);
        width = box.right - box.left;
        height = box.bottom - box.top;
        pixels.assign(size_t(width) * size_t(height), 0);
        result = NewGWorldFromPtr(&world, k32ARGBPixelFormat, &box, nullptr, nullptr, 0,
                                  reinterpret_cast<Ptr>(pixels.data()), long(width) * 4);
        if (result == noErr) SetMovieGWorld(movie, world, nullptr);
    }
    ~OpenedMovie() {
        DisposeMovie(movie);
        DisposeGWorld(world);
    }
    OpenedMovie(const OpenedMovie&) = delete;
    OpenedMovie& operator=(const OpenedMovie&) = delete;

    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(pixels.data()); }

    // Every sample's start, walking forward from the first.
    std::vector<TimeValue> sampleTimes() const {
        std::vector<TimeValue> times;
        const OSType eyes = VisualMediaCharacteristic;
        TimeValue t = 0;
        GetMovieNextInterestingTime(movie, nextTimeMediaSample | nextTimeEdgeOK, 1, &eyes, 0,
                                    0x10000, &t, nullptr);
        while (t >= 0 && times.size() < 100000) {
            times.push_back(t);
            GetMovieNextInterestingTime(movie, nextTimeStep, 1, &eyes, t, 0x10000, &t, nullptr);
        }
        return times;
    }

    // Renders time t; the number read back, -1 when unreadable, -2 on an error.
    int frameAt(TimeValue t, int rotation = 0) {
        SetMovieTimeValue(movie, t);
        MoviesTask(movie, 0);
        if (GetMoviesError() != noErr) return -2;
        return testmovies::readFrameNumber(bytes(), width, height, long(width) * 4, rotation);
    }

    // The pixel at (x, y) as A,R,G,B bytes.
    const uint8_t* at(int x, int y) const { return bytes() + (size_t(y) * width + x) * 4; }
};

// Writes a generated movie into `dir`; its path, or an empty path and a test
// failure saying why.
inline std::string writtenMovie(const testmovies::TempFolder& dir, const std::string& name,
                                const testmovies::MovieOptions& o) {
    std::string error, path = dir.file(name);
    if (testmovies::writeMovie(path, o, &error)) return path;
    ADD_FAILURE() << "writeMovie " << name << ": " << error;
    return {};
}
