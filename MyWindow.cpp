// MyWindow: the main window.
#include "MyWindow.h"

#include "Trace.h"

MyWindow::MyWindow(QWidget* parent) : QMainWindow(parent) {}

void MyWindow::paintEvent(QPaintEvent* event) {
    Trace::enter(myObject, "-[MyWindow drawRect:]");
    QMainWindow::paintEvent(event);
    Trace::leave(myObject);
}
