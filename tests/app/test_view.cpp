// The movie view with generated movies: loading by dialog and by drop, the
// summary line and title, the frame commands at both ends of a movie, the
// position slider, the shuttle, playing all frames, the drawn rectangle, the
// crop drag in every direction and the crop outline.
#include "AppFixture.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSlider>
#include <QUrl>

#include <functional>

namespace {

QMimeData* filesData(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const std::string& p : paths) urls << QUrl::fromLocalFile(QString::fromStdString(p));
    data->setUrls(urls);
    return data;
}

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
    void cancelledOpenWithAMovieShown();
    void dropFiles();
    void dropTextAndSeveralFiles();
    void loadingKeepsCropMode();
    void frameCommandsAtBothEnds();
    void sliderAndShuttle();
    void playAllEndsAtFrameZero();
    void drawnRectangle();
    void cropDrag();
    void cropDragEdgeCases();
    void cropOutlineIsDrawn();

private:
    std::unique_ptr<testmovies::TempFolder> dir;
    std::string small;  // 64 x 48, 12 frames
    std::string vga;    // 640 x 480, 3 frames
    std::string second; // 96 x 64, 5 frames
};

void TestView::initTestCase() {
    dir = std::make_unique<testmovies::TempFolder>();
    small = makeMovie(*dir, "small.mp4", 64, 48, 12);
    vga = makeMovie(*dir, "vga.mp4", 640, 480, 3);
    second = makeMovie(*dir, "second.mkv", 96, 64, 5);
}

void TestView::openThroughTheDialog() {
    App app;
    QVERIFY(app.open(small));
    MoviePixRect* m = app.view->mpr;
    QCOMPARE(app.view->moviewidth(), 64);
    QCOMPARE(app.view->movieheight(), 48);
    QCOMPARE(int(m->frameCount), 12);
    // The title is the file's name, the folder is in the tooltip.
    QCOMPARE(app.win->windowTitle(), QString("small.mp4"));
    QVERIFY(app.view->toolTip().contains(QFileInfo(QString::fromStdString(small)).absolutePath()));
    QCOMPARE(app.obj->slider->maximum(), 11); // frames 0 to 11
    QCOMPARE(app.obj->count("Slider max set to 11\n"), 1);
    QCOMPARE(app.obj->MovieStats->text(),
             QString::asprintf("DUR:0:0:0:%d SZ:64x48 %d fps", 12, int(m->fps)));
    QCOMPARE(int(m->fps), 25);
    // Shown from frame 0, with the whole frame as crop rectangle and scale 1.
    QCOMPARE(m->currentFrame, 0u);
    QCOMPARE(app.shownNumber(), 0);
    QCOMPARE(app.obj->frameNumber->text(), QString("0:0:0:0"));
    QCOMPARE(app.view->clipSize.width, 64.0f);
    QCOMPARE(app.view->clipSize.height, 48.0f);
    QCOMPARE(app.obj->ResultXSize->text(), QString("64"));
    QCOMPARE(app.obj->ScaleFactor->value(), 9);
    QCOMPARE(app.obj->count(">>Made a MoviePixRect"), 1);
}

void TestView::cancelledOpenWithAMovieShown() {
    App app;
    QVERIFY(app.open(small));
    const QSize size = app.win->size();
    // A text file, then a dismissed dialog: the window and the size fields stay.
    const std::string text = dir->file("notes.txt");
    WriteFileBytes(text, {'h', 'i', '\n'});
    QVERIFY(!app.open(text));
    app.obj->openDocument(app.ui.main.actionOpen); // the scripted dialog cancels
    QVERIFY(app.view->mpr == nullptr);
    QCOMPARE(app.win->windowTitle(), QString("No movie file"));
    QCOMPARE(app.view->moviewidth(), 1);
    QCOMPARE(app.win->size(), size);
    QCOMPARE(app.obj->ResultXSize->text(), QString("64"));
    QCOMPARE(app.obj->ResultYSize->text(), QString("48"));
    QVERIFY(!app.ui.main.snapButton->isEnabled());
    // Stepping and saving without a movie do nothing.
    app.obj->nextFrame(nullptr);
    app.obj->snapFrame(nullptr);
    QCOMPARE(int(app.dialogs->saves.size()), 0);
}

void TestView::dropFiles() {
    App app;
    std::unique_ptr<QMimeData> data(filesData({small}));
    // Answers Link when the source allows it, else Copy.
    QCOMPARE(app.view->draggingEntered(data.get(), Qt::CopyAction | Qt::LinkAction),
             MyQuickDrawView::NSDragOperationLink);
    QCOMPARE(app.view->draggingEntered(data.get(), Qt::CopyAction),
             MyQuickDrawView::NSDragOperationCopy);
    QVERIFY(app.view->performDragOperation(data.get()));
    QCOMPARE(app.win->windowTitle(), QString("small.mp4"));
    QCOMPARE(int(app.view->mpr->frameCount), 12);
    // A real drop through Qt's drop event.
    std::unique_ptr<QMimeData> next(filesData({second}));
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::LinkAction, next.get(),
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(app.view, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(enter.dropAction(), Qt::LinkAction);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::LinkAction, next.get(), Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(app.view, &drop);
    QVERIFY2(app.view->moviewidth() == 96, qPrintable(app.status()));
    QVERIFY(drop.isAccepted());
    QCOMPARE(app.obj->count("Slider max set to 4\n"), 1);
}

void TestView::dropTextAndSeveralFiles() {
    App app;
    QMimeData text;
    text.setText("just some words");
    size_t n = app.obj->lines.size();
    QCOMPARE(app.view->draggingEntered(&text, Qt::CopyAction),
             MyQuickDrawView::NSDragOperationLink);
    // Only this path sends the exit line.
    QCOMPARE(app.obj->lines.size(), n + 2);
    QCOMPARE(app.obj->lines[n], std::string(">>-[MyQuickDrawView draggingEntered:]"));
    QCOMPARE(app.obj->lines[n + 1], std::string("<<\n"));
    std::unique_ptr<QMimeData> files(filesData({small}));
    n = app.obj->lines.size();
    app.view->draggingEntered(files.get(), Qt::LinkAction);
    QCOMPARE(app.obj->lines.size(), n + 1);
    app.obj->ScaleFactor->setValue(4);
    QVERIFY(!app.view->performDragOperation(&text));
    QVERIFY(app.view->mpr == nullptr);
    // Still refits and resets the scale.
    QCOMPARE(app.obj->ScaleFactor->value(), 9);
    QCOMPARE(app.win->frameGeometry().topLeft(), app.win->screen()->availableGeometry().topLeft());
    // Several files: the first is loaded, the rest ignored.
    std::unique_ptr<QMimeData> several(filesData({second, small}));
    QVERIFY(app.view->performDragOperation(several.get()));
    QCOMPARE(app.view->moviewidth(), 96);
    QCOMPARE(app.obj->count(">>Making from filePath"), 1);
}

void TestView::loadingKeepsCropMode() {
    App app;
    QVERIFY(app.open(small));
    app.obj->cropSwitch->click();
    QVERIFY(app.view->cropping);
    app.view->clipOrigin = {5, 5};
    app.view->clipSize = {10, 10};
    QVERIFY(app.open(second));
    QVERIFY(app.view->cropping);
    QCOMPARE(app.view->clipOrigin.x, 0.0f);
    QCOMPARE(app.view->clipSize.width, 96.0f);
    QCOMPARE(app.view->clipSize.height, 64.0f);
    QCOMPARE(app.obj->ResultXSize->text(), QString("96"));
}

void TestView::frameCommandsAtBothEnds() {
    App app;
    QVERIFY(app.open(small));
    MoviePixRect* m = app.view->mpr;
    // Previous at frame 0 stays there; the running position does not go below 0.
    app.obj->previousFrame(nullptr);
    QCOMPARE(m->currentFrame, 0u);
    QCOMPARE(app.view->framenumber, 0.0f);
    QCOMPARE(app.shownNumber(), 0);
    // Forward through the movie: each step shows the next picture.
    for (int k = 1; k <= 11; ++k) {
        app.obj->nextFrame(nullptr);
        QCOMPARE(app.shownNumber(), k);
        QCOMPARE(app.obj->slider->value(), int(m->currentFrame));
    }
    // At the last frame, next wraps to frame 0, and the running position with
    // it; the status bar says so.
    QVERIFY(app.status().isEmpty());
    app.obj->nextFrame(nullptr);
    QCOMPARE(app.status(), QString("Back to the first frame"));
    QCOMPARE(m->currentFrame, 0u);
    QCOMPARE(app.shownNumber(), 0);
    QCOMPARE(app.view->framenumber, 0.0f);
    QCOMPARE(app.obj->frameNumber->text(), QString("0:0:0:0"));
    // Back from the middle; first returns to 0 from anywhere.
    for (int k = 0; k < 5; ++k) app.obj->nextFrame(nullptr);
    app.obj->previousFrame(nullptr);
    QCOMPARE(app.shownNumber(), 4);
    QCOMPARE(app.obj->frameNumber->text(), QString("0:0:0:4"));
    app.obj->firstFrame(nullptr);
    QCOMPARE(m->currentFrame, 0u);
    QCOMPARE(app.obj->slider->value(), 0);
    QCOMPARE(app.shownNumber(), 0);
}

void TestView::sliderAndShuttle() {
    App app;
    QVERIFY(app.open(small));
    MoviePixRect* m = app.view->mpr;
    // The position slider jumps to the picture of that number.
    app.obj->slider->setValue(7);
    QCOMPARE(app.obj->count("playing frame 7\n"), 1);
    QCOMPARE(app.view->framenumber, 7.0f);
    QCOMPARE(m->currentFrame, 7u);
    QCOMPARE(app.shownNumber(), 7);
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
    // Shuttle at 53 of 100: 0.6 frames a step, so five steps move three frames.
    app.obj->shuttle->setValue(53);
    for (int i = 0; i < 5; ++i) app.obj->shuttleMove(app.obj->shuttle);
    QCOMPARE(m->currentFrame, 10u);
    QCOMPARE(app.shownNumber(), 10);
    QCOMPARE(app.obj->slider->value(), 10);
    // At the centre the frame stays.
    app.obj->shuttle->setValue(50);
    app.obj->shuttleMove(app.obj->shuttle);
    QCOMPARE(m->currentFrame, 10u);
    // Full left: ten frames back a step; at the start it stays at frame 0
    // instead of wrapping to the end.
    app.obj->shuttle->setValue(0);
    app.obj->shuttleMove(app.obj->shuttle);
    QCOMPARE(m->currentFrame, 0u);
    app.obj->shuttleMove(app.obj->shuttle);
    QCOMPARE(m->currentFrame, 0u);
    QCOMPARE(app.view->framenumber, 0.0f);
    QCOMPARE(app.shownNumber(), 0);
    // Full right: ten frames on.
    app.obj->shuttle->setValue(100);
    app.obj->shuttleMove(app.obj->shuttle);
    QCOMPARE(m->currentFrame, 10u);
    QCOMPARE(app.shownNumber(), 10);
    // Past the end it holds at the last frame.
    app.obj->shuttleMove(app.obj->shuttle);
    QCOMPARE(m->currentFrame, 11u);
    QCOMPARE(app.view->framenumber, 11.0f);
    QCOMPARE(app.shownNumber(), 11);
}

void TestView::playAllEndsAtFrameZero() {
    App app;
    QVERIFY(app.open(small));
    for (int k = 0; k < 8; ++k) app.obj->nextFrame(nullptr);
    const int stepsBefore = app.obj->count(">>-[MyQuickDrawView nextFrame]");
    QElapsedTimer clock;
    clock.start();
    app.ui.main.playButton->click();
    QCOMPARE(app.ui.main.playButton->text(), QString("Stop"));
    // From frame 8 the last pictures are 9, 10 and 11, each at its time
    // (25 per second), then the wrap to 0.
    QTRY_VERIFY(!app.obj->playing());
    QVERIFY(clock.elapsed() >= 3 * 40);
    QCOMPARE(app.obj->count(">>-[MyQuickDrawView nextFrame]") - stepsBefore, 4);
    QCOMPARE(app.view->mpr->currentFrame, 0u);
    QCOMPARE(app.shownNumber(), 0);
    QCOMPARE(app.ui.main.playButton->text(), QString("Play"));
    // Stop, Space, Escape and navigation each end play at the frame shown.
    const std::vector<std::function<void()>> stops = {
        [&] { app.ui.main.playButton->click(); }, [&] { app.ui.main.actionPlayAll->trigger(); },
        [&] { app.ui.main.actionStop->trigger(); }, [&] { app.obj->firstFrame(nullptr); }};
    for (const auto& stop : stops) {
        app.obj->firstFrame(nullptr);
        app.ui.main.playButton->click();
        QTRY_VERIFY(app.shownNumber() >= 2);
        stop();
        QVERIFY(!app.obj->playing());
        const int shown = app.shownNumber();
        QTest::qWait(120);
        QCOMPARE(app.shownNumber(), shown);
    }
}

void TestView::drawnRectangle() {
    App app;
    QVERIFY(app.open(vga));
    app.viewSize(800, 400);
    QVERIFY(qAbs(app.view->drawnRect.x - 133.33333f) < 1e-3f);
    QCOMPARE(app.view->drawnRect.y, 0.0f);
    QVERIFY(qAbs(app.view->drawnRect.width - 533.33333f) < 1e-3f);
    QCOMPARE(app.view->drawnRect.height, 400.0f);
    app.viewSize(400, 800);
    QCOMPARE(app.view->drawnRect.x, 0.0f);
    QCOMPARE(app.view->drawnRect.y, 250.0f);
    QCOMPARE(app.view->drawnRect.width, 400.0f);
    QCOMPARE(app.view->drawnRect.height, 300.0f);
    // A movie smaller than the view is shown at its own size, centred.
    QVERIFY(app.open(small));
    app.viewSize(800, 400);
    QCOMPARE(app.view->drawnRect.width, 64.0f);
    QCOMPARE(app.view->drawnRect.x, 368.0f);
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
    // The size fields follow the crop, far edges included.
    const auto& o = app.view->clipOrigin;
    const auto& z = app.view->clipSize;
    QCOMPARE(app.obj->ResultXSize->text(), QString::number(int(o.x + z.width) - int(o.x) + 1));
    QCOMPARE(app.obj->ResultYSize->text(), QString::number(int(o.y + z.height) - int(o.y) + 1));
    // A press and a single jump of the pointer: from the press to the release.
    app.mouse(QEvent::MouseButtonPress, {x0, 50});
    app.mouse(QEvent::MouseMove, {x0 + 100, 100});
    app.mouse(QEvent::MouseButtonRelease, {x0 + 100, 100});
    QVERIFY(cropIs(app, 120, 60, 120, 60));
    // The same rectangle dragged from bottom-right to top-left.
    app.view->clipOrigin = {};
    app.view->clipSize = {};
    app.drag({x0 + 100, 100}, {x0, 50});
    QVERIFY(cropIs(app, 120, 60, 120, 60));
    QVERIFY(!app.view->cropTracker().active());
}

void TestView::cropDragEdgeCases() {
    App app;
    QVERIFY(app.open(vga));
    app.viewSize(800, 400);
    app.obj->cropSwitch->click();
    // Leaving the view resets the crop to the whole frame.
    app.view->clipOrigin = {10, 10};
    app.view->clipSize = {20, 20};
    app.mouse(QEvent::MouseButtonPress, {300, 100});
    app.mouse(QEvent::MouseMove, {300, 100});
    app.mouse(QEvent::MouseMove, {500, 200});
    app.mouse(QEvent::MouseMove, {900, 200});
    QVERIFY(!app.view->cropTracker().active());
    QVERIFY(cropIs(app, 0, 0, 640, 480));
    QCOMPARE(app.obj->ResultXSize->text(), QString("640"));
    app.mouse(QEvent::MouseButtonRelease, {900, 200}); // after the end: ignored
    QVERIFY(!app.view->cropTracker().active());

    // A click selects the whole frame.
    app.view->clipOrigin = {10, 10};
    app.view->clipSize = {20, 20};
    app.mouse(QEvent::MouseButtonPress, {300, 100});
    app.mouse(QEvent::MouseButtonRelease, {300, 100});
    QVERIFY(!app.view->cropTracker().active());
    QVERIFY(cropIs(app, 0, 0, 640, 480));

    // A drag reaching past the picture into the margin is cut to the frame.
    app.drag({600, 300}, {700, 390});
    QVERIFY(qAbs(app.view->clipOrigin.x - (600 - 133.33333f) * 1.2f) < 1e-2f);
    QVERIFY(qAbs(app.view->clipOrigin.x + app.view->clipSize.width - 640) < 1e-2f);
    QVERIFY(qAbs(app.view->clipOrigin.y + app.view->clipSize.height - 468) < 1e-2f);
    // A drag wholly in the margin selects the whole frame.
    app.drag({20, 100}, {100, 200});
    QVERIFY(cropIs(app, 0, 0, 640, 480));

    // Other buttons do not start a drag.
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(300, 100), QPointF(300, 100),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(app.view, &right);
    QVERIFY(!app.view->cropTracker().active());
    // Crop mode off: the drag still sets the rectangle, the size fields do not
    // switch to it.
    app.obj->cropSwitch->click();
    QVERIFY(!app.view->cropping);
    app.drag({233.33333f, 50}, {333.33333f, 100});
    QVERIFY(qAbs(app.view->clipSize.width - 120) < 1e-2f);
    QCOMPARE(app.obj->ResultXSize->text(), QString("640"));
}

void TestView::cropOutlineIsDrawn() {
    App app;
    QVERIFY(app.open(vga));
    app.viewSize(800, 400);
    app.view->clipOrigin = {120, 60};
    app.view->clipSize = {120, 60};
    const auto outlineBlue = [&] {
        const QImage shot = app.view->grab().toImage();
        // The outline's top edge runs from view x 233 to 333 at y 50.
        for (int y = 49; y <= 51; ++y) {
            const QColor c = shot.pixelColor(283, y);
            if (c.blue() > 200 && c.red() < 60 && c.green() < 60) return true;
        }
        return false;
    };
    QVERIFY(!outlineBlue());
    app.obj->cropSwitch->click();
    QVERIFY(outlineBlue());
    // Crop mode off again: no outline, and the size fields keep the crop's size.
    app.obj->cropSwitch->click();
    QVERIFY(!outlineBlue());
    QCOMPARE(app.obj->ResultXSize->text(), QString("121"));
}

QTEST_MAIN(TestView)
#include "test_view.moc"
