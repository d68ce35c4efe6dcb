#include "common/unsavedWork.h"

namespace unsavedWork {

QString quitQuestion(const QStringList& items) {
    QString text = QStringLiteral("以下修改还没有保存：\n");
    for (const QString& item : items)
        text += QStringLiteral("\n　　") + item;
    text += QStringLiteral("\n\n退出前是否保存这些修改？");
    return text;
}

} // namespace unsavedWork
