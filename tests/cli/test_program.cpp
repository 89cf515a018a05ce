// The moviesnap program as a user runs it: exit statuses and messages, exact
// frames of movies with B-frames, batches and their names, --info, and files
// that cannot be written.
#include "CliHelpers.h"

#include <sys/stat.h>

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
        {{*movie, "-o", dir.file("x.jpg"), "--frame", "30"}, "--frame '30'"}, // past the end
        {{*movie, "-o", dir.file("x.jpg"), "--time", "9"}, "--time '9'"},
        {{*movie, "-o", dir.file("x.jpg"), "--crop", "64,0,5,5"}, "--crop"}, // wholly outside
        {{*movie, "-o", dir.file("x.jpg"), "--scale", "0", "--crop", "0,0,3,3"}, "--scale"},
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
}

TEST_F(Program, InfoPrintsTheSummaryLineAndWritesNothing) {
    const ProgramRun r = snap({"--info", *movie, "-o", dir.file("x.jpg")});
    EXPECT_EQ(r.status, 0) << r.err;
    // 30 frames at 25 a second: the time code of frame 30 is 1 second and 5 frames.
    EXPECT_EQ(r.out, "DUR:0:0:1:5 SZ:64x48 25 fps\nframes: 30\n");
    EXPECT_TRUE(dir.entries().empty());
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
