// The restore while an upload to the reference hosting server is under way.

#include "app/MDIFrm.h"
#include "fixture.h"
#include "hosting/hostingServer.h"
#include "scriptedUi.h"
#include "server/mdl_upData.h"
#include "server/updataFrm.h"
#include "sitedb/sitedb.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestRestoreE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void restoreStopsTheUploadFirst();
};

void TestRestoreE2e::restoreStopsTheUploadFirst() {
    TempInstall inst;
    QVERIFY(inst.openSite());
    QVERIFY(sitedb::setUserInfo("site_name", QStringLiteral("demo")));
    sitedb::close();
    // Enough bytes that the transfer is still going when the restore comes.
    QByteArray photo(24 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator rng(7);
    rng.fillRange(reinterpret_cast<quint32*>(photo.data()), photo.size() / 4);
    inst.write("userImages/photo.jpg", photo);

    QTemporaryDir data;
    hosting::Options o;
    o.dataDir = data.path();
    hosting::HostingServer server(o);
    QVERIFY(server.start(QHostAddress::LocalHost, 0));
    QVERIFY(server.accounts().registerSite("20061001", "demo"));

    ScriptedUi ui;
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, inst.currentPath()));
    frm.backupData();
    QCOMPARE(ui.lastText(), QStringLiteral("数据备份成功！"));

    QPointer<updataFrm> upload = qobject_cast<updataFrm*>(frm.workWindow("updataFrm"));
    QVERIFY(upload);
    upload->txt_severIP->setText(QStringLiteral("127.0.0.1:%1").arg(server.port()));
    upload->txt_pwd->setText(QStringLiteral("417305"));
    QTest::mouseClick(upload->cmd_connSever, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(mdl_upData::state().loggedIn, 10000);

    // The restore is chosen while the first bytes are on their way.
    bool restored = false;
    connect(upload->ccprg, &QProgressBar::valueChanged, &frm, [&](int value) {
        if (value > 0 && !restored) {
            restored = true;
            QTimer::singleShot(0, &frm, &MDIFrm::restoreData);
        }
    });
    QTest::mouseClick(upload->cmd_updata, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(restored && upload.isNull(), 20000);

    QVERIFY2(ui.lastText().startsWith(QStringLiteral("数据还原成功！")), qPrintable(ui.lastText()));
    const mdl_upData::State& st = mdl_upData::state();
    QVERIFY(!st.uploading);
    QVERIFY(!st.loggedIn);
    QVERIFY(st.socket.isNull());
    // The service never saw a whole archive, so it published nothing.
    QTest::qWait(500);
    QVERIFY(!QFileInfo::exists(server.siteFolder("demo") + "/photo.jpg"));

    // Opened again, the upload window starts disconnected and can log in anew.
    frm.showWorkWindow("updataFrm");
    upload = qobject_cast<updataFrm*>(frm.workWindow("updataFrm"));
    QVERIFY(upload);
    QCOMPARE(upload->panelText(1), QStringLiteral("还未和服务器建立连接！"));
    QCOMPARE(upload->txt_webName->text(), QStringLiteral("demo"));
    upload->txt_severIP->setText(QStringLiteral("127.0.0.1:%1").arg(server.port()));
    upload->txt_pwd->setText(QStringLiteral("417305"));
    QTest::mouseClick(upload->cmd_connSever, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(mdl_upData::state().loggedIn, 10000);
}

QTEST_MAIN(TestRestoreE2e)
#include "tst_restore_e2e.moc"
