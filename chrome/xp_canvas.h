#pragma once
// A self-drawn window frame: title bar with icon and caption, edges and a corner grip.
// It covers its parent window, moves it by the title bar and, unless Fixed_Single,
// maximises it on a double click of the title bar and resizes it by the edges.

#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QWidget>

class xp_canvas : public QWidget {
    Q_OBJECT
public:
    explicit xp_canvas(QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& text);
    QIcon Icon() const { return m_icon; }
    void setIcon(const QIcon& icon);
    bool Fixed_Single() const { return m_fixed; }
    void setFixed_Single(bool fixed) { m_fixed = fixed; }

    // The title bar's height in pixels.
    static constexpr int titleHeight = 25;
    // The area below the title bar, inside the edges.
    QRect innerRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Edge { None = 0, Left = 1, Right = 2, Bottom = 4 };
    int edgeAt(const QPoint& p) const;
    bool onTitleBar(const QPoint& p) const;

    QString m_caption;
    QIcon m_icon;
    bool m_fixed = false;
    bool m_moving = false;
    QPoint m_grab;
    int m_edge = None;
    QPoint m_pressedAt;
};
