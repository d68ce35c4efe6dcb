#pragma once
// The pop-up window and the script effect the published home page carries, stored each
// as one "||" list in `user_info` (`adBoard`, `javascript`), the on/off flag first.

#include "sitedb/sitedb.h"

#include <QString>
#include <QStringList>

namespace mdl_effects {

// The pop-up window's settings as its editor shows them.
struct AdBoard {
    QString width = QStringLiteral("400");
    QString height = QStringLiteral("500");
    QString top = QStringLiteral("0");
    QString left = QStringLiteral("0");
    QString title;
    QString content; // as typed
};
// The stored list read into the editor's boxes; missing pieces keep the initial values.
AdBoard parseAdBoard(const QString& stored);
// "1||width||height||top||left||title||content": 300, 200, 0 and 0 for empty boxes, the
// left distance as a whole number, the content escaped for storage.
QString buildAdBoard(const AdBoard& board);
// A title holding "||" would be read back split in two, so it is refused with this
// text before anything is stored.
inline constexpr const char16_t* kTitleSeparatorText =
    u"标题中不能包含“||”，请修改标题后再保存！";
sitedb::Outcome storeAdBoard(const AdBoard& board);

// The thirteen effects' captions, in list order.
const QStringList& scriptEffects();
// The effects whose display text the server shows (all but the clock and the stars).
bool usesText(int position);
// "00.asp" … "12.asp".
QString scriptFile(int position);

struct Script {
    int position = 0;
    QString text;
};
// The effect named by the first two characters of the script file and its display text.
Script parseScript(const QString& stored);
// "1||NN.asp||text", the text left out for an effect that shows none.
QString buildScript(const Script& script);
sitedb::Outcome storeScript(const Script& script);

} // namespace mdl_effects
