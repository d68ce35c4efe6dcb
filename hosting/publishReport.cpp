#include "hosting/publishReport.h"

#include "publish/markup.h"

#include <QList>
#include <QPair>

#include <algorithm>

namespace hosting {

namespace {

// Characters of one line and names shown for one kind of note.
constexpr int kLineLength = 60;
constexpr int kNamesShown = 3;

// A name from an upload goes into the message as text: the client reads "<br>" as a line
// break and may take other tags for markup.
QString plain(QString text) {
    text.replace(u'<', u'＜').replace(u'>', u'＞');
    return text.simplified();
}

} // namespace

QString publishNotes(const QStringList& log) {
    // Notes of one kind read "kind：name"; each kind keeps the order of its first note.
    QList<QPair<QString, QStringList>> kinds;
    for (const QString& raw : log) {
        const QString note = plain(raw);
        if (note.isEmpty())
            continue;
        const qsizetype colon = note.indexOf(u'：');
        const bool named = colon > 0 && colon + 1 < note.size();
        const QString kind = named ? note.left(colon) : note;
        auto it = std::find_if(kinds.begin(), kinds.end(), [&](const auto& k) { return k.first == kind; });
        if (it == kinds.end()) {
            kinds.append({kind, {}});
            it = kinds.end() - 1;
        }
        if (named && !it->second.contains(note.mid(colon + 1)))
            it->second << note.mid(colon + 1);
    }
    if (kinds.isEmpty())
        return {};
    QString out = QStringLiteral("<br>发布时略去或改动了以下内容：");
    for (qsizetype i = 0; i < kinds.size() && i < kReportedNotes; ++i) {
        const auto& [kind, names] = kinds.at(i);
        QString line = kind;
        if (!names.isEmpty())
            line += u'：' + names.mid(0, kNamesShown).join(u'、') +
                    (names.size() > kNamesShown ? QStringLiteral(" 等 %1 项").arg(names.size()) : QString());
        out += QStringLiteral("<br>· ") + publish::cut(line, kLineLength - 1);
    }
    if (kinds.size() > kReportedNotes)
        out += QStringLiteral("<br>另有 %1 项未列出。").arg(kinds.size() - kReportedNotes);
    return out;
}

} // namespace hosting
