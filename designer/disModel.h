#pragma once
// One tile of the display-format picker: the format's picture with an option button
// under it. The tile does not exclude other tiles by itself; the dialog that holds the
// tiles keeps exactly one selected.

#include <QWidget>

class QLabel;
class QRadioButton;

class disModel : public QWidget {
    Q_OBJECT
public:
    explicit disModel(QWidget* parent = nullptr);

    // The option button's caption (the format's picker caption).
    void setCaption(const QString& caption);
    QString caption() const;
    // The format key the tile stands for.
    QString model() const { return m_model; }
    void setModel(const QString& key) { m_model = key; }
    // Loads the picture from a full path; a picture that cannot be loaded leaves the
    // image as it was.
    void setPicName(const QString& path);
    QString picName() const { return m_picName; }
    bool selected() const;
    // Sets the option button and redraws the highlight.
    void setSelected(bool on);

    QLabel* img = nullptr;
    QRadioButton* opt = nullptr;
    QLabel* lbl_bg = nullptr;

Q_SIGNALS:
    // The user clicked the picture or the option button; the highlight is already drawn.
    void click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void redraw();

    QString m_model;
    QString m_picName;
};
