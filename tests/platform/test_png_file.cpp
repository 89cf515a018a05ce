// PNG files: every colour value kept, alpha dropped, rows honoured, and a
// failed write that leaves no partial file.
#include "PngFile.h"
#include "ReadImage.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// w x h pixels, rows padded by 8 bytes; every channel varies and alpha is not 255.
std::vector<uint8_t> pattern(int w, int h, long rowBytes) {
    std::vector<uint8_t> p(size_t(rowBytes) * h, 0xEE);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* q = &p[size_t(y) * rowBytes + size_t(x) * 4];
            q[0] = uint8_t(x * 3);
            q[1] = uint8_t(x * 7 + y);
            q[2] = uint8_t(y * 11 + 5);
            q[3] = uint8_t((x ^ y) * 13);
        }
    return p;
}

} // namespace

TEST(PngFile, KeepsEveryColourValue) {
    ScratchFolder dir;
    const int w = 37, h = 23;
    const long rowBytes = w * 4 + 8;
    const std::vector<uint8_t> px = pattern(w, h, rowBytes);
    const std::string path = dir.file("p.png");
    ASSERT_EQ(WritePNGFile(path.c_str(), px.data(), w, h, rowBytes), noErr);
    ReadImage back(path);
    ASSERT_EQ(back.err, noErr);
    EXPECT_EQ(back.type, FOUR_CHAR_CODE("png "));
    ASSERT_EQ(back.width, w);
    ASSERT_EQ(back.height, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = &px[size_t(y) * rowBytes + size_t(x) * 4];
            const uint8_t* d = back.at(x, y);
            ASSERT_EQ(d[0], 255) << x << "," << y; // alpha is not kept: opaque
            ASSERT_EQ(d[1], s[1]) << x << "," << y;
            ASSERT_EQ(d[2], s[2]) << x << "," << y;
            ASSERT_EQ(d[3], s[3]) << x << "," << y;
        }
    // Nothing else was left in the folder.
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"p.png"});
}

TEST(PngFile, FailedWritesLeaveNothingBehind) {
    ScratchFolder dir;
    const std::vector<uint8_t> px = pattern(4, 4, 16);
    // The name is taken by a folder: the finished file cannot be put there.
    const std::string taken = dir.file("taken.png");
    ASSERT_EQ(mkdir(taken.c_str(), 0755), 0);
    EXPECT_NE(WritePNGFile(taken.c_str(), px.data(), 4, 4, 16), noErr);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"taken.png"});
    // A folder that does not exist.
    EXPECT_NE(WritePNGFile(dir.file("none/x.png").c_str(), px.data(), 4, 4, 16), noErr);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"taken.png"});
}
