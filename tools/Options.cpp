#include "Options.h"

#include "OutputPattern.h"
#include "PictureLimits.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace moviesnap {

namespace {

// The largest frame number, size or step we take; the platform's movies hold
// far fewer frames and pictures are at most kMaxPictureSide pixels across.
constexpr long kMaxFrame = 100000000;

[[noreturn]] void bad(const std::string& option, const std::string& value, const std::string& why) {
    throw UsageError(option + " '" + value + "': " + why);
}

// A whole number in [lo, hi], the whole text and nothing else.
long wholeNumber(const std::string& option, const std::string& text, long lo, long hi) {
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '-'))
        bad(option, text, "not a whole number");
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0') bad(option, text, "not a whole number");
    if (errno == ERANGE || v < lo || v > hi)
        bad(option, text,
            "out of range (" + std::to_string(lo) + " to " + std::to_string(hi) + ")");
    return v;
}

// A finite decimal number, the whole text.
double decimal(const std::string& option, const std::string& text) {
    const char* s = text.c_str();
    // strtod would also take "inf", "nan" and hexadecimal: only plain decimals here.
    if (text.empty() || text.find_first_not_of("0123456789.-+eE") != std::string::npos)
        bad(option, text, "not a number");
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(s, &end);
    if (end == s || *end != '\0' || errno == ERANGE || !std::isfinite(v))
        bad(option, text, "not a number");
    return v;
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    return parts;
}

std::string lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

ImageKind kindOfOutput(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "" : lower(base.substr(dot + 1));
    if (ext == "jpg" || ext == "jpeg") return ImageKind::jpeg;
    if (ext == "png") return ImageKind::png;
    bad("-o", path, "the name must end in .jpg, .jpeg or .png");
}

} // namespace

int interpolationCode(const std::string& name) {
    // The application's list, in its order: smooth first.
    if (name == "smooth") return 1;
    if (name == "bilinear") return 0;
    if (name == "triangular") return 2;
    if (name == "bspline") return 3;
    return -1;
}

bool Options::severalFrames() const {
    return every > 0 || frames.size() > 1;
}

std::string usageText() {
    return "usage: moviesnap [options] MOVIE -o OUTPUT\n"
           "  -o, --output PATH     file to write: .jpg/.jpeg (JPEG) or .png (lossless PNG);\n"
           "                        with several frames PATH holds one integer directive\n"
           "                        (out_%05d.jpg) for the frame number\n"
           "  --frame N[,N...]      0-based frames in presentation order (default 0)\n"
           "  --every K             every K-th frame from the first --frame to the end\n"
           "  --time SECONDS        the frame shown at that time instead of --frame\n"
           "  --crop X,Y,W,H        crop: columns X to X+W and rows Y to Y+H, cut to the frame\n"
           "  --scale POS           scale position 0 to 12 (9 actual size, 8 half, 10 double)\n"
           "  --size WxH            explicit result size\n"
           "  --interp NAME         smooth | bilinear | triangular | bspline (default smooth)\n"
           "  --quality Q           0 (lossless) to 100 (strongest compression), default 25\n"
           "  --no-interlace        interlace hints off (one field, lines interpolated)\n"
           "  --no-metadata         no provenance (XMP) in the files written\n"
           "  --info                print the movie's summary and frame count, write nothing\n"
           "  -q, --quiet           no progress bar\n"
           "  -v, --verbose         the library's diagnostics, the decoders' included\n"
           "  -h, --help            this text\n"
           "  --version             the program's version\n"
           "exit status: 0 written, 1 a file could not be written, 2 bad usage,\n"
           "             3 the movie could not be opened\n";
}

Options parseArguments(int argc, const char* const* argv) {
    Options o;
    bool framesGiven = false;
    std::vector<std::string> positional;
    bool optionsEnded = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // --name=value and --name value; -o PATH.
        std::string name = arg, value;
        bool inlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const size_t eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                value = arg.substr(eq + 1);
                inlineValue = true;
            }
        }
        auto takesValue = [&](const std::string& n) {
            return n == "-o" || n == "--output" || n == "--frame" || n == "--every" ||
                   n == "--time" || n == "--crop" || n == "--scale" || n == "--size" ||
                   n == "--interp" || n == "--quality";
        };
        if (takesValue(name)) {
            if (!inlineValue) {
                if (i + 1 >= argc) throw UsageError(name + ": a value is missing");
                value = argv[++i];
            }
        } else if (inlineValue) {
            throw UsageError(name + ": takes no value");
        }

        if (name == "-o" || name == "--output") {
            if (value.empty()) bad(name, value, "an empty file name");
            o.output = value;
        } else if (name == "--frame") {
            for (const std::string& part : split(value, ','))
                o.frames.push_back(int(wholeNumber("--frame", part, 0, kMaxFrame)));
            framesGiven = true;
        } else if (name == "--every") {
            o.every = int(wholeNumber(name, value, 1, kMaxFrame));
        } else if (name == "--time") {
            const double t = decimal(name, value);
            if (t < 0) bad(name, value, "a time before the start");
            o.time = t;
        } else if (name == "--crop") {
            const std::vector<std::string> parts = split(value, ',');
            if (parts.size() != 4) bad(name, value, "four numbers X,Y,W,H are needed");
            Crop c;
            float* fields[4] = {&c.x, &c.y, &c.width, &c.height};
            for (int k = 0; k < 4; ++k) {
                const double v = decimal(name, parts[size_t(k)]);
                if (std::fabs(v) > 1.0e6) bad(name, value, "a number out of range");
                *fields[k] = float(v);
            }
            if (c.width < 0 || c.height < 0) bad(name, value, "a negative width or height");
            o.crop = c;
        } else if (name == "--scale") {
            const double v = decimal(name, value);
            if (v < 0 || v > 12) bad(name, value, "out of range (0 to 12)");
            o.scale = float(v);
        } else if (name == "--size") {
            const std::vector<std::string> parts = split(lower(value), 'x');
            if (parts.size() != 2) bad(name, value, "WIDTHxHEIGHT is needed, e.g. 640x480");
            try {
                o.width = int(wholeNumber(name, parts[0], 1, kMaxPictureSide));
                o.height = int(wholeNumber(name, parts[1], 1, kMaxPictureSide));
            } catch (const UsageError&) {
                bad(name, value, "each side must be a whole number from 1 to 16384");
            }
        } else if (name == "--interp") {
            o.interp = interpolationCode(value);
            if (o.interp < 0) bad(name, value, "not one of smooth, bilinear, triangular, bspline");
        } else if (name == "--quality") {
            o.quality = int(wholeNumber(name, value, 0, 100));
        } else if (name == "--no-interlace") {
            o.interlace = false;
        } else if (name == "--no-metadata") {
            o.metadata = false;
        } else if (name == "--info") {
            o.info = true;
        } else if (name == "-q" || name == "--quiet") {
            o.quiet = true;
        } else if (name == "-v" || name == "--verbose") {
            o.verbose = true;
        } else if (name == "-h" || name == "--help") {
            o.help = true;
        } else if (name == "--version") {
            o.version = true;
        } else {
            throw UsageError(arg + ": unknown option");
        }
    }
    if (o.help || o.version) return o;

    if (positional.empty()) throw UsageError("MOVIE: no movie named");
    if (positional.size() > 1) throw UsageError(positional[1] + ": only one movie is taken");
    o.movie = positional[0];
    if (o.info) return o;

    if (o.output.empty()) throw UsageError("-o: no output file named");
    o.kind = kindOfOutput(o.output);
    if (o.time && framesGiven) throw UsageError("--time: cannot be combined with --frame");
    if (o.scale && o.width) throw UsageError("--size: cannot be combined with --scale");
    if (o.every > 0 && o.frames.size() > 1)
        throw UsageError("--every: takes a single starting --frame, not a list");
    if (!framesGiven && !o.time) o.frames = {0};

    const OutputPattern pattern(o.output);
    if (o.severalFrames() && !pattern.hasDirective())
        bad("-o", o.output, "several frames need a frame-number directive such as %05d");
    return o;
}

} // namespace moviesnap
