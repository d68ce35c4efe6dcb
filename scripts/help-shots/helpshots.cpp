// Takes the screenshots of the help pages: the real main frame and its windows on a
// throw-away copy of the built installation (the tests' own), filled with a small sample
// site, on the X display in DISPLAY. Run by scripts/make-help-shots.sh; writes PNG files into the folder given.

#include "app/MDIFrm.h"
#include "appearance/sltTmplFrm.h"
#include "appearance/sltTmplFrm_effects.h"
#include "appearance/sltTmplFrm_fontDlg.h"
#include "appearance/sltTmplFrm_tmplDlg.h"
#include "fixture.h"
#include "chrome/aboutFrm.h"
#include "common/mdl_func.h"
#include "common/workspace.h"
#include "content/insDataFrm_imgs.h"
#include "content/insDataFrm_prod.h"
#include "content/insDatafrm_news.h"
#include "content/mdl_entry.h"
#include "content/mdl_ins.h"
#include "designer/catalogTree.h"
#include "designer/designFrm.h"
#include "designer/dgnFrm_addFile.h"
#include "designer/mdl_nov.h"
#include "server/updataFrm.h"
#include "sitedb/sitedb.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
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

// A sample picture of `size`, sky over hills with `text` across it, saved as `name` in
// the working folder.
void samplePicture(const QString& name, QSize size, const QString& text, QColor sky,
                   QColor land) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, sky.lighter(150));
    g.setColorAt(1, sky);
    p.fillRect(image.rect(), g);
    QPainterPath hills;
    const int w = size.width(), h = size.height();
    hills.moveTo(0, h * 0.7);
    hills.cubicTo(w * 0.25, h * 0.5, w * 0.45, h * 0.85, w * 0.7, h * 0.62);
    hills.cubicTo(w * 0.85, h * 0.52, w * 0.95, h * 0.6, w, h * 0.58);
    hills.lineTo(w, h);
    hills.lineTo(0, h);
    p.fillPath(hills, land);
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(h / 9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, h / 8, w, h / 3), Qt::AlignCenter, text);
    p.end();
    image.save(workspace::currImgPath() + name, "JPG", 90);
}

// The organisation's logo: its initials in a ring.
void sampleLogo(const QString& name) {
    QImage image(QSize(160, 160), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1f, 0x5f, 0xa8), 10));
    p.setBrush(QColor(0xe8, 0xf0, 0xfa));
    p.drawEllipse(QRectF(12, 12, 136, 136));
    QFont f(QStringLiteral("WenQuanYi Micro Hei"));
    f.setPixelSize(46);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x1f, 0x5f, 0xa8));
    p.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("奥凡"));
    p.end();
    image.save(workspace::currImgPath() + name, "JPG", 92);
}

// The first value of `column` in `table`, in the order the table returns them.
QString firstOf(const QString& table, const QString& column) {
    return sitedb::query(QStringLiteral("SELECT %1 FROM %2").arg(column, table))
        .first()
        .text(column);
}

// The organisation, its site's look and its features.
void seedOrganisation() {
    const QList<std::pair<const char*, QString>> info{
        {"dalm_name", QStringLiteral("杭州奥凡科技有限公司")},
        {"Address", QStringLiteral("浙江省杭州市西湖区文三路 88 号")},
        {"linkMan", QStringLiteral("王晓明")},
        {"Tel", QStringLiteral("0571-88886666")},
        {"Mobile", QStringLiteral("13900001234")},
        {"Fax", QStringLiteral("0571-88886667")},
        {"Zip", QStringLiteral("310012")},
        {"Email", QStringLiteral("service@aofan.example")},
        {"logo", QStringLiteral("logo.jpg")},
    };
    for (const auto& [column, value] : info)
        sitedb::setUserInfo(QLatin1String(column), value);
    sampleLogo(QStringLiteral("logo.jpg"));

    sitedb::setUserInfo(QStringLiteral("defaultTmpl"), firstOf(QStringLiteral("defaultTmpl"),
                                                               QStringLiteral("tmplName")));
    sitedb::setUserInfo(QStringLiteral("headTmpl"),
                        firstOf(QStringLiteral("headTmpl"), QStringLiteral("tmplName")));
    const QString font = firstOf(QStringLiteral("font"), QStringLiteral("font"));
    sitedb::setUserInfo(QStringLiteral("defaultFont"), font);
    sitedb::setUserInfo(QStringLiteral("headFont"), font);
    const QString background = QStringLiteral("0005.JPG");
    QFile::copy(workspace::currentPath() + QStringLiteral("backGround/") + background,
                workspace::currImgPath() + background);
    sitedb::setUserInfo(QStringLiteral("backGround"), background);
    sitedb::setUserInfo(QStringLiteral("field04"), QStringLiteral("1"));
    sitedb::setUserInfo(QStringLiteral("javascript"),
                        QStringLiteral("1||06.asp||欢迎光临奥凡科技！"));
    sitedb::setUserInfo(
        QStringLiteral("adBoard"),
        QStringLiteral("1||360||240||120||200||新版网站开通||") +
            mdl_func::encode(QStringLiteral("奥凡科技新版网站正式开通，欢迎来访！\n"
                                            "即日起在线留言的客户可获赠精美礼品一份。")));
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
    mdl_nov::addNode(Level::First, QStringLiteral("产品中心"), QStringLiteral("产品图片"), false,
                     QStringLiteral("imgs"));
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
    // Oldest first: the list shows the newest on top.
    for (int i = news.size() - 1; i >= 0; --i)
        sitedb::exec(QStringLiteral("INSERT INTO content01 (firstCatalog, value01, value02, value03) "
                                    "VALUES (?, ?, ?, ?)"),
                     {QStringLiteral("新闻动态"), news[i], dates[i], news[i]});
    seedOrganisation();
    sitedb::close();
}

// The sample records of the entry dialogs, on the nodes of the content window's tree: a
// news item with its picture, a gallery picture, a product.
struct Records {
    entryDialog::Target news, gallery, product;
};

Records seedRecords(QTreeWidget* tree) {
    Records r;
    const auto target = [tree](const QString& text) {
        entryDialog::Target t;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if ((*it)->text(0) == text)
                t = {catalogTree::key(*it), text, 0};
        }
        return t;
    };
    r.news = target(QStringLiteral("新闻动态"));
    samplePicture(QStringLiteral("opening.jpg"), {480, 320}, QStringLiteral("新版网站开通"),
                  QColor(0x3a, 0x7b, 0xd5), QColor(0x4f, 0x9a, 0x4a));
    // The newest item of the list gets its body and picture.
    const QString title = QStringLiteral("新版网站正式开通");
    r.news.id = sitedb::query(QStringLiteral("SELECT ID FROM content01 WHERE value01 = ?"), {title})
                    .first()
                    .text(QStringLiteral("ID"))
                    .toLongLong();
    mdl_entry::News item{title, QStringLiteral("2006-09-28"),
                         QStringLiteral("经过两个月的筹备，奥凡科技新版网站今天正式开通。\n"
                                        "新网站增加了产品中心和在线留言，欢迎各位客户访问。"),
                         QStringLiteral("opening.jpg")};
    mdl_entry::modifyNews(r.news.nodeKey, r.news.id, item);

    r.gallery = target(QStringLiteral("产品图片"));
    const QString photo = QStringLiteral("hall.jpg");
    const QSize photoSize(640, 420);
    samplePicture(photo, photoSize, QStringLiteral("奥凡展厅"), QColor(0xe0, 0x8a, 0x3c),
                  QColor(0x6d, 0x4c, 0x2e));
    const QImage full(workspace::currImgPath() + photo);
    const QString thumb = mdl_entry::thumbName(photo);
    QString why;
    mdl_entry::saveThumb(mdl_entry::thumbOf(full, photoSize), workspace::currImgPath() + thumb,
                         &why);
    r.gallery.id = mdl_entry::addGallery(r.gallery.nodeKey, r.gallery.nodeName,
                                         {QStringLiteral("公司展厅一角"), photo, thumb})
                       .id;

    r.product = target(QStringLiteral("办公软件"));
    samplePicture(QStringLiteral("suite.jpg"), {400, 300}, QStringLiteral("奥凡办公套件"),
                  QColor(0x5a, 0x4f, 0xb0), QColor(0x2f, 0x7f, 0x8f));
    mdl_entry::Product product{
        QStringLiteral("奥凡办公套件"), QStringLiteral("标准版"), QStringLiteral("套"),
        QStringLiteral("1280"), QStringLiteral("suite.jpg"),
        QStringLiteral("<p><b>奥凡办公套件</b>包括文字处理、电子表格和演示文稿三个程序。</p>"
                       "<p>适合中小企业日常办公，一次购买，终身免费升级。</p>")};
    r.product.id = mdl_entry::addProduct(r.product.nodeKey, r.product.nodeName, product).id;
    return r;
}

void pause(int ms) {
    QTest::qWait(ms);
}

// `body` under a title bar that shows `title`, as a window manager draws one; the virtual
// X server has none.
QPixmap withTitleBar(const QPixmap& body, const QString& title) {
    const int bar = 28;
    QPixmap framed(body.width() + 2, body.height() + bar + 1);
    framed.fill(QColor(0x5a, 0x6e, 0x8c));
    QPainter p(&framed);
    QLinearGradient g(0, 0, 0, bar);
    g.setColorAt(0, QColor(0x6f, 0x8f, 0xbf));
    g.setColorAt(1, QColor(0x4a, 0x6a, 0x9a));
    p.fillRect(QRect(0, 0, framed.width(), bar), g);
    QFont f = QApplication::font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(10, 0, framed.width() - 50, bar), Qt::AlignVCenter | Qt::AlignLeft, title);
    p.drawText(QRect(framed.width() - 30, 0, 24, bar), Qt::AlignCenter, QStringLiteral("✕"));
    p.drawPixmap(1, bar, body);
    return framed;
}

// Saves the screen's rectangle `r` as `name`; with a title bar when `title` is given.
void shoot(const QString& name, const QRect& r, const QString& title = {}) {
    pause(300);
    QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(),
                                                               r.height());
    if (!title.isEmpty())
        shot = withTitleBar(shot, title);
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

// Shows `dlg` without modality in the middle of the frame, lets it settle and shoots it.
void shootDialog(QDialog* dlg, const QRect& frame, const QString& name, int settle = 1200) {
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    dlg->show();
    dlg->move(frame.center() - dlg->rect().center());
    dlg->raise();
    dlg->activateWindow();
    pause(settle);
    shoot(name, dlg->frameGeometry(), dlg->windowTitle());
    dlg->close();
    pause(200);
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
        shoot(QStringLiteral("dgn_addFile.png"), dlg->frameGeometry(), dlg->windowTitle());
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
        frm->showWorkWindow(name);
        pause(2000);
        shoot(name + QStringLiteral(".png"), frame);
    }

    // The appearance window's dialogs: a template catalogue, a name style, the pop-up.
    if (auto* appearance = qobject_cast<sltTmplFrm*>(frm->workWindow(QStringLiteral("sltTmplFrm")))) {
        auto* catalogue = new sltTmplFrm_defaultTmpl(appearance, frm);
        if (catalogue->Form_Load()) {
            if (catalogue->tmpl1.size() > 1)
                catalogue->tmpl1_click(1);
            shootDialog(catalogue, frame, QStringLiteral("sltTmplFrm_defaultTmpl.png"), 2000);
        } else {
            delete catalogue;
        }
        auto* style = new sltTmplFrm_defaultFont(appearance, frm);
        style->Form_Load();
        if (style->img.size() > 2)
            style->img_Click(2);
        shootDialog(style, frame, QStringLiteral("sltTmplFrm_defaultFont.png"));
        auto* popup = new sltTmplFrm_adBoardFrm(frm);
        popup->Form_Load();
        shootDialog(popup, frame, QStringLiteral("sltTmplFrm_adBoardFrm.png"));
        auto* script = new sltTmplFrm_javaScrpt(frm);
        script->Form_Load();
        shootDialog(script, frame, QStringLiteral("sltTmplFrm_javaScrpt.png"));
    }

    // The entry dialogs of the content window, each on a record of its own.
    frm->showWorkWindow(QStringLiteral("insDataFrm"));
    pause(500);
    if (QTreeWidget* content = treeOf(*frm, QStringLiteral("insDataFrm"), "tvw_nav")) {
        const Records r = seedRecords(content);
        shootDialog(new insDataFrm_newsMod(r.news, frm), frame,
                    QStringLiteral("insDataFrm_newsMod.png"));
        shootDialog(new insDataFrm_imgsMod(r.gallery, frm), frame,
                    QStringLiteral("insDataFrm_imgsMod.png"));
        shootDialog(new insDataFrm_prodMod(r.product, frm), frame,
                    QStringLiteral("insDataFrm_prodMod.png"), 3500);
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
