// Output names: the one integer directive filled with the frame number,
// percent signs, names without a directive, and the names that are refused.
#include "Options.h"
#include "OutputPattern.h"

#include <gtest/gtest.h>

using moviesnap::OutputPattern;
using moviesnap::UsageError;

TEST(OutputPattern, FillsTheDirective) {
    EXPECT_EQ(OutputPattern("out_%05d.jpg").name(175), "out_00175.jpg");
    EXPECT_EQ(OutputPattern("out_%d.jpg").name(175), "out_175.jpg");
    EXPECT_EQ(OutputPattern("f%-4i|.png").name(7), "f7   |.png");
    EXPECT_EQ(OutputPattern("f%.3u.png").name(7), "f007.png");
    EXPECT_EQ(OutputPattern("100%%_%d%%.jpg").name(3), "100%_3%.jpg");
    EXPECT_EQ(OutputPattern("d%03d/x.jpg").name(12345), "d12345/x.jpg");
    EXPECT_EQ(OutputPattern("still 100%%.jpg").name(42), "still 100%.jpg"); // no directive
}

TEST(OutputPattern, RefusesWhatIsNotOneIntegerDirective) {
    for (const char* bad : {"a%d%d.jpg", "a%d_%05i.jpg", "a%s.jpg", "a%ld.jpg", "50%.jpg", "end%",
                            "a%x.jpg", "a%n.jpg", "a%999d.jpg", "a%33d.jpg", "a%*d.jpg"}) {
        try {
            OutputPattern p(bad);
            ADD_FAILURE() << bad << " was taken";
        } catch (const UsageError& e) {
            EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("-o", 0), 0u) << e.what();
        }
    }
}
