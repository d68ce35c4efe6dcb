#pragma once
// Lets a local page call into the program: the page finds `bridge` as `window.bridge`
// (set as soon as the channel is up) and calls its invokable methods.

#include <QString>

class QObject;
class QWebEnginePage;

namespace pagebridge {

// Publishes `bridge` to every document `page` loads from now on.
void attach(QWebEnginePage* page, QObject* bridge);

// `text` as a script string literal, quotes and line breaks escaped.
QString jsString(const QString& text);

} // namespace pagebridge
