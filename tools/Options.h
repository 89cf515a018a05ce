// The command line of moviesnap: what it was asked to do, and the parser that
// turns arguments into that or into a usage error naming the bad argument.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace moviesnap {

// A usage error: a one-line message naming the argument at fault.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ImageKind { jpeg, png };

struct Crop {
    float x = 0, y = 0, width = 0, height = 0;
};

struct Options {
    std::string movie;
    std::string output; // empty only with --info or --help
    ImageKind kind = ImageKind::jpeg;
    std::vector<int> frames;          // as given; {0} when neither --frame nor --time
    std::optional<double> time;       // seconds, instead of frames
    int every = 0;                    // 0: no batch
    std::optional<Crop> crop;         // none: the whole frame
    std::optional<float> scale;       // a scale-slider position
    std::optional<int> width, height; // --size
    int interp = 1;                   // interpolation code; smooth bilinear unless told
    int quality = 25;
    bool interlace = true;
    bool metadata = true; // provenance as XMP in every file written
    bool info = false;
    bool quiet = false;
    bool verbose = false; // the library's diagnostics sink on the error stream
    bool help = false;
    bool version = false;

    // More than one frame may be written: a list, or --every.
    bool severalFrames() const;
};

// Parses argv[1..argc-1]. Throws UsageError.
Options parseArguments(int argc, const char* const* argv);

// The usage text, ending in a newline.
std::string usageText();

// Interpolation codes by name: smooth 1, bilinear 0, triangular 2, bspline 3;
// -1 for a name that is none of these.
int interpolationCode(const std::string& name);

} // namespace moviesnap
