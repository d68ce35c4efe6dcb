// orvane-publish [--address URL] UPLOAD_FOLDER OUTPUT_FOLDER [SKINS_FOLDER]
// Renders an unpacked upload into a static site, as the hosting server does after an
// upload; the skins default to the "skins" folder beside this program. With --address,
// the site's public address, the pages name themselves absolutely and the feeds and
// the sitemap are written.

#include "publish/publish.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString address;
    if (args.size() >= 2 && args.first() == u"--address") {
        address = args.at(1);
        args = args.mid(2);
    }
    QTextStream err(stderr);
    if (args.size() < 2 || args.size() > 3 || args.first().startsWith(u'-')) {
        err << "usage: orvane-publish [--address URL] UPLOAD_FOLDER OUTPUT_FOLDER [SKINS_FOLDER]\n"
               "Renders the site database and files of an unpacked upload into a static\n"
               "site in OUTPUT_FOLDER (which must be new or empty).\n";
        return 2;
    }
    const QString skins =
        args.size() == 3 ? args.at(2) : QCoreApplication::applicationDirPath() + QStringLiteral("/skins");
    publish::Options options;
    options.uploadDir = args.at(0);
    options.outDir = args.at(1);
    options.skinsDir = skins;
    options.publicAddress = address;
    const publish::Result r = publish::renderSite(options);
    for (const QString& line : r.log)
        err << line << '\n';
    if (!r.ok) {
        err << "publish failed: " << r.error << '\n';
        return 1;
    }
    QTextStream(stdout) << r.pages << " pages in " << QDir(args.at(1)).absolutePath() << '\n';
    return 0;
}
