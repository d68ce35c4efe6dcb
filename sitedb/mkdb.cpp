// Build tool: generates the pristine site database from the schema and seed scripts.
// Usage: orvane-mkdb OUTPUT SCRIPT...
#include "sitedb/sitedb.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: orvane-mkdb OUTPUT SCRIPT...\n");
        return 2;
    }
    const sitedb::Outcome out = sitedb::createFromScripts(args.front(), args.mid(1));
    if (!out.ok) {
        std::fprintf(stderr, "orvane-mkdb: %s\n", qPrintable(out.error));
        return 1;
    }
    return 0;
}
