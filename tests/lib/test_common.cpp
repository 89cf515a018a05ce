#include "ImageLib.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(Common, MinMaxReturnReferencesAndPreferEarlierArgument) {
    int a = 5, b = 5, c = 1;
    EXPECT_EQ(&SICommon_H::max(a, b), &a);
    EXPECT_EQ(&SICommon_H::min(a, b), &a);
    int x = 2, y = 1, z = 1;
    EXPECT_EQ(&SICommon_H::min(x, y, z), &y);
    EXPECT_EQ(&SICommon_H::max(c, a, b), &a);
    float f1 = 0.5f, f2 = 0.5f, f3 = 0.25f;
    EXPECT_EQ(&SICommon_H::max(f1, f2, f3), &f1);
    EXPECT_EQ(&SICommon_H::min(f3, f1, f2), &f3);
    float n = std::nanf("");
    // With strict comparisons a NaN first argument is kept unless a later one is larger.
    EXPECT_EQ(&SICommon_H::max(n, f1, f3), &n);
}

TEST(Common, DebugLabelsAndSilentSink) {
    EXPECT_STREQ(SICommon::DBGclasslabel[0], "DBGNone#");
    EXPECT_STREQ(SICommon::DBGclasslabel[7], "DBGIter");
    EXPECT_STREQ(SICommon::DBGclasslabel[10], "DBGAll#");
    EXPECT_STREQ(SICommon::DBGclasslabel[16], "");
    EXPECT_EQ(siprintf("%d %s\n", 3, "x"), 0);
    EXPECT_EQ(sizeof(SIerrorcode), 1u);
}
