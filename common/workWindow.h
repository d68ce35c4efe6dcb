#pragma once
// Small helpers the work windows and their dialogs share: controls carrying their names,
// the main frame of a window centred above its status bar, a label for file names, the
// room a window has on its screen and the busy cursor.

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QString>
#include <QWidget>

#include <algorithm>

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

// The room a window opened over `near` has on its screen: the screen's free area less
// the window's frame and title bar.
inline QSize screenRoom(const QWidget* near) {
    const QScreen* s = near ? near->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return {1024 - 40, 768 - 80};
    return s->availableGeometry().size() - QSize(40, 80);
}

// The busy cursor for as long as it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace workWindow

// A file name on one line. A name too long for the room the window gives the label is
// shortened in the middle with "…" (its ending stays in view) and shown whole in the
// tool-tip; the label never widens its window.
class nameLabel : public QLabel {
public:
    explicit nameLabel(QWidget* parent = nullptr) : QLabel(parent) {
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    void setName(const QString& name) {
        m_name = name;
        setToolTip(name);
        elide();
    }
    QString name() const { return m_name; }
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override {
        return {std::min(QLabel::sizeHint().width(), 200), QLabel::sizeHint().height()};
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        elide();
    }

private:
    void elide() {
        const QString shown =
            fontMetrics().elidedText(m_name, Qt::ElideMiddle, contentsRect().width());
        if (shown != text())
            setText(shown);
    }
    QString m_name;
};
