#pragma once
// The seam between windows and the modal dialogs of the desktop: every message box,
// file, colour and folder dialog and every opened address goes through here, so tests
// can install a scripted implementation that records and answers instead of blocking.

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QUrl>

#include <optional>

class QWidget;

namespace ui {

class Services {
public:
    virtual ~Services() = default;

    // Shows a message box; the button the user pressed. Esc and the box's close button
    // answer Cancel when it is offered, the only button of a one-button box, and
    // otherwise NoButton: they never stand for Yes or No. Save, Discard and Cancel read
    // "保存", "不保存" and "取消".
    virtual QMessageBox::StandardButton message(QWidget* parent, const QString& text,
                                                const QString& title, QMessageBox::Icon icon,
                                                QMessageBox::StandardButtons buttons) = 0;
    // Asks for an existing file. `filter` is in the "description|pattern" form.
    // No value when the user cancels.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& filter,
                                            const QString& proposedName) = 0;
    // Asks for a file name to write. No value when the user cancels.
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& filter,
                                            const QString& proposedName) = 0;
    // Asks for a colour. No value when the user cancels.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) = 0;
    // Asks for a folder. No value when the user cancels.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                                const QString& initial) = 0;
    // Asks for one line of text, offering `initial`. No value when the user cancels.
    virtual std::optional<QString> askText(QWidget* parent, const QString& title,
                                           const QString& label, const QString& initial) = 0;
    // Opens an address with the desktop's default program.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The services in force: the real dialogs unless a test installed others.
Services& services();
// Installs `s` (not owned); nullptr restores the real dialogs.
void install(Services* s);

// Shorthands for the services in force.
QMessageBox::StandardButton message(QWidget* parent, const QString& text,
                                    const QString& title = QStringLiteral("提示"),
                                    QMessageBox::Icon icon = QMessageBox::Information,
                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok);
std::optional<QString> openFile(QWidget* parent, const QString& filter,
                                const QString& proposedName = {});
std::optional<QString> saveFile(QWidget* parent, const QString& filter,
                                const QString& proposedName = {});
std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial = Qt::black);
std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                    const QString& initial = {});
std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label,
                               const QString& initial = {});
bool openUrl(const QUrl& url);

} // namespace ui
