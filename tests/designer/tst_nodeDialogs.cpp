#include "designer/designFrm.h"
#include "designer/dgnFrm_addCat.h"
#include "designer/dgnFrm_addFile.h"
#include "designer/dgnFrm_modFile.h"
#include "designer/disModel.h"
#include "designer/mdl_dgnFrm.h"
#include "designerDriver.h"
#include "fixture.h"
#include "scriptedUi.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QWheelEvent>
#include <QtTest/qtestspontaneevent.h>

using mdl_dgnFrm::twips;

class TestNodeDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void pickerStartsWithTheGeneralFormats();
    void productBoxSwitchesTheTiles();
    void exactlyOneTileIsSelected_data();
    void exactlyOneTileIsSelected();
    void scrollingMovesTheTiles();
    void theWheelScrollsThePicker_data();
    void theWheelScrollsThePicker();
    void tileWithoutItsPictureStillWorks();
    void productLists();
    void emptyProductListsStayQuiet();
    void addFolderRefusals_data();
    void addFolderRefusals();
    void addFileRefusals_data();
    void addFileRefusals();
    void addFolderBelowALevel1Folder();
    void failingStatementIsReported();

private:
    TempInstall* m_install = nullptr;
    ScriptedUi* m_ui = nullptr;
    designFrm* m_frm = nullptr;
};

void TestNodeDialogs::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    buildSampleSite();
    m_ui = new ScriptedUi;
    m_frm = new designFrm;
}

void TestNodeDialogs::cleanup() {
    delete m_frm;
    m_frm = nullptr;
    delete m_ui;
    m_ui = nullptr;
    delete m_install;
    m_install = nullptr;
}

static QStringList models(const dgnFrm_picker& dlg) {
    QStringList keys;
    for (const disModel* tile : dlg.disModelObj)
        keys << tile->model();
    return keys;
}

void TestNodeDialogs::pickerStartsWithTheGeneralFormats() {
    dgnFrm_addFile dlg(m_frm);
    QCOMPARE(dlg.windowTitle(), QStringLiteral("添加文件"));
    QCOMPARE(models(dlg), (QStringList{"txt", "news", "imgTxt01", "imgTxt02", "imgTxt03", "bigImg",
                                       "imgs", "adv"}));
    QCOMPARE(dlg.disModelObj[1]->caption(), QStringLiteral("新闻格式"));
    QCOMPARE(dlg.disModelObj[1]->picName(), m_install->currentPath() + "images/gen02.gif");
    QVERIFY(dlg.disModelObj[1]->img->pixmap().width() > 0);
    // The installation's hand cursor, not a stand-in.
    QCOMPARE(dlg.disModelObj[1]->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(dlg.selectedModel(), QStringLiteral("txt"));
    QVERIFY(!dlg.cmb_type->isEnabled());
    QVERIFY(!dlg.cmb_class->isEnabled());
    // Three to a row: 2420-twip tiles 180 twips apart from 300, rows 100 twips apart.
    const int top = dlg.disModelObj[0]->y();
    QCOMPARE(dlg.disModelObj[0]->x(), twips(300));
    QCOMPARE(dlg.disModelObj[1]->x(), twips(2900));
    QCOMPARE(dlg.disModelObj[2]->x(), twips(5500));
    QCOMPARE(dlg.disModelObj[3]->x(), twips(300));
    QCOMPARE(dlg.disModelObj[3]->y(), top + twips(2100));
    QCOMPARE(dlg.disModelObj[7]->y(), top + twips(4200));
    QCOMPARE(dlg.disModelObj[0]->y(), dlg.Line1->y() + twips(200));
    QVERIFY(dlg.vscrl->maximum() > 0);
    QVERIFY(m_ui->messages.isEmpty());
}

void TestNodeDialogs::productBoxSwitchesTheTiles() {
    dgnFrm_addFile dlg(m_frm);
    dlg.disModelObj_click(5);
    QTest::mouseClick(dlg.chk_prod, Qt::LeftButton);
    QCOMPARE(models(dlg), (QStringList{"prod01", "prod02", "prod03"}));
    QCOMPARE(dlg.disModelObj[0]->caption(), QStringLiteral("文本格式"));
    QCOMPARE(dlg.selectedModel(), QStringLiteral("prod01"));
    QVERIFY(dlg.cmb_type->isEnabled());
    QVERIFY(dlg.cmb_class->isEnabled());
    // One row fits: nothing to scroll.
    QCOMPARE(dlg.vscrl->maximum(), 0);
    QCOMPARE(dlg.findChildren<disModel*>().size(), 3);

    dlg.disModelObj_click(2);
    QTest::mouseClick(dlg.chk_prod, Qt::LeftButton);
    QCOMPARE(models(dlg).size(), 8);
    QCOMPARE(dlg.selectedModel(), QStringLiteral("txt"));
    QVERIFY(!dlg.cmb_type->isEnabled());
    QCOMPARE(dlg.findChildren<disModel*>().size(), 8);
}

void TestNodeDialogs::exactlyOneTileIsSelected_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("onPicture");
    QTest::newRow("picture of tile 4") << 4 << true;
    QTest::newRow("option of tile 7") << 7 << false;
    QTest::newRow("option of the selected tile") << 0 << false;
}

void TestNodeDialogs::exactlyOneTileIsSelected() {
    QFETCH(int, index);
    QFETCH(bool, onPicture);
    dgnFrm_modFile dlg(m_frm, m_frm->mNode);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    disModel* tile = dlg.disModelObj[index];
    QSignalSpy clicked(tile, &disModel::click);
    if (onPicture)
        QTest::mouseClick(tile->img, Qt::LeftButton);
    else
        QTest::mouseClick(tile->opt, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    for (int i = 0; i < dlg.disModelObj.size(); ++i) {
        QCOMPARE(dlg.disModelObj[i]->selected(), i == index);
        // The highlight shows behind the selected tile only.
        QCOMPARE(dlg.disModelObj[i]->lbl_bg->isVisible(), i == index);
    }
    QCOMPARE(dlg.selectedModel(), dlg.disModelObj[index]->model());
}

void TestNodeDialogs::scrollingMovesTheTiles() {
    dgnFrm_addFile dlg(m_frm);
    const int tileTop = dlg.disModelObj[7]->y();
    const int lineTop = dlg.Line1->y();
    const int labelTop = dlg.lbl_model->y();
    // The last row ends inside the panel when scrolled to the end.
    dlg.vscrl->setValue(dlg.vscrl->maximum());
    const int v = dlg.vscrl->value();
    QCOMPARE(dlg.disModelObj[7]->y(), tileTop - v);
    QCOMPARE(dlg.Line1->y(), lineTop - v);
    QCOMPARE(dlg.lbl_model->y(), labelTop - v);
    const int bottom = dlg.disModelObj[7]->y() + dlg.disModelObj[7]->height();
    QVERIFY(bottom <= dlg.Picture1->height());
    QVERIFY(bottom + twips(300) >= dlg.Picture1->height());
    // A new layout starts at the top again.
    QTest::mouseClick(dlg.chk_prod, Qt::LeftButton);
    QCOMPARE(dlg.vscrl->value(), 0);
    QCOMPARE(dlg.Line1->y(), lineTop);
}

void TestNodeDialogs::tileWithoutItsPictureStillWorks() {
    QFile::remove(m_install->currentPath() + "images/gen03.gif");
    dgnFrm_addFile dlg(m_frm);
    QVERIFY(dlg.disModelObj[2]->img->pixmap().isNull());
    QCOMPARE(dlg.disModelObj[2]->caption(), QStringLiteral("图文格式一"));
    dlg.disModelObj_click(2);
    QCOMPARE(dlg.selectedModel(), QStringLiteral("imgTxt01"));
    QVERIFY(m_ui->messages.isEmpty());
}

void TestNodeDialogs::productLists() {
    dgnFrm_addFile dlg(m_frm);
    QTest::mouseClick(dlg.chk_prod, Qt::LeftButton);
    QCOMPARE(dlg.cmb_type->count(), 8);
    QCOMPARE(dlg.cmb_type->currentText(), QStringLiteral("电子电工"));
    QCOMPARE(dlg.cmb_class->currentText(), QStringLiteral("手机通讯"));
    QCOMPARE(dlg.cmb_class->count(), 5);
    dlg.cmb_type->setCurrentIndex(3);
    dlg.cmb_type_Click();
    QCOMPARE(dlg.cmb_class->currentText(), QStringLiteral("茶叶"));
    QCOMPARE(dlg.cmb_class->count(), 5);
}

void TestNodeDialogs::emptyProductListsStayQuiet() {
    QVERIFY(sitedb::exec("DELETE FROM prodClass WHERE Type_ID = 1"));
    dgnFrm_addFile withoutClasses(m_frm);
    QTest::mouseClick(withoutClasses.chk_prod, Qt::LeftButton);
    QCOMPARE(withoutClasses.cmb_class->count(), 0);
    QVERIFY(sitedb::exec("DELETE FROM prodClass"));
    QVERIFY(sitedb::exec("DELETE FROM prodType"));
    dgnFrm_modFile dlg(m_frm, m_frm->mNode);
    QTest::mouseClick(dlg.chk_prod, Qt::LeftButton);
    QCOMPARE(dlg.cmb_type->count(), 0);
    QCOMPARE(dlg.cmb_class->count(), 0);
    QVERIFY(m_ui->messages.isEmpty());
}

void TestNodeDialogs::addFolderRefusals_data() {
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::newRow("a node's name") << "奥凡科技"
                                   << "手机"
                                   << "已存在重名，更改名称!"
                                   << "警告" << QMessageBox::Warning;
    QTest::newRow("the site's name") << "公司简介"
                                     << "奥凡科技"
                                     << "已存在重名，更改名称!"
                                     << "警告" << QMessageBox::Warning;
    QTest::newRow("empty") << "奥凡科技"
                           << ""
                           << "请输入目录名称！"
                           << "警告" << QMessageBox::Critical;
    // Reachable only when the commands were bypassed.
    QTest::newRow("below a file") << "新闻"
                                  << "子目录"
                                  << "不能在该节点下添加目录！"
                                  << "警告" << QMessageBox::Critical;
    QTest::newRow("below level 2") << "产品中心"
                                   << "子目录"
                                   << "不能在该节点下添加目录！"
                                   << "警告" << QMessageBox::Critical;
}

void TestNodeDialogs::addFolderRefusals() {
    QFETCH(QString, parent);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QMessageBox::Icon, icon);
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    m_frm->mNode = node(m_frm->tvw_nav, parent);
    const int nodes = catalogTree::allItems(m_frm->tvw_nav).size();
    dgnFrm_addCat dlg(m_frm);
    dlg.show();
    dlg.txt_Name->setText(name);
    QTest::mouseClick(dlg.cmd_cfm, Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 1);
    verifyLastMessage(*m_ui, message, title, icon);
    // Still open, the input kept, nothing written or added.
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.result(), 0);
    QCOMPARE(dlg.txt_Name->text(), name);
    QCOMPARE(catalogTree::allItems(m_frm->tvw_nav).size(), nodes);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(countRows("SELECT (SELECT COUNT(*) FROM firstCatalog) + "
                       "(SELECT COUNT(*) FROM secondCatalog) + "
                       "(SELECT COUNT(*) FROM thirdCatalog) AS n"),
             7);
}

void TestNodeDialogs::addFileRefusals_data() {
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QMessageBox::Icon>("icon");
    QTest::newRow("empty") << "公司简介"
                           << ""
                           << "请输入文件名称！"
                           << "警告" << QMessageBox::Critical;
    QTest::newRow("a node's name") << "产品中心"
                                   << "企业文化"
                                   << "已存在重名，更改名称!"
                                   << "警告" << QMessageBox::Warning;
    QTest::newRow("below a file") << "手机"
                                  << "配件"
                                  << "不能在该节点下添加文件！"
                                  << "警告" << QMessageBox::Critical;
}

void TestNodeDialogs::addFileRefusals() {
    QFETCH(QString, parent);
    QFETCH(QString, name);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(QMessageBox::Icon, icon);
    m_frm->mNode = node(m_frm->tvw_nav, parent);
    const int nodes = catalogTree::allItems(m_frm->tvw_nav).size();
    dgnFrm_addFile dlg(m_frm);
    dlg.show();
    dlg.txt_Name->setText(name);
    QTest::mouseClick(dlg.chk_prod, Qt::LeftButton);
    dlg.disModelObj_click(1);
    QTest::mouseClick(dlg.cmd_cfm, Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 1);
    verifyLastMessage(*m_ui, message, title, icon);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.txt_Name->text(), name);
    QCOMPARE(dlg.selectedModel(), QStringLiteral("prod02"));
    QCOMPARE(catalogTree::allItems(m_frm->tvw_nav).size(), nodes);
}

void TestNodeDialogs::addFolderBelowALevel1Folder() {
    QSignalSpy changed(m_frm, &designFrm::catalogChanged);
    QTreeWidgetItem* parent = node(m_frm->tvw_nav, "公司简介");
    m_frm->mNode = parent;
    // Every key a new node could get but one is taken already.
    for (int i = 0; i <= 10000; ++i) {
        if (i != 77)
            catalogTree::addNode(m_frm->tvw_nav, catalogTree::root(m_frm->tvw_nav),
                                 QStringLiteral("snd_") + QString::number(i), "x", "file", false);
    }
    dgnFrm_addCat dlg(m_frm);
    dlg.txt_Name->setText(QStringLiteral("资质证书"));
    QTest::mouseClick(dlg.cmd_cfm, Qt::LeftButton);
    QVERIFY(m_ui->messages.isEmpty());
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QTreeWidgetItem* added = parent->child(parent->childCount() - 1);
    QCOMPARE(added->text(0), QStringLiteral("资质证书"));
    QCOMPARE(catalogTree::key(added), QStringLiteral("snd_77"));
    QVERIFY(parent->isExpanded());
    QCOMPARE(changed.count(), 1);
    const sitedb::Row row =
        sitedb::query("SELECT * FROM secondCatalog WHERE secondCatalog='资质证书'").first();
    QCOMPARE(row.text("firstCatalog"), QStringLiteral("公司简介"));
    QVERIFY(row.flag("catalog"));
    QCOMPARE(row.integer("orderID"), 3);
    QVERIFY(row.value("aspFileName").isNull());
}

void TestNodeDialogs::failingStatementIsReported() {
    QVERIFY(sitedb::exec("DROP TABLE secondCatalog"));
    m_frm->mNode = node(m_frm->tvw_nav, "公司简介");
    dgnFrm_addFile dlg(m_frm);
    dlg.show();
    dlg.txt_Name->setText(QStringLiteral("新页"));
    QTest::mouseClick(dlg.cmd_cfm, Qt::LeftButton);
    QCOMPARE(m_ui->messages.size(), 1);
    QVERIFY(m_ui->last().text.contains("secondCatalog"));
    QCOMPARE(m_ui->last().title, QStringLiteral("提示"));
    QCOMPARE(m_ui->last().icon, QMessageBox::Critical);
    QVERIFY(dlg.isVisible());
    QCOMPARE(m_frm->mNode->childCount(), 2);
}

void TestNodeDialogs::theWheelScrollsThePicker_data() {
    QTest::addColumn<QString>("over"); // the panel, or a part of tile 4
    QTest::newRow("panel") << "Picture1";
    QTest::newRow("tile picture") << "img";
    QTest::newRow("tile option") << "opt";
}

void TestNodeDialogs::theWheelScrollsThePicker() {
    QFETCH(QString, over);
    dgnFrm_addFile dlg(m_frm);
    dlg.show();
    QWidget* target = over == u"Picture1" ? static_cast<QWidget*>(dlg.Picture1)
                                          : dlg.disModelObj[4]->findChild<QWidget*>(over);
    QVERIFY(target);
    const int tileTop = dlg.disModelObj[4]->y();
    const auto wheel = [target](int delta) {
        QWheelEvent e(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), {}, {0, delta},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        // As the mouse gives it: a wheel the widget under the mouse leaves goes to its parent.
        QSpontaneKeyEvent::setSpontaneous(&e);
        qApp->notify(target, &e);
    };
    wheel(-120);
    QVERIFY(dlg.vscrl->value() > 0);
    QCOMPARE(dlg.disModelObj[4]->y(), tileTop - dlg.vscrl->value());
    // Far down it stops at the end; back up it returns to the top.
    for (int i = 0; i < 20; ++i)
        wheel(-120);
    QCOMPARE(dlg.vscrl->value(), dlg.vscrl->maximum());
    for (int i = 0; i < 20; ++i)
        wheel(120);
    QCOMPARE(dlg.vscrl->value(), 0);
    QCOMPARE(dlg.disModelObj[4]->y(), tileTop);
}

QTEST_MAIN(TestNodeDialogs)
#include "tst_nodeDialogs.moc"
