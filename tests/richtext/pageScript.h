#pragma once
// Runs a script in a page and waits for its result, for the tests of the browser views.

#include <QTest>
#include <QVariant>
#include <QWebEnginePage>

inline QVariant pageScript(QWebEnginePage* page, const QString& script) {
    QVariant result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant& v) {
        result = v;
        done = true;
    });
    QTest::qWaitFor([&] { return done; }, 20000);
    return result;
}
