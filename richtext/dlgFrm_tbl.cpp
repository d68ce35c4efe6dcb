#include "richtext/dlgFrm_tbl.h"

#include "common/dialogs.h"
#include "richtext/mdl_insert.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

dlgFrm_tbl::dlgFrm_tbl(richEditBase* editor, QWidget* parent)
    : insertDialog(editor, QStringLiteral("插入表格"), parent) {
    setObjectName(QStringLiteral("dlgFrm_tbl"));
    txt_row = numberBox("txt_row", QStringLiteral("2"));
    txt_col = numberBox("txt_col", QStringLiteral("2"));
    txt_ID = textBox("txt_ID");
    txt_width = numberBox("txt_width", QStringLiteral("100"));
    cmb_width = entryList("cmb_width", mdl_insert::tableUnits());
    txt_height = numberBox("txt_height", {});
    cmb_height = entryList("cmb_height", mdl_insert::tableUnits());
    txt_border = numberBox("txt_border", QStringLiteral("1"));
    txt_pad = numberBox("txt_pad", QStringLiteral("0"));
    txt_space = numberBox("txt_space", QStringLiteral("0"));
    txt_backColor = textBox("txt_backColor");
    txt_foreColor = textBox("txt_foreColor");
    for (QLineEdit* b : {txt_ID, txt_backColor, txt_foreColor})
        b->setMaximumWidth(120);
    cmd_backColor = new QPushButton(QStringLiteral("选择"), this);
    cmd_backColor->setObjectName(QStringLiteral("cmd_backColor"));
    cmd_foreColor = new QPushButton(QStringLiteral("选择"), this);
    cmd_foreColor->setObjectName(QStringLiteral("cmd_foreColor"));
    cmb_align = entryList("cmb_align", mdl_insert::tableAlignments());

    addLine(QStringLiteral("行数："), {txt_row});
    addLine(QStringLiteral("列数："), {txt_col});
    addLine(QStringLiteral("表格ID："), {txt_ID});
    addLine(QStringLiteral("宽度："), {txt_width, cmb_width});
    addLine(QStringLiteral("高度："), {txt_height, cmb_height});
    addLine(QStringLiteral("边框："), {txt_border});
    addLine(QStringLiteral("填充："), {txt_pad});
    addLine(QStringLiteral("间距："), {txt_space});
    addLine(QStringLiteral("背景颜色："), {txt_backColor, cmd_backColor});
    addLine(QStringLiteral("边框颜色："), {txt_foreColor, cmd_foreColor});
    addLine(QStringLiteral("对齐："), {cmb_align});
    finishLayout();

    for (auto [button, box] : {std::pair{cmd_backColor, txt_backColor},
                               std::pair{cmd_foreColor, txt_foreColor}}) {
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this,
                [this, box = box] { box->setText(mdl_func::chooseColor(this)); });
    }
}

QString dlgFrm_tbl::markup() {
    mdl_insert::Table t;
    t.rows = txt_row->text();
    t.cols = txt_col->text();
    t.id = txt_ID->text();
    t.width = txt_width->text();
    t.widthUnit = cmb_width->currentData().toString();
    t.height = txt_height->text();
    t.heightUnit = cmb_height->currentData().toString();
    t.border = txt_border->text();
    t.padding = txt_pad->text();
    t.spacing = txt_space->text();
    t.backColor = txt_backColor->text();
    t.borderColor = txt_foreColor->text();
    return mdl_insert::tableMarkup(t);
}
