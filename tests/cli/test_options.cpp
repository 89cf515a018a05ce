// moviesnap's argument parsing: what each option means, and the usage errors,
// each naming the argument at fault.
#include "Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace moviesnap;

namespace {

Options parse(std::vector<const char*> args) {
    args.insert(args.begin(), "moviesnap");
    return parseArguments(int(args.size()), args.data());
}

// The usage error's message for these arguments; empty when they parse.
std::string refusal(const std::vector<const char*>& args) {
    try {
        parse(args);
    } catch (const UsageError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Options, EveryOptionIsRead) {
    const Options o = parse({"--frame=7", "--every", "5", "--crop", "10,20.5,100,50", "--scale",
                             "10", "--interp", "bspline", "--quality", "0", "--no-interlace", "-q",
                             "--output=a/b_%03d.PNG", "--", "-odd name.mov"});
    EXPECT_EQ(o.movie, "-odd name.mov");
    EXPECT_EQ(o.kind, ImageKind::png);
    EXPECT_EQ(o.frames, std::vector<int>{7});
    EXPECT_EQ(o.every, 5);
    ASSERT_TRUE(o.crop);
    EXPECT_FLOAT_EQ(o.crop->y, 20.5f);
    EXPECT_FLOAT_EQ(*o.scale, 10.0f);
    EXPECT_EQ(o.interp, 3);
    EXPECT_EQ(o.quality, 0);
    EXPECT_FALSE(o.interlace);
    EXPECT_TRUE(o.quiet && o.severalFrames());

    const Options s = parse({"m.mov", "--size", "800X600", "--frame", "3,1,2", "-o", "f%d.jpeg"});
    EXPECT_EQ(*s.width, 800);
    EXPECT_EQ(*s.height, 600);
    EXPECT_EQ(s.frames, (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(parse({"m.mov", "--interp", "bilinear", "-o", "x.jpg"}).interp, 0);
    EXPECT_EQ(parse({"m.mov", "--interp", "triangular", "-o", "x.jpg"}).interp, 2);
    EXPECT_DOUBLE_EQ(*parse({"m.mov", "--time", "1.5", "-o", "x.jpg"}).time, 1.5);
    EXPECT_EQ(parse({"m.mov", "--frame", "4", "-o", "one_%03d.jpg"}).frames, std::vector<int>{4});
    // --info, --help and --version need no output.
    EXPECT_TRUE(parse({"--info", "m.mov"}).info);
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
}

TEST(Options, EachBadArgumentIsNamed) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{"m.mov", "-o", "x.jpg", "--bogus"}, "--bogus"},
        {{"m.mov", "-o"}, "-o"},
        {{"m.mov", "-o", "x.gif"}, "x.gif"},
        {{"-o", "x.jpg"}, "MOVIE"},
        {{"a.mov", "b.mov", "-o", "x.jpg"}, "b.mov"},
        {{"m.mov", "-o", "x.jpg", "--frame", "-1"}, "-1"},
        {{"m.mov", "-o", "x%d.jpg", "--every", "0"}, "--every"},
        {{"m.mov", "-o", "x.jpg", "--time", "nan"}, "nan"},
        {{"m.mov", "-o", "x.jpg", "--time", "1", "--frame", "3"}, "--time"},
        {{"m.mov", "-o", "x.jpg", "--crop", "1,2,3"}, "1,2,3"},
        {{"m.mov", "-o", "x.jpg", "--scale", "13"}, "13"},
        {{"m.mov", "-o", "x.jpg", "--size", "0x10"}, "--size"},
        {{"m.mov", "-o", "x.jpg", "--size", "20000x10"}, "20000x10"},
        {{"m.mov", "-o", "x.jpg", "--size", "64x48", "--scale", "8"}, "--size"},
        {{"m.mov", "-o", "x.jpg", "--interp", "cubic"}, "cubic"},
        {{"m.mov", "-o", "x.jpg", "--quality", "101"}, "101"},
        {{"m.mov", "-o", "x%d.jpg", "--every", "2", "--frame", "1,5"}, "--every"},
        // Several frames need one directive in the name, and two are wrong even for one.
        {{"m.mov", "--frame", "1,2", "-o", "out.jpg"}, "directive"},
        {{"m.mov", "--every", "5", "-o", "out.png"}, "out.png"},
        {{"m.mov", "-o", "a%d_%d.jpg"}, "more than one"},
    };
    for (const auto& [args, named] : cases) {
        const std::string message = refusal(args);
        EXPECT_NE(message.find(named), std::string::npos)
            << "case naming " << named << " gave: '" << message << "'";
    }
}
