// A movie file's URL (opening through the movie file is tested with the grabber).
#include "MovieTestHelpers.h"

#include <gtest/gtest.h>

namespace {

TEST(MovieCalls, UrlIsPercentEncodedAndFitsTheHandle) {
    Handle url = NewHandleClear(8); // too small: grown
    FSSpec fss{"/tmp/a b%c/é.mov"};
    EXPECT_EQ(HRUtilGetURLFromFSSpec(&fss, url), noErr);
    EXPECT_STREQ(*url, "file:///tmp/a%20b%25c/%C3%A9.mov");
    DisposeHandle(url);
}

} // namespace
