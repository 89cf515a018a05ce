// A JPEG from moviesnap is byte for byte the one the application's snapshot
// writes for the same frame and settings: here the application's road is
// taken step by step as its movie view takes it (frame source stepped with
// nextFrame, region view over allLines, the copy or the continuous view under
// the resampler, Bitmapio, saveToFile with the slider's quality).
#include "CliHelpers.h"
#include "ImageLib.h"
#include "Run.h"

#include <optional>

namespace {

struct AppSettings {
    int frame;
    std::optional<std::array<float, 4>> crop;    // clipOrigin x, y, clipSize w, h
    std::optional<float> scale;                  // saveFrame:scale:interp:
    std::optional<std::pair<float, float>> size; // saveFrame:width:height:interp:
    uint8_t interp;
    int quality;
    std::vector<std::string> args; // the same for moviesnap
};

// The application's snapshot of `s` into `path`.
bool applicationSnapshot(const std::string& movie, const AppSettings& s, const std::string& path) {
    Movie m = nullptr;
    if (OpenMovieFromPath(movie.c_str(), &m) != noErr) return false;
    MoviePixRect mpr(m, k32ARGBPixelFormat);
    for (int i = 0; i < s.frame; ++i) mpr.nextFrame();
    mpr.drawFrame();
    PixRect<ARGBVal>& frame = *mpr.allLines;
    int lx = frame.lx(), ly = frame.ly(), hx = frame.hx(), hy = frame.hy();
    if (s.crop) {
        const auto& c = *s.crop;
        lx = int(c[0]);
        ly = int(c[1]);
        hx = int(c[0] + c[2]);
        hy = int(c[1] + c[3]);
    }
    PixRectRef<ARGBVal> region(frame, lx, ly, hx, hy);
    double fx = 1, fy = 1;
    bool copy;
    if (s.size) {
        copy = int(s.size->first) == region.width() && int(s.size->second) == region.height();
        fx = double(float(region.width()) / s.size->first);
        fy = double(float(region.height()) / s.size->second);
    } else {
        copy = *s.scale == 1.0f;
        fx = fy = double(*s.scale);
    }
    if (copy) {
        PixRectRW<ARGBVal> owned(region);
        Bitmapio bitmap(owned);
        return bitmap.saveToFile(path.c_str(), s.quality) != 0;
    }
    ContImageRef<ARGBVal> continuous(region, siinterpcode(s.interp));
    SamplePixRectNC<ARGBVal, ARGBVal> resampled(continuous, fx, fy, SIInterpolated);
    Bitmapio bitmap(resampled);
    return bitmap.saveToFile(path.c_str(), s.quality) != 0;
}

} // namespace

TEST(SameAsApplication, JpegBytesAreIdentical) {
    ScratchFolder dir;
    const std::string movie = numberedMovie(dir, "m.mp4", 96, 72, 20, 8);
    const std::vector<AppSettings> cases = {
        {6, {}, 1.0f, {}, 1, 25, {"--frame", "6"}},
        {9,
         {},
         0.5f,
         {},
         3,
         0,
         {"--frame", "9", "--scale", "10", "--interp", "bspline", "--quality", "0"}},
        {13,
         std::array<float, 4>{10, 10, 40, 30},
         1.0f,
         {},
         1,
         60,
         {"--frame", "13", "--crop", "10,10,40,30", "--quality", "60"}},
        {2,
         std::array<float, 4>{5.5f, 3, 60.75f, 50},
         2.0f,
         {},
         0,
         90,
         {"--frame", "2", "--crop", "5.5,3,60.75,50", "--scale", "8", "--interp", "bilinear",
          "--quality", "90"}},
        {17,
         {},
         {},
         std::pair<float, float>{150, 40},
         2,
         30,
         {"--frame", "17", "--size", "150x40", "--interp", "triangular", "--quality", "30"}},
        {4,
         std::array<float, 4>{0, 0, 20, 20},
         {},
         std::pair<float, float>{21, 21},
         1,
         25,
         {"--frame", "4", "--crop", "0,0,20,20", "--size", "21x21"}},
        {11, {}, 3.0f, {}, 1, 75, {"--frame", "11", "--scale", "7", "--quality", "75"}},
    };
    int k = 0;
    for (const AppSettings& s : cases) {
        const std::string app = dir.file(named("app%d.jpg", k));
        const std::string ours = dir.file(named("ours%d.jpg", k));
        ASSERT_TRUE(applicationSnapshot(movie, s, app)) << k;
        // The application's road writes no provenance; the encoders are compared.
        std::vector<const char*> argv{"moviesnap", movie.c_str(), "--no-metadata"};
        for (const std::string& a : s.args) argv.push_back(a.c_str());
        argv.push_back("-o");
        argv.push_back(ours.c_str());
        ASSERT_EQ(moviesnap::runCommandLine(int(argv.size()), argv.data()), moviesnap::kWritten);
        const std::vector<unsigned char> a = ReadFileBytes(app);
        ASSERT_GT(a.size(), 100u);
        EXPECT_EQ(a, ReadFileBytes(ours)) << "case " << k;
        ++k;
    }
}
