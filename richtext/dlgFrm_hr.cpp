#include "richtext/dlgFrm_hr.h"

#include "common/dialogs.h"
#include "richtext/mdl_insert.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

dlgFrm_hr::dlgFrm_hr(richEditBase* editor, QWidget* parent)
    : insertDialog(editor, QStringLiteral("水平线"), parent) {
    setObjectName(QStringLiteral("dlgFrm_hr"));
    txt_color = textBox("txt_color");
    txt_color->setMaximumWidth(120);
    cmd_color = new QPushButton(QStringLiteral("选择"), this);
    cmd_color->setObjectName(QStringLiteral("cmd_color"));
    cmd_color->setAutoDefault(false);
    txt_width = numberBox("txt_width", QStringLiteral("500"));
    txt_height = numberBox("txt_height", QStringLiteral("2"));
    cmb_align = entryList("cmb_align", mdl_insert::ruleAlignments());
    cmb_align->setCurrentIndex(1);
    cmb_shadow = new QComboBox(this);
    cmb_shadow->setObjectName(QStringLiteral("cmb_shadow"));
    cmb_shadow->addItem(QStringLiteral("无"), false);
    cmb_shadow->addItem(QStringLiteral("有"), true);

    addLine(QStringLiteral("线条颜色："), {txt_color, cmd_color});
    addLine(QStringLiteral("水平宽度："), {txt_width});
    addLine(QStringLiteral("线条粗度："), {txt_height});
    addLine(QStringLiteral("页面对齐："), {cmb_align});
    addLine(QStringLiteral("阴影效果："), {cmb_shadow});
    finishLayout();
    connect(cmd_color, &QPushButton::clicked, this,
            [this] { txt_color->setText(mdl_func::chooseColor(this)); });
}

QString dlgFrm_hr::markup() {
    return mdl_insert::ruleMarkup({txt_color->text(), txt_width->text(), txt_height->text(),
                                   cmb_align->currentData().toString(),
                                   cmb_shadow->currentData().toBool()});
}
