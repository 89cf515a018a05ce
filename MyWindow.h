// MyWindow: the main window. It holds the movie view and the controls; its
// only behaviour of its own is the trace it sends when it is drawn.
#pragma once

#include <QMainWindow>

class MyObject;

class MyWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MyWindow(QWidget* parent = nullptr);

    MyObject* myObject = nullptr; // the controller; not owned

protected:
    void paintEvent(QPaintEvent* event) override; // drawRect:
};
