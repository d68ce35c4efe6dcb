#include "richtext/dlgFrm_flash.h"

#include "common/pictureDialog.h"
#include "common/uiServices.h"
#include "common/workspace.h"
#include "richtext/mdl_insert.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>

dlgFrm_flash::dlgFrm_flash(richEditBase* editor, QWidget* parent)
    : insertDialog(editor, QStringLiteral("flash选择"), parent) {
    setObjectName(QStringLiteral("dlgFrm_flash"));
    txt_path = textBox("txt_path");
    // The path shows the file chosen with the button; the markup names its copy.
    txt_path->setReadOnly(true);
    txt_path->setMinimumWidth(260);
    cmd_view = new QPushButton(QStringLiteral("浏览..."), this);
    cmd_view->setObjectName(QStringLiteral("cmd_view"));
    cmd_view->setAutoDefault(false);
    txt_width = numberBox("txt_width", QStringLiteral("600"));
    txt_height = numberBox("txt_height", QStringLiteral("120"));
    addLine(QStringLiteral("路径："), {txt_path, cmd_view});
    addLine(QStringLiteral("宽　　度："), {txt_width});
    addLine(QStringLiteral("高　　度："), {txt_height});
    finishLayout();
    connect(cmd_view, &QPushButton::clicked, this, &dlgFrm_flash::cmd_view_Click);
}

void dlgFrm_flash::cmd_view_Click() {
    pictures::ChoiceOptions options;
    options.picture = false;
    const std::optional<pictures::Choice> choice = pictures::ask(
        this, QStringLiteral("flash文件(*.swf)|*.swf"), options, QStringLiteral("提示"));
    if (!choice)
        return;
    m_files.broughtIn(*choice);
    m_chosenName = choice->name;
    txt_path->setText(QDir::toNativeSeparators(choice->source));
}

QString dlgFrm_flash::markup() {
    if (txt_path->text().trimmed().isEmpty()) {
        ui::message(this, QStringLiteral("路径不能为空！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        txt_path->setFocus();
        return {};
    }
    return mdl_insert::flashMarkup({m_chosenName, txt_width->text(), txt_height->text()},
                                   workspace::currImgPath());
}
