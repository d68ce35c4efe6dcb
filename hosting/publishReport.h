#pragma once
// What the owner reads after a publication besides "published": what the renderer left out
// or changed, in a few lines of the server's message.

#include <QString>
#include <QStringList>

namespace hosting {

// Lines of the message that name at most this many kinds of note; the rest are counted.
constexpr int kReportedNotes = 5;

// The renderer's notes as the end of the message, each line led by "<br>": a heading, one
// line per kind of note (the notes "图片不存在：a.jpg" and "图片不存在：b.jpg" share
// one), and how many kinds are not listed. Empty when there are no notes. The text holds
// no markup of its own and stays short, so that one read of the socket brings it whole.
QString publishNotes(const QStringList& log);

} // namespace hosting
