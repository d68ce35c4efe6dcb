#include "appearance/mdl_effects.h"

#include "common/mdl_func.h"

#include <cmath>

namespace mdl_effects {

namespace {

const QString kSep = QStringLiteral("||");

QString orDefault(const QString& text, const char* fallback) {
    return text.isEmpty() ? QLatin1String(fallback) : text;
}

// A distance typed with a fraction or an exponent, as a whole number (halves to even).
QString wholeNumber(const QString& text) {
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return QStringLiteral("0");
    return QString::number(static_cast<qint64>(std::nearbyint(v)));
}

} // namespace

AdBoard parseAdBoard(const QString& stored) {
    AdBoard b;
    const QStringList p = stored.split(kSep);
    QString* boxes[] = {&b.width, &b.height, &b.top, &b.left, &b.title};
    for (int i = 0; i < 5; ++i) {
        if (p.size() > i + 1)
            *boxes[i] = p[i + 1];
    }
    if (p.size() > 6)
        b.content = mdl_func::decode(p.mid(6).join(kSep));
    return b;
}

QString buildAdBoard(const AdBoard& b) {
    const QString left = b.left.isEmpty() ? QStringLiteral("0") : wholeNumber(b.left);
    return QStringList{QStringLiteral("1"),
                       orDefault(b.width, "300"),
                       orDefault(b.height, "200"),
                       orDefault(b.top, "0"),
                       left,
                       b.title,
                       mdl_func::encode(b.content)}
        .join(kSep);
}

sitedb::Outcome storeAdBoard(const AdBoard& board) {
    if (board.title.contains(kSep))
        return sitedb::Outcome::failure(QString::fromUtf16(kTitleSeparatorText));
    return sitedb::setUserInfo(QStringLiteral("adBoard"), buildAdBoard(board));
}

const QStringList& scriptEffects() {
    static const QStringList kEffects = {
        QStringLiteral("标题特效"),        QStringLiteral("屏幕时钟"),
        QStringLiteral("跟随鼠标的星星"),  QStringLiteral("跟随鼠标的文字"),
        QStringLiteral("鼠标点击特效"),    QStringLiteral("跟随鼠标的彩色字符"),
        QStringLiteral("状态栏特效1"),     QStringLiteral("状态栏特效2"),
        QStringLiteral("状态栏特效3"),     QStringLiteral("状态栏特效4"),
        QStringLiteral("状态栏特效5"),     QStringLiteral("状态栏特效6"),
        QStringLiteral("状态栏特效7"),
    };
    return kEffects;
}

bool usesText(int position) {
    return position != 1 && position != 2;
}

QString scriptFile(int position) {
    return QStringLiteral("%1.asp").arg(position, 2, 10, QLatin1Char('0'));
}

Script parseScript(const QString& stored) {
    Script s;
    const QStringList p = stored.split(kSep);
    if (p.size() > 1) {
        bool ok = false;
        const int position = p[1].left(2).toInt(&ok);
        if (ok && position >= 0 && position < scriptEffects().size())
            s.position = position;
    }
    if (p.size() > 2)
        s.text = p.mid(2).join(kSep);
    return s;
}

QString buildScript(const Script& s) {
    return QStringLiteral("1") + kSep + scriptFile(s.position) + kSep +
           (usesText(s.position) ? s.text : QString());
}

sitedb::Outcome storeScript(const Script& script) {
    if (script.position < 0 || script.position >= scriptEffects().size())
        return sitedb::Outcome::failure(QStringLiteral("没有这种脚本效果"));
    return sitedb::setUserInfo(QStringLiteral("javascript"), buildScript(script));
}

} // namespace mdl_effects
