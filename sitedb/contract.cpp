#include "sitedb/contract.h"

namespace sitedb {

Level levelOfKey(const QString& key) {
    const QStringView prefix = QStringView(key).left(3);
    if (prefix == u"fst")
        return Level::First;
    if (prefix == u"snd")
        return Level::Second;
    if (prefix == u"thd")
        return Level::Third;
    return Level::None;
}

QString levelPrefix(Level level) {
    switch (level) {
    case Level::First:
        return QStringLiteral("fst");
    case Level::Second:
        return QStringLiteral("snd");
    case Level::Third:
        return QStringLiteral("thd");
    case Level::None:
        break;
    }
    return QStringLiteral("roo");
}

Level childLevel(Level level) {
    switch (level) {
    case Level::None:
        return Level::First;
    case Level::First:
        return Level::Second;
    case Level::Second:
        return Level::Third;
    case Level::Third:
        break;
    }
    return Level::None;
}

QString catalogTable(Level level) {
    switch (level) {
    case Level::First:
        return QStringLiteral("firstCatalog");
    case Level::Second:
        return QStringLiteral("secondCatalog");
    case Level::Third:
        return QStringLiteral("thirdCatalog");
    case Level::None:
        break;
    }
    return {};
}

QString contentTable(Level level) {
    switch (level) {
    case Level::First:
        return QStringLiteral("content01");
    case Level::Second:
        return QStringLiteral("content02");
    case Level::Third:
        return QStringLiteral("content03");
    case Level::None:
        break;
    }
    return {};
}

const QStringList& formatKeys() {
    static const QStringList keys{
        QStringLiteral("txt"),      QStringLiteral("news"),     QStringLiteral("imgTxt01"),
        QStringLiteral("imgTxt02"), QStringLiteral("imgTxt03"), QStringLiteral("bigImg"),
        QStringLiteral("imgs"),     QStringLiteral("adv"),      QStringLiteral("prod01"),
        QStringLiteral("prod02"),   QStringLiteral("prod03")};
    return keys;
}

bool isProductFormat(const QString& key) {
    return key.startsWith(QLatin1String("prod"));
}

bool isListFormat(const QString& key) {
    return key == u"news" || key == u"imgs" || isProductFormat(key);
}

} // namespace sitedb
