// What the user is told of the service's answers, by the upload window against the reference
// hosting server on a loopback port: refused uploads, locked accounts, the server address
// the window keeps, and a published address that no browser can open.

#include "app/MDIFrm.h"
#include "common/uiServices.h"
#include "fixture.h"
#include "hosting/hostingServer.h"
#include "server/dlgFrm.h"
#include "server/mdl_upData.h"
#include "server/updataFrm.h"
#include "server/verFrm.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

using testfiles::writeFile;

const QString kPassword = QStringLiteral("417305");
const QString kTransferDone = QStringLiteral("数据传输完毕！");

// A user in front of the real boxes: each box stays open while `whileOpen` runs (the user
// reading it), and the order in which boxes open and close is kept. The desktop may have no
// browser to start.
class ReadingUi final : public ui::Services {
public:
    struct Box {
        QString text;
        QString title;
    };
    struct Offered {
        QString label;
        QString text;
    };
    ReadingUi() { ui::install(this); }
    ~ReadingUi() override { ui::install(nullptr); }

    QList<Box> opened;
    QList<Box> closed;
    QList<Offered> offered;
    QList<QUrl> openedUrls;
    bool browserStarts = true;
    std::function<void(const Box&)> whileOpen;

    int count(const QString& text) const {
        int n = 0;
        for (const Box& b : closed)
            n += b.text == text;
        return n;
    }

    // Every question is answered yes.
    QMessageBox::StandardButton message(QWidget*, const QString& text, const QString& title,
                                        QMessageBox::Icon,
                                        QMessageBox::StandardButtons buttons) override {
        const Box box{text, title};
        opened << box;
        if (whileOpen)
            whileOpen(box);
        closed << box;
        return buttons.testFlag(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
    }
    std::optional<QString> openFile(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> saveFile(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QColor> chooseColor(QWidget*, const QColor&) override { return std::nullopt; }
    std::optional<QString> chooseFolder(QWidget*, const QString&, const QString&) override {
        return std::nullopt;
    }
    std::optional<QString> askText(QWidget*, const QString&, const QString& label,
                                   const QString& initial) override {
        offered << Offered{label, initial};
        return std::nullopt;
    }
    bool openUrl(const QUrl& url) override {
        openedUrls << url;
        return browserStarts;
    }
};

// Bytes that do not compress.
QByteArray noise(int size) {
    QByteArray b(size, Qt::Uninitialized);
    QRandomGenerator rng(size);
    for (char& c : b)
        c = char(rng.bounded(256));
    return b;
}

} // namespace

class TestServerAnswersE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void uploadAnswerIsOneClearBoxAfterTheTransfer_data();
    void uploadAnswerIsOneClearBoxAfterTheTransfer();
    void lockedAccountIsToldSo();
    void serverAddressIsKeptAcrossStartsAndRestores();
    void browseWithoutBrowserOffersTheAddress();

private:
    void startServer(const std::function<void(hosting::Options&)>& adjust = {});
    updataFrm* openWindow();
    bool logIn(const QString& password = kPassword);

    std::unique_ptr<TempInstall> m_inst;
    std::unique_ptr<ReadingUi> m_ui;
    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<hosting::HostingServer> m_server;
    std::unique_ptr<updataFrm> m_frm;
};

void TestServerAnswersE2e::init() {
    m_inst = std::make_unique<TempInstall>();
    QVERIFY(m_inst->openSite());
    m_ui = std::make_unique<ReadingUi>();
    m_data = std::make_unique<QTemporaryDir>();
}

void TestServerAnswersE2e::cleanup() {
    m_frm.reset();
    delete dlgFrm::instance(false);
    delete verFrm::instance(false);
    m_server.reset();
    m_data.reset();
    m_ui.reset();
    m_inst.reset();
}

void TestServerAnswersE2e::startServer(const std::function<void(hosting::Options&)>& adjust) {
    hosting::Options o;
    o.dataDir = m_data->path();
    o.skinsDir = builtInstallPath() + "skins";
    // The whole archive's road: the answers to an upload of changes are tested with it.
    o.offerChanges = false;
    if (adjust)
        adjust(o);
    m_server = std::make_unique<hosting::HostingServer>(o);
    QVERIFY(m_server->start(QHostAddress::LocalHost, 0));
}

updataFrm* TestServerAnswersE2e::openWindow() {
    m_frm = std::make_unique<updataFrm>();
    m_frm->txt_severIP->setText(QStringLiteral("127.0.0.1:%1").arg(m_server->port()));
    m_frm->show();
    return m_frm.get();
}

bool TestServerAnswersE2e::logIn(const QString& password) {
    updataFrm* f = m_frm ? m_frm.get() : openWindow();
    f->txt_pwd->setText(password);
    const qsizetype before = m_ui->closed.size();
    QTest::mouseClick(f->cmd_connSever, Qt::LeftButton);
    // Logged in, or refused and told so.
    const bool answered = QTest::qWaitFor(
        [&] {
            return mdl_upData::state().loggedIn ||
                   (m_ui->closed.size() > before && f->cmd_connSever->isEnabled());
        },
        10000);
    return answered && mdl_upData::state().loggedIn;
}

void TestServerAnswersE2e::uploadAnswerIsOneClearBoxAfterTheTransfer_data() {
    QTest::addColumn<qint64>("siteQuota");
    QTest::addColumn<QString>("file");   // in the working folder
    QTest::addColumn<bool>("sent");      // the archive went out before the answer
    QTest::addColumn<QString>("answer"); // what the last box says
    const qint64 big = qint64(1) << 30;
    QTest::newRow("a file above the file quota")
        << big << "Banner.BMP" << true
        << "上传被拒绝：文件 Banner.BMP 解压后超过单个文件限额 1 MB\n原来的站点保持不变。";
    QTest::newRow("a custom page's picture above the file quota")
        << big << "images/Top Photo.JPG" << true
        << "上传被拒绝：文件 images/Top Photo.JPG 解压后超过单个文件限额 1 MB\n原来的站点保持不变。";
    QTest::newRow("an archive above the site quota")
        << qint64(512 << 10) << "Photo.JPG" << false << "上传被拒绝：压缩包大小 ";
    QTest::newRow("published") << big << "logo.GIF" << true << "站点 demo 已发布。";
}

void TestServerAnswersE2e::uploadAnswerIsOneClearBoxAfterTheTransfer() {
    QFETCH(qint64, siteQuota);
    QFETCH(QString, file);
    QFETCH(bool, sent);
    QFETCH(QString, answer);
    startServer([&](hosting::Options& o) {
        o.quotas.siteBytes = siteQuota;
        o.quotas.entryBytes = 1 << 20;
    });
    QVERIFY(m_server->accounts().registerSite("20061001", "demo"));
    QVERIFY(sitedb::setUserInfo("site_name", QStringLiteral("demo")));
    writeFile(m_inst->defaultWorkPath() + file,
              file.startsWith(u"logo") ? QByteArray("GIF89a logo") : noise(1536 << 10));
    QVERIFY(logIn());
    QTRY_COMPARE(m_server->received().size(), 2); // the login and the notice request

    // The user reads the transfer's box until the service's answer has reached the window.
    m_ui->whileOpen = [this](const ReadingUi::Box& box) {
        if (box.text != kTransferDone)
            return;
        const qsizetype open = m_ui->opened.size();
        QVERIFY(QTest::qWaitFor(
            [&] { return m_frm->sckClient->bytesAvailable() > 0 || m_ui->opened.size() > open; },
            20000));
    };
    const qsizetype before = m_ui->closed.size();
    QTest::mouseClick(m_frm->cmd_updata, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_ui->closed.size() > before &&
                                 m_ui->closed.last().title == QStringLiteral("系统信息"),
                             20000);

    // The transfer's box, if the archive went out, then one box with the answer, closed last.
    const QList<ReadingUi::Box> boxes = m_ui->closed.mid(before);
    QCOMPARE(boxes.size(), sent ? 2 : 1);
    if (sent)
        QCOMPARE(boxes.first().text, kTransferDone);
    QVERIFY2(boxes.last().text.startsWith(answer), qPrintable(boxes.last().text));
    QVERIFY2(!boxes.last().text.contains(u'<'), qPrintable(boxes.last().text));
    if (!answer.contains(u"已发布"))
        QCOMPARE(m_frm->panelText(2),
                 sent ? kTransferDone : QStringLiteral("服务器没有接受上传。"));

    // Nothing is pending: a message to the administrator goes out.
    QVERIFY(!mdl_upData::state().archivePending());
    dlgFrm* d = dlgFrm::instance();
    d->txt_msg->setPlainText(QStringLiteral("为什么？"));
    QTest::mouseClick(d->OKButton, Qt::LeftButton);
    QTRY_COMPARE(m_server->talks().size(), 1);
}

void TestServerAnswersE2e::lockedAccountIsToldSo() {
    startServer([](hosting::Options& o) {
        o.throttle.firstDelayMs = 1;
        o.throttle.maxDelayMs = 1;
    });
    const QString wrong = QStringLiteral("帐号或密码错误，请重新登陆！");
    openWindow();
    for (int i = 1; i <= 9; ++i) {
        QVERIFY(!logIn(QStringLiteral("guess%1").arg(i)));
        QCOMPARE(m_ui->closed.last().text, wrong);
    }
    // The tenth wrong password locks the account, and so does the right one meanwhile.
    for (const QString& password : {QStringLiteral("guess10"), kPassword}) {
        QVERIFY(!logIn(password));
        const QString told = m_ui->closed.last().text;
        QVERIFY2(told.contains(QStringLiteral("锁定")) && told.contains(QStringLiteral("15 分钟")),
                 qPrintable(told));
        QCOMPARE(m_frm->panelText(1), QStringLiteral("登陆服务器失败！"));
        QVERIFY(m_frm->cmd_connSever->isEnabled());
    }
    QCOMPARE(m_ui->count(wrong), 9);
}

void TestServerAnswersE2e::serverAddressIsKeptAcrossStartsAndRestores() {
    startServer();
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    const QString reached = QStringLiteral("127.0.0.1:%1").arg(m_server->port());
    {
        m_frm = std::make_unique<updataFrm>();
        updataFrm* first = m_frm.get();
        QCOMPARE(first->txt_severIP->text(), mdl_upData::defaultServerAddress);
        first->txt_severIP->setText(QStringLiteral(" %1 ").arg(reached));
        QVERIFY(logIn());
        first->cmd_disconn_Click();
        // An address that reaches nothing is not kept.
        first->txt_severIP->setText(QStringLiteral("127.0.0.1:%1").arg(closedPort));
        const qsizetype before = m_ui->closed.size();
        first->cmd_connSever_Click();
        QTRY_VERIFY_WITH_TIMEOUT(m_ui->closed.size() > before, 10000);
        QVERIFY(!mdl_upData::state().loggedIn);
        m_frm.reset();
    }
    // The next start, and the windows a restore opens afresh, begin with the address kept.
    MDIFrm frm;
    frm.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(frm.load(nullptr, m_inst->currentPath()));
    auto box = [&frm] {
        auto* up = qobject_cast<updataFrm*>(frm.workWindow(QStringLiteral("updataFrm")));
        return up ? up->txt_severIP->text() : QString();
    };
    QCOMPARE(box(), reached);
    frm.backupData();
    frm.restoreData();
    QTRY_VERIFY_WITH_TIMEOUT(m_ui->closed.last().text.startsWith(QStringLiteral("数据还原成功！")),
                             20000);
    frm.showWorkWindow(QStringLiteral("updataFrm"));
    QTRY_COMPARE(box(), reached);
}

void TestServerAnswersE2e::browseWithoutBrowserOffersTheAddress() {
    m_ui->browserStarts = false;
    updataFrm f;
    f.txt_webName->setText(QStringLiteral("demo"));
    f.cmd_browser_Click();
    QCOMPARE(m_ui->openedUrls.size(), 1);
    // Said, and offered where it can be copied; no other box.
    QCOMPARE(m_ui->offered.size(), 1);
    QVERIFY(m_ui->offered.first().label.contains(QStringLiteral("无法启动浏览器")));
    QCOMPARE(m_ui->offered.first().text, f.txt_url->text());
    QCOMPARE(QUrl(m_ui->offered.first().text), m_ui->openedUrls.first());
    QVERIFY(m_ui->closed.isEmpty());
}

QTEST_MAIN(TestServerAnswersE2e)
#include "tst_serverAnswers_e2e.moc"
