// The controller over the real interface: start-up state, the scale slider and
// the size fields, explicit sizes, the window fitted to the screen, the
// shuttle's repeat and spring-back, the keyboard shortcuts, opening a path
// that is not a movie, and the trace lines with the log view left empty.
#include "AppFixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>

class TestController : public QObject {
    Q_OBJECT
private slots:
    void startUp();
    void scaleWithoutMovie();
    void typedSizesAndTheSlider();
    void snapshotModeFollowsTheFields();
    void interpolationCodes();
    void fieldIntegerValues();
    void windowFitsTheScreen();
    void shuttleRepeatsAndSpringsBack();
    void keyboardShortcuts();
    void controlsKeepTheirSizeInASmallWindow();
    void actualSizeButton();
    void notAMoviePath();
    void traceAndLog();
};

void TestController::startUp() {
    App app;
    MyObject* c = app.obj;
    QCOMPARE(c->scale, 1.0f);
    QVERIFY(c->sizebyscale);
    QCOMPARE(c->resx, 0);
    QCOMPARE(c->imy, 0);
    QVERIFY(app.view->mpr == nullptr);
    QCOMPARE(app.view->zoom, 1.0f);
    QVERIFY(!app.view->cropping);
    QVERIFY(app.view->acceptDrops());
    // Every outlet is connected.
    for (QObject* o : std::initializer_list<QObject*>{
             c->ActualSizeButton, c->compressionSlider, c->frameNumber,    c->interlaceSwitch,
             c->cropSwitch,       c->MovieStats,        c->logView,        c->logWindow,
             c->myView,           c->myWindow,          c->OptionsButton,  c->ResultXSize,
             c->ResultYSize,      c->ResultSize,        c->saveErrorPanel, c->ScaleFactor,
             c->ScalingMethod,    c->shuttle,           c->slider,         c->waitPanel})
        QVERIFY(o != nullptr);
    QCOMPARE(app.view->myObject, c);
    QCOMPARE(app.win->myObject, c);
    QCOMPARE(c->ScaleFactor->minimum(), 0);
    QCOMPARE(c->ScaleFactor->maximum(), 12);
    QCOMPARE(c->ScaleFactor->value(), 9);
    QCOMPARE(c->ScalingMethod->count(), 4);
    QVERIFY(!c->waitPanel->isVisible());
    QVERIFY(!c->saveErrorPanel->isVisible());
    QVERIFY(!c->logWindow->isVisible());
    // The view's start-up is traced.
    QCOMPARE(app.obj->count(">>-[MyQuickDrawView awakeFromNib]"), 1);
}

void TestController::scaleWithoutMovie() {
    App app;
    MyObject* c = app.obj;
    // No movie: the source is 1 x 1, so reductions give 0 x 0.
    for (int pos = 0; pos <= 12; ++pos) {
        c->ScaleFactor->setValue(pos);
        const int expect = pos < 9 ? 0 : pos - 8;
        QCOMPARE(c->resx, expect);
        QCOMPARE(c->ResultXSize->text(), QString::number(expect));
        QCOMPARE(c->ResultYSize->text(), QString::number(expect));
        QCOMPARE(c->imx, 1);
        QVERIFY(c->sizebyscale);
    }
    QCOMPARE(c->scale, 0.25f);
    // Each slider shows its value beside it.
    for (const auto& [pos, text] :
         {std::pair{0, "1/10"}, {7, "⅓"}, {8, "½"}, {9, "1:1"}, {12, "× 4"}}) {
        c->ScaleFactor->setValue(pos);
        QCOMPARE(app.ui.main.scaleValue->text(), QString::fromUtf8(text));
    }
    for (const auto& [v, text] : {std::pair{0, "lossless"},
                                  {10, "quality maximum"},
                                  {25, "quality high"},
                                  {60, "quality normal"},
                                  {80, "quality low"},
                                  {95, "quality minimum"}}) {
        c->compressionSlider->setValue(v);
        QCOMPARE(app.ui.main.compressionValue->text(), QString(text));
    }
}

void TestController::typedSizesAndTheSlider() {
    App app;
    MyObject* c = app.obj;
    c->ScaleFactor->setValue(10);
    // Typing a width and finishing the edit switches to explicit size.
    c->ResultXSize->setText("800");
    emit c->ResultXSize->editingFinished();
    QCOMPARE(c->resx, 800);
    QVERIFY(!c->sizebyscale);
    c->ResultYSize->setText("600");
    emit c->ResultYSize->editingFinished();
    QCOMPARE(c->resy, 600);
    // Moving the scale slider shows the computed size again and goes back to scale.
    c->ScaleFactor->setValue(11);
    QVERIFY(c->sizebyscale);
    QCOMPARE(c->ResultXSize->text(), QString("3"));
    QCOMPARE(c->resx, 3);
    // updateOptions recomputes at the slider's current position.
    c->setXSize(5);
    QVERIFY(!c->sizebyscale);
    c->updateOptions();
    QVERIFY(c->sizebyscale);
    QCOMPARE(c->ScaleFactor->value(), 11);
    // resetScaleSlider returns to position 9, scale 1.
    c->resetScaleSlider();
    QCOMPARE(c->ScaleFactor->value(), 9);
    QCOMPARE(c->scale, 1.0f);
    QCOMPARE(c->resx, 1);
}

void TestController::snapshotModeFollowsTheFields() {
    App app;
    MyObject* c = app.obj;
    // Fields untouched: the scale is used.
    c->snapFrame(app.ui.main.snapButton);
    QVERIFY(c->sizebyscale);
    QCOMPARE(app.obj->count(">>-[MyQuickDrawView saveFrame:scale:interp:]"), 1);
    // Fields edited without finishing the edit: the snapshot notices by itself.
    c->ResultXSize->setText("320");
    c->ResultYSize->setText("200");
    c->snapFrame(app.ui.main.snapButton);
    QVERIFY(!c->sizebyscale);
    QCOMPARE(c->resx, 320);
    QCOMPARE(c->resy, 200);
    QCOMPARE(app.obj->count(">>-[MyQuickDrawView saveFrame:width:height:interp:]"), 1);
    // Same fields again: the mode stays explicit.
    c->snapFrame(app.ui.main.snapButton);
    QCOMPARE(app.obj->count(">>-[MyQuickDrawView saveFrame:width:height:interp:]"), 2);
    // No movie: no dialog was asked for.
    QCOMPARE(int(app.dialogs->saves.size()), 0);
}

void TestController::interpolationCodes() {
    QCOMPARE(MyObject::interpolationCodeForIndex(0), uint8_t(SISmoothBilinear));
    QCOMPARE(MyObject::interpolationCodeForIndex(1), uint8_t(SIBilinear));
    QCOMPARE(MyObject::interpolationCodeForIndex(2), uint8_t(SITriangular));
    QCOMPARE(MyObject::interpolationCodeForIndex(3), uint8_t(SICubicBSpline));
    QCOMPARE(MyObject::interpolationCodeForIndex(-1), uint8_t(SIBilinear));
    QCOMPARE(MyObject::interpolationCodeForIndex(4), uint8_t(SIBilinear));
    // The list holds the entries in the order of the table.
    App app;
    QCOMPARE(app.obj->ScalingMethod->itemText(0), QString("Smooth bilinear"));
    QCOMPARE(app.obj->ScalingMethod->itemText(3), QString("Cubic B-spline"));
}

void TestController::fieldIntegerValues() {
    QCOMPARE(intValueOf("640"), 640);
    QCOMPARE(intValueOf("  42px"), 42);
    QCOMPARE(intValueOf("-7"), -7);
    QCOMPARE(intValueOf("+12"), 12);
    QCOMPARE(intValueOf("abc"), 0);
    QCOMPARE(intValueOf(""), 0);
    QCOMPARE(intValueOf("99999999999"), 2147483647);
    QCOMPARE(intValueOf("-99999999999"), -2147483647 - 1);
}

void TestController::windowFitsTheScreen() {
    testmovies::TempFolder dir;
    const std::string wide = makeMovie(dir, "wide.mp4", 320, 120, 3);
    App app;
    app.win->move(40, 50);
    QVERIFY(app.open(wide));
    const QRect visible = app.win->screen()->availableGeometry();
    // The minimum frame: the client's minimum plus the window's decoration.
    const QSize minimum = app.win->minimumSize().expandedTo(app.win->minimumSizeHint()) +
                          (app.win->frameGeometry().size() - app.win->geometry().size());
    const SizeArithmetic::FloatRect f = SizeArithmetic::fitWindowToMovie(
        320, 120, float(minimum.width()), float(minimum.height()),
        {float(visible.x()), float(visible.y()), float(visible.width()), float(visible.height())});
    // The window went to the visible area's corner with the fitted size.
    QCOMPARE(app.win->frameGeometry().topLeft(), visible.topLeft());
    QCOMPARE(app.win->frameGeometry().width(), qRound(f.width));
    QCOMPARE(app.win->frameGeometry().height(), qRound(f.height));
}

void TestController::shuttleRepeatsAndSpringsBack() {
    App app;
    QSlider* shuttle = app.obj->shuttle;
    QCOMPARE(shuttle->value(), 50);
    shuttle->setValue(80);
    emit shuttle->sliderPressed();
    QVERIFY(app.obj->shuttleHeld());
    // The action repeats while the shuttle is held.
    QTRY_VERIFY_WITH_TIMEOUT(app.obj->count("shuttle frame 80.000000 6.000000\n") >= 3, 3000);
    emit shuttle->sliderReleased();
    QVERIFY(!app.obj->shuttleHeld());
    QCOMPARE(shuttle->value(), 50);
    const int sent = app.obj->count("shuttle frame 80.000000 6.000000\n");
    QTest::qWait(250);
    QCOMPARE(app.obj->count("shuttle frame 80.000000 6.000000\n"), sent);
}

void TestController::keyboardShortcuts() {
    testmovies::TempFolder dir;
    const std::string movie = makeMovie(dir, "m.mp4", 64, 48, 12);
    App app;
    app.win->activateWindow();
    QApplication::setActiveWindow(app.win);
    const auto keyed = [&](int key, Qt::KeyboardModifiers mods, const char* line,
                           QWidget* target = nullptr) {
        const int before = app.obj->count(line);
        QTest::keyClick(target ? target : app.win, Qt::Key(key), mods);
        return app.obj->count(line) == before + 1;
    };
    // Without a movie the frame commands, Play and Snapshot are disabled.
    QVERIFY(!keyed(Qt::Key_Right, Qt::NoModifier, ">>-[MyObject nextFrame:]"));
    for (QWidget* w :
         std::initializer_list<QWidget*>{app.ui.main.snapButton, app.ui.main.playButton,
                                         app.ui.main.nextButton, app.obj->slider})
        QVERIFY(!w->isEnabled());
    QVERIFY(!app.ui.main.actionSnapshot->isEnabled());
    QVERIFY(app.open(movie));
    QVERIFY(app.ui.main.snapButton->isEnabled() && app.ui.main.actionSnapshot->isEnabled());
    QVERIFY(keyed(Qt::Key_Right, Qt::NoModifier, ">>-[MyObject nextFrame:]"));
    QVERIFY(keyed(Qt::Key_Left, Qt::NoModifier, ">>-[MyObject previousFrame:]"));
    QVERIFY(keyed(Qt::Key_Home, Qt::NoModifier, ">>-[MyObject firstFrame:]"));
    QVERIFY(keyed(Qt::Key_Space, Qt::NoModifier, ">>-[MyObject playAll:]"));
    QVERIFY(app.obj->playing());
    QTest::keyClick(app.win, Qt::Key_Escape);
    QVERIFY(!app.obj->playing());
    QVERIFY(keyed(Qt::Key_S, Qt::ControlModifier, ">>-[MyQuickDrawView saveFrame:scale:interp:]"));
    QApplication::setActiveWindow(app.win); // back from the wait panel
    QTest::keyClick(app.win, Qt::Key_R, Qt::ControlModifier);
    QVERIFY(app.obj->cropSwitch->isChecked() && app.view->cropping);
    QTest::keyClick(app.win, Qt::Key_I, Qt::ControlModifier);
    QVERIFY(!app.obj->interlaceSwitch->isChecked());
    // Ctrl+O opens the dialog (answered: cancel).
    QVERIFY(keyed(Qt::Key_O, Qt::ControlModifier, ">>-[MyObject openDocument:]"));
    QCOMPARE(int(app.dialogs->opens.size()), 2);
    QVERIFY(app.open(movie));
    // The keys wherever the focus is: on a button, on the position slider.
    for (QWidget* w :
         {static_cast<QWidget*>(app.ui.main.playButton), static_cast<QWidget*>(app.obj->slider)}) {
        w->setFocus();
        QVERIFY(keyed(Qt::Key_Right, Qt::NoModifier, ">>-[MyObject nextFrame:]", w));
    }
    // In a size field the arrows move the cursor, not the movie; Escape leaves it.
    app.obj->ResultXSize->setFocus();
    QVERIFY(
        !keyed(Qt::Key_Left, Qt::NoModifier, ">>-[MyObject previousFrame:]", app.obj->ResultXSize));
    QTest::keyClick(app.obj->ResultXSize, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), app.view);
    // The Scale slider's arrows move the scale.
    app.obj->ScaleFactor->setFocus();
    QVERIFY(
        !keyed(Qt::Key_Left, Qt::NoModifier, ">>-[MyObject previousFrame:]", app.obj->ScaleFactor));
    QCOMPARE(app.obj->ScaleFactor->value(), 8);
    // Tab visits every control in reading order.
    const auto& m = app.ui.main;
    const std::vector<QWidget*> order = {
        m.firstButton, m.previousButton,  m.playButton,    m.nextButton,        m.slider,
        m.shuttle,     m.interlaceSwitch, m.cropSwitch,    m.ScaleFactor,       m.ActualSizeButton,
        m.ResultXSize, m.ResultYSize,     m.ScalingMethod, m.compressionSlider, m.snapButton};
    m.firstButton->setFocus();
    for (size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[i]);
    }
    // The Help menu lists the keys and the About box.
    QCOMPARE(m.helpMenu->actions(), (QList<QAction*>{m.actionKeys, m.actionAbout}));
}

void TestController::controlsKeepTheirSizeInASmallWindow() {
    App app;
    app.win->resize(400, 300);
    QApplication::processEvents();
    // The window stops where its controls still fit: in each row, every
    // control has room for its text and none overlaps the next.
    for (QLayout* row : {static_cast<QLayout*>(app.ui.main.navigationRow),
                         static_cast<QLayout*>(app.ui.main.movieRow),
                         static_cast<QLayout*>(app.ui.main.snapshotRow)}) {
        int right = -1;
        for (int i = 0; i < row->count(); ++i) {
            QWidget* w = row->itemAt(i)->widget();
            if (!w || !w->isVisible()) continue;
            const int needed =
                qobject_cast<QSlider*>(w) || qobject_cast<QLineEdit*>(w) || w == app.obj->MovieStats
                    ? w->minimumSizeHint().width()
                    : w->sizeHint().width();
            QVERIFY2(w->width() >= std::min(needed, w->maximumWidth()),
                     qPrintable(w->objectName()));
            QVERIFY2(w->x() > right, qPrintable(w->objectName()));
            right = w->geometry().right();
        }
        QVERIFY(right < app.ui.main.centralwidget->width());
    }
    QVERIFY(app.view->height() >= app.view->minimumHeight());
    // Wide, the labels stay next to their fields.
    app.win->resize(1800, 600);
    QApplication::processEvents();
    const auto& m = app.ui.main;
    for (const auto& [a, b] : {std::pair<QWidget*, QWidget*>{m.scaleLabel, m.ScaleFactor},
                               {m.ResultXSize, m.byLabel},
                               {m.byLabel, m.ResultYSize},
                               {app.ui.snapshotFormat, m.compressionSlider}})
        QVERIFY2(b->x() - a->geometry().right() <= 12, qPrintable(b->objectName()));
}

void TestController::actualSizeButton() {
    App app;
    app.obj->ScaleFactor->setValue(3);
    QVERIFY(app.obj->scale > 1.0f);
    app.obj->ActualSizeButton->click();
    QCOMPARE(app.obj->ScaleFactor->value(), 9);
    QCOMPARE(app.obj->scale, 1.0f);
}

void TestController::notAMoviePath() {
    testmovies::TempFolder dir;
    const std::string text = dir.file("notes.txt");
    WriteFileBytes(text, {'h', 'e', 'l', 'l', 'o', '\n'});
    const std::string movie = makeMovie(dir, "m.mp4", 64, 48, 4);
    App app;
    QVERIFY(app.open(movie));
    MoviePixRect* before = app.view->mpr;
    const QString title = app.win->windowTitle();
    app.obj->ScaleFactor->setValue(10);
    // The open is abandoned: same frame source, same title, no refit, no scale reset.
    QVERIFY(!app.obj->openPath(QString::fromStdString(text)));
    QCOMPARE(app.view->mpr, before);
    QCOMPARE(app.win->windowTitle(), title);
    QCOMPARE(app.obj->ScaleFactor->value(), 10);
    QVERIFY(app.status().contains(QString::fromStdString(text)));
    QVERIFY(app.status().contains("not a movie or image"));
    // A missing file says so.
    QVERIFY(!app.obj->openPath(QString::fromStdString(dir.file("gone.mp4"))));
    QVERIFY(app.status().contains("gone.mp4"));
    QVERIFY(app.status().contains("no such file"));
    // The failed open sent its entry lines but never its exit line.
    QCOMPARE(app.obj->count(">>-[MyQuickDrawView createQTMovieFromFilePath:]"), 2);
}

void TestController::traceAndLog() {
    App app;
    MyObject* c = app.obj;
    c->nextFrame(nullptr);
    c->previousFrame(nullptr);
    c->firstFrame(nullptr);
    c->playAll(nullptr);
    c->setXSize(10);
    c->setYSize(10);
    c->slider->setValue(0);
    c->setFrame(c->slider);
    c->shuttle->setValue(60);
    c->shuttleMove(c->shuttle);
    c->openDocument(nullptr);
    c->snapFrame(nullptr);
    app.win->repaint();
    app.view->repaint();
    c->applicationWillTerminate();
    // Every qualified name and message, as sent.
    for (const char* line : {">>-[MyObject nextFrame:]",
                             ">>-[MyQuickDrawView nextFrame]",
                             ">>-[MyObject previousFrame:]",
                             ">>-[MyQuickDrawView previousFrame]",
                             ">>-[MyObject firstFrame:]",
                             ">>-[MyQuickDrawView firstFrame]",
                             ">>-[MyObject playAll:]",
                             ">>-[MyObject setXSize:]",
                             ">>-[MyObject setYSize:]",
                             "playing frame 0\n",
                             ">>-[MyQuickDrawView setFrameNumber:]",
                             "shuttle frame 60.000000 2.000000\n",
                             ">>-[MyQuickDrawView adjFrameNumber:]",
                             ">>[MyQuickDrawView: drawFrame]",
                             ">>-[MyObject openDocument:]",
                             ">>-[MyQuickDrawView pickupMovieFile:]",
                             ">>Making from a selection",
                             ">>-[MyWindow drawRect:]",
                             ">>-[MyQuickDrawView drawRect:]",
                             ">>-[MyObject applicationWillTerminate:]"})
        QVERIFY2(app.obj->count(line) >= 1, line);
    QVERIFY(app.obj->balanced());
    // The sink is silent: the log view is empty and its window closed.
    QVERIFY(c->logView->toPlainText().isEmpty());
    QVERIFY(!c->logWindow->isVisible());
}

QTEST_MAIN(TestController)
#include "test_controller.moc"
