// The extra pages of the upload, published beside the site and named in its navigation.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"
#include "publish/mhtPage.h"

#include "common/gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace publish {

namespace {

// The title of an HTML file of the upload, from its first 64 KB; empty when it has none.
QString pageTitleOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = f.read(64 * 1024);
    return htmlTitle(gbk::isValidUtf8(head) ? QString::fromUtf8(head) : gbk::decode(head));
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
        QString title, address;
        if (suffix == u"mht" && !mhtExtraPage(source, name, &address, &title))
            return false;
        if (address.isEmpty()) {
            m_extraFiles.append({source, name});
            if (suffix == u"htm")
                title = pageTitleOf(source);
        }
        if (title.isEmpty())
            title = QFileInfo(name).completeBaseName();
        // An archive that could not be converted is offered for download.
        m_extraNav << QLatin1String("<li class=\"orv-l1\">") +
                          (address.isEmpty() && suffix == u"mht"
                               ? QString(QLatin1String("<a href=\"") + pct(name) +
                                         QLatin1String("\" download>") + esc(cut(title, 20)) +
                                         QLatin1String("</a>"))
                               : link(address.isEmpty() ? pct(name) : address, cut(title, 20))) +
                          QLatin1String("</li>");
    }
    return true;
}

bool Renderer::mhtExtraPage(const QString& source, const QString& name, QString* address,
                            QString* title) {
    QString stem = QFileInfo(name).completeBaseName();
    stem = unique(stem.isEmpty() ? QStringLiteral("page") : stem);
    const QString folder = stem + QLatin1String("_files/");
    QFile f(source);
    MhtPage page;
    if (f.open(QIODevice::ReadOnly))
        page = convertMht(f.readAll(), folder);
    else
        page.why = f.errorString();
    if (!page.ok) {
        note(QStringLiteral("其他网页无法转换，改为提供下载：") + name + QStringLiteral("（") +
             page.why + QStringLiteral("）"));
        return true;
    }
    if (!page.files.isEmpty() && !QDir().mkpath(m_out + folder))
        return fail(QStringLiteral("无法建立发布文件夹：") + m_out + folder);
    for (const MhtFile& file : std::as_const(page.files)) {
        QFile out(m_out + folder + file.name);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            out.write(file.bytes) != file.bytes.size())
            return fail(QStringLiteral("无法写入 ") + folder + file.name + QStringLiteral("：") +
                        out.errorString());
    }
    if (!write(stem + QLatin1String(".html"), QString::fromUtf8(page.html)))
        return false;
    *address = pct(stem + QLatin1String(".html"));
    *title = page.title;
    return true;
}

} // namespace publish
