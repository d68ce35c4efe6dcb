#pragma once
// What the page editor's four insert dialogs share: the editor they add their markup to,
// "确定" and "取消", a grid of labelled boxes, and the digit check of the number boxes.

#include "common/pictures.h"
#include "richtext/mdl_insert.h"

#include <QDialog>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class richEditBase;

class insertDialog : public QDialog {
    Q_OBJECT
public:
    // Opens, modally, the dialog of a toolbar key ("img", "flash", "table", "sline") over
    // `editor`. True when markup was added.
    static bool open(richEditBase* editor, const QString& key);

    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    // Adds the markup to the editor and closes, or says what is missing.
    void OKButton_Click();
    void CancelButton_Click() { reject(); }
    void done(int result) override;

    // The markup the fields give now; empty when a required field is missing (the dialog
    // has said so).
    virtual QString markup() = 0;

protected:
    insertDialog(richEditBase* editor, const QString& title, QWidget* parent);

    // A box whose every change runs the digit check.
    QLineEdit* numberBox(const char* name, const QString& initial);
    QLineEdit* textBox(const char* name, const QString& initial = {});
    // A drop-down list of `entries`, each carrying its value.
    QComboBox* entryList(const char* name, const QList<mdl_insert::Entry>& entries);
    // "label [widgets…]" on the next line of the grid.
    void addLine(const QString& label, std::initializer_list<QWidget*> widgets);
    // The dialog's buttons under the grid; call once the lines are in.
    void finishLayout();

    // Files the dialog's browse button brought into the working folder: those the markup
    // does not name go when the dialog closes, unless something stored names them.
    pictures::Tracker m_files;
    QString m_chosenName;

private:
    richEditBase* m_editor;
    QGridLayout* m_grid = nullptr;
    int m_lines = 0;
};
