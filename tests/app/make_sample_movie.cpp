// make-sample-movie: writes the small movie the README's main command opens,
// ten seconds of 640 x 480 at 25 frames a second whose pictures carry their
// own frame number.
#include "TestMovies.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.mp4\n", argv[0]);
        return 2;
    }
    testmovies::MovieOptions options;
    options.width = 640;
    options.height = 480;
    options.frames = 250;
    options.gop = 25;
    std::string error;
    if (!testmovies::writeMovie(argv[1], options, &error)) {
        std::fprintf(stderr, "make-sample-movie: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
