#pragma once
// Typing any text into a widget as key presses, Chinese characters included (QTest's
// key clicks take ASCII only).

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

inline void typeText(QWidget* target, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(target, &release);
    }
}
