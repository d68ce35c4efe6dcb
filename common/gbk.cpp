#include "common/gbk.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace gbk {

// GB 18030 is a superset of GBK that decodes every GBK sequence the same way; ICU
// gives both names, and the encoder below keeps to the GBK repertoire.
QString decode(const QByteArray& bytes) {
    QStringDecoder dec("GBK", QStringDecoder::Flag::Stateless);
    if (!dec.isValid())
        dec = QStringDecoder("GB18030", QStringDecoder::Flag::Stateless);
    // A blank can never end a double-byte character, so a lead byte cut off at the end
    // is reported as a replacement character instead of being dropped silently.
    QString text = dec.decode(bytes + ' ');
    text.chop(1);
    return text;
}

QByteArray encode(const QString& text) {
    QStringEncoder enc("GBK", QStringEncoder::Flag::Stateless);
    if (!enc.isValid())
        enc = QStringEncoder("GB18030", QStringEncoder::Flag::Stateless);
    return enc.encode(text);
}

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    Q_UNUSED(decoded);
    return !utf8.hasError();
}

} // namespace gbk
