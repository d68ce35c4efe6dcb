#include "common/dialogs.h"

#include "common/mdl_func.h"
#include "common/uiServices.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace mdl_func {

bool checkNumInput(QLineEdit* box) {
    // The box remembers the last text it accepted, so that a refused keystroke or paste
    // anywhere in the text gives that text back.
    static const char* const kAccepted = "orvaneAcceptedNumber";
    const QString text = box->text();
    const QVariant accepted = box->property(kAccepted);
    const QString kept = checkedNumInput(
        text, accepted.isValid() ? std::optional<QString>(accepted.toString()) : std::nullopt);
    box->setProperty(kAccepted, kept);
    if (kept == text)
        return true;
    box->setFocus();
    {
        // Taking the character away must not run the box's own change handler again.
        const QSignalBlocker quiet(box);
        box->setText(kept);
    }
    box->setCursorPosition(kept.size());
    ui::message(box, QStringLiteral("请输入数字！"), QStringLiteral("提示"),
                QMessageBox::Information);
    return false;
}

QString chooseColor(QWidget* parent) {
    const std::optional<QColor> c = ui::chooseColor(parent, Qt::black);
    if (!c) {
        ui::message(parent, QString::fromUtf16(kCancelledText), QStringLiteral("提示"),
                    QMessageBox::Critical);
        return QStringLiteral("#000000");
    }
    return htmlColor(*c);
}

} // namespace mdl_func

namespace mdl_mdifrm {

QString browseFolder(QWidget* owner, const QString& title, const QString& initial) {
    const std::optional<QString> dir = ui::chooseFolder(owner, title, initial);
    if (!dir)
        return QString();
    QString path = *dir;
    const int nul = path.indexOf(QChar(0));
    if (nul >= 0)
        path.truncate(nul);
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

} // namespace mdl_mdifrm
