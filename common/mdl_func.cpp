#include "common/mdl_func.h"

#include <QRegularExpression>
#include <QStringList>
#include <QUrl>

namespace mdl_func {

namespace {

// The working folder as the browser engine writes it in a picture's address: raw, and
// percent-encoded (a folder with blanks or Chinese characters).
QStringList fileUrlsOf(const QString& imgPath) {
    QStringList urls;
    urls << QStringLiteral("file://") + imgPath;
    const QString encoded = QUrl::fromLocalFile(imgPath).toString(QUrl::FullyEncoded);
    if (!urls.contains(encoded))
        urls << encoded;
    return urls;
}

} // namespace

QString encode(const QString& text) {
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String("<br>"));
    s.replace(u'\n', QLatin1String("<br>"));
    s.replace(u'\r', QLatin1String("<br>"));
    s.replace(u'\'', QLatin1String("&#39;"));
    s.replace(u' ', QLatin1String("&nbsp;"));
    s.replace(u'"', QLatin1String("&#34;"));
    return s;
}

QString decode(const QString& text) {
    QString s = text;
    s.replace(QLatin1String("<br>"), QLatin1String("\n"));
    s.replace(QLatin1String("&#34;"), QLatin1String("\""));
    s.replace(QLatin1String("&nbsp;"), QLatin1String(" "));
    s.replace(QLatin1String("&#39;"), QLatin1String("'"));
    return s;
}

QString toStoredHtml(const QString& markup, const QString& imgPath) {
    QString s = markup;
    const int body = s.toLower().indexOf(QLatin1String("<body"));
    if (body >= 0) {
        const int close = s.indexOf(u'>', body);
        s = close >= 0 ? s.mid(close + 1) : QString();
    }
    const int end = s.toLower().lastIndexOf(QLatin1String("</body>"));
    if (end >= 0)
        s.truncate(end);
    // The working folder first: its path may itself hold an apostrophe.
    if (!imgPath.isEmpty()) {
        for (const QString& url : fileUrlsOf(imgPath))
            s.replace(url, QLatin1String("[imgpath]/"));
        s.replace(imgPath, QLatin1String("[imgpath]/"));
    }
    s.replace(u'\'', QLatin1String("[&#39;]"));
    return s;
}

QString fromStoredHtml(const QString& stored, const QString& imgPath) {
    QString s = stored;
    s.replace(QLatin1String("[&#39;]"), QLatin1String("'"));
    s.replace(QLatin1String("[imgpath]/"), QStringLiteral("file://") + imgPath);
    return s;
}

bool isNumeric(const QString& text) {
    static const QRegularExpression re(
        QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$)"));
    return re.match(text).hasMatch();
}

QString checkedNumInput(const QString& text, const std::optional<QString>& accepted) {
    const auto passes = [](const QString& t) { return t.isEmpty() || isNumeric(t); };
    if (passes(text))
        return text;
    if (accepted && passes(*accepted))
        return *accepted;
    QString kept = text;
    do
        kept.chop(1);
    while (!passes(kept));
    return kept;
}

QString htmlColor(const QColor& color) {
    return QStringLiteral("#%1%2%3")
        .arg(color.red(), 2, 16, QLatin1Char('0'))
        .arg(color.green(), 2, 16, QLatin1Char('0'))
        .arg(color.blue(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

QString dialogFilter(const QString& descPatternFilter) {
    const QStringList parts = descPatternFilter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns)
            p = p.trimmed();
        filters << parts[i].trimmed() + QStringLiteral(" (") + patterns.join(u' ') +
                       QStringLiteral(")");
    }
    return filters.join(QLatin1String(";;"));
}

} // namespace mdl_func

bool cls_func::isEng(const QString& text) const {
    for (QChar c : text) {
        if (c.unicode() < 32 || c.unicode() > 127)
            return false;
    }
    return true;
}
