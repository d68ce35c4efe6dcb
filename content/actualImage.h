#pragma once
// A picture shown at its own size. Only the part in view is painted, straight from the
// picture, so that a camera photo of many megapixels scrolls without a second copy.

#include <QImage>
#include <QWidget>

class actualImage : public QWidget {
    Q_OBJECT
public:
    explicit actualImage(QWidget* parent = nullptr);

    // Shows `image` and takes its size; an empty image shows nothing.
    void setImage(const QImage& image);
    const QImage& image() const { return m_image; }
    void clear() { setImage({}); }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage m_image;
};
