// The moviesnap program as a user runs it: exit statuses and messages, exact
// frames of movies with B-frames, batches and their names, --info, crops and
// sizes, and files that cannot be written.
#include "CliHelpers.h"

#include <sys/stat.h>

#include <algorithm>

#ifdef MOVIESNAP_PROGRAM

namespace {

class Program : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        media = new ScratchFolder;
        movie = new std::string(numberedMovie(*media, "b.mp4", 64, 48, 30, 12));
    }
    static void TearDownTestSuite() {
        delete movie;
        delete media;
    }
    ProgramRun snap(std::vector<std::string> args) { return runProgram(dir, std::move(args)); }
    static inline ScratchFolder* media = nullptr;
    static inline std::string* movie = nullptr;
    ScratchFolder dir;
};

} // namespace

TEST_F(Program, UsageErrorsExit2NamingTheArgument) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{*movie, "-o", dir.file("x.jpg"), "--frame", "x1"}, "x1"},
        {{*movie, "-o", dir.file("x.jpg"), "--frame", "30"}, "--frame '30'"}, // past the end
        {{*movie, "-o", dir.file("x.jpg"), "--time", "9"}, "--time '9'"},
        {{*movie, "-o", dir.file("x.jpg"), "--crop", "64,0,5,5"}, "--crop"}, // wholly outside
        {{*movie, "-o", dir.file("x.jpg"), "--scale", "0", "--crop", "0,0,3,3"}, "--scale"},
        {{*movie, "--every", "3", "-o", dir.file("x.jpg")}, "directive"},
        {{}, "MOVIE"},
    };
    for (const auto& [args, named] : cases) {
        const ProgramRun r = snap(args);
        EXPECT_EQ(r.status, 2) << named;
        // One line naming the argument, then the usage.
        const std::string first = r.err.substr(0, r.err.find('\n'));
        EXPECT_NE(first.find(named), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("\nusage: moviesnap"), std::string::npos) << r.err;
    }
    EXPECT_TRUE(dir.entries().empty()) << "a refused run wrote something";
    const ProgramRun help = snap({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: moviesnap", 0), 0u);
}

TEST_F(Program, MoviesThatCannotBeOpenedExit3) {
    ASSERT_TRUE(testmovies::writeRandom(dir.file("noise.mp4"), 5000, 7));
    ASSERT_TRUE(testmovies::writeSoundOnly(dir.file("sound.wav")));
    for (const std::string& m :
         {dir.file("absent.mp4"), dir.file("noise.mp4"), dir.file("sound.wav")}) {
        const ProgramRun r = snap({m, "-o", dir.file("x.jpg")});
        EXPECT_EQ(r.status, 3) << m;
        EXPECT_NE(r.err.find(m), std::string::npos) << r.err;
        EXPECT_EQ(snap({"--info", m}).status, 3) << m;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.jpg")));
}

TEST_F(Program, ExactFramesOfAMovieWithBFrames) {
    // Out of order and repeated on the command line; every one exact.
    const ProgramRun r =
        snap({*movie, "--frame", "29,0,13,5,13,11,12", "-q", "-o", dir.file("f_%02d.png")});
    ASSERT_EQ(r.status, 0) << r.err;
    for (int f : {0, 5, 11, 12, 13, 29}) EXPECT_EQ(numberIn(dir.file(named("f_%02d.png", f))), f);
    EXPECT_EQ(dir.entries().size(), 6u);

    // A batch from frame 4, every 6th: 4, 10, 16, 22, 28.
    ASSERT_EQ(
        snap({*movie, "--frame", "4", "--every", "6", "-o", dir.file("e%d.jpg"), "--quality", "0"})
            .status,
        0);
    for (int f = 4; f < 30; f += 6) EXPECT_EQ(numberIn(dir.file(named("e%d.jpg", f))), f);
    EXPECT_FALSE(std::filesystem::exists(dir.file("e34.jpg")));

    // 25 frames a second: 0.5 s shows frame 12, 0.519 s still frame 12.
    ASSERT_EQ(snap({*movie, "--time", "0.519", "-o", dir.file("t.png")}).status, 0);
    EXPECT_EQ(numberIn(dir.file("t.png")), 12);
    // One frame with a directive in the name: it takes the frame number.
    ASSERT_EQ(snap({*movie, "--frame", "7", "-o", dir.file("one_%03d.png")}).status, 0);
    EXPECT_EQ(numberIn(dir.file("one_007.png")), 7);
}

TEST_F(Program, InfoPrintsTheSummaryLineAndWritesNothing) {
    const ProgramRun r = snap({"--info", *movie, "-o", dir.file("x.jpg")});
    EXPECT_EQ(r.status, 0) << r.err;
    // 30 frames at 25 a second: the time code of frame 30 is 1 second and 5 frames.
    EXPECT_EQ(r.out, "DUR:0:0:1:5 SZ:64x48 25 fps\nframes: 30\n");
    EXPECT_TRUE(dir.entries().empty());
}

TEST_F(Program, CropsAndSizes) {
    ASSERT_EQ(snap({*movie, "--frame", "3", "-o", dir.file("whole.png")}).status, 0);
    const ReadImage whole(dir.file("whole.png"));
    ASSERT_EQ(whole.width, 64);

    // Columns 10 to 30 and rows 5 to 15: the far edges are included.
    ASSERT_EQ(
        snap({*movie, "--frame", "3", "--crop", "10,5,20,10", "-o", dir.file("c.png")}).status, 0);
    const ReadImage crop(dir.file("c.png"));
    ASSERT_EQ(crop.width, 21);
    ASSERT_EQ(crop.height, 11);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 21; ++x)
            ASSERT_TRUE(std::equal(crop.at(x, y), crop.at(x, y) + 4, whole.at(10 + x, 5 + y)));

    // Reaching past the frame: cut to it. Fractions are summed before truncation.
    ASSERT_EQ(
        snap({*movie, "--frame", "3", "--crop", "50.5,40,30,30", "-o", dir.file("p.png")}).status,
        0);
    const ReadImage cut(dir.file("p.png"));
    EXPECT_EQ(cut.width, 14); // columns 50 to 63
    EXPECT_EQ(cut.height, 8); // rows 40 to 47
    EXPECT_TRUE(std::equal(cut.at(0, 0), cut.at(0, 0) + 4, whole.at(50, 40)));

    // Scale positions: 8 halves, 10 doubles, 9 copies; explicit sizes.
    const std::vector<std::tuple<std::vector<std::string>, int, int>> sizes = {
        {{"--scale", "8"}, 32, 24},
        {{"--scale", "10"}, 128, 96},
        {{"--scale", "0"}, 6, 5},
        {{"--size", "100x30"}, 100, 30},
        {{"--size", "64x48", "--crop", "10,5,20,10"}, 64, 48},
    };
    for (const auto& [extra, w, h] : sizes) {
        std::vector<std::string> args{*movie, "--frame", "3", "-o", dir.file("s.png")};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_EQ(snap(args).status, 0) << extra[1];
        const ReadImage s(dir.file("s.png"));
        EXPECT_EQ(s.width, w) << extra[1];
        EXPECT_EQ(s.height, h) << extra[1];
    }
    // Scale 9 and the region's own size copy the pixels unchanged.
    ASSERT_EQ(snap({*movie, "--frame", "3", "--scale", "9", "-o", dir.file("n.png")}).status, 0);
    EXPECT_EQ(ReadFileBytes(dir.file("n.png")), ReadFileBytes(dir.file("whole.png")));
    ASSERT_EQ(snap({*movie, "--frame", "3", "--size", "21x11", "--crop", "10,5,20,10", "-o",
                    dir.file("n.png")})
                  .status,
              0);
    EXPECT_EQ(ReadFileBytes(dir.file("n.png")), ReadFileBytes(dir.file("c.png")));
}

TEST_F(Program, UnwritableOutputsExit1AndLeaveNothingPartial) {
    // The name is a folder's: neither a JPEG nor a PNG can be put there.
    ASSERT_EQ(mkdir(dir.file("taken.jpg").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(dir.file("taken.png").c_str(), 0755), 0);
    for (const std::string& out : {dir.file("taken.jpg"), dir.file("taken.png"),
                                   dir.file("missing/x.jpg"), dir.file("missing/x.png")}) {
        const ProgramRun r = snap({*movie, "--scale", "8", "-o", out});
        EXPECT_EQ(r.status, 1) << out;
        EXPECT_NE(r.err.find(out), std::string::npos) << r.err;
    }
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"taken.jpg", "taken.png"}));

    // In a batch the others are still written: only folder d3 exists.
    ASSERT_EQ(mkdir(dir.file("d3").c_str(), 0755), 0);
    const ProgramRun r = snap({*movie, "--frame", "2,3,4", "-o", dir.file("d%d/x.jpg")});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("d2/x.jpg"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("d4/x.jpg"), std::string::npos) << r.err;
    EXPECT_EQ(numberIn(dir.file("d3/x.jpg")), 3);
}

#endif
