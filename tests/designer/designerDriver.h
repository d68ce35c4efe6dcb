#pragma once
// Helpers for driving the designer window in tests: a site with a small catalog, and
// acting on the modal dialogs the designer opens.

#include "designer/catalogTree.h"
#include "designer/mdl_nov.h"
#include "modal.h"
#include "scriptedUi.h"
#include "sitedb/sitedb.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

// The sample site, in order:
//   奥凡科技
//   ├ 公司简介 (folder) ├ 产品中心 (folder) ├ 手机 (file, prod01)
//   │                  │                  └ 电脑 (file, prod02)
//   │                  └ 企业文化 (file, txt)
//   ├ 新闻 (file, news)
//   └ 联系我们 (file, no format yet)
// with content records for 新闻 (two), 企业文化 and 手机.
inline void buildSampleSite() {
    using mdl_nov::Level;
    QVERIFY(sitedb::setUserInfo(QStringLiteral("webName"), QStringLiteral("奥凡科技")));
    const auto add = [](Level parent, const char* parentName, const char* name, bool folder,
                        const char* format) {
        QCOMPARE(mdl_nov::addNode(parent, QString::fromUtf8(parentName), QString::fromUtf8(name),
                                  folder, QString::fromUtf8(format))
                     .status,
                 mdl_nov::AddResult::Added);
    };
    add(Level::None, "", "公司简介", true, "");
    add(Level::First, "公司简介", "产品中心", true, "");
    add(Level::Second, "产品中心", "手机", false, "prod01");
    add(Level::Second, "产品中心", "电脑", false, "prod02");
    add(Level::First, "公司简介", "企业文化", false, "txt");
    add(Level::None, "", "新闻", false, "news");
    add(Level::None, "", "联系我们", false, "");
    const QString insert = QStringLiteral("INSERT INTO %1(%2, value01, value02, field03) "
                                          "VALUES(?, 'v1', 'v2', 'f3')");
    QVERIFY(sitedb::exec(insert.arg("content01", "firstCatalog"), {QStringLiteral("新闻")}));
    QVERIFY(sitedb::exec(insert.arg("content01", "firstCatalog"), {QStringLiteral("新闻")}));
    QVERIFY(sitedb::exec(insert.arg("content02", "secondCatalog"), {QStringLiteral("企业文化")}));
    QVERIFY(sitedb::exec(insert.arg("content03", "thirdCatalog"), {QStringLiteral("手机")}));
}

inline QTreeWidgetItem* node(QTreeWidget* tree, const QString& text) {
    return catalogTree::findByText(tree, text);
}

// Clicks a node with a mouse button as the user would (the tree is expanded first).
inline void clickNode(QTreeWidget* tree, const QString& text, Qt::MouseButton button) {
    QTreeWidgetItem* item = node(tree, text);
    QVERIFY2(item, qPrintable(text));
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), button, {}, at);
    // The designer handles the release once the view is done with it.
    QCoreApplication::processEvents();
}

inline qint64 countRows(const QString& sql, const QVariantList& args = {}) {
    return sitedb::query(sql, args).first().integer(QStringLiteral("n"));
}

// The last message shown: its text, title and icon.
inline void verifyLastMessage(const ScriptedUi& ui, const QString& text, const QString& title,
                              QMessageBox::Icon icon) {
    QVERIFY(!ui.messages.isEmpty());
    QCOMPARE(ui.last().text, text);
    QCOMPARE(ui.last().title, title);
    QCOMPARE(ui.last().icon, icon);
}
