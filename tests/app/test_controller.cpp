// The controller over the real interface: the keyboard, the shuttle's repeat
// and spring-back, the controls in a small window, and opening a path that is
// not a movie.
#include "AppFixture.h"

#include <QLineEdit>
#include <QSlider>

class TestController : public QObject {
    Q_OBJECT
private slots:
    void keyboard();
    void shuttleRepeatsAndSpringsBack();
    void controlsKeepTheirSizeInASmallWindow();
    void notAMoviePath();
};

void TestController::keyboard() {
    testmovies::TempFolder dir;
    const std::string movie = numberedMovie(dir, "m.mp4", 64, 48, 12);
    App app;
    const auto& m = app.ui.main;
    app.win->activateWindow();
    QApplication::setActiveWindow(app.win);
    // Without a movie the frame commands, Play and Snapshot are disabled.
    for (QWidget* w : {m.snapButton, m.playButton, m.nextButton}) QVERIFY(!w->isEnabled());
    QVERIFY(!m.actionSnapshot->isEnabled());
    QVERIFY(app.open(movie));
    QVERIFY(m.snapButton->isEnabled() && m.actionSnapshot->isEnabled());
    for (const auto& [key, shown] :
         {std::pair{Qt::Key_Right, 1}, {Qt::Key_Right, 2}, {Qt::Key_Left, 1}, {Qt::Key_Home, 0}}) {
        QTest::keyClick(app.win, key);
        QCOMPARE(app.shownNumber(), shown);
    }
    QTest::keyClick(app.win, Qt::Key_Space);
    QVERIFY(app.obj->playing());
    QTest::keyClick(app.win, Qt::Key_Escape);
    QVERIFY(!app.obj->playing());
    QTest::keyClick(app.win, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(int(app.dialogs->saves.size()), 1);
    QApplication::setActiveWindow(app.win); // back from the wait panel
    QTest::keyClick(app.win, Qt::Key_R, Qt::ControlModifier);
    QVERIFY(app.obj->cropSwitch->isChecked() && app.view->cropping);
    QTest::keyClick(app.win, Qt::Key_Home);
    // The arrows wherever the focus is: on a button, on the position slider...
    for (QWidget* w : {static_cast<QWidget*>(m.playButton), static_cast<QWidget*>(m.slider)}) {
        w->setFocus();
        const int before = app.shownNumber();
        QTest::keyClick(w, Qt::Key_Right);
        QCOMPARE(app.shownNumber(), before + 1);
    }
    // ...but in a size field they move the cursor, and Escape leaves it; on
    // the Scale slider they move the scale.
    app.obj->ResultXSize->setFocus();
    QTest::keyClick(app.obj->ResultXSize, Qt::Key_Left);
    QTest::keyClick(app.obj->ResultXSize, Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), app.view);
    app.obj->ScaleFactor->setFocus();
    QTest::keyClick(app.obj->ScaleFactor, Qt::Key_Left);
    QCOMPARE(app.obj->ScaleFactor->value(), 8);
    QCOMPARE(app.shownNumber(), 2);
}

void TestController::shuttleRepeatsAndSpringsBack() {
    testmovies::TempFolder dir;
    const std::string movie = numberedMovie(dir, "m.mp4", 64, 48, 12);
    App app;
    QVERIFY(app.open(movie));
    QSlider* shuttle = app.obj->shuttle;
    // Held a little right of the centre, it steps on while held...
    shuttle->setValue(55);
    emit shuttle->sliderPressed();
    QTRY_VERIFY_WITH_TIMEOUT(app.shownNumber() >= 3, 3000);
    // ...and released, it springs back to the centre and the frame stays.
    emit shuttle->sliderReleased();
    QCOMPARE(shuttle->value(), 50);
    const int shown = app.shownNumber();
    QTest::qWait(250);
    QCOMPARE(app.shownNumber(), shown);
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
}

void TestController::notAMoviePath() {
    testmovies::TempFolder dir;
    const std::string text = dir.file("notes.txt");
    WriteFileBytes(text, {'h', 'e', 'l', 'l', 'o', '\n'});
    App app;
    QVERIFY(app.open(numberedMovie(dir, "m.mp4", 64, 48, 4)));
    MoviePixRect* before = app.view->mpr;
    // The open is abandoned: same frame source, same title.
    QVERIFY(!app.obj->openPath(QString::fromStdString(text)));
    QCOMPARE(app.view->mpr, before);
    QCOMPARE(app.win->windowTitle(), QString("m.mp4"));
    QVERIFY(app.status().contains(QString::fromStdString(text)) &&
            app.status().contains("not a movie or image"));
    QVERIFY(!app.obj->openPath(QString::fromStdString(dir.file("gone.mp4"))));
    QVERIFY(app.status().contains("gone.mp4") && app.status().contains("no such file"));
}

QTEST_MAIN(TestController)
#include "test_controller.moc"
