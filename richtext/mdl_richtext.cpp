#include "richtext/mdl_richtext.h"

namespace mdl_richtext {

const QList<ToolButton>& fullToolbar() {
    static const QList<ToolButton> buttons = {
        {"save", "保存", "保存", Action::Save, {}},
        {"selectAll", "全选", "全选", Action::Command, "selectAll"},
        {"undo", "撤销", "撤销", Action::EditAction, "undo"},
        {"redo", "恢复", "恢复", Action::EditAction, "redo"},
        {"cut", "剪切", "剪切", Action::EditAction, "cut"},
        {"copy", "复制", "复制", Action::EditAction, "copy"},
        {"paste", "粘贴", "粘贴", Action::EditAction, "paste"},
        {"delete", "删除", "删除", Action::Command, "delete"},
        {"bold", "粗体", "粗体", Action::Command, "bold"},
        {"italic", "斜体", "斜体", Action::Command, "italic"},
        {"underLine", "下划线", "下划线", Action::Command, "underline"},
        {"Aleft", "左对齐", "左对齐", Action::Command, "justifyLeft"},
        {"Acenter", "居中", "居中", Action::Command, "justifyCenter"},
        {"Aright", "右对齐", "右对齐", Action::Command, "justifyRight"},
        {"RemoveFormat", "删格式", "取消文字格式", Action::Command, "removeFormat"},
        {"sline", "水平线", "水平线", Action::Dialog, {}},
        {"link", "超连接", "添加超连接", Action::Link, "createLink"},
        {"unlink", "删连接", "取消超连接", Action::Command, "unlink"},
        {"table", "表格", "插入表格", Action::Dialog, {}},
        {"img", "插入图", "插入图片", Action::Dialog, {}},
        {"flash", "flash", "flash文件", Action::Dialog, {}},
        {"color", "综合", "对选中的文字综合处理", Action::Color, {}},
    };
    return buttons;
}

QList<ToolButton> reducedToolbar() {
    static const QStringList keys = {"undo",    "redo",   "cut",    "copy",      "paste",
                                     "delete",  "bold",   "italic", "underLine", "Aleft",
                                     "Acenter", "Aright", "link",   "unlink",    "color"};
    QList<ToolButton> buttons;
    for (const QString& k : keys)
        buttons << *toolButton(k);
    return buttons;
}

const ToolButton* toolButton(const QString& key) {
    for (const ToolButton& b : fullToolbar()) {
        if (b.key == key)
            return &b;
    }
    return nullptr;
}

QString appendToStored(const QString& stored, const QString& markup) {
    const qsizetype end = stored.toLower().lastIndexOf(QLatin1String("</body>"));
    if (end < 0)
        return stored + markup;
    return stored.left(end) + markup + stored.mid(end);
}

} // namespace mdl_richtext
