#pragma once
// The date picker: a text box holding the date as text, and a small button that opens a
// month calendar below it; a click on a day puts it into the box and closes the calendar.

#include <QString>
#include <QWidget>

class QCalendarWidget;
class QLineEdit;
class QToolButton;

class myDate : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString value READ value WRITE setValue NOTIFY valueChanged)
public:
    explicit myDate(QWidget* parent = nullptr);

    // The text of the box, as it is stored.
    QString value() const;
    // Sets the box; the calendar moves to that date when the text is one.
    void setValue(const QString& text);

    // A date as the picker shows and stores it.
    static QString dateText(const QDate& date);

    QLineEdit* txtValue = nullptr;
    QToolButton* cmdDown = nullptr;
    QCalendarWidget* mnthView = nullptr;

Q_SIGNALS:
    void valueChanged();

public:
    void cmdDown_Click();
    void mnthView_DateClick(const QDate& date);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
