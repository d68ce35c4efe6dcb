#include "app/frmSplash.h"
#include "app/startup.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

#include <unistd.h>

int main(int argc, char** argv) {
    // The browser engine refuses to run its sandbox as root.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral("3.05"));
    // Desktops group the windows under the menu entry "orvane.desktop" and show its icon
    // on the frame and every window of the program.
    QGuiApplication::setDesktopFileName(QStringLiteral("orvane"));
    QIcon icon;
    for (const QString& size : QDir(QStringLiteral(":/orvane")).entryList())
        icon.addFile(QStringLiteral(":/orvane/") + size);
    QApplication::setWindowIcon(icon);
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
