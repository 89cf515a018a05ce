// A moviesnap run in-process: the provenance read back with exiv2, frames
// resampled on a second thread make the same files as one after the other,
// and the progress bar.
#include "CliHelpers.h"
#include "Run.h"

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <sstream>

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
    std::vector<std::string> args{
        movie,     "-o", dir.file("a.jpg"), "--frame", "7",         "--crop", "4,6,50,30",
        "--scale", "10", "--interp",        "bspline", "--quality", "60"};
    ASSERT_EQ(runArgs(args, {}), kWritten);
    args[2] = dir.file("bare.jpg");
    args.push_back("--no-metadata");
    ASSERT_EQ(runArgs(args, {}), kWritten);
    const std::map<std::string, std::string> expected = {
        {"Xmp.dc.source", "origin.mp4"},
        {"Xmp.xmp.CreatorTool", "MovieSnap " MOVIESNAP_VERSION},
        {"Xmp.photoshop.DateCreated", "2024-05-06T07:08:09Z"},
        {"Xmp.xmpDM.startTimecode", "type=\"Struct\""},
        {"Xmp.xmpDM.startTimecode/xmpDM:timeFormat", "25Timecode"},
        {"Xmp.xmpDM.startTimecode/xmpDM:timeValue", "00:00:00:07"},
        {"Xmp.moviesnap.Frame", "7"},
        {"Xmp.moviesnap.Time", "7/25"},
        {"Xmp.moviesnap.Seconds", "0.28"},
        {"Xmp.moviesnap.Crop", "4,6,51,31"},
        {"Xmp.tiff.ImageWidth", "102"},
        {"Xmp.tiff.ImageLength", "62"},
        {"Xmp.moviesnap.Interpolation", "bspline"},
        {"Xmp.moviesnap.Quality", "60"}};
    EXPECT_EQ(xmpOf(dir.file("a.jpg")), expected);
    EXPECT_TRUE(xmpOf(dir.file("bare.jpg")).empty());
    const ReadImage with(dir.file("a.jpg")), without(dir.file("bare.jpg"));
    ASSERT_EQ(with.err, noErr);
    EXPECT_EQ(with.argb, without.argb);
}

TEST(Run, OverlappedBatchWritesTheSameFilesAsSequential) {
    ScratchFolder dir;
    const std::string movie = numberedMovie(dir, "m.mp4", 96, 64, 24, 8);
    RunSettings sequential;
    sequential.overlap = false;
    // Each resampled road and both kinds of file, several frames each.
    int k = 0;
    for (const char* road : {"--scale 11 --interp bspline", "--no-interlace",
                             "--size 50x70 --interp triangular --crop 7,3,60,40"})
        for (const char* ext : {".jpg", ".png"}) {
            const std::string a = named("a%d_", k) + "%02d" + ext;
            const std::string b = named("b%d_", k++) + "%02d" + ext;
            const auto run = [&](const std::string& out, const RunSettings& settings) {
                std::vector<std::string> args{movie, "--frame", "1",  "--every",
                                              "5",   "-q",      "-o", dir.file(out)};
                std::istringstream words(road);
                args.insert(args.end(), std::istream_iterator<std::string>(words), {});
                return runArgs(args, settings);
            };
            ASSERT_EQ(run(a, {}), kWritten);
            ASSERT_EQ(run(b, sequential), kWritten);
            for (int f = 1; f < 24; f += 5) {
                const std::vector<unsigned char> bytes =
                    ReadFileBytes(dir.file(named(a.c_str(), f)));
                ASSERT_FALSE(bytes.empty()) << a << " " << f;
                EXPECT_EQ(bytes, ReadFileBytes(dir.file(named(b.c_str(), f)))) << a << " " << f;
            }
        }
}

TEST(Run, ProgressBarOnlyForABatchOnATerminal) {
    ScratchFolder dir;
    const std::string movie = numberedMovie(dir, "m.mp4", 32, 32, 10, 5);
    auto errFor = [&](std::vector<std::string> args, bool terminal) {
        char* text = nullptr;
        size_t size = 0;
        RunSettings s;
        s.err = open_memstream(&text, &size);
        s.terminal = terminal;
        EXPECT_EQ(runArgs(args, s), kWritten);
        std::fclose(s.err);
        const std::string written(text, size);
        std::free(text);
        return written;
    };
    const std::string bar = errFor({movie, "--every", "2", "-o", dir.file("p%d.jpg")}, true);
    EXPECT_TRUE(bar.find("\r[") != std::string::npos && bar.ends_with("] 5/5 frames\n")) << bar;
    EXPECT_EQ(errFor({movie, "--every", "2", "-q", "-o", dir.file("p%d.jpg")}, true), "");
    EXPECT_EQ(errFor({movie, "--every", "2", "-o", dir.file("p%d.jpg")}, false), "");
    EXPECT_EQ(errFor({movie, "--frame", "3", "-o", dir.file("p.jpg")}, true), "");
}

#pragma GCC diagnostic pop
