// The pictures the pages show: each through the picture pipeline, at the widths its box
// uses; other media files as they are.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"

#include <QDirIterator>
#include <QFile>
#include <QSaveFile>

namespace publish {

WebPictures& Renderer::web() {
    if (!m_web)
        m_web = std::make_unique<WebPictures>(m_out, m_options.pictureCache,
                                              m_options.pictureWorkers);
    return *m_web;
}

QString Renderer::img(const QString& stored, const QString& alt, Box box, bool firstScreen,
                      const QString& cls) {
    const QString source = uploadFile(stored);
    if (source.isEmpty() || !isPictureFile(stored)) {
        if (!stored.trimmed().isEmpty())
            note(QStringLiteral("图片不存在：") + stored);
        return {};
    }
    const QString markup = pictureMarkup(web().show(source, box), box, alt, cls, firstScreen);
    if (!markup.isEmpty())
        m_pictureMarkup[source] << markup;
    return markup;
}

// The address a stored file is published at: a picture shown whole, another media file
// as it is; "" when it cannot be shown.
QString Renderer::picture(const QString& stored) {
    const auto known = m_pictures.constFind(stored);
    if (known != m_pictures.constEnd())
        return *known;
    QString url;
    const QString source = uploadFile(stored);
    if (!source.isEmpty() && isPictureFile(stored)) {
        const ShownPicture shown = web().show(source, Box::Whole);
        if (shown.ok) {
            url = shown.largest().url;
            m_pictureMarkup[source] << QLatin1String(" href=\"") + url + u'"';
        }
    } else if (!source.isEmpty() && isMediaFile(stored)) {
        m_copies.insert(stored, source);
        url = kPics + pct(stored);
    } else if (!stored.trimmed().isEmpty()) {
        note(QStringLiteral("图片不存在：") + stored);
    }
    m_pictures.insert(stored, url);
    return url;
}

// Makes the pictures the pages asked for. One that cannot be made is left out of the
// pages already written, and named in the log; the rest of the site goes on.
bool Renderer::finishPictures() {
    if (!m_web)
        return true;
    m_web->finish();
    for (const QString& line : m_web->log())
        note(line);
    QStringList gone;
    for (const QString& source : m_web->failed())
        gone << m_pictureMarkup.value(source);
    if (gone.isEmpty())
        return true;
    QDirIterator pages(m_out, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QString file = pages.next();
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        QString html = QString::fromUtf8(f.readAll());
        f.close();
        bool changed = false;
        for (const QString& piece : std::as_const(gone)) {
            if (html.contains(piece)) {
                html.remove(piece);
                changed = true;
            }
        }
        QSaveFile out(file);
        if (changed && !(out.open(QIODevice::WriteOnly) && out.write(html.toUtf8()) >= 0 &&
                         out.commit()))
            return fail(QStringLiteral("无法写入 ") + file.mid(m_out.size()));
    }
    return true;
}

// Stored rich text as it goes out: the apostrophes back, the working folder's pictures
// pointing at their published copies. The rest is the user's own markup.
QString Renderer::rich(const QString& stored) {
    QString out = mdl_func::replaceStoredPictures(
        stored,
        [this](const QString& name) -> QString {
            return uploadFile(name).isEmpty() ? QString() : picture(name);
        },
        [this](const QString& written) -> QString {
            // Noted as missing; the address stays as the page wrote it.
            const QList<mdl_func::NameReading> readings = mdl_func::readingsOf(written);
            picture(readings.isEmpty() ? written : readings.constFirst().name);
            return kPics + written;
        });
    out.replace(QLatin1String("[&#39;]"), QLatin1String("'"));
    return out;
}

} // namespace publish
