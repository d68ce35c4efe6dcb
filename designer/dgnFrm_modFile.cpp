#include "designer/dgnFrm_modFile.h"

#include "common/uiServices.h"
#include "designer/catalogTree.h"
#include "designer/designFrm.h"

#include <QCheckBox>
#include <QTreeWidget>

dgnFrm_modFile::dgnFrm_modFile(designFrm* designer, QTreeWidgetItem* node, QWidget* parent)
    : dgnFrm_picker(designer, QStringLiteral("修改显示模式"), parent) {
    setObjectName(QStringLiteral("dgnFrm_modFile"));
    if (node) {
        m_level = catalogTree::level(node);
        m_key = catalogTree::key(node);
        m_name = node->text(0);
        m_file = m_level != mdl_nov::Level::None && !catalogTree::tag(node).toBool();
    }
    m_format = m_file ? mdl_nov::getAspFileName(m_level, m_name).value : mdl_nov::noFormat;
    loadPicker();
    if (mdl_dgnFrm::isProductFormat(m_format))
        chk_prod->setChecked(true);
    selectModel(m_format);
}

bool dgnFrm_modFile::isFor(const QTreeWidgetItem* node) const {
    return node && catalogTree::key(node) == m_key && node->text(0) == m_name;
}

void dgnFrm_modFile::cmd_cfm_Click() {
    if (!m_file) {
        ui::message(this, QStringLiteral("没有在左边选择栏目！"), QStringLiteral("警告"),
                    QMessageBox::Critical);
        return;
    }
    const QString key = selectedModel();
    // The format the page has already: nothing to change, nothing to empty.
    if (key == m_format) {
        accept();
        return;
    }
    const mdl_nov::Number records = mdl_nov::countRecords(m_level, m_name);
    if (!records.ok) {
        ui::message(this, records.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    if (records.value > 0 &&
        ui::message(this,
                    QStringLiteral("更改“%1”的显示格式，将清空该页面已有的 %2 条数据的内容，"
                                   "是否继续？")
                        .arg(m_name)
                        .arg(records.value),
                    QStringLiteral("警告"), QMessageBox::Question,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    const sitedb::Outcome out = mdl_nov::changeFormat(m_level, m_name, key);
    if (!out) {
        ui::message(this, out.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    // The preview follows when the page is still the one shown.
    if (isFor(m_designer->mNode))
        m_designer->right_canvas(key);
    Q_EMIT m_designer->catalogChanged();
    accept();
}
