// The pictures the pages show: where each stored picture is published.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"

namespace publish {

QString Renderer::picture(const QString& stored) {
    const auto known = m_pictures.constFind(stored);
    if (known != m_pictures.constEnd())
        return *known;
    QString url;
    const QString source = uploadFile(stored);
    if (!source.isEmpty() && isMediaFile(stored)) {
        m_copies.insert(stored, source);
        url = kPics + pct(stored);
    } else if (!stored.trimmed().isEmpty()) {
        note(QStringLiteral("图片不存在：") + stored);
    }
    m_pictures.insert(stored, url);
    return url;
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
