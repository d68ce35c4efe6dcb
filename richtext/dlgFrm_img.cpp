#include "richtext/dlgFrm_img.h"

#include "common/pictureDialog.h"
#include "common/uiServices.h"
#include "common/workspace.h"
#include "richtext/mdl_insert.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

dlgFrm_img::dlgFrm_img(richEditBase* editor, QWidget* parent)
    : insertDialog(editor, QStringLiteral("插入图片"), parent) {
    setObjectName(QStringLiteral("dlgFrm_img"));
    txt_imgPath = textBox("txt_imgPath");
    // The path shows the file chosen with the button; the markup names its copy.
    txt_imgPath->setReadOnly(true);
    txt_imgPath->setMinimumWidth(260);
    cmd_imgPath = new QPushButton(QStringLiteral("浏览..."), this);
    cmd_imgPath->setObjectName(QStringLiteral("cmd_imgPath"));
    cmd_imgPath->setAutoDefault(false);
    txt_height = numberBox("txt_height", {});
    txt_width = numberBox("txt_width", {});
    txt_border = numberBox("txt_border", QStringLiteral("0"));
    txt_alt = textBox("txt_alt");
    cmb_spec = entryList("cmb_spec", mdl_insert::pictureEffects());
    cmb_align = entryList("cmb_align", mdl_insert::picturePositions());

    addLine(QStringLiteral("图片路径："), {txt_imgPath, cmd_imgPath});
    addLine(QStringLiteral("图片高度："), {txt_height, new QLabel(QStringLiteral("px"), this)});
    addLine(QStringLiteral("图片宽度："), {txt_width, new QLabel(QStringLiteral("px"), this)});
    addLine(QStringLiteral("图片边框："), {txt_border});
    addLine(QStringLiteral("标识文字："), {txt_alt});
    addLine(QStringLiteral("特殊效果："), {cmb_spec});
    addLine(QStringLiteral("图片位置："), {cmb_align});
    finishLayout();
    connect(cmd_imgPath, &QPushButton::clicked, this, &dlgFrm_img::cmd_imgPath_Click);
}

void dlgFrm_img::cmd_imgPath_Click() {
    pictures::ChoiceOptions options;
    // Only the picture's size is wanted here.
    options.previewBound = QSize(64, 64);
    const std::optional<pictures::Choice> choice = pictures::ask(
        this, QStringLiteral("图像文件(*.jpg;*.bmp;*.gif)|*.jpg;*.bmp;*.gif"), options,
        QStringLiteral("提示"));
    if (!choice)
        return;
    m_files.broughtIn(*choice);
    m_chosenName = choice->name;
    txt_imgPath->setText(QDir::toNativeSeparators(choice->source));
    txt_width->setText(QString::number(choice->picture.size.width()));
    txt_height->setText(QString::number(choice->picture.size.height()));
}

QString dlgFrm_img::markup() {
    if (txt_imgPath->text().trimmed().isEmpty()) {
        ui::message(this, QStringLiteral("图片路径不能为空！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        txt_imgPath->setFocus();
        return {};
    }
    return mdl_insert::pictureMarkup(
        {m_chosenName, txt_height->text(), txt_width->text(), txt_border->text(), txt_alt->text(),
         cmb_spec->currentData().toString(), cmb_align->currentData().toString()},
        workspace::currImgPath());
}
