// The orvane-hosting program as a person runs it: options, first start, commands typed
// on its standard input.

#include "common/gbk.h"
#include "fixture.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

#include <sys/resource.h>

namespace {

// The login's acceptance, with the offer of uploads of changes that comes with it.
const QString kAccepted = QStringLiteral("<#login#><#deltaOffer#>sha256");

// Starts the program and waits for its port.
quint16 startServer(QProcess& server, const QString& program, const QStringList& args) {
    server.start(program, QStringList{"--port", "0"} + args);
    if (!server.waitForStarted(10000))
        return 0;
    QString out;
    QRegularExpressionMatch m;
    const QRegularExpression listening("listening on 127\\.0\\.0\\.1:(\\d+)");
    if (!QTest::qWaitFor(
            [&] {
                out += QString::fromLocal8Bit(server.readAllStandardOutput());
                return (m = listening.match(out)).hasMatch();
            },
            10000))
        return 0;
    return quint16(m.captured(1).toUInt());
}

struct Client {
    explicit Client(quint16 port) {
        QObject::connect(&socket, &QTcpSocket::readyRead,
                         [this] { received += gbk::decode(socket.readAll()); });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    QTcpSocket socket;
    QString received;
};

} // namespace

class TestHostingProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpNamesTheOptions();
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();
    void commandsReachConnectedClient();
    void accountsSurviveAKillMidWrite();
    void keepsServingAtTheDescriptorLimit();

private:
    static QString program() { return builtInstallPath() + QStringLiteral("orvane-hosting"); }
};

void TestHostingProgram::helpNamesTheOptions() {
    QProcess p;
    p.start(program(), {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(10000));
    const QString help = QString::fromLocal8Bit(p.readAllStandardOutput());
    QVERIFY(help.contains("--port"));
    QVERIFY(help.contains("1234"));
    QVERIFY(help.contains("--data"));
    QVERIFY(help.contains("--http-port"));
    QVERIFY(help.contains("8080"));
    QVERIFY(help.contains("talk ACCOUNT TEXT"));
}

void TestHostingProgram::badOptionsAreRefused_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("port not a number") << QStringList{"--port", "abc"};
    QTest::newRow("port too big") << QStringList{"--port", "70000"};
    QTest::newRow("HTTP port not a number") << QStringList{"--http-port", "web"};
    QTest::newRow("address") << QStringList{"--listen", "not-an-address"};
    QTest::newRow("site quota not a size") << QStringList{"--site-quota", "12X"};
    QTest::newRow("no connections at all") << QStringList{"--max-connections", "0"};
    QTest::newRow("negative time-out") << QStringList{"--idle", "-1"};
}

void TestHostingProgram::badOptionsAreRefused() {
    QFETCH(QStringList, args);
    QTemporaryDir data;
    QProcess p;
    p.start(program(), args << "--data" << data.path());
    QVERIFY(p.waitForFinished(10000));
    QVERIFY(p.exitCode() != 0);
    QVERIFY(!p.readAllStandardError().isEmpty());
}

void TestHostingProgram::commandsReachConnectedClient() {
    QTemporaryDir data;
    QProcess server;
    server.start(program(), {"--port", "0", "--http-port", "0", "--data", data.path()});
    QVERIFY(server.waitForStarted(10000));
    QString out;
    QRegularExpressionMatch m;
    QTRY_VERIFY_WITH_TIMEOUT(
        (out += QString::fromLocal8Bit(server.readAllStandardOutput()),
         (m = QRegularExpression("listening on 127\\.0\\.0\\.1:(\\d+)").match(out)).hasMatch()),
        10000);
    const quint16 port = quint16(m.captured(1).toUInt());
    // The published sites are served on a port of their own, each by its host name; an
    // unknown site is not found. The same sites are written out for nginx.
    QTRY_VERIFY((out += QString::fromLocal8Bit(server.readAllStandardOutput()),
                 (m = QRegularExpression("sites on http://<short name>\\.localhost:(\\d+)/").match(out)).hasMatch()));
    QTRY_VERIFY(QFile::exists(data.path() + "/nginx-sites.conf"));
    QTcpSocket web;
    web.connectToHost(QHostAddress::LocalHost, quint16(m.captured(1).toUInt()));
    QVERIFY(web.waitForConnected(5000));
    web.write("GET / HTTP/1.1\r\nHost: nosuch.localhost\r\n\r\n");
    QTRY_VERIFY(web.waitForReadyRead(100) || web.bytesAvailable());
    QVERIFY(web.readAll().startsWith("HTTP/1.1 404"));

    QTcpSocket client;
    QString received;
    connect(&client, &QTcpSocket::readyRead, [&] { received += gbk::decode(client.readAll()); });
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(5000));
    client.write("<#login#>20061001||417305");
    QTRY_COMPARE(received, kAccepted);
    received.clear();

    server.write(
        QStringLiteral("talk 20061001 您好\nnotice 周日维护\nsystem 20061001 A<br>B\n").toUtf8());
    QTRY_COMPARE(received, QStringLiteral("<#talkmsg#>您好<#systemmsg#>A<br>B"));
    received.clear();
    client.write("<#getversion#>3.05");
    QTRY_COMPARE(received, QStringLiteral("<#getversion#>周日维护"));

    client.write(gbk::encode(QStringLiteral("<#talkmsg#>网站打不开")));
    QTRY_VERIFY((out += QString::fromUtf8(server.readAllStandardOutput())).contains("网站打不开"));
    server.write("kick 20061001\n");
    QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);

    server.write("quit\n");
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(server.exitCode(), 0);
    QVERIFY(QFileInfo::exists(data.filePath("accounts.json")));
}

void TestHostingProgram::accountsSurviveAKillMidWrite() {
    QTemporaryDir data;
    {
        QProcess first;
        QVERIFY(startServer(first, program(), {"--data", data.path()}));
        first.write("quit\n");
        QVERIFY(first.waitForFinished(10000));
    }
    // Many accounts, so that every write of the file takes a while.
    QFile file(data.filePath("accounts.json"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QJsonObject all = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QVERIFY(all.contains("20061001"));
    const QJsonObject fake{{"salt", QString(32, u'a')}, {"hash", QString(64, u'b')}, {"site", ""}};
    for (int i = 0; i < 5000; ++i)
        all.insert(QStringLiteral("7%1").arg(i, 7, 10, QLatin1Char('0')), fake);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(all).toJson());
    file.close();

    for (int round = 0; round < 2; ++round) {
        QProcess server;
        QVERIFY(startServer(server, program(), {"--data", data.path()}));
        QByteArray commands;
        for (int i = 0; i < 300; ++i)
            commands += QStringLiteral("password 8%1 pw\n").arg(round * 1000 + i, 7, 10, QLatin1Char('0')).toLatin1();
        server.write(commands);
        // Whoever reads the file while it is being written sees a whole one, old or new.
        for (int look = 0; look < 150 + 100 * round; ++look) {
            QFile f(data.filePath("accounts.json"));
            QVERIFY(f.open(QIODevice::ReadOnly));
            QJsonParseError error;
            QJsonDocument::fromJson(f.readAll(), &error);
            QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(error.errorString()));
            QTest::qWait(2);
        }
        server.kill();
        QVERIFY(server.waitForFinished(10000));
    }
    // Started again, it has every account it had.
    QProcess server;
    const quint16 port = startServer(server, program(), {"--data", data.path()});
    QVERIFY(port);
    server.write("accounts\n");
    QString listed;
    QTRY_VERIFY((listed += QString::fromLocal8Bit(server.readAllStandardOutput())).contains("76999999") ||
                listed.contains("70004999"));
    Client c(port);
    c.socket.write("<#login#>20061001||417305");
    QTRY_COMPARE(c.received, kAccepted);
    server.write("quit\n");
    QVERIFY(server.waitForFinished(10000));
}

void TestHostingProgram::keepsServingAtTheDescriptorLimit() {
    QTemporaryDir data;
    QProcess server;
    server.setChildProcessModifier([] {
        rlimit r{48, 48};
        setrlimit(RLIMIT_NOFILE, &r);
    });
    const quint16 port = startServer(server, program(), {"--data", data.path(), "--max-per-address", "500"});
    QVERIFY(port);
    // Far more clients than the server has descriptors for.
    std::vector<std::unique_ptr<Client>> clients;
    for (int i = 0; i < 80; ++i)
        clients.push_back(std::make_unique<Client>(port));
    for (auto& c : clients)
        c->socket.write("<#login#>20061001||417305");
    // Each is either served or turned away; none is left waiting.
    const auto settled = [&] {
        int served = 0, closed = 0;
        for (auto& c : clients) {
            served += c->received == kAccepted;
            closed += c->socket.state() == QAbstractSocket::UnconnectedState;
        }
        return std::pair{served, closed};
    };
    QTRY_VERIFY_WITH_TIMEOUT(settled().first + settled().second == 80, 20000);
    QVERIFY(settled().first > 0);
    QVERIFY(settled().second > 0);
    // Once descriptors are free again, new clients are served.
    clients.clear();
    QTest::qWait(300);
    Client late(port);
    late.socket.write("<#login#>20061001||417305");
    QTRY_COMPARE_WITH_TIMEOUT(late.received, kAccepted, 10000);
    server.write("quit\n");
    QVERIFY(server.waitForFinished(10000));
}

QTEST_GUILESS_MAIN(TestHostingProgram)
#include "tst_hostingProgram.moc"
