#include "common/uiServices.h"

#include "common/mdl_func.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QKeyEvent>

namespace ui {

namespace {

// A message box whose Esc key and close box never pick an answer the user did not press:
// they cancel when "取消" is offered, take the only button of a one-button box, and
// otherwise answer nothing.
class AnswerBox final : public QMessageBox {
public:
    AnswerBox(QMessageBox::Icon icon, const QString& title, const QString& text,
              QMessageBox::StandardButtons buttons, QWidget* parent)
        : QMessageBox(icon, title, text, buttons, parent),
          m_dismissOnly(!buttons.testFlag(QMessageBox::Cancel) && this->buttons().size() > 1) {
        // The answers to "save before going on?" read the same on every desktop.
        const std::pair<QMessageBox::StandardButton, QString> texts[] = {
            {QMessageBox::Save, QStringLiteral("保存")},
            {QMessageBox::Discard, QStringLiteral("不保存")},
            {QMessageBox::Cancel, QStringLiteral("取消")}};
        if (buttons.testFlag(QMessageBox::Discard)) {
            for (const auto& [which, caption] : texts) {
                if (QAbstractButton* b = button(which))
                    b->setText(caption);
            }
        }
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (m_dismissOnly && event->matches(QKeySequence::Cancel)) {
            done(QMessageBox::NoButton);
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (m_dismissOnly) {
            event->accept();
            done(QMessageBox::NoButton);
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool m_dismissOnly;
};

class DesktopServices final : public Services {
public:
    QMessageBox::StandardButton message(QWidget* parent, const QString& text, const QString& title,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons) override {
        AnswerBox box(icon, title, text, buttons, parent);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    std::optional<QString> openFile(QWidget* parent, const QString& filter,
                                    const QString& proposedName) override {
        const QString file = QFileDialog::getOpenFileName(parent, QString(), proposedName,
                                                          mdl_func::dialogFilter(filter));
        if (file.isEmpty())
            return std::nullopt;
        return file;
    }

    std::optional<QString> saveFile(QWidget* parent, const QString& filter,
                                    const QString& proposedName) override {
        const QString file = QFileDialog::getSaveFileName(parent, QString(), proposedName,
                                                          mdl_func::dialogFilter(filter));
        if (file.isEmpty())
            return std::nullopt;
        return file;
    }

    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override {
        const QColor c = QColorDialog::getColor(initial, parent);
        if (!c.isValid())
            return std::nullopt;
        return c;
    }

    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& initial) override {
        const QString dir = QFileDialog::getExistingDirectory(parent, title, initial);
        if (dir.isEmpty())
            return std::nullopt;
        return dir;
    }

    std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label,
                                   const QString& initial) override {
        bool ok = false;
        const QString text =
            QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    }

    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

DesktopServices g_desktop;
Services* g_current = &g_desktop;

} // namespace

Services& services() {
    return *g_current;
}

void install(Services* s) {
    g_current = s ? s : &g_desktop;
}

QMessageBox::StandardButton message(QWidget* parent, const QString& text, const QString& title,
                                    QMessageBox::Icon icon, QMessageBox::StandardButtons buttons) {
    return services().message(parent, text, title, icon, buttons);
}

std::optional<QString> openFile(QWidget* parent, const QString& filter,
                                const QString& proposedName) {
    return services().openFile(parent, filter, proposedName);
}

std::optional<QString> saveFile(QWidget* parent, const QString& filter,
                                const QString& proposedName) {
    return services().saveFile(parent, filter, proposedName);
}

std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) {
    return services().chooseColor(parent, initial);
}

std::optional<QString> chooseFolder(QWidget* parent, const QString& title, const QString& initial) {
    return services().chooseFolder(parent, title, initial);
}

std::optional<QString> askText(QWidget* parent, const QString& title, const QString& label,
                               const QString& initial) {
    return services().askText(parent, title, label, initial);
}

bool openUrl(const QUrl& url) {
    return services().openUrl(url);
}

} // namespace ui
