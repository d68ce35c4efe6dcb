#include "designer/nodeDialogs.h"

#include "common/uiServices.h"
#include "designer/catalogTree.h"
#include "designer/designFrm.h"

#include <QTreeWidget>

namespace nodeDialogs {

void appendNode(designFrm* designer, const QString& name, bool folder) {
    QTreeWidgetItem* parent = designer->mNode;
    const mdl_nov::Level level = mdl_nov::childLevel(catalogTree::level(parent));
    const QString key =
        mdl_nov::newNodeKey(mdl_nov::levelPrefix(level), catalogTree::usedKeys(designer->tvw_nav));
    catalogTree::addNode(designer->tvw_nav, parent, key, name,
                         folder ? catalogTree::folderImage : catalogTree::fileImage, folder);
    parent->setExpanded(true);
    Q_EMIT designer->catalogChanged();
}

void showRefusal(QWidget* dialog, const mdl_nov::AddResult& result, bool folder,
                 const QString& noOrder) {
    using mdl_nov::AddResult;
    switch (result.status) {
    case AddResult::Duplicate:
        ui::message(dialog, QStringLiteral("已存在重名，更改名称!"), QStringLiteral("警告"),
                    QMessageBox::Warning);
        break;
    case AddResult::EmptyName:
        ui::message(dialog,
                    folder ? QStringLiteral("请输入目录名称！")
                           : QStringLiteral("请输入文件名称！"),
                    QStringLiteral("警告"), QMessageBox::Critical);
        break;
    case AddResult::NoOrder:
        ui::message(dialog, noOrder, QStringLiteral("警告"), QMessageBox::Critical);
        break;
    case AddResult::NotAllowed:
        ui::message(dialog,
                    folder ? QStringLiteral("不能在该节点下添加目录！")
                           : QStringLiteral("不能在该节点下添加文件！"),
                    QStringLiteral("警告"), QMessageBox::Critical);
        break;
    case AddResult::Failed:
        ui::message(dialog, result.error, QStringLiteral("提示"), QMessageBox::Critical);
        break;
    case AddResult::Added:
        break;
    }
}

} // namespace nodeDialogs
