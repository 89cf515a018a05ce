// Helpers of the frame-source tests: generated movies opened into a frame
// source, the frame number its buffer shows, and a scripted open dialog.
#pragma once

#include "MoviePixRect.h"
#include "MovieTestHelpers.h"
#include "ScriptedDialogs.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A frame source over the movie at `path` (null when it does not open).
inline std::unique_ptr<MoviePixRect> grab(const std::string& path) {
    Movie m = nullptr;
    if (OpenMovieFromPath(path.c_str(), &m) != noErr) return nullptr;
    return std::make_unique<MoviePixRect>(m, 32);
}

// The number painted into the frame the source last rendered; -1 unreadable.
inline int shownNumber(const MoviePixRect& g) {
    if (!g.allLines) return -1;
    const int w = g.allLines->width(), h = g.allLines->height();
    return testmovies::readFrameNumber(reinterpret_cast<const uint8_t*>(g.frameBuffer), w, h,
                                       long(w) * 4);
}
