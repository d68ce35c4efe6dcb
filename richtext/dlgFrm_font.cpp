#include "richtext/dlgFrm_font.h"

#include "common/mdl_func.h"
#include "common/uiServices.h"
#include "richtext/pageBridge.h"

#include <QComboBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

dlgFrm_font::dlgFrm_font(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgFrm_font"));
    setWindowTitle(QStringLiteral("文字综合处理"));

    cmb_font = new QFontComboBox(this);
    cmb_font->setObjectName(QStringLiteral("cmb_font"));
    cmb_font->setEditable(false);
    cmb_font->insertItem(0, QStringLiteral("（不变）"));
    cmb_font->setCurrentIndex(0);

    // The seven sizes of HTML text.
    cmb_size = new QComboBox(this);
    cmb_size->setObjectName(QStringLiteral("cmb_size"));
    cmb_size->addItem(QStringLiteral("（不变）"), 0);
    const char* const sizes[] = {"1 (8pt)",  "2 (10pt)", "3 (12pt)", "4 (14pt)",
                                 "5 (18pt)", "6 (24pt)", "7 (36pt)"};
    for (int i = 0; i < 7; ++i)
        cmb_size->addItem(QString::fromLatin1(sizes[i]), i + 1);

    cmd_color = new QPushButton(QStringLiteral("颜色..."), this);
    cmd_color->setObjectName(QStringLiteral("cmd_color"));
    lbl_color = new QLabel(QStringLiteral("（不变）"), this);
    lbl_color->setObjectName(QStringLiteral("lbl_color"));
    lbl_color->setMinimumWidth(80);
    connect(cmd_color, &QPushButton::clicked, this, &dlgFrm_font::cmd_color_Click);
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(lbl_color, 1);
    colorRow->addWidget(cmd_color);

    cmd_ok = new QPushButton(QStringLiteral("确定"), this);
    cmd_ok->setObjectName(QStringLiteral("cmd_ok"));
    cmd_ok->setDefault(true);
    cmd_cancel = new QPushButton(QStringLiteral("取消"), this);
    cmd_cancel->setObjectName(QStringLiteral("cmd_cancel"));
    connect(cmd_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmd_cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmd_ok);
    buttons->addWidget(cmd_cancel);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("字体："), cmb_font);
    form->addRow(QStringLiteral("大小："), cmb_size);
    form->addRow(QStringLiteral("颜色："), colorRow);
    form->addRow(buttons);
}

void dlgFrm_font::cmd_color_Click() {
    const std::optional<QColor> c = ui::chooseColor(this);
    if (!c)
        return;
    m_color = mdl_func::htmlColor(*c);
    lbl_color->setText(m_color);
    lbl_color->setStyleSheet(QStringLiteral("color: ") + m_color + QStringLiteral(";"));
}

QString dlgFrm_font::script() const {
    QString s;
    if (cmb_font->currentIndex() > 0)
        s += QStringLiteral("run('fontName',") + pagebridge::jsString(cmb_font->currentText()) +
             QStringLiteral(");");
    const int size = cmb_size->currentData().toInt();
    if (size > 0)
        s += QStringLiteral("run('fontSize','") + QString::number(size) + QStringLiteral("');");
    if (!m_color.isEmpty())
        s += QStringLiteral("run('foreColor',") + pagebridge::jsString(m_color) +
             QStringLiteral(");");
    return s;
}
