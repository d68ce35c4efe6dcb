#pragma once
// A self-drawn close box, 250 x 250 twips: normal, hover (pointer over it) and pressed
// (pointer over it with the left button down). Releasing a button over it clicks it.

#include <QWidget>

class windowBox : public QWidget {
    Q_OBJECT
public:
    enum class Look { Normal, Hover, Pressed };

    explicit windowBox(QWidget* parent = nullptr);
    Look look() const { return m_look; }

Q_SIGNALS:
    void Click(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setLook(Look look);
    Look m_look = Look::Normal;
};
