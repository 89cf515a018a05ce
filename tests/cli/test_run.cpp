// A moviesnap run in-process: frames resampled on a second thread make the
// same files as one after the other, a batch reads the movie forward once
// (whatever order the frames were named in), and the progress bar.
#include "CliHelpers.h"
#include "Run.h"

#include <cstdio>

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

} // namespace

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
    const int frames = 60, gop = 12;
    const std::string movie = numberedMovie(dir, "m.mp4", 64, 48, frames, gop);
    RunReport opened;
    // Opening decodes frame 0; frame 1 follows it without a seek.
    ASSERT_EQ(runArgs({movie, "--frame", "1", "-o", dir.file("z.png")}, {}, &opened), kWritten);

    // Frames inside the first group of pictures, named out of order: reached
    // by decoding on, with no seek beyond opening and each picture once.
    RunReport within;
    ASSERT_EQ(
        runArgs({movie, "--frame", "9,2,5,11,3", "-q", "-o", dir.file("w%d.png")}, {}, &within),
        kWritten);
    EXPECT_EQ(within.framesWritten, 5);
    EXPECT_EQ(within.seeks, opened.seeks);
    EXPECT_LE(within.picturesDecoded, gop + 3);

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
    EXPECT_NE(bar.find("\r["), std::string::npos);
    EXPECT_GE(bar.size(), 2u);
    EXPECT_EQ(bar.substr(bar.size() - std::string("5/5 frames\n").size()), "5/5 frames\n");
    EXPECT_EQ(errFor({movie, "--every", "2", "-q", "-o", dir.file("p%d.jpg")}, true), "");
    EXPECT_EQ(errFor({movie, "--every", "2", "-o", dir.file("p%d.jpg")}, false), "");
    EXPECT_EQ(errFor({movie, "--frame", "3", "-o", dir.file("p.jpg")}, true), "");
}
