#include "../designer/designerDriver.h"
#include "appearance/mdl_custom.h"
#include "appearance/sltTmplFrm.h"
#include "appearance/sltTmplFrm_effects.h"
#include "appearance/sltTmplFrm_fontDlg.h"
#include "appearance/sltTmplFrm_tmplDlg.h"
#include "appearance/sltTmplFrm_views.h"
#include "appearance/tmpl.h"
#include "common/workWindow.h"
#include "common/workspace.h"
#include "fixture.h"
#include "typing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

using mdl_dgnFrm::twips;
using mdl_sltTmpl::gridPixels;
using mdl_sltTmpl::Page;

Q_DECLARE_METATYPE(Page)

class TestSltTmplFrm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void templateCatalogue_data();
    void templateCatalogue();
    void previewShowsItsOwnCatalogue();
    void nameStyle_data();
    void nameStyle();
    void featureQuestions_data();
    void featureQuestions();
    void storedChoicesShowAgain();
    void customPagesAskBeforeGoing();
    void tilesShowCodeAndTitle();
    void previewsKeepToTheScreen_data();
    void previewsKeepToTheScreen();
    void tabLeavesThePopUpContent();

private:
    // A picture in the installation, of some colour.
    void picture(const QString& relative, int hue) {
        m_install->write(relative, {});
        QImage img(150, 100, QImage::Format_RGB32);
        img.fill(QColor::fromHsv(hue, 200, 220));
        QVERIFY(img.save(m_install->currentPath() + relative, "PNG"));
    }

    TempInstall* m_install = nullptr;
    ScriptedUi* m_ui = nullptr;
};

void TestSltTmplFrm::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    m_ui = new ScriptedUi;
    // Catalogues of their own: seven company templates and two government ones on both
    // sides, four name styles, every picture in place but one preview.
    for (const char* table : {"defaultTmpl", "headTmpl", "font"})
        QVERIFY(sitedb::exec(QStringLiteral("DELETE FROM ") + table));
    for (int i = 1; i <= 9; ++i) {
        const QString code = QStringLiteral("tmp%1").arg(i, 2, 10, QLatin1Char('0'));
        const QString type = i <= 7 ? QStringLiteral("企业") : QStringLiteral("政府机关");
        for (const char* table : {"defaultTmpl", "headTmpl"})
            QVERIFY(sitedb::exec(QStringLiteral("INSERT INTO ") + table +
                                     "(tmplType, tmplName) VALUES(?, ?)",
                                 QVariantList{type, QString(code + "a.gif")}));
        picture("template/" + code + "a.gif", i * 30);
        if (i != 9)
            picture("template/" + code + ".jpg", i * 30);
    }
    for (int i = 1; i <= 4; ++i) {
        QVERIFY(sitedb::exec("INSERT INTO font(font) VALUES(?)", {QStringLiteral("f%1.gif").arg(i)}));
        picture(QStringLiteral("fonts/f%1.gif").arg(i), i * 60);
    }
}

void TestSltTmplFrm::cleanup() {
    delete m_ui;
    delete m_install;
}

void TestSltTmplFrm::templateCatalogue_data() {
    QTest::addColumn<Page>("page");
    QTest::addColumn<QString>("action"); // "ok", "double-click N", "category"
    QTest::addColumn<QString>("stored");
    QTest::newRow("OK at once stores the first") << Page::Home << "ok" << "tmp01a.gif";
    QTest::newRow("double-click") << Page::Inner << "double-click 4" << "tmp05a.gif";
    QTest::newRow("another category after scrolling") << Page::Home << "category" << "tmp08a.gif";
}

void TestSltTmplFrm::templateCatalogue() {
    QFETCH(Page, page);
    QFETCH(QString, action);
    QFETCH(QString, stored);
    sltTmplFrm frm;
    std::unique_ptr<sltTmplFrm_tmplDlg> dlg;
    if (page == Page::Home)
        dlg = std::make_unique<sltTmplFrm_defaultTmpl>(&frm);
    else
        dlg = std::make_unique<sltTmplFrm_headTmpl>(&frm);
    QVERIFY(dlg->Form_Load());
    QCOMPARE(dlg->lst_type->count(), 2);
    QCOMPARE(dlg->lst_type->currentItem()->text(), QStringLiteral("企业"));
    // Seven templates: rows of three, three and one, the first selected.
    QCOMPARE(dlg->tmpl1.size(), 7);
    QCOMPARE(dlg->tmpl1[6]->pos(), QPoint(gridPixels(250), gridPixels(3360)));
    QCOMPARE(dlg->tmpl1[5]->pos(), QPoint(gridPixels(5250), gridPixels(1680)));
    QCOMPARE(dlg->scrlVer->maximum(), mdl_sltTmpl::tileScrollMax(7, 3 * 1680));
    QCOMPARE(dlg->tmpl1[0]->selected(), 1);
    QCOMPARE(dlg->tmpl1[0]->optTmpl->text(), QStringLiteral("tmp01a"));
    QVERIFY(!dlg->tmpl1[0]->imgTmpl->pixmap().isNull());

    if (action == u"category") {
        dlg->scrlVer->setValue(dlg->scrlVer->maximum());
        QVERIFY(dlg->tmpl1[0]->y() < 0);
        dlg->lst_type->setCurrentRow(1 - dlg->lst_type->currentRow());
        QCOMPARE(dlg->tmpl1.size(), 2);
        QCOMPARE(dlg->tmpl1[0]->y(), 0);
        QCOMPARE(dlg->scrlVer->value(), 0);
    }
    if (action.startsWith("double-click")) {
        const int i = action.section(' ', 1).toInt();
        QTest::mouseDClick(dlg->tmpl1[i]->imgTmpl, Qt::LeftButton);
    } else {
        QTest::mouseClick(dlg->OKButton, Qt::LeftButton);
    }
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(sitedb::userInfo(mdl_sltTmpl::templateTable(page)), stored);
    QLabel* shown = page == Page::Home ? frm.imgDefaultTmpl : frm.imgHeadTmpl;
    QLabel* code = page == Page::Home ? frm.lbl_defaultTmpl : frm.lbl_headTmpl;
    QVERIFY(!shown->pixmap().isNull());
    QCOMPARE(code->text(), stored.left(5));
    QVERIFY(m_ui->messages.isEmpty());
}

void TestSltTmplFrm::previewShowsItsOwnCatalogue() {
    sltTmplFrm frm;
    sltTmplFrm_defaultTmpl home(&frm);
    sltTmplFrm_headTmpl inner(&frm);
    QVERIFY(home.Form_Load() && inner.Form_Load());
    home.tmpl1_click(2);
    inner.tmpl1_click(1);
    for (auto [dlg, code] : {std::pair<sltTmplFrm_tmplDlg*, const char*>{&home, "tmp03.jpg"},
                             {&inner, "tmp02.jpg"}, {&home, "tmp03.jpg"}}) {
        sltTmplFrm_viewTmpl view(dlg);
        QCOMPARE(view.Timer1->interval(), 50);
        QTRY_VERIFY(!view.writtenHtml().isEmpty());
        QVERIFY2(view.writtenHtml().contains(QLatin1String("template/") + code),
                 qPrintable(view.writtenHtml()));
        QVERIFY(!view.Timer1->isActive());
    }
    // A template without its preview says so instead of showing a broken picture.
    inner.lst_type->setCurrentRow(1 - inner.lst_type->currentRow());
    inner.tmpl1_click(1);
    sltTmplFrm_viewTmpl view(&inner);
    QTRY_VERIFY(view.writtenHtml().contains(QStringLiteral("没有这个模板的预览图片。")));
}

void TestSltTmplFrm::nameStyle_data() {
    QTest::addColumn<Page>("page");
    QTest::newRow("home page") << Page::Home;
    QTest::newRow("inner pages") << Page::Inner;
}

void TestSltTmplFrm::nameStyle() {
    QFETCH(Page, page);
    sltTmplFrm frm;
    std::unique_ptr<sltTmplFrm_fontDlg> dlg;
    if (page == Page::Home)
        dlg = std::make_unique<sltTmplFrm_defaultFont>(&frm);
    else
        dlg = std::make_unique<sltTmplFrm_headFont>(&frm);
    dlg->resize(dlg->sizeHint());
    dlg->Form_Load();
    QCOMPARE(dlg->img.size(), 4);
    // The samples 100 units apart.
    QCOMPARE(dlg->img[1]->y() - (dlg->img[0]->y() + dlg->img[0]->height()), twips(100));
    QTest::mouseClick(dlg->OKButton, Qt::LeftButton);
    verifyLastMessage(*m_ui, "请选择一种字体！", "提示", QMessageBox::Information);
    QCOMPARE(dlg->result(), 0);
    QTest::mouseDClick(dlg->img[2], Qt::LeftButton);
    QCOMPARE(dlg->result(), int(QDialog::Accepted));
    QCOMPARE(sitedb::userInfo(mdl_sltTmpl::fontColumn(page)), QStringLiteral("f3.gif"));
    QVERIFY(!(page == Page::Home ? frm.imgDefault : frm.imgHead)->pixmap().isNull());
}

void TestSltTmplFrm::featureQuestions_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("stored");  // before
    QTest::addColumn<bool>("answerOk");
    QTest::addColumn<bool>("editorOk");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("checked");
    QTest::newRow("pop-up cancelled") << 2 << "1||300||200||0||0||t||c" << false << false << "0"
                                      << false;
    QTest::newRow("pop-up edited") << 2 << "0" << true << true << "1||300||200||0||0||O'Neil||"
                                   << true;
    QTest::newRow("pop-up editor closed unstored") << 2 << "0" << true << false << "0" << false;
    QTest::newRow("script edited") << 3 << "0" << true << true << "1||10.asp||欢迎光临" << true;
    QTest::newRow("script cancelled") << 3 << "1||01.asp||" << false << false << "0" << false;
}

void TestSltTmplFrm::featureQuestions() {
    QFETCH(int, index);
    QFETCH(QString, stored);
    QFETCH(bool, answerOk);
    QFETCH(bool, editorOk);
    QFETCH(QString, after);
    QFETCH(bool, checked);
    const QString column = index == 2 ? "adBoard" : "javascript";
    QVERIFY(sitedb::setUserInfo(column, stored));
    sltTmplFrm frm;
    frm.show();
    m_ui->answers.enqueue(answerOk ? QMessageBox::Ok : QMessageBox::Cancel);
    if (!answerOk) {
        // No editor opens.
    } else if (index == 2) {
        onModal<sltTmplFrm_adBoardFrm>([editorOk](sltTmplFrm_adBoardFrm* ed) {
            ed->txt_width->clear();
            ed->txt_height->clear();
            typeText(ed->txt_title, "O'Neil");
            QTest::mouseClick(editorOk ? ed->cmd_ok : ed->cmd_cancel, Qt::LeftButton);
        });
    } else {
        onModal<sltTmplFrm_javaScrpt>([editorOk](sltTmplFrm_javaScrpt* ed) {
            ed->cmb_javaScript->setCurrentIndex(10);
            ed->txt_javascript->clear();
            typeText(ed->txt_javascript, "欢迎光临");
            QTest::mouseClick(editorOk ? ed->OKButton : ed->CancelButton, Qt::LeftButton);
        });
    }
    QCheckBox* box = frm.chk_pertain[index];
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    QVERIFY(!m_ui->messages.isEmpty());
    const QString name = index == 2 ? "“弹出窗口”" : "“JavaScript脚本效果”";
    QCOMPARE(m_ui->messages.front().text,
             "若要取消" + name + "功能，单击“取消”按钮；\n\n若要对" + name +
                 "的内容进行编辑修改，请单击“确定”按钮。");
    QCOMPARE(sitedb::userInfo(column), after);
    QCOMPARE(frm.chk_pertain[index]->isChecked(), checked);
    // Switching a feature on needs the provider's approval, and says so.
    QCOMPARE(frm.statusText().isEmpty(), mdl_sltTmpl::flagOf(stored));
}

void TestSltTmplFrm::storedChoicesShowAgain() {
    picture("userImages/bg.jpg", 10);
    const QList<std::pair<QString, QString>> stored = {
        {"defaultTmpl", "tmp03a.gif"}, {"headTmpl", "tmp08a.gif"}, {"defaultFont", "f2.gif"},
        {"backGround", "bg.jpg"},      {"defaultFile", "Default.HTM"},
        {"topHead", "topHeadSelf.swf"}, {"field01", "||a.htm||b.MHT"}, {"field04", "1"},
        {"javascript", "1||10.asp||x"}};
    for (const auto& [column, value] : stored)
        QVERIFY(sitedb::setUserInfo(column, value));
    sltTmplFrm frm;
    QCOMPARE(frm.lbl_defaultTmpl->text(), QStringLiteral("tmp03"));
    QCOMPARE(frm.lbl_headTmpl->text(), QStringLiteral("tmp08"));
    QVERIFY(!frm.imgDefault->pixmap().isNull());
    QCOMPARE(frm.lbl_bg->text(), QStringLiteral("bg.jpg"));
    QVERIFY(!frm.img_bg->pixmap().isNull());
    // The custom home page takes the place of the template and the name style.
    QVERIFY(frm.chk_default->isChecked());
    QCOMPARE(frm.txt_default->text(), QStringLiteral("Default.HTM"));
    QVERIFY(!frm.Frame1->isEnabled() && !frm.Frame3->isEnabled() && frm.cmd_viewDefault->isEnabled());
    // The header only the inner-page name style.
    QVERIFY(frm.chk_head->isChecked());
    QCOMPARE(frm.txt_head->text(), QStringLiteral("topHeadSelf.swf"));
    QVERIFY(!frm.Frame4->isEnabled() && frm.Frame2->isEnabled() && frm.cmd_viewHead->isEnabled());
    QCOMPARE(frm.cmb_other->count(), 2);
    QCOMPARE(frm.cmb_other->currentText(), QStringLiteral("a.htm"));
    QVERIFY(frm.cmd_other->isEnabled());
    QList<bool> pertain;
    for (QCheckBox* box : frm.chk_pertain)
        pertain << box->isChecked();
    QCOMPARE(pertain, (QList<bool>{false, false, false, true, true, false}));
    QVERIFY(m_ui->messages.isEmpty());
    // The previews of files that are not there say so.
    sltTmplFrm_view home;
    QVERIFY(!home.Form_Load());
    verifyLastMessage(*m_ui, "首页文件不存在！", "提示", QMessageBox::Information);
    sltTmplFrm_viewHead head;
    QVERIFY(!head.Form_Load());
    verifyLastMessage(*m_ui, "内页头文件不存在！", "提示", QMessageBox::Information);
    m_install->write("userImages/topHeadSelf.swf", "FWS");
    QVERIFY(head.Form_Load());
    QVERIFY(head.writtenHtml().contains("width=760 height=130"));
}

void TestSltTmplFrm::customPagesAskBeforeGoing() {
    m_install->write("pages/a.htm", "a");
    m_install->write("pages/images/p.gif", "p");
    QVERIFY(mdl_custom::setPages(m_install->currentPath() + "pages").notice.ok());
    sltTmplFrm frm;
    QVERIFY(frm.chk_other->isChecked());
    m_ui->answers.enqueue(QMessageBox::Cancel);
    frm.chk_other->setChecked(false);
    verifyLastMessage(*m_ui, "确实要取消确实要取消其他网页的设置吗？", "提示", QMessageBox::Question);
    QVERIFY(frm.chk_other->isChecked());
    QCOMPARE(sitedb::userInfo("field01"), QStringLiteral("||a.htm"));
    m_ui->answers.enqueue(QMessageBox::Ok);
    frm.chk_other->setChecked(false);
    QCOMPARE(sitedb::userInfo("field01"), QString());
    QCOMPARE(frm.cmb_other->count(), 0);
    QVERIFY(!frm.cmd_other->isEnabled());
    QVERIFY(!QFile::exists(workspace::currImgPath() + "a.htm"));
    // Cancelling the home page's file dialog is the one message.
    frm.chk_default->setChecked(true);
    QTest::mouseClick(frm.cmd_sltDefault, Qt::LeftButton);
    verifyLastMessage(*m_ui, "没有选择首页存放路径！", "警告", QMessageBox::Critical);
}

void TestSltTmplFrm::tilesShowCodeAndTitle() {
    // The catalogue of skins gives the templates their titles; one it does not list has none.
    const QString longTitle = QString(30, QChar(0x957f));
    m_install->write(
        "skins/catalogue.json",
        QStringLiteral("{\"templates\": [{\"code\": \"tmp01\", \"title\": \"蓝色经典\"},"
                       "{\"code\": \"tmp02\", \"title\": \"%1\"}]}")
            .arg(longTitle)
            .toUtf8());
    sltTmplFrm frm;
    sltTmplFrm_defaultTmpl dlg(&frm);
    QVERIFY(dlg.Form_Load());
    dlg.show();
    const QList<std::pair<int, QString>> titles = {{0, "蓝色经典"}, {1, longTitle}, {2, ""}};
    for (const auto& [i, title] : titles) {
        tmpl* tile = dlg.tmpl1[i];
        QCOMPARE(tile->optTmpl->text(), mdl_sltTmpl::templateCaption(tile->value()));
        QCOMPARE(tile->lbl_title->toolTip(), title);
        if (title.size() < 10)
            QCOMPARE(tile->lbl_title->text(), title);
        // Under the code, inside the tile, readable whole or shortened.
        QVERIFY(tile->lbl_title->y() >= tile->optTmpl->geometry().bottom());
        QVERIFY(tile->rect().contains(tile->lbl_title->geometry()));
        QVERIFY(tile->lbl_title->fontMetrics().horizontalAdvance(tile->lbl_title->text()) <=
                tile->lbl_title->width());
        QVERIFY(tile->optTmpl->fontMetrics().height() <= tile->optTmpl->height());
    }
    // A row of tiles stays clear of the next.
    QVERIFY(dlg.tmpl1[0]->geometry().bottom() < dlg.tmpl1[3]->y());
    QVERIFY(dlg.tmpl1[0]->geometry().right() < dlg.tmpl1[1]->x());
}

void TestSltTmplFrm::previewsKeepToTheScreen_data() {
    QTest::addColumn<QString>("preview");
    QTest::newRow("浏览模板") << "template";
    QTest::newRow("查看首页") << "home";
}

void TestSltTmplFrm::previewsKeepToTheScreen() {
    QFETCH(QString, preview);
    sltTmplFrm frm;
    sltTmplFrm_defaultTmpl catalogue(&frm);
    QVERIFY(catalogue.Form_Load());
    std::unique_ptr<QDialog> dlg;
    QPushButton* close = nullptr;
    if (preview == u"template") {
        auto* view = new sltTmplFrm_viewTmpl(&catalogue);
        close = view->CancelButton;
        dlg.reset(view);
    } else {
        m_install->write("userImages/Default.htm", "<html><body>首页</body></html>");
        QVERIFY(sitedb::setUserInfo("defaultFile", "Default.htm"));
        auto* view = new sltTmplFrm_view(&frm);
        QVERIFY(view->Form_Load());
        close = view->CancelButton;
        dlg.reset(view);
    }
    dlg->show();
    QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
    // The whole window, its frame and title bar included, fits the screen's free area,
    // and its button shows inside it.
    const QRect free = dlg->screen()->availableGeometry();
    QVERIFY2(dlg->width() + 40 <= free.width() && dlg->height() + 80 <= free.height(),
             qPrintable(QStringLiteral("%1×%2 on %3×%4")
                            .arg(dlg->width())
                            .arg(dlg->height())
                            .arg(free.width())
                            .arg(free.height())));
    QVERIFY(close->isVisible());
    QVERIFY(dlg->rect().contains(QRect(close->mapTo(dlg.get(), QPoint(0, 0)), close->size())));
}

void TestSltTmplFrm::tabLeavesThePopUpContent() {
    sltTmplFrm_adBoardFrm editor;
    editor.show();
    editor.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&editor));
    editor.txt_content->setFocus();
    QTRY_VERIFY(editor.txt_content->hasFocus());
    QTest::keyClicks(editor.txt_content, QStringLiteral("Welcome"));
    QTest::keyClick(editor.txt_content, Qt::Key_Tab);
    QCOMPARE(editor.txt_content->toPlainText(), QStringLiteral("Welcome"));
    QVERIFY(!editor.txt_content->hasFocus());
}

QTEST_MAIN(TestSltTmplFrm)
#include "tst_sltTmplFrm.moc"
