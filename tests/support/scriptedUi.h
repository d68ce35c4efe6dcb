#pragma once
// UI services for tests: every message is recorded, every question answered from a
// queue, so no test ever blocks on a modal dialog. Installed for its lifetime.

#include "common/uiServices.h"

#include <QList>
#include <QQueue>

struct RecordedMessage {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

class ScriptedUi final : public ui::Services {
public:
    ScriptedUi();
    ~ScriptedUi() override;
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;

    // What was shown, in order.
    QList<RecordedMessage> messages;
    QList<QString> fileFilters;
    QList<QUrl> openedUrls;

    // Answers, taken in order. An unanswered message box gets its first button of
    // Ok, Yes; an unanswered file, colour, folder or text dialog is cancelled.
    QQueue<QMessageBox::StandardButton> answers;
    QQueue<std::optional<QString>> files;
    QQueue<std::optional<QColor>> colors;
    QQueue<std::optional<QString>> folders;
    QQueue<std::optional<QString>> texts;

    // The text of the last message, or empty.
    QString lastText() const { return messages.isEmpty() ? QString() : messages.back().text; }
    const RecordedMessage& last() const { return messages.back(); }
    void clear() { messages.clear(); }

    QMessageBox::StandardButton message(QWidget* parent, const QString& text, const QString& title,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons) override;
    std::optional<QString> openFile(QWidget* parent, const QString& filter,
                                    const QString& proposedName) override;
    std::optional<QString> saveFile(QWidget* parent, const QString& filter,
                                    const QString& proposedName) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& initial) override;
    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label,
                                   const QString& initial) override;
    bool openUrl(const QUrl& url) override;
};
