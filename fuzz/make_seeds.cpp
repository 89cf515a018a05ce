// Writes the seed corpora of the fuzz targets into the folder given: one
// subfolder per target, filled by the tests' own generators of movies and
// stills, and a few typical inputs for the writers and the command line.
#include "ScratchFolder.h"
#include "TestMovies.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

void save(const std::string& path, const std::string& bytes) {
    WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

} // namespace

int main(int argc, char** argv) {
    using namespace std::string_literals;
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path root = argv[1];
    for (const char* t : {"open_movie", "import_image", "png_writer", "jpeg_writer", "options"})
        fs::create_directories(root / t);
    int failures = 0;
    std::string error;

    // Small movies of the common kinds, short enough to be mutated quickly.
    struct Movie {
        const char* name;
        const char* encoder;
        int bFrames;
    };
    for (const Movie& m : {Movie{"x264.mp4", "libx264", 2}, Movie{"mpeg4.mkv", "mpeg4", 0},
                           Movie{"mjpeg.avi", "mjpeg", 0}, Movie{"mpeg2.mpg", "mpeg2video", 2},
                           Movie{"wmv.wmv", "wmv2", 0}, Movie{"gif.gif", "gif", 0}}) {
        testmovies::MovieOptions o;
        o.encoder = m.encoder;
        o.bFrames = m.bFrames;
        o.width = 32;
        o.height = 24;
        o.frames = 4;
        o.gop = 2;
        if (!testmovies::writeMovie((root / "open_movie" / m.name).string(), o, &error))
            ++failures, std::fprintf(stderr, "%s: %s\n", m.name, error.c_str());
    }
    // Stills for both the movie opener and the importer.
    for (const char* encoder : {"png", "mjpeg", "bmp", "tiff", "targa", "pbm", "libwebp"}) {
        const std::string name = std::string("still.") + encoder;
        for (const char* target : {"open_movie", "import_image"})
            if (!testmovies::writeImage((root / target / name).string(), encoder, 24, 16, 5,
                                        &error))
                ++failures, std::fprintf(stderr, "%s: %s\n", encoder, error.c_str());
    }

    // Writers: the size bytes, then pixels.
    save((root / "png_writer" / "grey").string(), "\x10\0\x08\0\0"s + "ABCDEFGH");
    save((root / "png_writer" / "slack").string(), "\x03\0\x05\0\x02"s + "xyz");
    save((root / "jpeg_writer" / "normal").string(),
         "\x20\x18\x00\x02\x00\x10\x00\x00\x1f\x17"s + "pixels");
    save((root / "jpeg_writer" / "lossless").string(),
         "\x07\x05\x00\x04\x01\x01\x02\x01\x03\x02"s + "\xff\x00\x80"s);

    // Command lines, arguments separated by NUL bytes.
    const std::string lines[] = {
        "in.mov\0-o\0out.jpg"s,
        "in.mov\0-o\0f%d.png\0--every\0005\0--quality\00050"s,
        "in.mov\0--info"s,
        "--crop=1,2,30,40\0--scale\0009\0--interp\0bspline\0in.mov\0-o\0a.jpg"s,
        "--time\0001.5\0--size\00064x48\0in.mp4\0-o\0b.png\0-q\0-v"s,
    };
    for (size_t i = 0; i < std::size(lines); ++i)
        save((root / "options" / ("line" + std::to_string(i))).string(), lines[i]);
    return failures == 0 ? 0 : 1;
}
