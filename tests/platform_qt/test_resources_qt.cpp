#include "Resources.h"
#include "ResourcesQt.h"

#include <gtest/gtest.h>

#include <string>

// The build compiles in one resource for this test: ":/resources/TEXT/5",
// holding "resource five".
TEST(QtResources, TheReaderFindsAResourceByItsTypeAndId) {
    ResourceSource previous = SetResourceSource({});
    InstallQtResources();

    Handle h = Get1Resource(FOUR_CHAR_CODE("TEXT"), 5);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(ResError(), noErr);
    EXPECT_EQ(std::string(*h, size_t(GetHandleSize(h))), "resource five");
    ReleaseResource(h);

    EXPECT_EQ(Get1Resource(FOUR_CHAR_CODE("TEXT"), 6), nullptr);
    EXPECT_EQ(ResError(), resNotFound);
    EXPECT_EQ(Get1Resource(FOUR_CHAR_CODE("TEXt"), 5), nullptr);
    EXPECT_EQ(ResError(), resNotFound);
    EXPECT_EQ(Get1Resource(FOUR_CHAR_CODE("open"), 128), nullptr);
    EXPECT_EQ(ResError(), resNotFound);

    SetResourceSource(std::move(previous));
}
