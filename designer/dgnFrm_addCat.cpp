#include "designer/dgnFrm_addCat.h"

#include "designer/catalogTree.h"
#include "designer/designFrm.h"
#include "designer/nodeDialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

dgnFrm_addCat::dgnFrm_addCat(designFrm* designer, QWidget* parent)
    : QDialog(parent), m_designer(designer) {
    setObjectName(QStringLiteral("dgnFrm_addCat"));
    setWindowTitle(QStringLiteral("添加目录"));
    txt_Name = new QLineEdit(this);
    txt_Name->setObjectName(QStringLiteral("txt_Name"));
    txt_Name->setMinimumWidth(240);
    cmd_cfm = new QPushButton(QStringLiteral("确定"), this);
    cmd_cfm->setObjectName(QStringLiteral("cmd_cfm"));
    cmd_cfm->setDefault(true);
    cmd_cnl = new QPushButton(QStringLiteral("取消"), this);
    cmd_cnl->setObjectName(QStringLiteral("cmd_cnl"));

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("目录名称："), this));
    nameRow->addWidget(txt_Name, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmd_cfm);
    buttons->addWidget(cmd_cnl);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(nameRow);
    outer->addLayout(buttons);

    connect(cmd_cfm, &QPushButton::clicked, this, &dgnFrm_addCat::cmd_cfm_Click);
    connect(cmd_cnl, &QPushButton::clicked, this, &QDialog::reject);
}

void dgnFrm_addCat::cmd_cfm_Click() {
    QTreeWidgetItem* parent = m_designer->mNode;
    if (!parent)
        return;
    const mdl_nov::Level level = catalogTree::level(parent);
    const QString name = txt_Name->text();
    const mdl_nov::AddResult result = mdl_nov::addNode(level, parent->text(0), name, true);
    if (result.status != mdl_nov::AddResult::Added) {
        nodeDialogs::showRefusal(this, result, true,
                                 level == mdl_nov::Level::None
                                     ? QStringLiteral("插入数据失败，错误号：Frm_addCat001")
                                     : QStringLiteral("插入数据失败，错误号：Frm_addCat002"));
        txt_Name->setFocus();
        return;
    }
    nodeDialogs::appendNode(m_designer, result.name, true);
    accept();
}
