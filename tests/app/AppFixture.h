// The application under test: the real interface (main window, panels, log
// window) with dialogs answered by script, and helpers to load generated
// movies, to read the number a shown frame carries and to drive the mouse.
#pragma once

#include "AppInterface.h"
#include "MyObject.h"
#include "MyQuickDrawView.h"
#include "MyWindow.h"
#include "ScriptedDialogs.h"
#include "TestMovies.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStatusBar>
#include <QtTest>

#include <string>

struct App {
    ScriptedDialogScope scope;
    ScriptedDialogs* dialogs = scope.script.get();
    AppInterface ui;
    MyObject* obj = ui.controller();
    MyQuickDrawView* view = ui.main.myView;
    MyWindow* win = ui.window();

    App() {
        win->show();
        (void)QTest::qWaitForWindowExposed(win);
    }

    // Opens `path` through the scripted open dialog.
    bool open(const std::string& path) {
        dialogs->openAnswers.push_back(path);
        obj->openDocument(ui.main.actionOpen);
        return view->mpr != nullptr;
    }

    // Gives the movie view exactly w x h and draws it once.
    void viewSize(int w, int h) {
        view->setFixedSize(w, h);
        win->resize(w + 200, h + 300);
        QApplication::processEvents();
        view->repaint();
    }

    // The number painted into the frame the frame source holds now.
    int shownNumber() const {
        if (!view->mpr || !view->mpr->frameBuffer) return -3;
        return testmovies::readFrameNumber(reinterpret_cast<const uint8_t*>(view->mpr->frameBuffer),
                                           view->moviewidth(), view->movieheight(),
                                           long(view->moviewidth()) * 4);
    }

    QString status() const { return win->statusBar()->currentMessage(); }

    // A left-button mouse event at a view position (fractions allowed).
    void mouse(QEvent::Type type, QPointF p) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, p, view->mapToGlobal(p), button, held, Qt::NoModifier);
        QApplication::sendEvent(view, &e);
    }
    // A drag from `from` to `to`, as the mouse delivers it.
    void drag(QPointF from, QPointF to) {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, from);
        mouse(QEvent::MouseMove, (from + to) / 2);
        mouse(QEvent::MouseMove, to);
        mouse(QEvent::MouseButtonRelease, to);
    }
};

using testmovies::numberedMovie;
