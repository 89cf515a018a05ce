#include "ImageLib.h"

#include <gtest/gtest.h>

#include <cmath>

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
