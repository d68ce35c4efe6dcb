// orvane-hosting: the reference hosting server. Runs until its standard input ends with
// "quit" or it is stopped; administrator commands are typed on its standard input.

#include "hosting/hostingServer.h"
#include "hosting/httpServe.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>
#include <iostream>

#include <unistd.h>

namespace {

QTextStream& out() {
    static QTextStream s(stdout);
    return s;
}

const char* kCommands = "commands:\n"
                        "  talk ACCOUNT TEXT      send an administrator message\n"
                        "  system ACCOUNT TEXT    send a system message (\"<br>\" breaks lines)\n"
                        "  template ACCOUNT       tell the client its template was refused\n"
                        "  kick ACCOUNT           close the account's connections\n"
                        "  notice [TEXT]          set the notice (none when TEXT is left out)\n"
                        "  messages               list the messages kept for the administrator\n"
                        "  accounts               list the accounts and their site names\n"
                        "  password ACCOUNT PWD   create an account or set its password\n"
                        "  quit                   stop the server\n";

void runCommand(hosting::HostingServer& server, const QString& line) {
    const QString cmd = line.section(u' ', 0, 0, QString::SectionSkipEmpty);
    const QString arg1 = line.section(u' ', 1, 1, QString::SectionSkipEmpty);
    const QString rest = line.section(u' ', 2, -1, QString::SectionSkipEmpty);
    if (cmd.isEmpty())
        return;
    if (cmd == u"talk" && !arg1.isEmpty()) {
        out() << "reached " << server.pushTalk(arg1, rest) << " connection(s)\n";
    } else if (cmd == u"system" && !arg1.isEmpty()) {
        out() << "reached " << server.pushSystem(arg1, rest) << " connection(s)\n";
    } else if (cmd == u"template" && !arg1.isEmpty()) {
        out() << "reached " << server.pushSelectTemplate(arg1) << " connection(s)\n";
    } else if (cmd == u"kick" && !arg1.isEmpty()) {
        out() << "closed " << server.dropConnections(arg1) << " connection(s)\n";
    } else if (cmd == u"notice") {
        server.setNotice(line.section(u' ', 1, -1, QString::SectionSkipEmpty));
        out() << (server.notice().isEmpty() ? "no notice\n" : "notice set\n");
    } else if (cmd == u"messages") {
        for (const hosting::TalkMessage& m : server.talks())
            out() << m.when.toString(Qt::ISODate) << ' ' << m.accountNo << ": " << m.text << '\n';
    } else if (cmd == u"accounts") {
        for (const QString& a : server.accounts().accountNumbers())
            out() << a << ' ' << server.accounts().siteName(a) << '\n';
    } else if (cmd == u"password" && !arg1.isEmpty() && !rest.isEmpty()) {
        out() << (server.accounts().setPassword(arg1, rest) ? "password set\n" : "failed\n");
    } else if (cmd == u"quit") {
        QCoreApplication::quit();
    } else {
        out() << kCommands;
    }
    out().flush();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane-hosting"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The reference hosting server: accounts, site short names, notices, "
                       "messages and site uploads for the client, over TCP.\n\n") +
        QString::fromLatin1(kCommands));
    parser.addHelpOption();
    QCommandLineOption portOpt(QStringLiteral("port"),
                               QStringLiteral("TCP port to listen on (default 1234)."),
                               QStringLiteral("port"), QStringLiteral("1234"));
    QCommandLineOption dataOpt(QStringLiteral("data"),
                               QStringLiteral("Data folder for accounts and sites (default "
                                              "./hosting-data)."),
                               QStringLiteral("dir"), QStringLiteral("hosting-data"));
    QCommandLineOption listenOpt(QStringLiteral("listen"),
                                 QStringLiteral("Address to listen on (default 127.0.0.1)."),
                                 QStringLiteral("address"), QStringLiteral("127.0.0.1"));
    QCommandLineOption httpPortOpt(QStringLiteral("http-port"),
                                   QStringLiteral("HTTP port the published sites are served on, "
                                                  "as http://HOST:PORT/<short name>/ (default "
                                                  "8080)."),
                                   QStringLiteral("port"), QStringLiteral("8080"));
    parser.addOption(portOpt);
    parser.addOption(httpPortOpt);
    parser.addOption(dataOpt);
    parser.addOption(listenOpt);
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(portOpt).toUInt(&ok);
    if (!ok || port > 65535) {
        std::cerr << "invalid port: " << parser.value(portOpt).toStdString() << '\n';
        return 2;
    }
    const uint httpPort = parser.value(httpPortOpt).toUInt(&ok);
    if (!ok || httpPort > 65535) {
        std::cerr << "invalid HTTP port: " << parser.value(httpPortOpt).toStdString() << '\n';
        return 2;
    }
    const QHostAddress address(parser.value(listenOpt));
    if (address.isNull()) {
        std::cerr << "invalid address: " << parser.value(listenOpt).toStdString() << '\n';
        return 2;
    }

    hosting::Options options;
    options.dataDir = QDir(parser.value(dataOpt)).absolutePath() + u'/';
    hosting::HostingServer server(options);
    QObject::connect(&server, &hosting::HostingServer::logLine, [](const QString& line) {
        out() << line << '\n';
        out().flush();
    });
    QObject::connect(&server, &hosting::HostingServer::talkReceived,
                     [](const QString& account, const QString& text) {
                         out() << "message from " << account << ": " << text << '\n';
                         out().flush();
                     });
    QString why;
    if (!server.start(address, static_cast<quint16>(port), &why)) {
        std::cerr << "cannot start: " << why.toStdString() << '\n';
        return 1;
    }
    hosting::HttpServe http([&server](const QString& name) { return server.siteFolder(name); });
    if (!http.start(address, static_cast<quint16>(httpPort), &why)) {
        std::cerr << "cannot serve HTTP: " << why.toStdString() << '\n';
        return 1;
    }
    out() << "listening on " << address.toString() << ':' << server.port() << ", data in "
          << options.dataDir << '\n';
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + address.toString() + u']'
                             : address.toString();
    out() << "serving the published sites on http://" << host << ':' << http.port()
          << "/<short name>/\n";
    out().flush();

    // Administrator commands, one a line, on standard input.
    QSocketNotifier stdinReady(fileno(stdin), QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&stdinReady, &QSocketNotifier::activated, [&] {
        char chunk[4096];
        const ssize_t got = ::read(fileno(stdin), chunk, sizeof chunk);
        if (got <= 0) {
            stdinReady.setEnabled(false); // input closed: keep serving
            return;
        }
        pending.append(chunk, got);
        qsizetype nl;
        while ((nl = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(nl)).trimmed();
            pending.remove(0, nl + 1);
            runCommand(server, line);
        }
    });
    return app.exec();
}
