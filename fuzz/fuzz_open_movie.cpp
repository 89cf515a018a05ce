// Opens the input as a movie and renders its first, middle and last pictures
// into a world of the movie's size.
#include "FuzzInput.h"
#include "Movies.h"
#include "QDOffscreen.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzFile file(data, size);
    Movie movie = nullptr;
    if (OpenMovieFromPath(file.path().c_str(), &movie) != noErr) return 0;
    Rect box;
    GetMovieBox(movie, &box);
    const int width = box.right - box.left, height = box.bottom - box.top;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    GWorldPtr world = nullptr;
    if (NewGWorldFromPtr(&world, k32ARGBPixelFormat, &box, nullptr, nullptr, 0,
                         reinterpret_cast<Ptr>(pixels.data()), long(width) * 4) == noErr) {
        SetMovieGWorld(movie, world, nullptr);
        const TimeValue duration = GetMovieDuration(movie);
        for (TimeValue t : {TimeValue(0), duration / 2, duration > 0 ? duration - 1 : 0}) {
            SetMovieTimeValue(movie, t);
            MoviesTask(movie, 0);
        }
        DisposeGWorld(world);
    }
    DisposeMovie(movie);
    return 0;
}
