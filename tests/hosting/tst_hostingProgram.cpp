// The orvane-hosting program as a person runs it: options, first start, commands typed
// on its standard input.

#include "common/gbk.h"
#include "fixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

class TestHostingProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpNamesTheOptions();
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();
    void commandsReachConnectedClient();

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
    // The published sites are served on a port of their own; an unknown site is not found.
    QTRY_VERIFY((out += QString::fromLocal8Bit(server.readAllStandardOutput()),
                 (m = QRegularExpression("sites on http://127\\.0\\.0\\.1:(\\d+)/").match(out)).hasMatch()));
    QTcpSocket web;
    web.connectToHost(QHostAddress::LocalHost, quint16(m.captured(1).toUInt()));
    QVERIFY(web.waitForConnected(5000));
    web.write("GET /nosuch/ HTTP/1.1\r\nHost: localhost\r\n\r\n");
    QTRY_VERIFY(web.waitForReadyRead(100) || web.bytesAvailable());
    QVERIFY(web.readAll().startsWith("HTTP/1.1 404"));

    QTcpSocket client;
    QString received;
    connect(&client, &QTcpSocket::readyRead, [&] { received += gbk::decode(client.readAll()); });
    client.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(client.waitForConnected(5000));
    client.write("<#login#>20061001||417305");
    QTRY_COMPARE(received, QStringLiteral("<#login#>"));
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

QTEST_GUILESS_MAIN(TestHostingProgram)
#include "tst_hostingProgram.moc"
