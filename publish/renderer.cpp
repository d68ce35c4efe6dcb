// A rendering from start to end: the upload read, the pages written, the files copied.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"

#include <QFile>
#include <QFileInfo>

namespace publish {

Result Renderer::run() {
    const ReadResult read = readSite(m_up + QLatin1String("dalmbuilder.tdc"));
    if (!read.ok) {
        m_result.error = read.error;
        return m_result;
    }
    m_site = read.site;
    for (const QString& line : m_site.skipped)
        note(line);
    if (!prepareOut() || !chooseSkins())
        return m_result;
    listUpload();
    readAppearance();
    prepareFinding();
    nameNodes();

    m_siteName = m_site.value(QStringLiteral("webName")).trimmed().isEmpty()
                     ? orgName()
                     : m_site.value(QStringLiteral("webName"));
    m_footer = QLatin1String("<div class=\"orv-footer\"><p class=\"orv-footer-name\">") +
               esc(orgName()) + QLatin1String("</p>") + contactList() +
               QStringLiteral("<p class=\"orv-copyright\">版权所有 &copy; ") + esc(orgName()) +
               QLatin1String("</p></div>");
    const QString contacts = contactList();
    m_contactBlock = contacts.isEmpty() ? QString()
                                        : block(QStringLiteral("contact"),
                                                QStringLiteral("联系我们"), QString(), contacts);

    if (!extraPages())
        return m_result;
    // The site navigation opens all three levels while the tree is small; a large tree
    // shows its third level in the section navigation only, so that every page does not
    // carry the whole tree.
    m_navDepth = m_site.nodes.size() <= kFullNavigation ? 3 : 2;

    bool ok = m_customHome.isEmpty() ? homePage() : customHomePage();
    for (int i = 0; ok && i < m_site.nodes.size(); ++i)
        ok = nodePages(i);
    if (ok)
        ok = notFoundPage() && favicon() && feeds() && sitemapAndRobots() && copyAssets() &&
             finishPictures();
    m_result.ok = ok;
    return m_result;
}

bool Renderer::prepareOut() {
    QDir out(m_out);
    if (out.exists() &&
        !out.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
             .isEmpty())
        return fail(QStringLiteral("发布文件夹不是空的：") + m_out);
    for (const char* sub : {"", "pics", "skin/common", "skin/names"}) {
        if (!QDir().mkpath(m_out + QLatin1String(sub)))
            return fail(QStringLiteral("无法建立发布文件夹：") + m_out + QLatin1String(sub));
    }
    return true;
}

void Renderer::listUpload() {
    const QFileInfoList files =
        QDir(m_up).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo& f : files) {
        m_upExact.insert(f.fileName());
        m_upFiles.insert(f.fileName().toLower(), f.fileName());
    }
}

// The upload's file of a stored name (exactly, or else in another letter case), as a
// path; empty when there is none or the name is not one plain file name.
QString Renderer::uploadFile(const QString& stored) const {
    if (!isPlainFileName(stored))
        return {};
    if (m_upExact.contains(stored))
        return m_up + stored;
    const QString other = m_upFiles.value(stored.toLower());
    return other.isEmpty() ? QString() : m_up + other;
}

QString Renderer::unique(const QString& base) {
    QString name = base;
    for (int n = 2; m_used.contains(name); ++n)
        name = base + u'x' + QString::number(n);
    m_used.insert(name);
    return name;
}

bool Renderer::write(const QString& file, const QString& html) {
    QFile f(m_out + file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("无法写入 ") + file + QStringLiteral("：") + f.errorString());
    const QByteArray bytes = html.toUtf8();
    if (f.write(bytes) != bytes.size())
        return fail(QStringLiteral("无法写入 ") + file + QStringLiteral("：") + f.errorString());
    if (file.endsWith(QLatin1String(".html")) && file != kNotFound) {
        ++m_result.pages;
        m_written << file;
    }
    return true;
}

bool Renderer::copyInto(const QString& source, const QString& target) {
    QFile::remove(m_out + target);
    if (!QFile::copy(source, m_out + target))
        return fail(QStringLiteral("无法复制 ") + target);
    QFile::setPermissions(m_out + target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::ReadOther);
    return true;
}

// The skins' files the pages name, the pictures and the custom pages' files.
bool Renderer::copyAssets() {
    if (!copyInto(m_skins + QLatin1String("common/base.css"),
                  QStringLiteral("skin/common/base.css")))
        return false;
    QSet<QString> codes{m_innerCode};
    if (m_customHome.isEmpty())
        codes.insert(m_homeCode);
    for (const QString& code : std::as_const(codes)) {
        const QString dir = m_skins + QLatin1String("templates/") + code + u'/';
        QDir().mkpath(m_out + QLatin1String("skin/") + code);
        const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files | QDir::NoSymLinks);
        for (const QFileInfo& f : files) {
            if (f.fileName() != u"skin.html" &&
                !copyInto(f.absoluteFilePath(),
                          QLatin1String("skin/") + code + u'/' + f.fileName()))
                return false;
        }
    }
    QSet<QString> styles{m_innerStyle};
    if (m_customHome.isEmpty())
        styles.insert(m_homeStyle);
    for (const QString& id : std::as_const(styles)) {
        if (!id.isEmpty() &&
            !copyInto(m_skins + QLatin1String("names/") + id + QLatin1String(".css"),
                      QLatin1String("skin/names/") + id + QLatin1String(".css")))
            return false;
    }
    if (!m_effect.number.isEmpty()) {
        QDir().mkpath(m_out + QLatin1String("skin/effects"));
        if (!copyInto(m_skins + QLatin1String("effects/") + m_effect.number + QLatin1String(".js"),
                      QLatin1String("skin/effects/") + m_effect.number + QLatin1String(".js")))
            return false;
    }
    for (auto it = m_copies.constBegin(); it != m_copies.constEnd(); ++it) {
        if (!copyInto(it.value(), kPics + it.key()))
            return false;
    }
    for (const auto& [source, target] : std::as_const(m_extraFiles)) {
        if (!copyInto(source, target))
            return false;
    }
    // The pictures of the custom home page and the extra pages.
    if (!m_customHome.isEmpty() || !m_extraFiles.isEmpty()) {
        const QFileInfoList images =
            QDir(m_up + QLatin1String("images"))
                .entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden);
        if (!images.isEmpty())
            QDir().mkpath(m_out + QLatin1String("images"));
        for (const QFileInfo& f : images) {
            if (isPlainFileName(f.fileName()) &&
                !copyInto(f.absoluteFilePath(), QLatin1String("images/") + f.fileName()))
                return false;
        }
    }
    return true;
}

} // namespace publish
