// orvane-hosting: the reference hosting server. Runs until its standard input ends with
// "quit" or it is stopped; administrator commands are typed on its standard input.

#include "hosting/hostingServer.h"
#include "hosting/httpServe.h"
#include "hosting/siteLayout.h"
#include "hosting/webFiles.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSaveFile>
#include <QUrl>
#include <QSocketNotifier>
#include <QTextStream>

#include <cstdio>
#include <functional>
#include <iostream>

#include <sys/resource.h>
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

// The limits a person may set, each with its option.
struct LimitOption {
    enum Kind { Bytes, Count, Seconds };
    const char* name;
    Kind kind;
    qint64 minimum;
    const char* help;
    std::function<qint64&(hosting::Options&)> bytes = {};
    std::function<int&(hosting::Options&)> number = {};
};

const QList<LimitOption>& limitOptions() {
    using O = hosting::Options;
    static const QList<LimitOption> all{
        {"site-quota", LimitOption::Bytes, 1, "Most bytes one site may unpack to; a larger archive is "
         "refused when announced", [](O& o) -> qint64& { return o.quotas.siteBytes; }},
        {"max-files", LimitOption::Count, 1, "Most files in one upload, those of images.zip included",
         {}, [](O& o) -> int& { return o.quotas.entries; }},
        {"max-file-size", LimitOption::Bytes, 1, "Most bytes one file of an upload may unpack to",
         [](O& o) -> qint64& { return o.quotas.entryBytes; }},
        {"max-connections", LimitOption::Count, 1, "Most connections in all", {},
         [](O& o) -> int& { return o.maxConnections; }},
        {"max-per-address", LimitOption::Count, 1, "Most connections from one address", {},
         [](O& o) -> int& { return o.maxPerAddress; }},
        {"idle-login", LimitOption::Seconds, 0, "Seconds a connection may stay silent before its "
         "login (0: no limit)", {}, [](O& o) -> int& { return o.idleBeforeLoginMs; }},
        {"idle", LimitOption::Seconds, 0, "Seconds a logged-in connection may stay silent (0: no "
         "limit)", {}, [](O& o) -> int& { return o.idleAfterLoginMs; }},
        {"upload-stall", LimitOption::Seconds, 0, "Seconds an upload may wait for its next bytes "
         "(0: no limit)", {}, [](O& o) -> int& { return o.uploadStallMs; }},
        {"login-free", LimitOption::Count, 0, "Failed logins per account or address answered at "
         "once", {}, [](O& o) -> int& { return o.throttle.freeFailures; }},
        {"login-delay", LimitOption::Seconds, 0, "Seconds the next failed login waits, doubling "
         "with each further one", {}, [](O& o) -> int& { return o.throttle.firstDelayMs; }},
        {"login-lock-after", LimitOption::Count, 0, "Failed logins that lock the account or "
         "address (0: never)", {}, [](O& o) -> int& { return o.throttle.lockAfter; }},
        {"login-lock", LimitOption::Seconds, 1, "Seconds a lock lasts", {},
         [](O& o) -> int& { return o.throttle.lockMs; }},
    };
    return all;
}

QString valueText(const LimitOption& l, hosting::Options& o) {
    if (l.kind == LimitOption::Bytes) {
        const qint64 b = l.bytes(o);
        return b % (qint64(1) << 30) == 0   ? QString::number(b >> 30) + u'G'
               : b % (qint64(1) << 20) == 0 ? QString::number(b >> 20) + u'M'
                                            : QString::number(b);
    }
    if (l.kind == LimitOption::Seconds)
        return QString::number(l.number(o) / 1000.0);
    return QString::number(l.number(o));
}

// The renderer's skins and the limits.
void addServingOptions(QCommandLineParser& parser) {
    parser.addOption(QCommandLineOption(QStringLiteral("skins"),
                                        QStringLiteral("Skins folder of the site renderer "
                                                       "(default: skins beside the program)."),
                                        QStringLiteral("dir")));
    hosting::Options defaults;
    for (const LimitOption& l : limitOptions()) {
        const QString value = l.kind == LimitOption::Bytes     ? QStringLiteral("size")
                              : l.kind == LimitOption::Seconds ? QStringLiteral("seconds")
                                                               : QStringLiteral("n");
        parser.addOption(QCommandLineOption(
            QString::fromLatin1(l.name),
            QString::fromLatin1(l.help) + QStringLiteral(" (default ") + valueText(l, defaults) +
                QStringLiteral(")."),
            value));
    }
}

// A size: a whole number of bytes, or of K, M or G.
qint64 parseBytes(QString text, bool* ok) {
    text = text.trimmed().toUpper();
    int shift = 0;
    if (text.endsWith(u'K') || text.endsWith(u'M') || text.endsWith(u'G')) {
        shift = text.endsWith(u'K') ? 10 : text.endsWith(u'M') ? 20 : 30;
        text.chop(1);
    }
    const qint64 n = text.toLongLong(ok);
    if (*ok && (n < 0 || n > (qint64(1) << (62 - shift))))
        *ok = false;
    return n << shift;
}

bool applyServingOptions(const QCommandLineParser& parser, hosting::Options& o, QString* bad) {
    if (parser.isSet(QStringLiteral("skins")))
        o.skinsDir = QDir(parser.value(QStringLiteral("skins"))).absolutePath() + u'/';
    for (const LimitOption& l : limitOptions()) {
        const QString name = QString::fromLatin1(l.name);
        if (!parser.isSet(name))
            continue;
        const QString text = parser.value(name);
        bool ok = false;
        qint64 v = 0;
        if (l.kind == LimitOption::Bytes) {
            v = parseBytes(text, &ok);
        } else if (l.kind == LimitOption::Seconds) {
            const double s = text.toDouble(&ok);
            ok = ok && s >= 0 && s <= 86400.0 * 24;
            v = qRound64(s * 1000);
        } else {
            v = text.toLongLong(&ok);
            ok = ok && v <= 1000000000;
        }
        if (!ok || v < (l.kind == LimitOption::Seconds ? l.minimum * 1000 : l.minimum) ||
            (l.kind == LimitOption::Seconds && l.minimum > 0 && v == 0)) {
            *bad = QStringLiteral("--") + name + u' ' + text;
            return false;
        }
        if (l.bytes)
            l.bytes(o) = v;
        else
            l.number(o) = int(v);
    }
    return true;
}

// As many descriptors as the system lets this process have: every connection needs one.
void raiseDescriptorLimit() {
    rlimit r{};
    if (getrlimit(RLIMIT_NOFILE, &r) == 0 && r.rlim_cur < r.rlim_max) {
        r.rlim_cur = r.rlim_max;
        setrlimit(RLIMIT_NOFILE, &r);
    }
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
    addServingOptions(parser);
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
                                                  "as http://<short name>.DOMAIN:PORT/ (default "
                                                  "8080)."),
                                   QStringLiteral("port"), QStringLiteral("8080"));
    QCommandLineOption domainOpt(QStringLiteral("site-domain"),
                                 QStringLiteral("Domain the sites are served under, as "
                                                "http://<short name>.DOMAIN:PORT/ (default "
                                                "localhost)."),
                                 QStringLiteral("domain"), QStringLiteral("localhost"));
    QCommandLineOption sitePortOpt(QStringLiteral("site-port"),
                                   QStringLiteral("Port the published addresses name, when the "
                                                  "sites are served on another one, by nginx say "
                                                  "(default: the HTTP port)."),
                                   QStringLiteral("port"));
    QCommandLineOption certOpt(QStringLiteral("tls-cert"),
                               QStringLiteral("Certificate for the HTTPS server of the nginx "
                                              "configuration (with --tls-key)."),
                               QStringLiteral("file"));
    QCommandLineOption keyOpt(QStringLiteral("tls-key"),
                              QStringLiteral("Key of that certificate."), QStringLiteral("file"));
    parser.addOption(portOpt);
    parser.addOption(httpPortOpt);
    parser.addOption(domainOpt);
    parser.addOption(sitePortOpt);
    parser.addOption(certOpt);
    parser.addOption(keyOpt);
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

    const QString domain = parser.value(domainOpt).toLower();
    if (domain.isEmpty() || QUrl(QStringLiteral("http://x.") + domain + u'/').host() != u"x." + domain) {
        std::cerr << "invalid site domain: " << domain.toStdString() << '\n';
        return 2;
    }
    uint sitePort = 0;
    if (parser.isSet(sitePortOpt)) {
        sitePort = parser.value(sitePortOpt).toUInt(&ok);
        if (!ok || sitePort == 0 || sitePort > 65535) {
            std::cerr << "invalid site port: " << parser.value(sitePortOpt).toStdString() << '\n';
            return 2;
        }
    }

    hosting::Options options;
    options.dataDir = QDir(parser.value(dataOpt)).absolutePath() + u'/';
    options.siteDomain = domain;
    QString badLimit;
    if (!applyServingOptions(parser, options, &badLimit)) {
        std::cerr << "invalid value: " << badLimit.toStdString() << '\n';
        return 2;
    }
    raiseDescriptorLimit();
    hosting::HttpServe http(
        [dataDir = options.dataDir](const QString& name) { return hosting::publishedDir(dataDir, name); },
        domain);
    QString why;
    if (!http.start(address, static_cast<quint16>(httpPort), &why)) {
        std::cerr << "cannot serve HTTP: " << why.toStdString() << '\n';
        return 1;
    }
    options.sitePort = sitePort ? int(sitePort) : http.port();
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
    if (!server.start(address, static_cast<quint16>(port), &why)) {
        std::cerr << "cannot start: " << why.toStdString() << '\n';
        return 1;
    }
    out() << "listening on " << address.toString() << ':' << server.port() << ", data in "
          << options.dataDir << '\n';
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + address.toString() + u']'
                             : address.toString();
    out() << "serving the published sites on http://<short name>." << domain << ':' << http.port()
          << "/ (old addresses http://" << host << ':' << http.port() << "/<short name>/ move there)\n";
    // The same sites for nginx, for a host that serves many.
    hosting::NginxOptions nginx;
    nginx.sitesDir = options.dataDir + QStringLiteral("www/");
    nginx.domain = domain;
    nginx.port = options.sitePort;
    nginx.tlsCertificate = parser.value(certOpt);
    nginx.tlsKey = parser.value(keyOpt);
    QSaveFile conf(options.dataDir + QStringLiteral("nginx-sites.conf"));
    const QByteArray confText = hosting::nginxConfig(nginx).toUtf8();
    if (conf.open(QIODevice::WriteOnly) && conf.write(confText) == confText.size() && conf.commit())
        out() << "nginx configuration for the sites: " << conf.fileName() << '\n';
    else
        out() << "cannot write " << conf.fileName() << ": " << conf.errorString() << '\n';
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
