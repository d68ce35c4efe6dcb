// Uploads of changes through the upload window: against the reference hosting server on
// loopback (bytes counted on the wire by a relay), and against a stand-in that knows only
// the protocol as it stands.

#include "common/workspace.h"
#include "content/mdl_entry.h"
#include "designer/mdl_nov.h"
#include "fixture.h"
#include "hosting/hostingServer.h"
#include "hosting/sitePublisher.h"
#include "scriptedUi.h"
#include "server/dlgFrm.h"
#include "server/mdl_upData.h"
#include "server/updataFrm.h"
#include "server/verFrm.h"
#include "sitedb/sitedb.h"

#include <QDirIterator>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

using testfiles::readAll;
using testfiles::writeFile;

// Every file below `folder` (hidden ones too) with its bytes, by relative path; the
// pictures' archive and the server's own index are left out.
QMap<QString, QByteArray> tree(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString rel = QDir(folder).relativeFilePath(path);
        if (rel != u"images.zip" && !rel.startsWith(u".contents"))
            out.insert(rel, readAll(path));
    }
    return out;
}

// Relays connections to a server, counting the bytes the clients send.
class Relay : public QObject {
public:
    explicit Relay(quint16 target) : m_target(target) {
        m_listen.listen(QHostAddress::LocalHost);
        connect(&m_listen, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* in = m_listen.nextPendingConnection()) {
                auto* out = new QTcpSocket(in);
                auto pending = std::make_shared<QByteArray>();
                connect(in, &QTcpSocket::readyRead, in, [this, in, out, pending] {
                    const QByteArray data = in->readAll();
                    up += data.size();
                    if (out->state() == QAbstractSocket::ConnectedState)
                        out->write(data);
                    else
                        *pending += data;
                });
                connect(out, &QTcpSocket::connected, in, [out, pending] { out->write(std::exchange(*pending, {})); });
                connect(out, &QTcpSocket::readyRead, in, [in, out] { in->write(out->readAll()); });
                connect(out, &QTcpSocket::disconnected, in, [in] { in->disconnectFromHost(); });
                connect(in, &QTcpSocket::disconnected, in, [in, out] {
                    out->disconnectFromHost();
                    in->deleteLater();
                });
                out->connectToHost(QHostAddress::LocalHost, m_target);
            }
        });
    }
    quint16 port() const { return m_listen.serverPort(); }
    qint64 up = 0;

private:
    QTcpServer m_listen;
    quint16 m_target;
};

// A server that knows only the protocol as it stands: it logs in, takes the short name,
// answers the size announcement and keeps the archive; anything else it ignores.
class StandIn : public QObject {
public:
    StandIn() {
        m_listen.listen(QHostAddress::LocalHost);
        connect(&m_listen, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = m_listen.nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, this, [this, s] { read(s); });
        });
    }
    quint16 port() const { return m_listen.serverPort(); }
    QStringList texts;
    QByteArray archive;
    qint64 expected = -1;

private:
    void read(QTcpSocket* s) {
        QByteArray data = s->readAll();
        if (expected >= 0) {
            archive += data;
            return;
        }
        texts << QString::fromLatin1(data.left(64));
        if (data.startsWith("<#login#>")) {
            s->write("<#login#>");
        } else if (data.startsWith("<#sendFileInfo#>")) {
            expected = data.mid(16).toLongLong();
            s->write("<#sendFileInfo#>");
        }
    }
    QTcpServer m_listen;
};

} // namespace

class TestChangesE2e : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void secondUploadSendsOnlyTheChanges();
    void serverWithoutOfferGetsTheWholeArchive();

private:
    // Uploads through the window to `address` and waits for the final message.
    bool upload(const QString& address, hosting::HostingServer* publishedBy);

    std::unique_ptr<TempInstall> m_inst;
    std::unique_ptr<ScriptedUi> m_ui;
    std::unique_ptr<updataFrm> m_frm;
    QString m_finalMessage;
};

void TestChangesE2e::init() {
    m_inst = std::make_unique<TempInstall>();
    QVERIFY(m_inst->openSite());
    m_ui = std::make_unique<ScriptedUi>();
    QVERIFY(sitedb::setUserInfo("site_name", QStringLiteral("demo")));
    m_frm = std::make_unique<updataFrm>();
    m_frm->show();
}

void TestChangesE2e::cleanup() {
    m_frm.reset();
    delete dlgFrm::instance(false);
    delete verFrm::instance(false);
    m_ui.reset();
    m_inst.reset();
}

bool TestChangesE2e::upload(const QString& address, hosting::HostingServer* publishedBy) {
    m_frm->cmd_disconn_Click();
    m_frm->txt_severIP->setText(address);
    m_frm->txt_pwd->setText(QStringLiteral("417305"));
    QTest::mouseClick(m_frm->cmd_connSever, Qt::LeftButton);
    if (!QTest::qWaitFor([] { return mdl_upData::state().loggedIn; }, 10000))
        return false;
    std::unique_ptr<QSignalSpy> published;
    if (publishedBy)
        published = std::make_unique<QSignalSpy>(publishedBy, &hosting::HostingServer::published);
    m_ui->clear();
    QTest::mouseClick(m_frm->cmd_updata, Qt::LeftButton);
    const auto finalMessage = [&] {
        for (const RecordedMessage& m : m_ui->messages) {
            if (m.text.startsWith(u"数据传输完毕！"))
                return m.text;
        }
        return QString();
    };
    const bool sent = QTest::qWaitFor([&] { return !finalMessage().isEmpty(); }, 60000);
    const bool ok = sent && (!published || (QTest::qWaitFor([&] { return !published->isEmpty(); }, 60000) &&
                                            published->first().at(1).toBool()));
    if (!ok) {
        for (const RecordedMessage& m : m_ui->messages)
            qWarning() << "shown:" << m.text;
        if (published && !published->isEmpty())
            qWarning() << "published:" << published->first();
    }
    m_finalMessage = finalMessage();
    return ok;
}

void TestChangesE2e::secondUploadSendsOnlyTheChanges() {
    // Two reference servers: one takes uploads of changes, through a relay that counts the
    // bytes; the other is offered whole archives only, for comparison.
    QTemporaryDir dataA, dataB;
    hosting::Options oa;
    oa.dataDir = dataA.path();
    oa.skinsDir = builtInstallPath() + QStringLiteral("skins");
    hosting::HostingServer a(oa);
    QVERIFY(a.start(QHostAddress::LocalHost, 0));
    hosting::Options ob = oa;
    ob.dataDir = dataB.path();
    ob.offerChanges = false;
    hosting::HostingServer b(ob);
    QVERIFY(b.start(QHostAddress::LocalHost, 0));
    QVERIFY(a.accounts().registerSite("20061001", "demo"));
    QVERIFY(b.accounts().registerSite("20061001", "demo"));
    Relay relay(a.port());
    const QString viaRelay = QStringLiteral("127.0.0.1:%1").arg(relay.port());
    const QString toB = QStringLiteral("127.0.0.1:%1").arg(b.port());

    // A news page with a picture, and 50 MB of pictures that do not compress.
    const QString work = workspace::currImgPath();
    const mdl_nov::AddResult node = mdl_nov::addNode(mdl_nov::Level::None, {}, QStringLiteral("新闻中心"), false, "news");
    QCOMPARE(node.status, mdl_nov::AddResult::Added);
    const QString key = mdl_nov::levelPrefix(node.level) + QStringLiteral("_1");
    QImage photo(64, 48, QImage::Format_RGB32);
    photo.fill(Qt::darkRed);
    QVERIFY(photo.save(work + "news.jpg"));
    mdl_entry::News news{QStringLiteral("开业"), QStringLiteral("2026-03-01"), QStringLiteral("正文"), "news.jpg"};
    const mdl_entry::Result stored = mdl_entry::addNews(key, QStringLiteral("新闻中心"), news);
    QVERIFY(stored.ok());
    QVERIFY(mdl_entry::addNews(key, QStringLiteral("新闻中心"), {QStringLiteral("第二条"), "2026-03-02", "内容", {}}).ok());
    QByteArray noise(2 << 20, Qt::Uninitialized);
    for (int i = 0; i < 25; ++i) {
        QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        writeFile(work + QStringLiteral("photo%1.jpg").arg(i), noise);
    }
    writeFile(work + "images/banner.gif", "GIF89a banner");

    QVERIFY(upload(viaRelay, &a));
    const qint64 first = relay.up;
    QVERIFY2(first > 50 << 20, qPrintable(QString::number(first)));
    QVERIFY(upload(toB, &b));
    QCOMPARE(tree(a.siteFolder("demo")), tree(b.siteFolder("demo")));
    QCOMPARE(tree(a.publishedFolder("demo")), tree(b.publishedFolder("demo")));

    // One record and one picture change.
    news.title = QStringLiteral("盛大开业");
    QVERIFY(mdl_entry::modifyNews(key, stored.id, news).ok());
    photo.fill(Qt::darkBlue);
    QVERIFY(photo.save(work + "news.jpg"));
    relay.up = 0;
    QVERIFY(upload(viaRelay, &a));
    const qint64 second = relay.up;
    QVERIFY2(second * 100 < first, qPrintable(QStringLiteral("%1 of %2").arg(second).arg(first)));
    QVERIFY2(m_finalMessage.contains(QStringLiteral("其余 50 MB 未改动")), qPrintable(m_finalMessage));
    QVERIFY(upload(toB, &b));
    const QMap<QString, QByteArray> published = tree(a.publishedFolder("demo"));
    QCOMPARE(published, tree(b.publishedFolder("demo")));
    QCOMPARE(tree(a.siteFolder("demo")), tree(b.siteFolder("demo")));
    QVERIFY(QString::fromUtf8(readAll(a.siteFolder("demo") + "dalmbuilder.tdc")).size() > 0);
    QCOMPARE(readAll(a.siteFolder("demo") + "news.jpg"), readAll(work + "news.jpg"));
}

void TestChangesE2e::serverWithoutOfferGetsTheWholeArchive() {
    const QString work = workspace::currImgPath();
    writeFile(work + "photo.jpg", QByteArray(200 * 1024, 'p'));
    writeFile(work + "images/banner.gif", "GIF89a banner");
    StandIn old;
    QVERIFY(upload(QStringLiteral("127.0.0.1:%1").arg(old.port()), nullptr));
    QCOMPARE(m_finalMessage, QStringLiteral("数据传输完毕！"));
    QTRY_COMPARE(qint64(old.archive.size()), old.expected);
    QVERIFY(old.texts.filter("<#manifest#>").isEmpty());
    QTemporaryDir unpacked;
    writeFile(unpacked.filePath("upload.zip"), old.archive);
    QDir().mkpath(unpacked.filePath("site"));
    const hosting::UnpackResult r =
        hosting::unpackArchive(unpacked.filePath("upload.zip"), unpacked.filePath("site"), hosting::Quotas{});
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(readAll(unpacked.filePath("site/photo.jpg")), readAll(work + "photo.jpg"));
    QCOMPARE(readAll(unpacked.filePath("site/dalmbuilder.tdc")), readAll(work + "dalmbuilder.tdc"));
    QCOMPARE(readAll(unpacked.filePath("site/images/banner.gif")), QByteArray("GIF89a banner"));
}

QTEST_MAIN(TestChangesE2e)
#include "tst_changes_e2e.moc"
