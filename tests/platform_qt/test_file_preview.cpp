#include "FileDialogDriver.h"
#include "FilePreview.h"
#include "Navigation.h"
#include "NavigationQt.h"
#include "TestImages.h"
#include "TestMovies.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

// Readable failures.
void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

int argc = 1;
char programName[] = "platform_qt_tests";
char* argv[] = {programName, nullptr};

class FilePreviews : public testing::Test {
protected:
    static QApplication* makeApp() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }
    std::unique_ptr<QApplication> app{makeApp()};
    testmovies::TempFolder dir;

    std::string movie(const std::string& name, const testmovies::MovieOptions& o) {
        std::string error, path = dir.file(name);
        if (!testmovies::writeMovie(path, o, &error)) ADD_FAILURE() << name << ": " << error;
        return path;
    }
};

testmovies::MovieOptions mpeg4(int width, int height, int frames) {
    testmovies::MovieOptions o;
    o.encoder = "mpeg4";
    o.bFrames = 0;
    o.width = width;
    o.height = height;
    o.frames = frames;
    return o;
}

int numberIn(const QImage& picture) {
    // RGB32: B,G,R,x bytes; the pattern is grey, so the first three serve.
    return testmovies::readFrameNumber(picture.constBits(), picture.width(), picture.height(),
                                       long(picture.bytesPerLine()), 0, true);
}

} // namespace

TEST_F(FilePreviews, AMovieShowsItsFirstPictureSizeFramesRateAndDuration) {
    FilePreview preview;
    preview.showFile(QString::fromStdString(movie("numbers.avi", mpeg4(64, 48, 30))));
    const FilePreviewContent& c = preview.content();
    EXPECT_EQ(c.text, "64 x 48, 30 frames, 25 fps\n0:00:01");
    ASSERT_EQ(c.picture.size(), QSize(240, 180));
    EXPECT_EQ(numberIn(c.picture), 0);

    // A wide flat red movie at an NTSC rate: a wide thumbnail of its colour.
    testmovies::MovieOptions red = mpeg4(96, 32, 12);
    red.content = testmovies::Content::flat;
    red.flat[0] = 81, red.flat[1] = 90, red.flat[2] = 240;
    red.timeBaseNum = 1001, red.timeBaseDen = 30000;
    preview.showFile(QString::fromStdString(movie("red.mp4", red)));
    EXPECT_EQ(preview.content().text, "96 x 32, 12 frames, 29.97 fps\n0:00:00");
    const QColor centre = preview.content().picture.pixelColor(120, 40);
    EXPECT_GT(centre.red(), 200);
    EXPECT_LT(centre.green() + centre.blue(), 120);
}

TEST_F(FilePreviews, LongMoviesCountHoursMinutesAndSeconds) {
    // Two pictures an hour, two minutes and five seconds apart.
    testmovies::MovieOptions o;
    o.frames = 2;
    o.bFrames = 0;
    o.pts = {0, 3725 * 25};
    const QString text =
        FilePreview::load(QString::fromStdString(movie("long.mp4", o))).text.section('\n', 1);
    EXPECT_TRUE(QRegularExpression("^1:02:0[56]$").match(text).hasMatch()) << text.toStdString();
}

TEST_F(FilePreviews, AnImageShowsItsPictureAndSizeOnly) {
    std::string error;
    const std::string tall = dir.file("tall.png");
    ASSERT_TRUE(testmovies::writeImage(tall, "png", 60, 120, 7, &error)) << error;
    FilePreviewContent c = FilePreview::load(QString::fromStdString(tall));
    EXPECT_EQ(c.text, "60 x 120");
    ASSERT_EQ(c.picture.size(), QSize(90, 180));
    EXPECT_EQ(numberIn(c.picture), 7);

    // Larger than the box: brought down into it, the gradient still running left to right.
    const std::string wide = dir.file("wide.png");
    WriteTestImage(wide, GradientRaster(600, 200), TestImageFormat::PNG);
    c = FilePreview::load(QString::fromStdString(wide));
    EXPECT_EQ(c.text, "600 x 200");
    ASSERT_EQ(c.picture.size(), QSize(240, 80));
    EXPECT_GT(c.picture.pixelColor(235, 40).red(), c.picture.pixelColor(4, 40).red() + 150);
}

TEST_F(FilePreviews, WhatDoesNotOpenSaysNoPreviewAndFoldersShowNothing) {
    WriteFileBytes(dir.file("notes.txt"), {'h', 'e', 'l', 'l', 'o', '\n'});
    testmovies::writeRandom(dir.file("noise.mp4"), 50000, 3);

    // Wider than the movie layer takes a picture.
    WriteTestImage(dir.file("banner.png"), FlatRaster(16400, 2, 9, 9, 9), TestImageFormat::PNG);

    FilePreview preview;
    for (const char* name : {"notes.txt", "noise.mp4", "banner.png"}) {
        preview.showFile(QString::fromStdString(dir.file(name)));
        EXPECT_EQ(preview.content().text, "No preview") << name;
        EXPECT_TRUE(preview.content().picture.isNull()) << name;
    }
    // A file too large to open at once is not read: a movie's start followed
    // by a long hole (sparse, so nothing is written) gets its size only.
    {
        QFile big(QString::fromStdString(movie("big.mp4", mpeg4(64, 48, 30))));
        ASSERT_TRUE(big.resize(FilePreview::largestPreviewed + 1));
    }
    preview.showFile(QString::fromStdString(dir.file("big.mp4")));
    EXPECT_EQ(preview.content().text, "No preview: 256 MB");

    preview.showFile(QString::fromStdString(dir.path()));
    EXPECT_TRUE(preview.content().text.isEmpty());
}

TEST_F(FilePreviews, AFileIsReadAgainOnlyWhenItChanged) {
    namespace fs = std::filesystem;
    const std::string path = movie("clip.avi", mpeg4(64, 48, 5));
    FilePreview preview;
    preview.showFile(QString::fromStdString(path));
    ASSERT_EQ(preview.content().text, "64 x 48, 5 frames, 25 fps\n0:00:00");

    // Same size and time: the remembered preview, not the noise now in the file.
    const auto when = fs::last_write_time(path);
    testmovies::writeRandom(path, size_t(fs::file_size(path)), 9);
    fs::last_write_time(path, when);
    preview.showFile(QString::fromStdString(dir.path()));
    preview.showFile(QString::fromStdString(path));
    EXPECT_EQ(preview.content().text, "64 x 48, 5 frames, 25 fps\n0:00:00");

    // Touched: read again.
    fs::last_write_time(path, when + std::chrono::seconds(5));
    preview.showFile(QString::fromStdString(path));
    EXPECT_EQ(preview.content().text, "No preview");
}

// What it shows for a file is tested above; here, that the open dialog has one.
TEST_F(FilePreviews, TheOpenDialogCarriesAPreview) {
    auto previous = SetNavDialogProvider(nullptr);
    InstallQtDialogProvider();
    bool found = false;
    whenTheDialogShows([&](QFileDialog* d) {
        found = d->findChild<FilePreview*>() != nullptr;
        d->reject();
    });
    NavReplyRecord reply;
    EXPECT_EQ(NavGetFile(nullptr, &reply, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
              userCanceledErr);
    EXPECT_TRUE(found);
    SetNavDialogProvider(previous);
}
