// The movie view with generated movies: loading by dialog and by drop, the
// frame commands at both ends of a movie, the position slider and the
// shuttle, playing, the drawn rectangle and the crop drag.
#include "AppFixture.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSlider>
#include <QUrl>

namespace {

// The crop rectangle is (x, y, w, h) to a hundredth of a pixel.
bool cropIs(const App& app, float x, float y, float w, float h) {
    const auto& o = app.view->clipOrigin;
    const auto& z = app.view->clipSize;
    return qAbs(o.x - x) < 1e-2f && qAbs(o.y - y) < 1e-2f && qAbs(z.width - w) < 1e-2f &&
           qAbs(z.height - h) < 1e-2f;
}

} // namespace

class TestView : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void openThroughTheDialog();
    void dropFiles();
    void frameCommandsAtBothEnds();
    void sliderAndShuttle();
    void playAndStop();
    void drawnRectangle();
    void cropDrag();

private:
    std::unique_ptr<testmovies::TempFolder> dir;
    std::string small;  // 64 x 48, 12 frames
    std::string vga;    // 640 x 480, 3 frames
    std::string second; // 96 x 64, 5 frames
};

void TestView::initTestCase() {
    dir = std::make_unique<testmovies::TempFolder>();
    small = numberedMovie(*dir, "small.mp4", 64, 48, 12);
    vga = numberedMovie(*dir, "vga.mp4", 640, 480, 3);
    second = numberedMovie(*dir, "second.mkv", 96, 64, 5);
}

void TestView::openThroughTheDialog() {
    App app;
    QVERIFY(app.open(small));
    // The title is the file's name, the folder is in the tooltip.
    QCOMPARE(app.win->windowTitle(), QString("small.mp4"));
    QVERIFY(app.view->toolTip().contains(QFileInfo(QString::fromStdString(small)).absolutePath()));
    QCOMPARE(app.obj->slider->maximum(), 11); // frames 0 to 11
    QCOMPARE(app.obj->MovieStats->text(), QString("DUR:0:0:0:12 SZ:64x48 25 fps"));
    QCOMPARE(app.shownNumber(), 0);
    QCOMPARE(app.obj->frameNumber->text(), QString("0:0:0:0"));
    QCOMPARE(app.obj->ResultXSize->text(), QString("64"));
    // Crop mode stays on over the next movie, its rectangle that whole frame.
    app.obj->cropSwitch->click();
    app.view->clipOrigin = {5, 5};
    app.view->clipSize = {10, 10};
    QVERIFY(app.open(second));
    QVERIFY(app.view->cropping && cropIs(app, 0, 0, 96, 64));
    QCOMPARE(app.obj->ResultXSize->text(), QString("96"));
    // A dismissed dialog: no movie, and the size fields stay.
    app.obj->openDocument(app.ui.main.actionOpen);
    QCOMPARE(app.win->windowTitle(), QString("No movie file"));
    QCOMPARE(app.obj->ResultXSize->text(), QString("96"));
}

void TestView::dropFiles() {
    App app;
    // Several files through Qt's drop events: the first is loaded.
    auto data = std::make_unique<QMimeData>();
    data->setUrls({QUrl::fromLocalFile(QString::fromStdString(second)),
                   QUrl::fromLocalFile(QString::fromStdString(small))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, data.get(),
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app.view, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::LinkAction);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::LinkAction, data.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(app.view, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(app.win->windowTitle(), QString("second.mkv"));
    QCOMPARE(app.obj->slider->maximum(), 4);
}

void TestView::frameCommandsAtBothEnds() {
    App app;
    QVERIFY(app.open(small));
    // Previous at frame 0 stays there.
    app.obj->previousFrame(nullptr);
    QCOMPARE(app.shownNumber(), 0);
    app.obj->slider->setValue(11);
    // At the last frame, next wraps to frame 0; the status bar says so.
    QVERIFY(app.status().isEmpty());
    app.obj->nextFrame(nullptr);
    QCOMPARE(app.status(), QString("Back to the first frame"));
    QCOMPARE(app.shownNumber(), 0);
    QCOMPARE(app.obj->frameNumber->text(), QString("0:0:0:0"));
}

void TestView::sliderAndShuttle() {
    App app;
    QVERIFY(app.open(small));
    // Dragged, it shows the keyframe before (the movie has one, at 0), marked
    // approximate; released, the exact frame.
    app.obj->slider->setValue(2);
    app.obj->slider->setSliderDown(true);
    app.obj->slider->setValue(7);
    QCOMPARE(app.shownNumber(), 0);
    QVERIFY(app.obj->frameNumber->text().startsWith(u'≈'));
    app.obj->slider->setSliderDown(false);
    QCOMPARE(app.shownNumber(), 7);
    QVERIFY(!app.obj->frameNumber->text().startsWith(u'≈'));
    // Shuttle positions of 100 and the frame after each step: 53 moves 0.6
    // frames a step, the centre none, full left ten back but not past frame
    // 0, full right ten on but not past the last frame.
    for (const auto& [position, steps, shown] :
         {std::tuple{53, 5, 10}, {50, 1, 10}, {0, 1, 0}, {0, 1, 0}, {100, 1, 10}, {100, 1, 11}}) {
        app.obj->shuttle->setValue(position);
        for (int i = 0; i < steps; ++i) app.obj->shuttleMove(app.obj->shuttle);
        QCOMPARE(app.shownNumber(), shown);
        QCOMPARE(app.obj->slider->value(), shown);
    }
}

void TestView::playAndStop() {
    App app;
    QVERIFY(app.open(small));
    for (int k = 0; k < 8; ++k) app.obj->nextFrame(nullptr);
    app.ui.main.playButton->click();
    QCOMPARE(app.ui.main.playButton->text(), QString("Stop"));
    // From frame 8 to the end, then the wrap to frame 0, where play stops.
    QTRY_VERIFY(!app.obj->playing());
    QCOMPARE(app.shownNumber(), 0);
    QCOMPARE(app.ui.main.playButton->text(), QString("Play"));
}

void TestView::drawnRectangle() {
    App app;
    // Fitted along the limiting side, centred along the other; a movie smaller
    // than the view at its own size.
    for (const auto& [movie, w, h, x, y, dw, dh] :
         {std::tuple{vga, 800, 400, 133.33333f, 0.0f, 533.33333f, 400.0f},
          {vga, 400, 800, 0.0f, 250.0f, 400.0f, 300.0f},
          {small, 800, 400, 368.0f, 176.0f, 64.0f, 48.0f}}) {
        QVERIFY(app.open(movie));
        app.viewSize(w, h);
        const auto& r = app.view->drawnRect;
        QVERIFY2(qAbs(r.x - x) < 1e-3f && qAbs(r.y - y) < 1e-3f && qAbs(r.width - dw) < 1e-3f &&
                     qAbs(r.height - dh) < 1e-3f,
                 qPrintable(QString("%1 %2 %3 %4").arg(r.x).arg(r.y).arg(r.width).arg(r.height)));
    }
}

void TestView::cropDrag() {
    App app;
    QVERIFY(app.open(vga));
    app.viewSize(800, 400);
    app.obj->cropSwitch->click();
    const float x0 = 133.33333f + 100.0f;
    // 100 right and 50 down from (233.33, 50): scale 1.2 both ways.
    app.drag({x0, 50}, {x0 + 100, 100});
    QVERIFY(cropIs(app, 120, 60, 120, 60));
    // From bottom-right to top-left, with a single jump of the pointer: from
    // the press to the release.
    app.view->clipSize = {};
    app.mouse(QEvent::MouseButtonPress, {x0 + 100, 100});
    app.mouse(QEvent::MouseMove, {x0, 50});
    app.mouse(QEvent::MouseButtonRelease, {x0, 50});
    QVERIFY(cropIs(app, 120, 60, 120, 60));
    // Leaving the view resets the crop to the whole frame; the release after
    // that is ignored.
    app.mouse(QEvent::MouseButtonPress, {300, 100});
    app.mouse(QEvent::MouseMove, {500, 200});
    app.mouse(QEvent::MouseMove, {900, 200});
    QVERIFY(cropIs(app, 0, 0, 640, 480));
    QCOMPARE(app.obj->ResultXSize->text(), QString("640"));
    app.mouse(QEvent::MouseButtonRelease, {900, 200});
    QVERIFY(cropIs(app, 0, 0, 640, 480));
    // A drag reaching past the picture into the margin is cut to the frame;
    // a click, or a drag wholly in the margin, selects the whole frame.
    app.drag({600, 300}, {700, 390});
    QVERIFY(cropIs(app, 560, 360, 80, 108));
    app.mouse(QEvent::MouseButtonPress, {300, 100});
    app.mouse(QEvent::MouseButtonRelease, {300, 100});
    QVERIFY(cropIs(app, 0, 0, 640, 480));
    app.drag({x0, 50}, {x0 + 100, 100});
    app.drag({20, 100}, {100, 200});
    QVERIFY(cropIs(app, 0, 0, 640, 480));
    // Crop mode off: the drag still sets the rectangle, the size fields do not
    // switch to it.
    app.obj->cropSwitch->click();
    app.drag({x0, 50}, {x0 + 100, 100});
    QVERIFY(cropIs(app, 120, 60, 120, 60));
    QCOMPARE(app.obj->ResultXSize->text(), QString("640"));
}

QTEST_MAIN(TestView)
#include "test_view.moc"
