// Drives a modal Qt file dialog from a test: the dialog, once it shows, is
// handed to a function that inspects it and closes it.
#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include <functional>

// Hands the file dialog, once it shows, to `act`, which must close it.
inline void whenTheDialogShows(std::function<void(QFileDialog*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            if (!dialog || !dialog->isVisible()) continue;
            poll->stop();
            poll->deleteLater();
            act(dialog);
            return;
        }
    });
    poll->start(5);
}
