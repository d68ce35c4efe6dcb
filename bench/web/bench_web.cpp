// The built-in web server on a folder of sites, for bench/web/run.sh: serves DIR/<short
// name>/ as <short name>.localhost on PORT until stopped, and writes the nginx
// configuration for the same folder, so that both serve the same files the same way.

#include "hosting/httpServe.h"
#include "hosting/webFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <iostream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::cerr << "usage: bench_web SITES_DIR PORT NGINX_CONF NGINX_PORT\n";
        return 2;
    }
    const QString sites = QDir(args.at(1)).absolutePath() + u'/';
    if (!hosting::writeCompressedCopies(sites)) {
        std::cerr << "cannot write the compressed copies\n";
        return 1;
    }
    hosting::NginxOptions o;
    o.sitesDir = sites;
    o.port = args.at(4).toInt();
    o.listen = QStringLiteral("127.0.0.1");
    QFile conf(args.at(3));
    if (!conf.open(QIODevice::WriteOnly) || conf.write(hosting::nginxConfig(o).toUtf8()) < 0) {
        std::cerr << "cannot write " << args.at(3).toStdString() << '\n';
        return 1;
    }
    conf.close();
    hosting::HttpServe http([sites](const QString& name) {
        const QString folder = sites + name.toLower();
        return QFileInfo(folder).isDir() ? folder + u'/' : QString();
    });
    QString why;
    if (!http.start(QHostAddress::LocalHost, quint16(args.at(2).toUInt()), &why)) {
        std::cerr << why.toStdString() << '\n';
        return 1;
    }
    std::cout << "serving on " << http.port() << std::endl;
    return app.exec();
}
