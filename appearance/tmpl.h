#pragma once
// One tile of a template catalogue: the template's thumbnail with an option button that
// carries its caption, and the template's title under it. The dialog holding the tiles
// keeps exactly one selected.

#include <QString>
#include <QWidget>

class QLabel;
class QRadioButton;

class tmpl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString value READ value WRITE setValue NOTIFY valueChanged)
    Q_PROPERTY(int selected READ selected WRITE setSelected NOTIFY selectedChanged)
public:
    explicit tmpl(QWidget* parent = nullptr);

    // The template name; setting it shows the caption and the thumbnail.
    QString value() const { return m_value; }
    void setValue(const QString& value);
    // 1 for the current choice, otherwise 0.
    int selected() const { return m_selected; }
    void setSelected(int selected);

    QRadioButton* optTmpl = nullptr;
    QLabel* imgTmpl = nullptr;
    // The template's title from the catalogue, under its code.
    QLabel* lbl_title = nullptr;

Q_SIGNALS:
    void click();
    void DoubleClick();
    void valueChanged();
    void selectedChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void drawBorder(bool on);
    void clicked();

    QString m_value;
    int m_selected = 0;
};
