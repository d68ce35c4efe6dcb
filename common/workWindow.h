#pragma once
// Small helpers the work windows and their dialogs share: controls carrying their names,
// and the main frame of a window centred above its status bar.

#include <QStatusBar>
#include <QString>
#include <QWidget>

namespace workWindow {

// `w` with its object name set, so tests and the window find it by that name.
template <typename T> T* named(T* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}
// The same for a name put together at run time, such as one of a control array.
template <typename T> T* named(T* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

// The status bar along the bottom of `window`; `frame` at its own size, centred in the
// rest, `raise` above the middle, but never further than `maxOffset` from the top left.
inline void placeFrame(QWidget* window, QWidget* frame, QStatusBar* bar, int raise,
                       int maxOffset) {
    const int barHeight = bar->sizeHint().height();
    bar->setGeometry(0, window->height() - barHeight, window->width(), barHeight);
    frame->adjustSize();
    const auto clamp = [maxOffset](int v) { return v < 0 ? 0 : (v > maxOffset ? maxOffset : v); };
    frame->move(clamp((window->width() - frame->width()) / 2),
                clamp((window->height() - barHeight - frame->height()) / 2 - raise));
}

} // namespace workWindow
