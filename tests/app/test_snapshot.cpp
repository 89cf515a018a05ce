// Snapshots from the real interface: the size fields against the written
// files, cancelled and failed saves and refused sizes, lossless PNG with or
// without provenance, and the clipboard's copy. That the files, crops
// included, are moviesnap's byte for byte is tested in cli_app.
#include "AppFixture.h"

#include <QClipboard>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QSettings>
#include <QSlider>

#include <cerrno>
#include <cstring>

namespace {

// The frame shown, as an opaque image.
QImage shownFrame(const PixRect<ARGBVal>& f) {
    QImage image(f.width(), f.height(), QImage::Format_RGB32);
    for (int y = 0; y < f.height(); ++y)
        for (int x = 0; x < f.width(); ++x) {
            const ARGBVal p = f.pix(f.lx() + x, f.ly() + y);
            image.setPixel(x, y, qRgb(p.red, p.green, p.blue));
        }
    return image;
}

constexpr int kLossless = 0; // compression 0: the JPEG keeps (almost) every value

} // namespace

class TestSnapshot : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup() { app.reset(); } // one interface (and dialog script) at a time
    void fieldsShowTheFileSize();
    void cancelledFailedAndRefused();
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
    vga = numberedMovie(*dir, "vga.mp4", 640, 480, 4);
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

void TestSnapshot::fieldsShowTheFileSize() {
    // Whole frame, odd crops, one cut by the frame; scales down and up, typed sizes.
    using P = MyQuickDrawView::Point;
    using Z = MyQuickDrawView::Size;
    for (const auto& [crop, o, z] : {std::tuple{false, P{}, Z{}},
                                     {true, P{37, 21}, Z{210, 169}},
                                     {true, P{600, 451}, Z{100, 50}},
                                     {true, P{3.7f, 5.2f}, Z{90.6f, 40.5f}}}) {
        if (app->obj->cropSwitch->isChecked() != crop) app->obj->cropSwitch->click();
        app->view->clipOrigin = o;
        app->view->clipSize = z;
        for (int pos : {9, 8, 10, 7, 3}) {
            app->obj->ScaleFactor->setValue(pos);
            const QSize shown(app->obj->ResultXSize->text().toInt(),
                              app->obj->ResultYSize->text().toInt());
            QCOMPARE(QImage(QString::fromStdString(save(*app, "sized.jpg"))).size(), shown);
        }
        // Typed, without finishing the edit: the snapshot notices by itself.
        app->obj->ResultXSize->setText("333");
        app->obj->ResultYSize->setText("77");
        QCOMPARE(QImage(QString::fromStdString(save(*app, "typed.jpg"))).size(), QSize(333, 77));
    }
}

void TestSnapshot::cancelledFailedAndRefused() {
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
        QCOMPARE(app->status(), QString("Snapshot not saved"));
    }
    // A folder that does not exist: the panel, with the system's reason.
    app->dialogs->saveAnswers.push_back(dir->file("no/such/folder/x.jpg"));
    app->obj->snapFrame(nullptr);
    QVERIFY(app->obj->saveErrorPanel->isVisible());
    QVERIFY(app->ui.saveError.saveErrorLabel->text().contains(std::strerror(ENOENT)));
    app->obj->saveErrorPanel->hide();
    // Sizes without a whole pixel, or too large, are refused before any dialog.
    const size_t asked = app->dialogs->saves.size();
    for (const char* width : {"0", "-20", "20000", ""}) {
        app->obj->ResultXSize->setText(width);
        app->obj->ResultYSize->setText("100");
        app->obj->snapFrame(nullptr);
        QVERIFY2(app->status().startsWith("Snapshot not saved: the size"), width);
    }
    // So is a scale that shrinks a small crop to nothing.
    app->obj->cropSwitch->click();
    app->view->clipSize = {0, 0};
    app->obj->ScaleFactor->setValue(0);
    QCOMPARE(app->obj->ResultXSize->text(), QString("0"));
    app->obj->snapFrame(nullptr);
    QCOMPARE(app->dialogs->saves.size(), asked);
    QVERIFY(!app->obj->saveErrorPanel->isVisible());
}

void TestSnapshot::pngAndClipboard() {
    // The PNG holds the frame exactly, with its provenance only when that is
    // on; the clipboard gets the same pixels; the compression is off for PNG.
    for (const bool provenance : {true, false}) {
        app->ui.actionProvenance->setChecked(provenance);
        const QImage png(QString::fromStdString(save(*app, provenance ? "with.png" : "bare.png")));
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32), shownFrame(*app->view->mpr->allLines));
        QVERIFY(app->status().contains("640 × 480"));
        QCOMPARE(png.text("XML:com.adobe.xmp").contains("moviesnap:Frame=\"1\""), provenance);
        QVERIFY(!app->obj->compressionSlider->isEnabled());
        app->ui.actionCopySnapshot->trigger();
        QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 png.convertToFormat(QImage::Format_RGB32));
    }
    QCOMPARE(app->dialogs->saves.back().filters.front().label, std::string("PNG images"));
    // A name typed with .jpg saves a JPEG, and the compression is back.
    QVERIFY(!QImage(QString::fromStdString(save(*app, "again.jpg"))).isNull());
    QVERIFY(app->obj->compressionSlider->isEnabled());
    QVERIFY(app->obj->logView->toPlainText().isEmpty());
}

QTEST_MAIN(TestSnapshot)
#include "test_snapshot.moc"
