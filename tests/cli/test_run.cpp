// A moviesnap run in-process: the provenance read back with exiv2, frames
// resampled on a second thread make the same files as one after the other, a
// batch reads the movie forward once, and the progress bar.
#include "CliHelpers.h"
#include "Run.h"

#include <cstdio>
#include <map>

// exiv2 0.27 hands its images out in std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

using namespace moviesnap;

namespace {

int runArgs(std::vector<std::string> args, const RunSettings& settings,
            RunReport* report = nullptr) {
    std::vector<const char*> argv{"moviesnap"};
    for (const std::string& a : args) argv.push_back(a.c_str());
    return runCommandLine(int(argv.size()), argv.data(), settings, report);
}

std::string contents(std::FILE* f) {
    std::fflush(f);
    std::rewind(f);
    std::string s;
    for (int c; (c = std::fgetc(f)) != EOF;) s += char(c);
    return s;
}

// Every XMP property of an image file, as exiv2 reads it.
std::map<std::string, std::string> xmpOf(const std::string& path) {
    auto image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    std::map<std::string, std::string> properties;
    for (const Exiv2::Xmpdatum& d : image->xmpData()) properties[d.key()] = d.toString();
    return properties;
}

} // namespace

TEST(Run, StillsCarryTheirProvenance) {
    ScratchFolder dir;
    testmovies::MovieOptions mo;
    mo.creationTime = "2024-05-06T07:08:09Z";
    const std::string movie = dir.file("origin.mp4");
    ASSERT_TRUE(testmovies::writeMovie(movie, mo));
    using Properties = std::map<std::string, std::string>;
    const Properties common = {{"Xmp.dc.source", "origin.mp4"},
                               {"Xmp.xmp.CreatorTool", "MovieSnap " MOVIESNAP_VERSION},
                               {"Xmp.photoshop.DateCreated", "2024-05-06T07:08:09Z"},
                               {"Xmp.xmpDM.startTimecode", "type=\"Struct\""},
                               {"Xmp.xmpDM.startTimecode/xmpDM:timeFormat", "25Timecode"}};
    const std::vector<std::tuple<std::vector<std::string>, std::string, Properties>> cases = {
        {{"--frame", "7", "--crop", "4,6,50,30", "--scale", "10", "--interp", "bspline",
          "--quality", "60"},
         "a.jpg",
         {{"Xmp.moviesnap.Frame", "7"},
          {"Xmp.moviesnap.Time", "7/25"},
          {"Xmp.moviesnap.Seconds", "0.28"},
          {"Xmp.xmpDM.startTimecode/xmpDM:timeValue", "00:00:00:07"},
          {"Xmp.moviesnap.Crop", "4,6,51,31"},
          {"Xmp.tiff.ImageWidth", "102"},
          {"Xmp.tiff.ImageLength", "62"},
          {"Xmp.moviesnap.Interpolation", "bspline"},
          {"Xmp.moviesnap.Quality", "60"}}},
        {{"--frame", "27"},
         "b.png",
         {{"Xmp.moviesnap.Frame", "27"},
          {"Xmp.moviesnap.Time", "27/25"},
          {"Xmp.moviesnap.Seconds", "1.08"},
          {"Xmp.xmpDM.startTimecode/xmpDM:timeValue", "00:00:01:02"},
          {"Xmp.moviesnap.Crop", "0,0,64,48"},
          {"Xmp.tiff.ImageWidth", "64"},
          {"Xmp.tiff.ImageLength", "48"},
          {"Xmp.moviesnap.Interpolation", "none"}}},
    };
    for (const auto& [options, name, properties] : cases) {
        std::vector<std::string> args{movie, "-o", dir.file(name)};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_EQ(runArgs(args, {}), kWritten) << name;
        args[2] = dir.file("bare_" + name);
        args.push_back("--no-metadata");
        ASSERT_EQ(runArgs(args, {}), kWritten) << name;

        Properties expected = common;
        expected.insert(properties.begin(), properties.end());
        EXPECT_EQ(xmpOf(dir.file(name)), expected) << name;
        EXPECT_TRUE(xmpOf(dir.file("bare_" + name)).empty()) << name;
        const ReadImage with(dir.file(name)), without(dir.file("bare_" + name));
        ASSERT_EQ(with.err, noErr) << name;
        EXPECT_EQ(with.argb, without.argb) << name;
    }
    EXPECT_EQ(numberIn(dir.file("b.png")), 27);
}

TEST(Run, OverlappedBatchWritesTheSameFilesAsSequential) {
    ScratchFolder dir;
    const std::string movie = numberedMovie(dir, "m.mp4", 96, 64, 24, 8);
    // Each resampled road and both kinds of file, several frames each.
    const std::vector<std::vector<std::string>> roads = {
        {"--scale", "11", "--interp", "bspline"},
        {"--size", "50x70", "--interp", "triangular", "--crop", "7,3,60,40"},
        {"--no-interlace"},
    };
    RunSettings sequential;
    sequential.overlap = false;
    int k = 0;
    for (const std::vector<std::string>& road : roads) {
        const bool cropped = std::find(road.begin(), road.end(), "--crop") != road.end();
        for (const char* ext : {".jpg", ".png"}) {
            const std::string a = dir.file(named("a%d_%%02d", k) + ext);
            const std::string b = dir.file(named("b%d_%%02d", k) + ext);
            std::vector<std::string> args{movie, "--frame", "1", "--every", "5", "-q"};
            args.insert(args.end(), road.begin(), road.end());
            std::vector<std::string> argsA = args, argsB = args;
            argsA.insert(argsA.end(), {"-o", a});
            argsB.insert(argsB.end(), {"-o", b});
            RunReport ra, rb;
            ASSERT_EQ(runArgs(argsA, RunSettings{}, &ra), kWritten);
            ASSERT_EQ(runArgs(argsB, sequential, &rb), kWritten);
            EXPECT_EQ(ra.framesWritten, 5);
            EXPECT_EQ(rb.framesWritten, 5);
            for (int f = 1; f < 24; f += 5) {
                const std::string fa = dir.file(named(named("a%d_%%02d", k).c_str(), f) + ext);
                const std::string fb = dir.file(named(named("b%d_%%02d", k).c_str(), f) + ext);
                const std::vector<unsigned char> bytes = ReadFileBytes(fa);
                ASSERT_FALSE(bytes.empty()) << fa;
                EXPECT_EQ(bytes, ReadFileBytes(fb)) << fa;
                if (!cropped) {
                    EXPECT_EQ(numberIn(fa), f) << fa;
                }
            }
        }
        ++k;
    }
}

TEST(Run, ABatchReadsTheMovieForwardOnce) {
    ScratchFolder dir;
    const int frames = 60;
    const std::string movie = numberedMovie(dir, "m.mp4", 64, 48, frames, 12);
    // Every 5th frame to the end: no picture decoded twice (a seek per frame
    // from its keyframe would decode about 1.5 times the movie).
    RunReport batch;
    ASSERT_EQ(runArgs({movie, "--every", "5", "-q", "-o", dir.file("b%d.png")}, {}, &batch),
              kWritten);
    EXPECT_EQ(batch.framesWritten, 12);
    EXPECT_LE(batch.picturesDecoded, frames + 3);
    for (int f = 0; f < frames; f += 5) EXPECT_EQ(numberIn(dir.file(named("b%d.png", f))), f);
}

TEST(Run, ProgressBarOnlyForABatchOnATerminal) {
    ScratchFolder dir;
    const std::string movie = numberedMovie(dir, "m.mp4", 32, 32, 10, 5);
    auto errFor = [&](std::vector<std::string> args, bool terminal) {
        std::FILE* err = std::tmpfile();
        RunSettings s;
        s.err = err;
        s.terminal = terminal;
        EXPECT_EQ(runArgs(args, s), kWritten);
        const std::string text = contents(err);
        std::fclose(err);
        return text;
    };
    const std::string bar = errFor({movie, "--every", "2", "-o", dir.file("p%d.jpg")}, true);
    EXPECT_TRUE(bar.find("\r[") != std::string::npos && bar.ends_with("] 5/5 frames\n")) << bar;
    EXPECT_EQ(errFor({movie, "--every", "2", "-q", "-o", dir.file("p%d.jpg")}, true), "");
    EXPECT_EQ(errFor({movie, "--every", "2", "-o", dir.file("p%d.jpg")}, false), "");
    EXPECT_EQ(errFor({movie, "--frame", "3", "-o", dir.file("p.jpg")}, true), "");
}

#pragma GCC diagnostic pop
