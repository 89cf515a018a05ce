// moviesnap against the application itself: the real controller and movie
// view (offscreen), a snapshot saved through a scripted save dialog, and the
// same frame and settings given to moviesnap. The JPEG and PNG files, their
// provenance included, must be equal byte for byte: scale positions, typed
// sizes, whole and fractional crops, each method and several qualities.
#include "AppInterface.h"
#include "CliHelpers.h"
#include "MyObject.h"
#include "MyQuickDrawView.h"
#include "Run.h"
#include "ScriptedDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include <cstdlib>
#include <iterator>
#include <sstream>

namespace {

struct Setting {
    int steps;             // nextFrame actions from the first frame
    int scalePosition;     // ScaleFactor slider
    int method;            // ScalingMethod index
    int quality;           // compressionSlider
    const char* typedSize; // "WxH" typed into the size fields, or null
    const char* crop;      // "X,Y,W,H" crop rectangle, or null
    const char* args;      // moviesnap's options for the same (less --frame)
    const char* ext = ".jpg";
};

} // namespace

TEST(ApplicationBytes, SnapshotsAreTheApplications) {
    ScratchFolder dir;
    const std::string movie = numberedMovie(dir, "m.mp4", 80, 60, 16, 8);
    const std::vector<Setting> settings = {
        {3, 9, 0, 25, nullptr, nullptr, ""},
        {5, 10, 3, 0, nullptr, nullptr, "--scale 10 --interp bspline --quality 0"},
        {7, 8, 1, 60, nullptr, "4,6,50,30",
         "--scale 8 --interp bilinear --quality 60 --crop 4,6,50,30"},
        {9, 9, 2, 90, "120x45", nullptr, "--size 120x45 --interp triangular --quality 90"},
        {4, 11, 3, 50, nullptr, "10,8,40,30", "--scale 11 --interp bspline --crop 10,8,40,30",
         ".png"},
        {2, 8, 1, 90, nullptr, "5.5,3,60.75,50",
         "--scale 8 --interp bilinear --quality 90 --crop 5.5,3,60.75,50"},
        {6, 9, 0, 25, "21x21", "0,0,20,20", "--size 21x21 --crop 0,0,20,20"}, // a copy
        {11, 7, 0, 75, nullptr, nullptr, "--scale 7 --quality 75"},
    };
    int k = 0;
    for (const Setting& s : settings) {
        ScriptedDialogScope dialogs;
        AppInterface ui;
        MyObject* obj = ui.controller();
        MyQuickDrawView* view = ui.main.myView;
        ui.actionProvenance->setChecked(true);
        ASSERT_TRUE(view->pickupMovieFile(movie.c_str()));
        obj->resetScaleSlider();
        for (int i = 0; i < s.steps; ++i) obj->nextFrame(nullptr);
        const int shown = testmovies::readFrameNumber(
            reinterpret_cast<const uint8_t*>(view->mpr->frameBuffer), 80, 60, 80 * 4);
        if (s.crop) {
            float x, y, w, h;
            ASSERT_EQ(std::sscanf(s.crop, "%f,%f,%f,%f", &x, &y, &w, &h), 4);
            view->clipOrigin = {x, y};
            view->clipSize = {w, h};
            view->cropping = true;
            obj->updateOptions();
        }
        obj->ScaleFactor->setValue(s.scalePosition);
        obj->ChangeScaleFactor(obj->ScaleFactor);
        obj->ScalingMethod->setCurrentIndex(s.method);
        obj->compressionSlider->setValue(s.quality);
        if (s.typedSize) {
            int w, h;
            ASSERT_EQ(std::sscanf(s.typedSize, "%dx%d", &w, &h), 2);
            obj->ResultXSize->setText(QString::number(w));
            obj->ResultYSize->setText(QString::number(h));
        }
        const std::string app = dir.file(named("app%d", k) + s.ext);
        dialogs.script->saveAnswers.push_back(app);
        obj->snapFrame(nullptr);

        const std::string ours = dir.file(named("ours%d", k) + s.ext);
        const std::string frame = std::to_string(shown);
        std::vector<const char*> argv{"moviesnap", movie.c_str(), "--frame", frame.c_str()};
        std::istringstream words(s.args);
        const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
        for (const std::string& a : args) argv.push_back(a.c_str());
        argv.push_back("-o");
        argv.push_back(ours.c_str());
        ASSERT_EQ(moviesnap::runCommandLine(int(argv.size()), argv.data()), moviesnap::kWritten);
        const std::vector<unsigned char> a = ReadFileBytes(app);
        ASSERT_GT(a.size(), 100u) << "the application wrote no snapshot for case " << k;
        EXPECT_EQ(a, ReadFileBytes(ours)) << "case " << k;
        ++k;
    }
}

// The frame a person reaches with the position slider, or with the Next
// button from the frame before, is the frame the command line names: the
// picture shown carries that number, and the snapshot is moviesnap's byte for
// byte. A constant-rate, a variable-rate and a one-keyframe movie with
// B-frames; the first, second, a middle and the last frame of each.
TEST(ApplicationBytes, FramesByNumberAreTheCommandLines) {
    ScratchFolder dir;
    testmovies::MovieOptions cfr;
    cfr.frames = 40;
    testmovies::MovieOptions vfr = cfr;
    vfr.timeBaseDen = 1000;
    for (int i = 0, t = 0; i < vfr.frames; ++i, t += 20 + 30 * (i % 3)) vfr.pts.push_back(t);
    testmovies::MovieOptions gop250 = cfr;
    gop250.frames = 250;
    gop250.gop = 250;
    gop250.bFrames = 3;
    const std::vector<std::pair<std::string, testmovies::MovieOptions>> movies = {
        {"cfr.mp4", cfr}, {"vfr.mkv", vfr}, {"gop250.mp4", gop250}};
    int k = 0;
    for (const auto& [name, options] : movies) {
        const std::string movie = dir.file(name);
        std::string error;
        ASSERT_TRUE(testmovies::writeMovie(movie, options, &error)) << error;
        ScriptedDialogScope dialogs;
        AppInterface ui;
        MyObject* obj = ui.controller();
        MyQuickDrawView* view = ui.main.myView;
        ASSERT_TRUE(view->pickupMovieFile(movie.c_str()));
        obj->compressionSlider->setValue(25); // moviesnap's default quality
        const int n = options.frames;
        for (int frame : {0, 1, n / 2, n - 1}) {
            for (bool bySlider : {true, false}) {
                if (bySlider) {
                    ui.main.slider->setValue(frame);
                } else {
                    if (frame == 0) continue;
                    ui.main.slider->setValue(frame - 1);
                    ui.main.nextButton->click();
                }
                const std::string how =
                    name + (bySlider ? " slider " : " next ") + std::to_string(frame);
                ASSERT_EQ(int(view->mpr->currentFrame), frame) << how;
                EXPECT_EQ(ui.main.slider->value(), frame) << how;
                EXPECT_EQ(testmovies::readFrameNumber(
                              reinterpret_cast<const uint8_t*>(view->mpr->frameBuffer),
                              options.width, options.height, options.width * 4),
                          frame)
                    << how;
                const std::string app = dir.file(named("app%d.jpg", k));
                dialogs.script->saveAnswers.push_back(app);
                obj->snapFrame(nullptr);
                const std::string ours = dir.file(named("ours%d.jpg", k++));
                const std::string number = std::to_string(frame);
                const char* argv[] = {"moviesnap",    movie.c_str(), "--frame",
                                      number.c_str(), "-o",          ours.c_str()};
                ASSERT_EQ(moviesnap::runCommandLine(6, argv), moviesnap::kWritten) << how;
                const std::vector<unsigned char> a = ReadFileBytes(app);
                ASSERT_GT(a.size(), 100u) << how;
                EXPECT_EQ(a, ReadFileBytes(ours)) << how;
            }
        }
    }
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
