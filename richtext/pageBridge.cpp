#include "richtext/pageBridge.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace pagebridge {

void attach(QWebEnginePage* page, QObject* bridge) {
    auto* channel = new QWebChannel(page);
    channel->registerObject(QStringLiteral("bridge"), bridge);
    page->setWebChannel(channel);

    QFile lib(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    QString source;
    if (lib.open(QIODevice::ReadOnly))
        source = QString::fromUtf8(lib.readAll());
    source += QStringLiteral("\nnew QWebChannel(qt.webChannelTransport, function (channel) {"
                             " window.bridge = channel.objects.bridge; });\n");

    QWebEngineScript script;
    script.setName(QStringLiteral("orvaneBridge"));
    script.setSourceCode(source);
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld);
    script.setRunsOnSubFrames(false);
    page->scripts().insert(script);
}

QString jsString(const QString& text) {
    // A JSON string is a valid script string literal.
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

} // namespace pagebridge
