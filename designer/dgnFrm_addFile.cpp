#include "designer/dgnFrm_addFile.h"

#include "designer/catalogTree.h"
#include "designer/designFrm.h"
#include "designer/nodeDialogs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

dgnFrm_addFile::dgnFrm_addFile(designFrm* designer, QWidget* parent)
    : dgnFrm_picker(designer, QStringLiteral("添加文件"), parent) {
    setObjectName(QStringLiteral("dgnFrm_addFile"));
    txt_Name = new QLineEdit(this);
    txt_Name->setObjectName(QStringLiteral("txt_Name"));
    m_top->addWidget(new QLabel(QStringLiteral("文件名称："), this), 0, 0);
    m_top->addWidget(txt_Name, 0, 1);
    m_top->setColumnStretch(1, 1);
    loadPicker();
    txt_Name->setFocus();
}

void dgnFrm_addFile::cmd_cfm_Click() {
    QTreeWidgetItem* parent = m_designer->mNode;
    if (!parent)
        return;
    const mdl_nov::Level level = catalogTree::level(parent);
    const QString name = txt_Name->text();
    const mdl_nov::AddResult result =
        mdl_nov::addNode(level, parent->text(0), name, false, selectedModel());
    if (result.status != mdl_nov::AddResult::Added) {
        const QString where = QString::number(static_cast<int>(level) + 1);
        nodeDialogs::showRefusal(
            this, result, false,
            QStringLiteral("插入数据失败，获得排序号有误，errNo:dgnfrm_addFile") + where +
                QStringLiteral("！"));
        txt_Name->setFocus();
        return;
    }
    nodeDialogs::appendNode(m_designer, result.name, false);
    accept();
}
