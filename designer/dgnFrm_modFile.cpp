#include "designer/dgnFrm_modFile.h"

#include "common/uiServices.h"
#include "designer/catalogTree.h"
#include "designer/designFrm.h"

#include <QCheckBox>
#include <QTreeWidget>

dgnFrm_modFile::dgnFrm_modFile(designFrm* designer, QWidget* parent)
    : dgnFrm_picker(designer, QStringLiteral("修改显示模式"), parent) {
    setObjectName(QStringLiteral("dgnFrm_modFile"));
    loadPicker();
    if (mdl_dgnFrm::isProductFormat(designer->currModel))
        chk_prod->setChecked(true);
}

void dgnFrm_modFile::cmd_cfm_Click() {
    // The file current in the designer at this moment.
    QTreeWidgetItem* node = m_designer->mNode;
    const mdl_nov::Level level = catalogTree::level(node);
    if (!node || level == mdl_nov::Level::None || catalogTree::tag(node).toBool()) {
        ui::message(this, QStringLiteral("没有在左边选择栏目！"), QStringLiteral("警告"),
                    QMessageBox::Critical);
        return;
    }
    const QString key = selectedModel();
    const sitedb::Outcome out = mdl_nov::changeFormat(level, node->text(0), key);
    if (!out) {
        ui::message(this, out.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    m_designer->right_canvas(key);
    Q_EMIT m_designer->catalogChanged();
    accept();
}
