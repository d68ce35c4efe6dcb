#include "publish/skin.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace publish {

namespace {

bool isSlotChar(QChar c) {
    return (c >= u'a' && c <= u'z') || c == u'_';
}

} // namespace

bool Skin::load(const QString& file, QString* error) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = file + QStringLiteral("：") + f.errorString();
        return false;
    }
    const QString text = QString::fromUtf8(f.readAll());
    m_parts.clear();
    m_slots.clear();
    m_literalSize = 0;
    qsizetype from = 0;
    for (;;) {
        qsizetype open = text.indexOf(QLatin1String("{{"), from);
        qsizetype end = -1;
        // Find the next "{{name}}"; a "{{" that opens no placeholder is text.
        while (open >= 0) {
            qsizetype i = open + 2;
            while (i < text.size() && isSlotChar(text.at(i)))
                ++i;
            if (i > open + 2 && text.mid(i, 2) == QLatin1String("}}")) {
                end = i;
                break;
            }
            open = text.indexOf(QLatin1String("{{"), open + 1);
        }
        if (open < 0) {
            m_parts.append({text.mid(from), false});
            m_literalSize += text.size() - from;
            break;
        }
        m_parts.append({text.mid(from, open - from), false});
        m_literalSize += open - from;
        const QString name = text.mid(open + 2, end - open - 2);
        m_parts.append({name, true});
        if (!m_slots.contains(name))
            m_slots << name;
        from = end + 2;
    }
    return true;
}

QString Skin::fill(const QHash<QString, QString>& values) const {
    qsizetype size = m_literalSize;
    for (const Part& p : m_parts) {
        if (p.slot)
            size += values.value(p.text).size();
    }
    QString out;
    out.reserve(size);
    for (const Part& p : m_parts) {
        if (p.slot)
            out += values.value(p.text);
        else
            out += p.text;
    }
    return out;
}

const Catalogue::Template* Catalogue::find(const QString& code) const {
    for (const Template& t : templates) {
        if (t.code == code)
            return &t;
    }
    return nullptr;
}

Catalogue loadCatalogue(const QString& file) {
    Catalogue cat;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return cat;
    const QJsonObject root = QJsonDocument::fromJson(f.readAll()).object();
    for (const QJsonValue& v : root.value(QLatin1String("templates")).toArray()) {
        const QJsonObject o = v.toObject();
        Catalogue::Template t;
        t.code = o.value(QLatin1String("code")).toString();
        t.kind = o.value(QLatin1String("kind")).toString();
        t.nameStyle = o.value(QLatin1String("nameStyle")).toString();
        const QJsonObject blocks = o.value(QLatin1String("blocks")).toObject();
        t.news = qBound(1, blocks.value(QLatin1String("news")).toInt(t.news), 50);
        t.products = qBound(1, blocks.value(QLatin1String("products")).toInt(t.products), 50);
        t.gallery = qBound(1, blocks.value(QLatin1String("gallery")).toInt(t.gallery), 50);
        if (!t.code.isEmpty())
            cat.templates.append(t);
    }
    for (const QJsonValue& v : root.value(QLatin1String("nameStyles")).toArray())
        cat.nameStyles << v.toObject().value(QLatin1String("id")).toString();
    return cat;
}

} // namespace publish
