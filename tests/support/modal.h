#pragma once
// Acting on the modal dialogs a window opens: the test's steps run as soon as the dialog
// of the wanted type is the active modal widget.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

// Runs `act` on the next modal dialog of type T as soon as it is shown.
template <class T> void onModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}
