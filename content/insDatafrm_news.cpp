#include "content/insDatafrm_news.h"

#include "common/uiServices.h"
#include "common/workspace.h"
#include "common/workWindow.h"
#include "content/myDate.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

using workWindow::named;

newsDialog::newsDialog(const Target& target, bool modify, QWidget* parent)
    : entryDialog(target, modify, parent) {
    setWindowTitle(modify ? QStringLiteral("修改数据") : QStringLiteral("添加数据"));
    Label1 = named(new QLabel(QStringLiteral("标题："), this), "Label1");
    txt_title = named(new QLineEdit(this), "txt_title");
    Label4 = named(new QLabel(QStringLiteral("日期："), this), "Label4");
    myDate1 = named(new myDate(this), "myDate1");
    Label2 = named(new QLabel(QStringLiteral("内容："), this), "Label2");
    txt_content = named(new QPlainTextEdit(this), "txt_content");
    // Tab goes on to the next box; Enter in the title does too (entryDialog).
    txt_content->setTabChangesFocus(true);
    Label3 = named(new QLabel(QStringLiteral("图片："), this), "Label3");
    lbl_imgName = named(new nameLabel(this), "lbl_imgName");
    cmd_img = named(new QPushButton(QStringLiteral("浏览..."), this), "cmd_img");
    img = named(new QLabel(this), "img");
    img->setFixedSize(previewSize());
    img->setFrameShape(QFrame::StyledPanel);
    img->setAlignment(Qt::AlignCenter);
    cmd_img->setAutoDefault(false);
    myDate1->setFixedWidth(160);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->addWidget(Label1, 0, 0, Qt::AlignRight);
    grid->addWidget(txt_title, 0, 1);
    grid->addWidget(Label4, 1, 0, Qt::AlignRight);
    grid->addWidget(myDate1, 1, 1, Qt::AlignLeft);
    grid->addWidget(Label2, 2, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(txt_content, 2, 1);
    auto* pictureLine = new QHBoxLayout;
    // The file name stands clear of the button.
    pictureLine->setSpacing(8);
    pictureLine->addWidget(cmd_img);
    pictureLine->addWidget(lbl_imgName, 1);
    grid->addWidget(Label3, 3, 0, Qt::AlignRight);
    grid->addLayout(pictureLine, 3, 1);
    grid->addWidget(img, 4, 1, Qt::AlignLeft);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(buttonRow());
    resize(520, 520);

    enterMovesOn(txt_title);
    connect(cmd_img, &QPushButton::clicked, this, &newsDialog::cmd_img_Click);
}

mdl_entry::News newsDialog::fields() const {
    return {txt_title->text(), myDate1->value(), txt_content->toPlainText(), lbl_imgName->name()};
}

void newsDialog::showPicture(const QString& name, const QImage& image) {
    lbl_imgName->setName(name);
    if (image.isNull())
        img->clear();
    else
        img->setPixmap(QPixmap::fromImage(image));
}

void newsDialog::cmd_img_Click() {
    pictures::ChoiceOptions options;
    options.previewBound = previewSize();
    if (const std::optional<pictures::Choice> choice = askPicture(options)) {
        takePicture(choice->name);
        showPicture(fileName, choice->picture.image);
    }
}

insDatafrm_news::insDatafrm_news(const Target& target, QWidget* parent)
    : newsDialog(target, false, parent) {
    setObjectName(QStringLiteral("insDatafrm_news"));
}

void insDatafrm_news::OKButton_Click() {
    settle(mdl_entry::addNews(target().nodeKey, target().nodeName, fields()), NoLevel::Close);
}

insDataFrm_newsMod::insDataFrm_newsMod(const Target& target, QWidget* parent)
    : newsDialog(target, true, parent) {
    setObjectName(QStringLiteral("insDataFrm_newsMod"));
    Form_Load();
}

void insDataFrm_newsMod::Form_Load() {
    sitedb::Row row;
    if (!loadRecord(&row))
        return;
    const mdl_entry::News n = mdl_entry::newsOf(row);
    txt_title->setText(n.title);
    myDate1->setValue(n.date);
    txt_content->setPlainText(n.body);
    fileName = n.picture;
    prevFileName = n.picture;
    // A picture missing from the working folder leaves the preview empty.
    const pictures::Loaded picture = n.picture.isEmpty()
                                         ? pictures::Loaded{}
                                         : pictures::load(workspace::currImgPath() + n.picture,
                                                          previewSize());
    showPicture(n.picture, picture.image);
}

void insDataFrm_newsMod::OKButton_Click() {
    settle(mdl_entry::modifyNews(target().nodeKey, target().id, fields()), NoLevel::Stay);
}
