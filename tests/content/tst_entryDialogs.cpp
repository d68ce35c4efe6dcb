#include "common/workWindow.h"
#include "common/workspace.h"
#include "content/actualImage.h"
#include "content/insDataFrm_img.h"
#include "content/insDataFrm_imgs.h"
#include "content/insDataFrm_prod.h"
#include "content/insDatafrm_news.h"
#include "content/mdl_entry.h"
#include "content/myDate.h"
#include "contentRecord.h"
#include "fixture.h"
#include "modal.h"
#include "richtext/advEditProd.h"
#include "scriptedUi.h"
#include "sitedb/sitedb.h"

#include <QCalendarWidget>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

class TestEntryDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void newsItemIsAddedThenModified();
    void datePickerOpensAndCloses();
    void galleryKeepsTwoCamerasApart();
    void galleryRefusals_data();
    void galleryRefusals();
    void productIsAddedThenModified();
    void modifyingAGoneRecordSaysSo_data();
    void modifyingAGoneRecordSaysSo();
    void longNamesAreShortenedInLabels_data();
    void longNamesAreShortenedInLabels();
    void enterAndTabMoveOn_data();
    void enterAndTabMoveOn();
    void bigPhotosAreReadAtTheSizeShown_data();
    void bigPhotosAreReadAtTheSizeShown();

private:
    // A picture of `size` as a window with `room` shows it: its own size, or shrunk into
    // the room, proportions kept.
    static QSize shownIn(QSize size, QSize room) {
        return size.width() > room.width() || size.height() > room.height()
                   ? size.scaled(room, Qt::KeepAspectRatio)
                   : size;
    }
    // A picture file in a folder outside the working folder.
    QString picture(const QString& folder, const QString& name, QSize size, QColor color);
    QString work() const { return workspace::currImgPath(); }
    static sitedb::Row record(qint64 id) {
        return sitedb::query("SELECT * FROM content01 WHERE ID=?", {id}).first();
    }
    QString lastRecordId() const {
        return sitedb::query("SELECT MAX(ID) AS m FROM content01").first().text("m");
    }

    TempInstall* m_install = nullptr;
    ScriptedUi* m_ui = nullptr;
    QTemporaryDir* m_outside = nullptr;
};

using Target = entryDialog::Target;

void TestEntryDialogs::init() {
    m_install = new TempInstall;
    QVERIFY(m_install->openSite());
    m_ui = new ScriptedUi;
    m_outside = new QTemporaryDir;
}

void TestEntryDialogs::cleanup() {
    delete m_outside;
    delete m_ui;
    delete m_install;
}

QString TestEntryDialogs::picture(const QString& folder, const QString& name, QSize size,
                                  QColor color) {
    QDir(m_outside->path()).mkpath(folder);
    const QString path = m_outside->path() + u'/' + folder + u'/' + name;
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QImageWriter writer(path, name.endsWith("JPG", Qt::CaseInsensitive) ? "jpeg" : "png");
    writer.write(image);
    return path;
}

void TestEntryDialogs::newsItemIsAddedThenModified() {
    const QString p = picture("a", "p.jpg", {300, 200}, Qt::red);
    const QString q = picture("b", "q.jpg", {30, 20}, Qt::blue);
    {
        insDatafrm_news add(Target{"fst_1", "新闻"});
        QCOMPARE(add.windowTitle(), QStringLiteral("添加数据"));
        QCOMPARE(add.OKButton->text(), QStringLiteral("添加"));
        add.show();
        add.txt_title->setText("It's 开业");
        add.myDate1->setValue("2026-05-01");
        add.txt_content->setPlainText("第一行\n'引号' \"双\"");
        m_ui->files.enqueue(p);
        add.cmd_img->click();
        QCOMPARE(add.lbl_imgName->text(), QStringLiteral("p.jpg"));
        QVERIFY(!add.img->pixmap().isNull());
        add.OKButton->click();
        QCOMPARE(add.result(), int(QDialog::Accepted));
    }
    const qint64 id = lastRecordId().toLongLong();
    QCOMPARE(record(id).text("value01"), QStringLiteral("It's 开业"));
    QCOMPARE(record(id).text("value02"), QStringLiteral("2026-05-01"));
    QCOMPARE(record(id).text("value03"),
             QStringLiteral("第一行<br>&#39;引号&#39;&nbsp;&#34;双&#34;"));
    QCOMPARE(record(id).text("value04"), QStringLiteral("p.jpg"));

    // Modified, the picture replaced, then cancelled: nothing changes, nothing stored goes.
    {
        insDataFrm_newsMod mod(Target{"fst_1", "新闻", id});
        QCOMPARE(mod.windowTitle(), QStringLiteral("修改数据"));
        QCOMPARE(mod.txt_title->text(), QStringLiteral("It's 开业"));
        QCOMPARE(mod.myDate1->value(), QStringLiteral("2026-05-01"));
        QCOMPARE(mod.myDate1->mnthView->selectedDate(), QDate(2026, 5, 1));
        QCOMPARE(mod.txt_content->toPlainText(), QStringLiteral("第一行\n'引号' \"双\""));
        QCOMPARE(mod.lbl_imgName->text(), QStringLiteral("p.jpg"));
        m_ui->files.enqueue(q);
        mod.cmd_img->click();
        QVERIFY(QFile::exists(work() + "q.jpg"));
        mod.CancelButton->click();
    }
    QVERIFY(QFile::exists(work() + "p.jpg"));
    QVERIFY(!QFile::exists(work() + "q.jpg"));
    QCOMPARE(record(id).text("value04"), QStringLiteral("p.jpg"));

    // Saved with the new picture: only then does the old one go.
    {
        insDataFrm_newsMod mod(Target{"fst_1", "新闻", id});
        mod.myDate1->setValue("不是日期");
        m_ui->files.enqueue(q);
        mod.cmd_img->click();
        QVERIFY(QFile::exists(work() + "p.jpg"));
        mod.OKButton->click();
        QCOMPARE(mod.result(), int(QDialog::Accepted));
    }
    QVERIFY(!QFile::exists(work() + "p.jpg"));
    QVERIFY(QFile::exists(work() + "q.jpg"));
    QCOMPARE(record(id).text("value02"), QStringLiteral("不是日期"));
    QCOMPARE(record(id).text("value03"),
             QStringLiteral("第一行<br>&#39;引号&#39;&nbsp;&#34;双&#34;"));
    QCOMPARE(record(id).text("value04"), QStringLiteral("q.jpg"));
    QCOMPARE(sitedb::query("SELECT * FROM content01").rows.size(), 1);
}

void TestEntryDialogs::datePickerOpensAndCloses() {
    QWidget window;
    auto* date = new myDate(&window);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(date->value(), QDate::currentDate().toString("yyyy-MM-dd"));
    QVERIFY(!date->mnthView->isVisible());
    QTest::mouseClick(date->cmdDown, Qt::LeftButton);
    QVERIFY(date->mnthView->isVisible());
    emit date->mnthView->clicked(QDate(2025, 12, 31));
    QCOMPARE(date->value(), QStringLiteral("2025-12-31"));
    QVERIFY(!date->mnthView->isVisible());
    // The box opens it too, and Esc closes it.
    QTest::mouseClick(date->txtValue, Qt::LeftButton);
    QVERIFY(date->mnthView->isVisible());
    QTest::keyClick(date->mnthView, Qt::Key_Escape);
    QVERIFY(!date->mnthView->isVisible());
    QCOMPARE(date->value(), QStringLiteral("2025-12-31"));
    // A text that is no date stays in the box; the calendar keeps its date.
    date->setValue("明天");
    QCOMPARE(date->value(), QStringLiteral("明天"));
    QCOMPARE(date->mnthView->selectedDate(), QDate(2025, 12, 31));
}

void TestEntryDialogs::galleryKeepsTwoCamerasApart() {
    // Two cameras' first photos: one a 48-megapixel picture, one small, the same name.
    const QString big = picture("camera1", "IMG_0001.JPG", {8000, 6000}, QColor(30, 90, 160));
    const QString small = picture("camera2", "IMG_0001.JPG", {300, 200}, QColor(200, 60, 20));
    struct Added {
        QString picture, thumb;
        QSize thumbSize;
        bool wide, tall;
    };
    const QList<Added> expected = {{"IMG_0001.JPG", "IMG_0001_small.bmp", {178, 133}, true, true},
                                   {"IMG_0001-2.JPG", "IMG_0001-2_small.bmp", {200, 133}, false,
                                    false}};
    QByteArray firstThumb;
    for (int i = 0; i < 2; ++i) {
        insDataFrm_imgs add(Target{"fst_1", "相册"});
        QCOMPARE(add.Label1->text(), QStringLiteral("图片文字说明："));
        add.show();
        m_ui->files.enqueue(i == 0 ? big : small);
        add.cmd_img->click();
        QCOMPARE(add.pictureName(), expected[i].picture);
        QCOMPARE(add.thumbnailName(), expected[i].thumb);
        // The 48-megapixel photo is read only as large as the screen can show it.
        QCOMPARE(add.img->size(),
                 i == 0 ? QSize(8000, 6000).scaled(add.actualBound(), Qt::KeepAspectRatio)
                        : QSize(300, 200));
        QCOMPARE(add.scrl[1]->isVisible(), expected[i].wide);
        QCOMPARE(add.scrl[0]->isVisible(), expected[i].tall);
        QCOMPARE(add.lbl_angr->isVisible(), expected[i].wide && expected[i].tall);
        if (expected[i].wide) {
            // The picture slides within its frame, to its last column.
            add.scrl[1]->setValue(add.scrl[1]->maximum());
            QCOMPARE(add.img->x(), -(add.img->width() - galleryDialog::frameSize().width() + 20));
            add.scrl[0]->setValue(100);
            QCOMPARE(add.img->y(), -100);
        }
        QImage thumb;
        QVERIFY(thumb.load(work() + expected[i].thumb, "BMP"));
        QCOMPARE(thumb.size(), expected[i].thumbSize);
        if (i == 0) {
            QFile f(work() + expected[0].thumb);
            QVERIFY(f.open(QIODevice::ReadOnly));
            firstThumb = f.readAll();
        }
        add.txt_title->setText(QStringLiteral(" 第%1张 ").arg(i + 1));
        add.OKButton->click();
        QCOMPARE(add.result(), int(QDialog::Accepted));
    }
    const sitedb::Rows rows = sitedb::query("SELECT * FROM content01 ORDER BY ID");
    QCOMPARE(rows.rows.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(rows.rows[i].text("value01"), QStringLiteral(" 第%1张 ").arg(i + 1));
        QCOMPARE(rows.rows[i].text("value02"), expected[i].picture);
        QCOMPARE(rows.rows[i].text("value03"), expected[i].thumb);
    }
    // The first record's files are untouched by the second.
    QCOMPARE(QFileInfo(work() + "IMG_0001.JPG").size(), QFileInfo(big).size());
    QFile f(work() + expected[0].thumb);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), firstThumb);

    // Modifying only the caption keeps both names and both files.
    const qint64 id = rows.rows[1].integer("ID");
    {
        insDataFrm_imgsMod mod(Target{"fst_1", "相册", id});
        QCOMPARE(mod.windowTitle(), QStringLiteral("预览数据"));
        QCOMPARE(mod.Label1->text(), QStringLiteral("图片文说明："));
        QCOMPARE(mod.txt_title->text(), QStringLiteral(" 第2张 "));
        QCOMPARE(mod.pic_imgsSmall->pixmap().size(), QSize(200, 133));
        QVERIFY(!mod.scrl[0]->isVisible() && !mod.scrl[1]->isVisible());
        mod.txt_title->setText("It's");
        mod.OKButton->click();
    }
    QCOMPARE(record(id).text("value01"), QStringLiteral("It's"));
    QCOMPARE(record(id).text("value02"), expected[1].picture);
    QCOMPARE(record(id).text("value03"), expected[1].thumb);
    QVERIFY(QFile::exists(work() + expected[1].picture));
    QVERIFY(QFile::exists(work() + expected[1].thumb));
}

void TestEntryDialogs::galleryRefusals_data() {
    QTest::addColumn<bool>("modify");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("closes");
    QTest::newRow("no caption") << false << "fst_1" << "  " << "请输入图片说明文字!" << "提示"
                                << false;
    QTest::newRow("caption emptied") << true << "fst_1" << "" << "图片文字说明不能为空" << "提示"
                                     << false;
    QTest::newRow("no node") << false << "root" << "说明" << "请在左边栏目选择节点！" << "提示"
                             << true;
}

void TestEntryDialogs::galleryRefusals() {
    QFETCH(bool, modify);
    QFETCH(QString, key);
    QFETCH(QString, caption);
    QFETCH(QString, message);
    QFETCH(QString, title);
    QFETCH(bool, closes);
    const qint64 id = addRecord("content01", "firstCatalog", "相册", {"原来", "a.jpg", "a_small.bmp"});
    std::unique_ptr<galleryDialog> d;
    if (modify)
        d = std::make_unique<insDataFrm_imgsMod>(Target{key, "相册", id});
    else
        d = std::make_unique<insDataFrm_imgs>(Target{key, "相册"});
    d->show();
    // A picture chosen and then refused: nothing stored, and the copy goes with the dialog.
    m_ui->files.enqueue(picture("x", "x.png", {10, 10}, Qt::green));
    d->cmd_img->click();
    d->txt_title->setText(caption);
    d->OKButton->click();
    QCOMPARE(m_ui->lastText(), message);
    QCOMPARE(m_ui->last().title, title);
    QCOMPARE(d->isVisible(), !closes);
    d->reject();
    QVERIFY(!QFile::exists(work() + "x.png"));
    QVERIFY(!QFile::exists(work() + "x_small.bmp"));
    QCOMPARE(sitedb::query("SELECT * FROM content01").rows.size(), 1);
    QCOMPARE(record(id).text("value01"), QStringLiteral("原来"));
}

void TestEntryDialogs::productIsAddedThenModified() {
    const QString photo = picture("cam", "cup.jpg", {2400, 1800}, Qt::darkGreen);
    {
        insDataFrm_prod add(Target{"fst_1", "产品"});
        QCOMPARE(add.windowTitle(), QStringLiteral("添加产品"));
        add.show();
        QTRY_VERIFY_WITH_TIMEOUT(add.advEdit_Prod->isReady(), 30000);
        // Letters typed or pasted into the price never stay.
        QTest::keyClicks(add.txt_price, "12");
        add.txt_price->insert("ab");
        QCOMPARE(add.txt_price->text(), QStringLiteral("12"));
        QCOMPARE(m_ui->lastText(), QStringLiteral("请输入数字！"));
        QTest::keyClicks(add.txt_price, ".5x");
        QCOMPARE(add.txt_price->text(), QStringLiteral("12.5"));

        add.cmd_actual->click();
        QCOMPARE(m_ui->lastText(), QStringLiteral("没有图片！"));
        add.txt_Name->setText("   ");
        add.OKButton->click();
        QCOMPARE(m_ui->lastText(), QStringLiteral("名称不能为空！"));
        QVERIFY(add.isVisible());

        m_ui->files.enqueue(photo);
        add.cmd_view->click();
        QCOMPARE(add.pictureName(), QStringLiteral("cup.jpg"));
        // The viewer shows it at its own size, shrunk where the screen is smaller.
        QSize shown;
        int scrollMax = 0;
        onModal<insDataFrm_img>([&](insDataFrm_img* viewer) {
            shown = viewer->img_prod->size();
            scrollMax = viewer->area->horizontalScrollBar()->maximum();
            viewer->cmd_cancel->click();
        });
        add.cmd_actual->click();
        const QSize room = workWindow::screenRoom(&add);
        QVERIFY(shown.width() <= room.width() && shown.height() <= room.height());
        QCOMPARE(scrollMax, 0);

        add.txt_Name->setText("  Tom's cup ");
        add.txt_spec->setText("5'");
        add.txt_unit->setText("只");
        add.advEdit_Prod->writeInnerHTML("<p>It[&#39;]s</p>");
        add.OKButton->click();
        QCOMPARE(add.result(), int(QDialog::Accepted));
    }
    const qint64 id = lastRecordId().toLongLong();
    QCOMPARE(record(id).text("value01"), QStringLiteral("Tom's cup"));
    QCOMPARE(record(id).text("value02"), QStringLiteral("5'"));
    QCOMPARE(record(id).text("value04"), QStringLiteral("12.5"));
    QCOMPARE(record(id).text("value05"), QStringLiteral("cup.jpg"));
    QCOMPARE(record(id).text("value06"), QStringLiteral("<p>It[&#39;]s</p>"));

    insDataFrm_prodMod mod(Target{"fst_1", "产品", id});
    QCOMPARE(mod.windowTitle(), QStringLiteral("修改数据"));
    mod.show();
    // Empty at first, filled a few ticks later.
    QVERIFY(mod.txt_Name->text().isEmpty());
    QTRY_VERIFY(mod.isLoaded());
    QCOMPARE(mod.txt_Name->text(), QStringLiteral("Tom's cup"));
    QCOMPARE(mod.txt_price->text(), QStringLiteral("12.5"));
    QCOMPARE(mod.advEdit_Prod->innerHTML(), QStringLiteral("<p>It[&#39;]s</p>"));
    QVERIFY(!mod.img_prod->pixmap().isNull());
    // Removing the picture asks first; the file goes only once the product is stored.
    m_ui->answers.enqueue(QMessageBox::No);
    mod.cmd_cancel->click();
    QCOMPARE(m_ui->lastText(), QStringLiteral("确实要取消该图片吗"));
    QCOMPARE(mod.pictureName(), QStringLiteral("cup.jpg"));
    m_ui->answers.enqueue(QMessageBox::Yes);
    mod.cmd_cancel->click();
    QVERIFY(mod.pictureName().isEmpty());
    QVERIFY(QFile::exists(work() + "cup.jpg"));
    mod.txt_Name->setText(" 空格 ");
    mod.OKButton->click();
    QCOMPARE(mod.result(), int(QDialog::Accepted));
    QCOMPARE(record(id).text("value01"), QStringLiteral(" 空格 "));
    QCOMPARE(record(id).text("value05"), QString());
    QVERIFY(!QFile::exists(work() + "cup.jpg"));
}

void TestEntryDialogs::modifyingAGoneRecordSaysSo_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("title");
    for (const char* kind : {"news", "imgs", "prod"}) {
        QTest::addRow("%s deleted meanwhile", kind)
            << kind << "fst_1" << "该条数据已不存在！" << "提示";
        QTest::addRow("%s on no level", kind)
            << kind << "root" << "不期望的错误：栏目选择错误！" << "错误";
    }
}

void TestEntryDialogs::modifyingAGoneRecordSaysSo() {
    QFETCH(QString, kind);
    QFETCH(QString, key);
    QFETCH(QString, message);
    QFETCH(QString, title);
    const qint64 id = addRecord("content01", "firstCatalog", "页", {"x"});
    if (key == "fst_1")
        QVERIFY(sitedb::exec("DELETE FROM content01"));
    const Target t{key, "页", id};
    std::unique_ptr<entryDialog> d;
    if (kind == "news")
        d = std::make_unique<insDataFrm_newsMod>(t);
    else if (kind == "imgs")
        d = std::make_unique<insDataFrm_imgsMod>(t);
    else
        d = std::make_unique<insDataFrm_prodMod>(t);
    QCOMPARE(d->exec(), int(QDialog::Rejected));
    QCOMPARE(m_ui->lastText(), message);
    QCOMPARE(m_ui->last().title, title);
    QVERIFY(!d->isVisible());
    QCOMPARE(sitedb::query("SELECT * FROM content01").rows.size(), key == "fst_1" ? 0 : 1);
}

void TestEntryDialogs::longNamesAreShortenedInLabels_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("news") << "news";
    QTest::newRow("gallery") << "imgs";
}

void TestEntryDialogs::longNamesAreShortenedInLabels() {
    QFETCH(QString, kind);
    // A camera export with a 185-character name.
    const QString name = QString(181, u'n') + QStringLiteral(".png");
    const QString path = picture("long", name, {40, 30}, Qt::yellow);
    std::unique_ptr<entryDialog> d;
    if (kind == u"news")
        d = std::make_unique<insDatafrm_news>(Target{"fst_1", "新闻"});
    else
        d = std::make_unique<insDataFrm_imgs>(Target{"fst_1", "相册"});
    auto* label = d->findChild<nameLabel*>("lbl_imgName");
    QVERIFY(label);
    d->show();
    const int minimum = d->minimumSizeHint().width();
    m_ui->files.enqueue(path);
    d->findChild<QPushButton*>("cmd_img")->click();
    QVERIFY(m_ui->messages.isEmpty());
    // The dialog does not grow: the label shows what fits, the tool-tip the whole name.
    QCOMPARE(d->minimumSizeHint().width(), minimum);
    QVERIFY(d->sizeHint().width() <= workWindow::screenRoom(d.get()).width());
    QVERIFY(d->width() <= workWindow::screenRoom(d.get()).width());
    QCOMPARE(label->toolTip(), name);
    QVERIFY(label->text() != name && label->text().contains(QChar(0x2026)));
    QVERIFY(label->text().endsWith(QStringLiteral(".png")));
    QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <= label->width());
    // What is stored is the whole name.
    d->findChild<QLineEdit*>("txt_title")->setText("长名字");
    d->OKButton->click();
    QCOMPARE(d->result(), int(QDialog::Accepted));
    const sitedb::Row r = record(lastRecordId().toLongLong());
    QCOMPARE(r.text(kind == u"news" ? "value04" : "value02"), name);
}

void TestEntryDialogs::enterAndTabMoveOn_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("key");
    QTest::newRow("news title, Enter") << "news"
                                       << "txt_title" << int(Qt::Key_Return);
    QTest::newRow("news title, keypad Enter") << "news"
                                              << "txt_title" << int(Qt::Key_Enter);
    QTest::newRow("gallery caption, Enter") << "imgs"
                                            << "txt_title" << int(Qt::Key_Return);
    QTest::newRow("news body, Tab") << "news"
                                    << "txt_content" << int(Qt::Key_Tab);
}

void TestEntryDialogs::enterAndTabMoveOn() {
    QFETCH(QString, kind);
    QFETCH(QString, box);
    QFETCH(int, key);
    std::unique_ptr<entryDialog> d;
    if (kind == u"news")
        d = std::make_unique<insDatafrm_news>(Target{"fst_1", "新闻"});
    else
        d = std::make_unique<insDataFrm_imgs>(Target{"fst_1", "相册"});
    d->show();
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d.get()));
    QWidget* w = d->findChild<QWidget*>(box);
    QVERIFY(w);
    w->setFocus();
    QTRY_VERIFY(w->hasFocus());
    QTest::keyClicks(w, QStringLiteral("half"));
    QTest::keyClick(w, Qt::Key(key));
    // Nothing is stored half typed; the typing goes on in the next box.
    QVERIFY(d->isVisible());
    QVERIFY(m_ui->messages.isEmpty());
    QVERIFY(sitedb::query("SELECT * FROM content01").isEmpty());
    QVERIFY(!w->hasFocus());
    QVERIFY(d->focusWidget() && d->focusWidget() != w);
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        QCOMPARE(edit->text(), QStringLiteral("half"));
    else
        QCOMPARE(qobject_cast<QPlainTextEdit*>(w)->toPlainText(), QStringLiteral("half"));
    if (kind == u"news" && box == u"txt_title")
        QVERIFY(static_cast<insDatafrm_news*>(d.get())->myDate1->isAncestorOf(d->focusWidget()));
}

void TestEntryDialogs::bigPhotosAreReadAtTheSizeShown_data() {
    QTest::addColumn<QString>("where");
    QTest::newRow("gallery modify dialog") << "imgsMod";
    QTest::newRow("product modify dialog's viewer") << "prodMod";
    QTest::newRow("product add dialog's viewer") << "prod";
}

void TestEntryDialogs::bigPhotosAreReadAtTheSizeShown() {
    QFETCH(QString, where);
    const QSize photo(4800, 3600);
    const QString path = picture("cam", "BIG.JPG", photo, QColor(80, 120, 40));
    QVERIFY(QFile::copy(path, work() + "BIG.JPG"));
    if (where == u"imgsMod") {
        const qint64 id =
            addRecord("content01", "firstCatalog", "相册", {"大图", "BIG.JPG", "BIG_small.bmp"});
        insDataFrm_imgsMod mod(Target{"fst_1", "相册", id});
        // The frame holds the picture as large as the screen shows it, never the 17
        // megapixels read in full.
        const QSize held = mod.img->image().size();
        QCOMPARE(held, shownIn(photo, mod.actualBound()));
        QVERIFY(mod.actualBound().width() <= workWindow::screenRoom(&mod).width());
        QCOMPARE(mod.img->size(), held);
        QCOMPARE(mod.scrl[0]->isVisibleTo(&mod),
                 held.height() > galleryDialog::frameSize().height());
        return;
    }
    const qint64 id =
        addRecord("content01", "firstCatalog", "产品", {"杯", "", "", "", "BIG.JPG", ""});
    std::unique_ptr<productDialog> d;
    if (where == u"prodMod") {
        auto* mod = new insDataFrm_prodMod(Target{"fst_1", "产品", id});
        d.reset(mod);
        d->show();
        QTRY_VERIFY_WITH_TIMEOUT(mod->isLoaded(), 30000);
    } else {
        d = std::make_unique<insDataFrm_prod>(Target{"fst_1", "产品"});
        d->show();
        m_ui->files.enqueue(path);
        d->cmd_view->click();
    }
    // The preview holds no more than its box.
    QVERIFY(d->img_prod->pixmap().width() <= productDialog::previewSize().width());
    QVERIFY(d->img_prod->pixmap().height() <= productDialog::previewSize().height());
    QSize held, window, view;
    onModal<insDataFrm_img>([&](insDataFrm_img* viewer) {
        held = viewer->img_prod->image().size();
        window = viewer->size();
        view = viewer->area->viewport()->size();
        viewer->cmd_cancel->click();
    });
    d->cmd_actual->click();
    const QSize room = workWindow::screenRoom(d.get());
    QVERIFY2(held.width() <= room.width() && held.height() <= room.height(),
             qPrintable(QStringLiteral("%1×%2").arg(held.width()).arg(held.height())));
    QVERIFY(held.width() * photo.height() == held.height() * photo.width() ||
            qAbs(held.width() - held.height() * photo.width() / photo.height()) <= 1);
    QVERIFY(window.width() <= room.width() && window.height() <= room.height());
    QVERIFY(held.width() <= view.width() && held.height() <= view.height());
}

QTEST_MAIN(TestEntryDialogs)
#include "tst_entryDialogs.moc"
