#include "app/mainCommands.h"

namespace mainCommands {

namespace {

MenuItem top(const QString& key, const QString& caption) {
    return {key, caption, Level::Top, Command::None, {}, {}};
}
MenuItem separator(const QString& key) {
    return {key, QStringLiteral("-"), Level::Separator, Command::None, {}, {}};
}
MenuItem item(const QString& key, const QString& caption, Command command,
              const QString& icon, const QString& window = {}) {
    return {key, caption, Level::Item, command, window, icon};
}
MenuItem show(const QString& key, const QString& caption, const QString& window,
              const QString& icon) {
    return item(key, caption, Command::ShowWindow, icon, window);
}

} // namespace

const QList<MenuItem>& menuItems() {
    // Captions keep their exact spacing; "&" marks the access key.
    static const QList<MenuItem> items{
        top(QStringLiteral("mnufile"), QStringLiteral("文件(F) ")),
        item(QStringLiteral("mnufile_backup"), QStringLiteral("备份数据(&B)... "), Command::Backup,
             QStringLiteral("cmd_backup.png")),
        item(QStringLiteral("mnufile_revert"), QStringLiteral("还原数据(&R)..."), Command::Restore,
             QStringLiteral("cmd_restore.png")),
        separator(QStringLiteral("mnuFile_line01")),
        item(QStringLiteral("mnuFile_quit"), QStringLiteral("退出(&Q)"), Command::Quit,
             QStringLiteral("cmd_quit.png")),
        top(QStringLiteral("mnuView"), QStringLiteral("视图(V)")),
        show(QStringLiteral("mnuView_guid"), QStringLiteral("用法指南(&G) ..."),
             QStringLiteral("guidFrm"), QStringLiteral("cmd_guide.png")),
        show(QStringLiteral("mnuView_info"), QStringLiteral("基本信息(B)..."),
             QStringLiteral("infoFrm"), QStringLiteral("cmd_info.png")),
        show(QStringLiteral("mnuView_sltTmpl"), QStringLiteral("选择模板(&T) ..."),
             QStringLiteral("sltTmplFrm"), QStringLiteral("cmd_template.png")),
        show(QStringLiteral("mnuView_design"), QStringLiteral("设计栏目(&D) ..."),
             QStringLiteral("designFrm"), QStringLiteral("cmd_design.png")),
        show(QStringLiteral("mnuView_insData"), QStringLiteral("录入数据(&I) ..."),
             QStringLiteral("insDataFrm"), QStringLiteral("cmd_content.png")),
        show(QStringLiteral("mnuView_upData"), QStringLiteral("上传数据(&U) ..."),
             QStringLiteral("updataFrm"), QStringLiteral("cmd_upload.png")),
        item(QStringLiteral("mnuView_preview"), QStringLiteral("预览网站"), Command::Preview,
             QStringLiteral("cmd_preview.png")),
        top(QStringLiteral("MnuTool"), QStringLiteral("工具(O)")),
        item(QStringLiteral("MnuTool_update"), QStringLiteral("更新模板(U)..."), Command::None,
             QStringLiteral("cmd_update.png")),
        separator(QStringLiteral("MnuTool_line01")),
        item(QStringLiteral("MnuTool_consultation"), QStringLiteral("咨询台..."),
             Command::Consultation, QStringLiteral("cmd_consult.png")),
        top(QStringLiteral("mnuHelp"), QStringLiteral("帮助(H)")),
        show(QStringLiteral("mnuHelp_hlep"), QStringLiteral("帮助(&H)..."),
             QStringLiteral("guidFrm"), QStringLiteral("cmd_help.png")),
        separator(QStringLiteral("mnuHelp_line")),
        item(QStringLiteral("mnuHelp_about"), QStringLiteral("关于(&A)..."), Command::About,
             QStringLiteral("cmd_about.png")),
    };
    return items;
}

const QList<ToolButton>& toolButtons() {
    static const QList<ToolButton> buttons{
        {1, QStringLiteral("用法指南"), QStringLiteral("088"), Command::ShowWindow,
         QStringLiteral("guidFrm"), QStringLiteral("tb_guide.png")},
        {2, QStringLiteral("基本信息"), QStringLiteral("242"), Command::ShowWindow,
         QStringLiteral("infoFrm"), QStringLiteral("tb_info.png")},
        {3, QStringLiteral("选择模板"), QStringLiteral("043"), Command::ShowWindow,
         QStringLiteral("sltTmplFrm"), QStringLiteral("tb_template.png")},
        {4, QStringLiteral("设计栏目"), QStringLiteral("Control Panel"), Command::ShowWindow,
         QStringLiteral("designFrm"), QStringLiteral("tb_design.png")},
        {5, QStringLiteral("录入数据"), QStringLiteral("ins"), Command::ShowWindow,
         QStringLiteral("insDataFrm"), QStringLiteral("tb_content.png")},
        {6, QStringLiteral("上传数据"), QStringLiteral("112"), Command::ShowWindow,
         QStringLiteral("updataFrm"), QStringLiteral("tb_upload.png")},
        {10, QStringLiteral("预览网站"), QStringLiteral("preview"), Command::Preview, QString(),
         QStringLiteral("tb_preview.png")},
        {7, QString(), QString(), Command::None, QString(), QString()},
        {8, QStringLiteral("退出系统"), QStringLiteral("User"), Command::Quit, QString(),
         QStringLiteral("tb_quit.png")},
    };
    return buttons;
}

MenuItem menuItem(const QString& key) {
    for (const MenuItem& m : menuItems()) {
        if (m.key == key)
            return m;
    }
    return {key, QString(), Level::Item, Command::None, {}, {}};
}

ToolButton toolButton(int position) {
    for (const ToolButton& b : toolButtons()) {
        if (b.position == position)
            return b;
    }
    return {position, QString(), QString(), Command::None, {}, {}};
}

} // namespace mainCommands
