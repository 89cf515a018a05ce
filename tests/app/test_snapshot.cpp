// Snapshots from the real interface: the copy path and its file, scale and
// explicit sizes, crops (inclusive far edges, cut to the frame), the quality
// passed on, the wait panel painted during the build, cancelled save dialogs
// and the error panel, sizes that are refused, and the log view left empty;
// lossless PNG with or without provenance, and the clipboard's copy.
#include "AppFixture.h"

#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QSettings>
#include <QSlider>

#include <cerrno>
#include <cstring>

namespace {

// Largest difference of a colour channel between a JPEG and the expected
// pixels (A,R,G,B), at the same size; -1 when the sizes differ.
int maxDifference(const QImage& jpeg, const PixRect<ARGBVal>& expected) {
    const int w = expected.width();
    const int h = expected.height();
    if (jpeg.width() != w || jpeg.height() != h) return -1;
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb got = jpeg.pixel(x, y);
            const ARGBVal want = expected.pix(expected.lx() + x, expected.ly() + y);
            worst = std::max({worst, std::abs(qRed(got) - int(want.red)),
                              std::abs(qGreen(got) - int(want.green)),
                              std::abs(qBlue(got) - int(want.blue))});
        }
    return worst;
}

// Records whether a widget was painted while shown.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted = true;
        return false;
    }
};

constexpr int kLossless = 0;  // compression 0: the JPEG keeps (almost) every value
constexpr int kTolerance = 8; // what JPEG at its best still changes near hard edges

} // namespace

class TestSnapshot : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { app.reset(); } // one interface (and dialog script) at a time
    void copyPathAtScaleOne();
    void scaleReduces();
    void explicitSizes();
    void typedRegionSizeCopies();
    void cropOf101By51();
    void fieldsShowTheFileSize();
    void cropPartlyOutside();
    void cropWithTypedFrameSize();
    void qualityIsPassedOn();
    void cancelledSaveDialog();
    void refusedSizes();
    void logStaysEmpty();
    void pngAndClipboard();

private:
    std::string save(App& app, const std::string& name);
    std::unique_ptr<testmovies::TempFolder> dir;
    std::unique_ptr<App> app;
    std::string vga;
};

void TestSnapshot::initTestCase() {
    dir = std::make_unique<testmovies::TempFolder>();
    // The preferences live and die with this run.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(dir->file("settings")));
    vga = makeMovie(*dir, "vga.mp4", 640, 480, 4);
}

void TestSnapshot::init() {
    app = std::make_unique<App>();
    QVERIFY(app->open(vga));
    app->obj->nextFrame(nullptr); // frame 1
    app->obj->compressionSlider->setValue(kLossless);
}

// Snapshot through the scripted save dialog into `name`; the file's path.
std::string TestSnapshot::save(App& a, const std::string& name) {
    const std::string path = dir->file(name);
    a.dialogs->saveAnswers.push_back(path);
    a.obj->snapFrame(a.ui.main.snapButton);
    return path;
}

void TestSnapshot::copyPathAtScaleOne() {
    PaintWatch watch;
    app->obj->waitPanel->installEventFilter(&watch);
    const std::string path = save(*app, "copy.jpg");
    QCOMPARE(int(app->dialogs->saves.size()), 1);
    QImage jpeg(QString::fromStdString(path));
    QCOMPARE(jpeg.size(), QSize(640, 480));
    const int diff = maxDifference(jpeg, *app->view->mpr->allLines);
    QVERIFY2(diff >= 0 && diff <= kTolerance, qPrintable(QString::number(diff)));
    QCOMPARE(testmovies::readFrameNumber(jpeg.convertToFormat(QImage::Format_RGBA8888).constBits(),
                                         640, 480, jpeg.width() * 4, 0, true),
             1);
    // The wait panel was up and painted while the bitmap was built, and is gone.
    QVERIFY(watch.painted);
    QVERIFY(!app->obj->waitPanel->isVisible());
    QVERIFY(!app->obj->saveErrorPanel->isVisible());
    QVERIFY(app->status().contains("640 × 480"));
}

void TestSnapshot::scaleReduces() {
    app->obj->ScaleFactor->setValue(8); // half size
    QCOMPARE(app->obj->ResultXSize->text(), QString("320"));
    const std::string path = save(*app, "half.jpg");
    QImage jpeg(QString::fromStdString(path));
    QCOMPARE(jpeg.size(), QSize(320, 240));
    QCOMPARE(app->obj->count(">>-[MyQuickDrawView saveFrame:scale:interp:]"), 1);
    // Exactly what the library's resampler makes of the frame.
    ContImageRef<ARGBVal> cont(*app->view->mpr->allLines, SISmoothBilinear);
    SamplePixRectNC<ARGBVal, ARGBVal> expected(cont, 2.0, 2.0, SIInterpolated);
    const int diff = maxDifference(jpeg, expected);
    QVERIFY2(diff >= 0 && diff <= kTolerance, qPrintable(QString::number(diff)));
}

void TestSnapshot::explicitSizes() {
    // 800 x 600 from 640 x 480: factors 0.8 and 0.8.
    app->obj->ResultXSize->setText("800");
    app->obj->ResultYSize->setText("600");
    QImage big(QString::fromStdString(save(*app, "big.jpg")));
    QCOMPARE(big.size(), QSize(800, 600));
    // 640 x 240: factors 1.0 and 2.0, the aspect not kept; cubic B-spline.
    app->obj->ScalingMethod->setCurrentIndex(3);
    app->obj->ResultXSize->setText("640");
    app->obj->ResultYSize->setText("240");
    QImage flat(QString::fromStdString(save(*app, "flat.jpg")));
    QCOMPARE(flat.size(), QSize(640, 240));
    ContImageRef<ARGBVal> cont(*app->view->mpr->allLines, SICubicBSpline);
    SamplePixRectNC<ARGBVal, ARGBVal> expected(cont, 1.0, 2.0, SIInterpolated);
    const int diff = maxDifference(flat, expected);
    QVERIFY2(diff >= 0 && diff <= kTolerance, qPrintable(QString::number(diff)));
    QCOMPARE(app->obj->count(">>-[MyQuickDrawView saveFrame:width:height:interp:]"), 2);
}

void TestSnapshot::typedRegionSizeCopies() {
    app->obj->ScaleFactor->setValue(8);
    app->obj->ResultXSize->setText("640");
    app->obj->ResultYSize->setText("480");
    QImage jpeg(QString::fromStdString(save(*app, "typed.jpg")));
    QVERIFY(!app->obj->sizebyscale);
    QCOMPARE(jpeg.size(), QSize(640, 480));
    const int diff = maxDifference(jpeg, *app->view->mpr->allLines);
    QVERIFY2(diff >= 0 && diff <= kTolerance, qPrintable(QString::number(diff)));
}

void TestSnapshot::cropOf101By51() {
    app->obj->cropSwitch->click();
    app->view->clipOrigin = {10, 10};
    app->view->clipSize = {100, 50};
    app->obj->updateOptions();
    QCOMPARE(app->obj->ResultXSize->text(), QString("101"));
    QImage jpeg(QString::fromStdString(save(*app, "crop.jpg")));
    // Columns 10 to 110 and rows 10 to 60: the far edges are included.
    QCOMPARE(jpeg.size(), QSize(101, 51));
    PixRectRef<ARGBVal> region(*app->view->mpr->allLines, 10, 10, 110, 60);
    const int diff = maxDifference(jpeg, region);
    QVERIFY2(diff >= 0 && diff <= kTolerance, qPrintable(QString::number(diff)));
}

void TestSnapshot::fieldsShowTheFileSize() {
    // Whole frame, odd crops, one cut by the frame; scales down and up, typed sizes.
    struct Case {
        bool crop;
        MyQuickDrawView::Point o;
        MyQuickDrawView::Size z;
    };
    for (const Case& k :
         {Case{false, {}, {}}, Case{true, {37, 21}, {210, 169}}, Case{true, {600, 451}, {100, 50}},
          Case{true, {3.7f, 5.2f}, {90.6f, 40.5f}}}) {
        if (app->obj->cropSwitch->isChecked() != k.crop) app->obj->cropSwitch->click();
        app->view->clipOrigin = k.o;
        app->view->clipSize = k.z;
        for (int pos : {9, 8, 10, 7, 3}) {
            app->obj->ScaleFactor->setValue(pos);
            const QSize shown(app->obj->ResultXSize->text().toInt(),
                              app->obj->ResultYSize->text().toInt());
            QCOMPARE(QImage(QString::fromStdString(save(*app, "sized.jpg"))).size(), shown);
        }
        app->obj->ResultXSize->setText("333");
        app->obj->ResultYSize->setText("77");
        QCOMPARE(QImage(QString::fromStdString(save(*app, "typed.jpg"))).size(), QSize(333, 77));
    }
}

void TestSnapshot::cropPartlyOutside() {
    app->obj->cropSwitch->click();
    app->view->clipOrigin = {600, 450};
    app->view->clipSize = {100, 50};
    app->obj->updateOptions();
    QImage copy(QString::fromStdString(save(*app, "edge.jpg")));
    QCOMPARE(copy.size(), QSize(40, 30));
    PixRectRef<ARGBVal> region(*app->view->mpr->allLines, 600, 450, 639, 479);
    const int diff = maxDifference(copy, region);
    QVERIFY2(diff >= 0 && diff <= kTolerance, qPrintable(QString::number(diff)));
    // Resampled, the cut region is what is scaled.
    app->obj->ScaleFactor->setValue(10); // double size
    QImage twice(QString::fromStdString(save(*app, "edge2.jpg")));
    QCOMPARE(twice.size(), QSize(80, 60));
}

void TestSnapshot::cropWithTypedFrameSize() {
    // Typing the whole frame's size in crop mode scales the crop to it.
    app->obj->cropSwitch->click();
    app->view->clipOrigin = {10, 10};
    app->view->clipSize = {100, 50};
    app->obj->updateOptions();
    app->obj->ResultXSize->setText("640");
    app->obj->ResultYSize->setText("480");
    QImage jpeg(QString::fromStdString(save(*app, "cropbig.jpg")));
    QCOMPARE(jpeg.size(), QSize(640, 480));
}

void TestSnapshot::qualityIsPassedOn() {
    const qint64 best = QFileInfo(QString::fromStdString(save(*app, "best.jpg"))).size();
    app->obj->compressionSlider->setValue(95);
    const qint64 smallest = QFileInfo(QString::fromStdString(save(*app, "least.jpg"))).size();
    QVERIFY(best > 0 && smallest > 0);
    QVERIFY2(smallest < best, qPrintable(QString("%1 vs %2").arg(smallest).arg(best)));
}

void TestSnapshot::cancelledSaveDialog() {
    // The proposed name: the movie's and the frame's, in the last save's folder.
    app->obj->snapFrame(nullptr);
    QCOMPARE(app->dialogs->saves.back().defaultName, std::string("vga_f0001.jpg"));
    save(*app, "first.jpg");
    app->obj->nextFrame(nullptr);
    // Cancelled, by either path: not an error, only the status bar says it.
    for (int scale : {9, 8}) {
        app->obj->ScaleFactor->setValue(scale);
        app->obj->snapFrame(nullptr);
        QCOMPARE(QFileInfo(QString::fromStdString(app->dialogs->saves.back().defaultName)),
                 QFileInfo(QString::fromStdString(dir->file("vga_f0002.jpg"))));
        QVERIFY(!app->obj->saveErrorPanel->isVisible());
        QVERIFY(!app->obj->waitPanel->isVisible());
        QCOMPARE(app->status(), QString("Snapshot not saved"));
    }
    // A folder that does not exist: the panel, with the system's reason.
    app->dialogs->saveAnswers.push_back(dir->file("no/such/folder/x.jpg"));
    app->obj->snapFrame(nullptr);
    QVERIFY(app->obj->saveErrorPanel->isVisible());
    QVERIFY(app->ui.saveError.saveErrorLabel->text().contains(std::strerror(ENOENT)));
    QVERIFY(!app->status().contains("saved ("));
}

void TestSnapshot::refusedSizes() {
    for (const char* width : {"0", "-20", "20000"}) {
        app->obj->ResultXSize->setText(width);
        app->obj->ResultYSize->setText("100");
        app->obj->snapFrame(nullptr);
        QVERIFY2(app->status().startsWith("Snapshot not saved"), width);
    }
    app->obj->ResultXSize->setText("100");
    app->obj->ResultYSize->setText("");
    app->obj->snapFrame(nullptr);
    QCOMPARE(int(app->dialogs->saves.size()), 0);
    QVERIFY(!app->obj->saveErrorPanel->isVisible());
    // A scale that shrinks a small crop to nothing is refused as well.
    app->obj->cropSwitch->click();
    app->view->clipSize = {0, 0};
    app->obj->ScaleFactor->setValue(0);
    QCOMPARE(app->obj->ResultXSize->text(), QString("0"));
    app->obj->snapFrame(nullptr);
    QCOMPARE(int(app->dialogs->saves.size()), 0);
}

void TestSnapshot::logStaysEmpty() {
    save(*app, "a.jpg");
    app->obj->ScaleFactor->setValue(11);
    save(*app, "b.jpg");
    app->obj->snapFrame(nullptr);
    QVERIFY(app->obj->balanced());
    QVERIFY(app->obj->logView->toPlainText().isEmpty());
    QVERIFY(!app->obj->logWindow->isVisible());
}

void TestSnapshot::pngAndClipboard() {
    // The PNG holds the frame exactly, with its provenance only when that is
    // on; the clipboard gets the same pixels; the compression is off for PNG,
    // and the next dialog proposes PNG.
    for (const bool provenance : {true, false}) {
        app->ui.actionProvenance->setChecked(provenance);
        const QImage png(QString::fromStdString(save(*app, provenance ? "with.png" : "bare.png")));
        QCOMPARE(maxDifference(png, *app->view->mpr->allLines), 0);
        QCOMPARE(png.text("XML:com.adobe.xmp").contains("moviesnap:Frame=\"1\""), provenance);
        QVERIFY(!app->obj->compressionSlider->isEnabled());
        app->ui.actionCopySnapshot->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 png.convertToFormat(QImage::Format_RGB32));
    }
    QCOMPARE(app->dialogs->saves.front().filters.front().label, std::string("JPEG images"));
    QCOMPARE(app->dialogs->saves.back().filters.front().label, std::string("PNG images"));
    // Cropped and enlarged: the clipboard still holds what the file holds.
    app->obj->cropSwitch->click();
    app->view->clipOrigin = {10, 10};
    app->view->clipSize = {100, 50};
    app->obj->ScaleFactor->setValue(10);
    const QImage png(QString::fromStdString(save(*app, "crop.png")));
    QCOMPARE(png.size(), QSize(202, 102));
    app->ui.actionCopySnapshot->trigger();
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
             png.convertToFormat(QImage::Format_RGB32));
    // A name typed with .jpg saves a JPEG, and the compression is back.
    QCOMPARE(QImage(QString::fromStdString(save(*app, "again.jpg"))).size(), QSize(202, 102));
    QVERIFY(app->obj->compressionSlider->isEnabled());
}

QTEST_MAIN(TestSnapshot)
#include "test_snapshot.moc"
