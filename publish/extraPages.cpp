// The extra pages of the upload, published beside the site and named in its navigation.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"

#include "common/gbk.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace publish {

namespace {

// The title of an HTML file of the upload, from its first 64 KB; empty when it has none.
QString pageTitleOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = f.read(64 * 1024);
    const QString text = gbk::isValidUtf8(head) ? QString::fromUtf8(head) : gbk::decode(head);
    const QRegularExpression title(QStringLiteral("<title[^>]*>(.*?)</title>"),
                                   QRegularExpression::CaseInsensitiveOption |
                                       QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    const QRegularExpressionMatch m = title.match(text);
    if (!m.hasMatch())
        return {};
    QString t = m.captured(1);
    t.remove(tag);
    return t.simplified();
}

} // namespace

bool Renderer::extraPages() {
    const QStringList names = m_site.value(QStringLiteral("field01")).split(QStringLiteral("||"));
    for (const QString& stored : names) {
        if (stored.trimmed().isEmpty())
            continue;
        const QString suffix = QFileInfo(stored).suffix().toLower();
        const QString source = uploadFile(stored);
        if (source.isEmpty() || (suffix != u"htm" && suffix != u"mht")) {
            note(QStringLiteral("其他网页不存在：") + stored);
            continue;
        }
        const QString name = QFileInfo(source).fileName();
        if (name.compare(kHome, Qt::CaseInsensitive) == 0)
            continue;
        m_extraFiles.append({source, name});
        QString title = suffix == u"htm" ? pageTitleOf(source) : QString();
        if (title.isEmpty())
            title = QFileInfo(name).completeBaseName();
        m_extraNav << QLatin1String("<li class=\"orv-l1\">") + link(pct(name), cut(title, 20)) +
                          QLatin1String("</li>");
    }
    return true;
}

} // namespace publish
