// Bitmaps to JPEG files and back from image files: the quality table (the file
// is exactly the compressor's output, whose decoding the compression tests
// check), safe replacement under failures, loading, dialogs.
#include "Bitmapio.h"
#include "ImageCompression.h"
#include "Memory.h"
#include "Navigation.h"
#include "ScratchFolder.h"
#include "ScriptedDialogs.h"
#include "SinkCapture.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A raster with smooth colour and some texture, alpha varying (a saved file is opaque).
PixRectRW<ARGBVal> texture(int w, int h) {
    PixRectRW<ARGBVal> r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            r.pixrefNB(x, y) = ARGBVal(uint8_t(x * 7), uint8_t(x * 255 / w), uint8_t(y * 255 / h),
                                       uint8_t(((x / 4 + y / 4) % 2) * 60 + 90));
    return r;
}

// What FCompressImage itself makes of the bitmap at a codec quality.
std::vector<unsigned char> compressorBytes(const Bitmap& bm, CodecQ q) {
    Rect bounds{0, 0, int16_t(bm.height), int16_t(bm.width)};
    GWorldPtr world = nullptr;
    NewGWorldFromPtr(&world, k32ARGBPixelFormat, &bounds, nullptr, nullptr, 0,
                     reinterpret_cast<Ptr>(bm.data), bm.bytesPerRow);
    std::vector<unsigned char> out(1 << 20);
    Handle desc = NewHandle(86);
    OSErr err = FCompressImage(GetGWorldPixMap(world), &bounds, 32, q, kJPEGCodecType, anyCodec,
                               nullptr, 0, long(out.size()), nullptr, nullptr,
                               reinterpret_cast<ImageDescriptionHandle>(desc), Ptr(out.data()));
    EXPECT_EQ(err, noErr);
    out.resize(size_t((*reinterpret_cast<ImageDescriptionHandle>(desc))->dataSize));
    DisposeHandle(desc);
    DisposeGWorld(world);
    return out;
}

// Runs `body` in a child process and answers its exit status.
template <class F> int inChild(F body) {
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

class BitmapioFiles : public testing::Test {
protected:
    ScriptedDialogScope dialogs;
    std::shared_ptr<ScriptedDialogs> script = dialogs.script;
    ScratchFolder dir;
    const std::vector<unsigned char> oldBytes = std::vector<unsigned char>(5000, 'o');
};

} // namespace

TEST(BitmapioQuality, TableAtEveryBoundaryAndTheFileIsTheCompressorsBytes) {
    const std::pair<int, CodecQ> table[] = {
        {0, 0x400},  {1, 0x3FF},  {24, 0x3FF}, {25, 0x300}, {49, 0x300},      {50, 0x200},
        {74, 0x200}, {75, 0x100}, {89, 0x100}, {90, 0},     {INT_MIN, 0x3FF}, {INT_MAX, 0}};
    ScratchFolder dir;
    Bitmapio bm(texture(24, 16));
    // Each save replaces the last, some of them longer: the file ends with the JPEG.
    for (auto [arg, codec] : table) {
        SCOPED_TRACE(arg);
        const std::string path = dir.file("q.jpg");
        ASSERT_EQ(bm.saveToFile(path.c_str(), arg), 1);
        EXPECT_EQ(ReadFileBytes(path), compressorBytes(bm, codec));
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"q.jpg"});
}

TEST_F(BitmapioFiles, FailedWritesLeaveTheOldFileAndNoPartialFile) {
    const std::string folder = dir.file("locked"), path = folder + "/shot.jpg";
    mkdir(folder.c_str(), 0755);
    WriteFileBytes(path, oldBytes);
    chmod(dir.path().c_str(), 0755);
    chmod(folder.c_str(), 0555);
    Bitmapio bm(texture(256, 256));
    // An unwritable folder: as another user when the tests run as root.
    EXPECT_EQ(inChild([&] {
                  if (getuid() == 0 && setuid(65534) != 0) return 2;
                  return bm.saveToFile(path.c_str(), 10);
              }),
              0);
    chmod(folder.c_str(), 0755);
    // A disk that fills up part way: no file may grow past 4 kB.
    EXPECT_EQ(inChild([&] {
                  signal(SIGXFSZ, SIG_IGN);
                  struct rlimit lim {
                      4096, 4096
                  };
                  setrlimit(RLIMIT_FSIZE, &lim);
                  return bm.saveToFile(path.c_str(), 0);
              }),
              0);
    EXPECT_EQ(ReadFileBytes(path), oldBytes);
    std::vector<std::string> left;
    for (auto& e : std::filesystem::directory_iterator(folder)) left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"shot.jpg"}) << "a temporary file was left behind";
}

TEST(BitmapioError, MessageIsAnArgumentNotAFormatAndIsCutAt1022) {
    SinkCapture sink;
    error("%s", "100% %n %s done");
    EXPECT_EQ(sink.text(), "100% %n %s done");
    sink.text().clear();
    error("%s", std::string(3000, 'a').c_str());
    EXPECT_EQ(sink.text(), std::string(1022, 'a'));
}

// A PNG loads exactly (JPEG and the importers' own decoding are the platform
// tests'); a file no importer takes leaves the bitmap as it was.
TEST_F(BitmapioFiles, ReadsAnImageAndFailsCleanlyOnCorruptOrMissingFiles) {
    TestRaster src = GradientRaster(37, 23, true);
    std::vector<unsigned char> png = EncodeTestImage(src, TestImageFormat::PNG);
    WriteFileBytes(dir.file("a.png"), png);
    Bitmapio bm;
    ASSERT_EQ(bm.initFromAFile(dir.file("a.png").c_str()), kBitmapioLoaded);
    ASSERT_EQ(bm.width, 37);
    ASSERT_EQ(bm.height, 23);
    ASSERT_EQ(bm.bytesPerRow, 148);
    EXPECT_EQ(bm.alphaInfo, 4);
    for (int y = 0; y < 23; ++y)
        for (int x = 0; x < 37; ++x) {
            const unsigned char* p = bm.data + y * bm.bytesPerRow + x * 4;
            const uint8_t* q = src.at(x, y);
            ASSERT_EQ((std::vector<int>{p[0], p[1], p[2], p[3]}),
                      (std::vector<int>{q[3], q[0], q[1], q[2]}))
                << x << "," << y;
        }

    // Which files the importers refuse is tested with them.
    const std::vector<unsigned char> before(bm.data, bm.data + bm.dataSize);
    EXPECT_EQ(bm.initFromAFile(dir.file("absent.png").c_str()), kBitmapioNoImporter);
    ASSERT_EQ(bm.width, 37);
    EXPECT_EQ(std::vector<unsigned char>(bm.data, bm.data + bm.dataSize), before);
    EXPECT_TRUE(script->opens.empty());
}

TEST_F(BitmapioFiles, WithoutAPathTheDialogsChooseAndCancellingDoesNothing) {
    Bitmapio bm(texture(30, 20));
    script->answers = {dir.file("picked.jpg"), std::nullopt};
    EXPECT_EQ(bm.saveToFile(nullptr, 50), 1);
    EXPECT_EQ(ReadFileBytes(dir.file("picked.jpg")), compressorBytes(bm, 0x200));
    EXPECT_EQ(bm.saveToFile(nullptr, 50), 0); // dismissed
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"picked.jpg"});
    script->answers = {std::nullopt};
    EXPECT_EQ(bm.initFromAFile(nullptr), kBitmapioNoFile);
    EXPECT_EQ(bm.width, 30); // unchanged
}
