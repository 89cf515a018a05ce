// Opens the input as a movie and renders its first, middle and last pictures
// into a world of the movie's size (at most 512 x 512).
#include "FuzzInput.h"
#include "Movies.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile file(data, size);
    Movie movie = nullptr;
    if (OpenMovieFromPath(file.path().c_str(), &movie) != noErr) return 0;
    Rect box;
    GetMovieBox(movie, &box);
    // Large pictures are drawn scaled into at most 512 x 512: under the
    // sanitizers every pixel is costly, and the scaling road is fuzzed too.
    if (box.right - box.left > 512 || box.bottom - box.top > 512) {
        box.right = short(box.left + std::min(box.right - box.left, 512));
        box.bottom = short(box.top + std::min(box.bottom - box.top, 512));
        SetMovieBox(movie, &box);
    }
    FuzzWorld w(box);
    if (w.world) {
        SetMovieGWorld(movie, w.world, nullptr);
        const TimeValue duration = GetMovieDuration(movie);
        for (TimeValue t : {TimeValue(0), duration / 2, duration > 0 ? duration - 1 : 0}) {
            SetMovieTimeValue(movie, t);
            MoviesTask(movie, 0);
        }
    }
    DisposeMovie(movie);
    return 0;
}
