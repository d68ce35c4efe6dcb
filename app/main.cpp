#include "app/frmSplash.h"
#include "app/startup.h"

#include <QApplication>

#include <unistd.h>

int main(int argc, char** argv) {
    // The browser engine refuses to run its sandbox as root.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral("3.05"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Qt's own texts (message box buttons, file dialogs, edit menus) in Chinese too.
    if (!startup::loadQtTranslations())
        qWarning("qtbase_zh_CN translation not found; Qt's own texts stay in English");

    auto* splash = new frmSplash();
    splash->show();
    splash->raise();

    // The splash timer opens the main frame; from there the frame runs the program.
    return app.exec();
}
