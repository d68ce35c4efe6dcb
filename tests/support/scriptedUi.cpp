#include "scriptedUi.h"

ScriptedUi::ScriptedUi() {
    ui::install(this);
}

ScriptedUi::~ScriptedUi() {
    ui::install(nullptr);
}

QMessageBox::StandardButton ScriptedUi::message(QWidget*, const QString& text, const QString& title,
                                                QMessageBox::Icon icon,
                                                QMessageBox::StandardButtons buttons) {
    messages.append({text, title, icon, buttons});
    if (!answers.isEmpty())
        return answers.dequeue();
    if (buttons.testFlag(QMessageBox::Ok))
        return QMessageBox::Ok;
    if (buttons.testFlag(QMessageBox::Yes))
        return QMessageBox::Yes;
    return QMessageBox::NoButton;
}

std::optional<QString> ScriptedUi::openFile(QWidget*, const QString& filter, const QString&) {
    fileFilters << filter;
    return files.isEmpty() ? std::nullopt : files.dequeue();
}

std::optional<QString> ScriptedUi::saveFile(QWidget*, const QString& filter, const QString&) {
    fileFilters << filter;
    return files.isEmpty() ? std::nullopt : files.dequeue();
}

std::optional<QColor> ScriptedUi::chooseColor(QWidget*, const QColor&) {
    return colors.isEmpty() ? std::nullopt : colors.dequeue();
}

std::optional<QString> ScriptedUi::chooseFolder(QWidget*, const QString&, const QString&) {
    return folders.isEmpty() ? std::nullopt : folders.dequeue();
}

std::optional<QString> ScriptedUi::askText(QWidget*, const QString&, const QString&,
                                           const QString&) {
    return texts.isEmpty() ? std::nullopt : texts.dequeue();
}

bool ScriptedUi::openUrl(const QUrl& url) {
    openedUrls << url;
    return true;
}
