#include "common/pictureDialog.h"

#include "common/dialogs.h"
#include "common/uiServices.h"

namespace pictures {

std::optional<Choice> ask(QWidget* parent, const QString& filter, const ChoiceOptions& options,
                          const QString& failureTitle, const QString& proposedName) {
    const std::optional<QString> path = ui::openFile(parent, filter, proposedName);
    if (!path) {
        ui::message(parent, QString::fromUtf16(mdl_func::kCancelledText), failureTitle,
                    QMessageBox::Critical);
        return std::nullopt;
    }
    Choice choice = choose(*path, options);
    if (choice.status == Choice::NotAscii) {
        ui::message(parent, choice.message, QStringLiteral("提示"), QMessageBox::Information);
        return std::nullopt;
    }
    if (!choice.ok()) {
        ui::message(parent, choice.message, failureTitle, QMessageBox::Critical);
        return std::nullopt;
    }
    return choice;
}

} // namespace pictures
