// Takes the screenshots of the help pages: the real main frame and its windows on a
// throw-away copy of the built installation (the tests' own), filled with a small sample
// site, on the X display in DISPLAY. Run by scripts/make-help-shots.sh; writes PNG files into the folder given.

#include "app/MDIFrm.h"
#include "fixture.h"
#include "chrome/aboutFrm.h"
#include "common/workspace.h"
#include "content/mdl_ins.h"
#include "designer/designFrm.h"
#include "designer/dgnFrm_addFile.h"
#include "designer/mdl_nov.h"
#include "server/updataFrm.h"
#include "sitedb/sitedb.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <cstdio>

namespace {

QString g_out;
QStringList g_taken;

void say(const QString& text) {
    std::fprintf(stderr, "helpshots: %s\n", qPrintable(text));
}

// The sample site of the installation's preview pages.
void seed() {
    using mdl_nov::Level;
    sitedb::setUserInfo(QStringLiteral("webName"), QStringLiteral("奥凡科技有限公司"));
    sitedb::setUserInfo(QStringLiteral("site_name"), QStringLiteral("aofan"));
    mdl_nov::addNode(Level::None, {}, QStringLiteral("公司简介"), false, QStringLiteral("txt"));
    mdl_nov::addNode(Level::None, {}, QStringLiteral("新闻动态"), false, QStringLiteral("news"));
    mdl_nov::addNode(Level::None, {}, QStringLiteral("产品中心"), true);
    mdl_nov::addNode(Level::First, QStringLiteral("产品中心"), QStringLiteral("办公软件"), false,
                     QStringLiteral("prod02"));
    mdl_nov::addNode(Level::First, QStringLiteral("产品中心"), QStringLiteral("行业方案"), false,
                     QStringLiteral("imgTxt01"));
    mdl_nov::addNode(Level::None, {}, QStringLiteral("联系我们"), false, QStringLiteral("adv"));
    mdl_ins::PageFields about;
    about.title = QStringLiteral("公司简介");
    about.body = QStringLiteral(
        "奥凡科技有限公司是一家示例公司，这里是“公司简介”栏目的正文。\n"
        "在录入数据窗口里直接输入正文，单击“保存”即可存入站点数据库。");
    mdl_ins::savePage(QStringLiteral("fst_1"), QStringLiteral("公司简介"), QStringLiteral("txt"),
                      true, about);
    const QStringList news{QStringLiteral("新版网站正式开通"), QStringLiteral("国庆节放假安排的通知"),
                           QStringLiteral("第二季度客户服务满意度调查结果")};
    const QStringList dates{QStringLiteral("2006-09-28"), QStringLiteral("2006-09-15"),
                            QStringLiteral("2006-06-30")};
    for (int i = 0; i < news.size(); ++i)
        sitedb::exec(QStringLiteral("INSERT INTO content01 (firstCatalog, value01, value02, value03) "
                                    "VALUES (?, ?, ?, ?)"),
                     {QStringLiteral("新闻动态"), news[i], dates[i], news[i]});
    sitedb::close();
}

void pause(int ms) {
    QTest::qWait(ms);
}

// Saves the screen's rectangle `r` as `name`.
void shoot(const QString& name, const QRect& r) {
    pause(300);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(),
                                                                     r.height());
    if (shot.save(g_out + name, "PNG", 9))
        g_taken << name;
    else
        say(QStringLiteral("cannot write ") + g_out + name);
}

QTreeWidgetItem* item(QTreeWidget* tree, const QString& text) {
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->text(0) == text)
            return *it;
    }
    return nullptr;
}

void clickItem(QTreeWidget* tree, const QString& text) {
    QTreeWidgetItem* i = item(tree, text);
    if (!i) {
        say(QStringLiteral("no node ") + text);
        return;
    }
    tree->scrollToItem(i);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(i).center());
}

QTreeWidget* treeOf(MDIFrm& frm, const QString& window, const char* name) {
    QWidget* w = frm.workWindow(window);
    return w ? w->findChild<QTreeWidget*>(QLatin1String(name)) : nullptr;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 2) {
        say(QStringLiteral("usage: orvane-helpshots OUTPUT-FOLDER"));
        return 2;
    }
    g_out = workspace::withSeparator(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    QDir().mkpath(g_out);

    TempInstall inst;
    if (!inst.openSite()) {
        say(QStringLiteral("cannot prepare the sample installation"));
        return 1;
    }
    seed();

    auto* frm = new MDIFrm;
    frm->setAttribute(Qt::WA_DeleteOnClose, false);
    if (!frm->load(nullptr, inst.currentPath()))
        return 1;
    frm->move(0, 0);
    frm->resize(1024, 700);
    pause(2500);
    const QRect frame = frm->frameGeometry();

    // The designer with its tree, a news page's format shown.
    frm->showWorkWindow(QStringLiteral("designFrm"));
    QTreeWidget* design = treeOf(*frm, QStringLiteral("designFrm"), "tvw_nav");
    if (design) {
        design->expandAll();
        clickItem(design, QStringLiteral("新闻动态"));
        pause(1500);
    }
    shoot(QStringLiteral("designFrm.png"), frame);

    // The View menu, opened from the menu bar.
    QMenuBar* bar = frm->xMenu1;
    QMenu* view = frm->findChild<QMenu*>(QStringLiteral("mnuView"));
    if (bar && view) {
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(view->menuAction()).center());
        pause(700);
        shoot(QStringLiteral("main_menu.png"), QRect(frame.topLeft(), QSize(520, 260)));
        view->hide();
        pause(300);
    }

    // The add-file dialog over the designer.
    if (auto* d = qobject_cast<designFrm*>(frm->workWindow(QStringLiteral("designFrm")))) {
        clickItem(design, QStringLiteral("产品中心"));
        pause(500);
        auto* dlg = new dgnFrm_addFile(d, frm);
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        dlg->show();
        dlg->move(frame.center() - dlg->rect().center());
        dlg->txt_Name->setText(QStringLiteral("企业动态"));
        pause(1500);
        shoot(QStringLiteral("dgn_addFile.png"), dlg->frameGeometry());
        dlg->close();
    }

    // The content window: a text page in place, then a news list.
    frm->showWorkWindow(QStringLiteral("insDataFrm"));
    pause(800);
    if (QTreeWidget* content = treeOf(*frm, QStringLiteral("insDataFrm"), "tvw_nav")) {
        content->expandAll();
        clickItem(content, QStringLiteral("公司简介"));
        pause(1500);
        shoot(QStringLiteral("insDataFrm_txt.png"), frame);
        clickItem(content, QStringLiteral("新闻动态"));
        pause(2000);
        shoot(QStringLiteral("insDataFrm_news.png"), frame);
    }

    // The windows with nothing to prepare, those the frame has.
    frm->showWorkWindow(QStringLiteral("updataFrm"));
    pause(800);
    shoot(QStringLiteral("updataFrm.png"), frame);
    for (const QString& name : {QStringLiteral("infoFrm"), QStringLiteral("sltTmplFrm")}) {
        if (!MDIFrm::workWindowNames().contains(name))
            continue;
        frm->showWorkWindow(name);
        pause(2000);
        shoot(name + QStringLiteral(".png"), frame);
    }

    // The guide on its welcome page.
    frm->showWorkWindow(QStringLiteral("guidFrm"));
    pause(2000);
    shoot(QStringLiteral("guidFrm.png"), frame);

    // The about window.
    aboutFrm* about = aboutFrm::instance();
    about->show();
    about->move(frame.center() - about->rect().center());
    about->raise();
    about->activateWindow();
    pause(800);
    shoot(QStringLiteral("aboutFrm.png"), about->frameGeometry());
    about->close();

    say(QStringLiteral("wrote %1 into %2").arg(g_taken.join(u' '), g_out));
    frm->hide();
    sitedb::close();
    return 0;
}
