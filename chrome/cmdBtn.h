#pragma once
// A flat, self-drawn push button with a caption: normal, hover and pressed looks. A click
// on its face or caption, or Space or Enter while it has the focus, emits clicked().

#include <QAbstractButton>

class cmdBtn : public QAbstractButton {
    Q_OBJECT
public:
    explicit cmdBtn(QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
