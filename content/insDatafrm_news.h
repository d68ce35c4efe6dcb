#pragma once
// The news dialogs: `insDatafrm_news` adds a news item to the current node, and
// `insDataFrm_newsMod` shows the picked one and stores its changes. Title, date, body and
// an optional picture.

#include "content/entryDialog.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class myDate;
class nameLabel;

class newsDialog : public entryDialog {
    Q_OBJECT
public:
    QLabel* Label1 = nullptr;
    QLineEdit* txt_title = nullptr;
    QLabel* Label4 = nullptr;
    myDate* myDate1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* txt_content = nullptr;
    QLabel* Label3 = nullptr;
    nameLabel* lbl_imgName = nullptr;
    QPushButton* cmd_img = nullptr;
    QLabel* img = nullptr;

    void cmd_img_Click();

    // The picture's preview box.
    static QSize previewSize() { return {240, 160}; }

protected:
    newsDialog(const Target& target, bool modify, QWidget* parent);
    mdl_entry::News fields() const;
    void showPicture(const QString& name, const QImage& image);

};

class insDatafrm_news : public newsDialog {
    Q_OBJECT
public:
    insDatafrm_news(const Target& target, QWidget* parent = nullptr);
    void OKButton_Click() override;
};

class insDataFrm_newsMod : public newsDialog {
    Q_OBJECT
public:
    insDataFrm_newsMod(const Target& target, QWidget* parent = nullptr);
    void OKButton_Click() override;

private:
    void Form_Load();
};
