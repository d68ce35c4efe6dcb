#include "content/entryDialog.h"

#include "common/pictureDialog.h"
#include "common/uiServices.h"
#include "common/workWindow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

using workWindow::named;

entryDialog::entryDialog(const Target& target, bool modify, QWidget* parent)
    : QDialog(parent), m_target(target) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    OKButton = named(new QPushButton(modify ? QStringLiteral("修改") : QStringLiteral("添加"), this),
                     "OKButton");
    CancelButton = named(new QPushButton(QStringLiteral("取消"), this), "CancelButton");
    OKButton->setDefault(true);
    CancelButton->setAutoDefault(false);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, &entryDialog::CancelButton_Click);
}

QLayout* entryDialog::buttonRow() {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(OKButton);
    row->addWidget(CancelButton);
    return row;
}

void entryDialog::enterMovesOn(QLineEdit* box) {
    m_enterMovesOn << box;
    box->installEventFilter(this);
}

bool entryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && m_enterMovesOn.contains(watched)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString entryDialog::pictureFilter() {
    return QStringLiteral("图像文件(*.jpg;*.bmp;*.gif)|*.jpg;*.bmp;*.gif");
}

int entryDialog::exec() {
    if (m_refused)
        return QDialog::Rejected;
    return QDialog::exec();
}

void entryDialog::done(int result) {
    // Closed without storing: the files it brought in go again unless something names them.
    if (result != QDialog::Accepted)
        m_pictures.dropped();
    QDialog::done(result);
}

void entryDialog::refuse() {
    m_refused = true;
    if (isVisible())
        reject();
    else
        m_pictures.dropped();
}

std::optional<pictures::Choice> entryDialog::askPicture(const pictures::ChoiceOptions& options) {
    std::optional<pictures::Choice> choice =
        pictures::ask(this, pictureFilter(), options, QStringLiteral("警告"));
    if (choice)
        m_pictures.broughtIn(*choice);
    return choice;
}

void entryDialog::takePicture(const QString& name) {
    if (!prevFileName.isEmpty() && prevFileName != name)
        m_pictures.replacing(prevFileName);
    fileName = name;
    prevFileName = name;
}

bool entryDialog::loadRecord(sitedb::Row* row) {
    const mdl_entry::Loaded l = mdl_entry::loadRecord(m_target.nodeKey, m_target.id);
    switch (l.kind) {
    case mdl_entry::Loaded::Found:
        *row = l.row;
        return true;
    case mdl_entry::Loaded::NoLevel:
        ui::message(this, QStringLiteral("不期望的错误：栏目选择错误！"), QStringLiteral("错误"),
                    QMessageBox::Critical);
        refuse();
        return false;
    case mdl_entry::Loaded::Missing:
        // Deleted meanwhile: saving would store nothing over nothing.
        ui::message(this, QStringLiteral("该条数据已不存在！"), QStringLiteral("提示"),
                    QMessageBox::Critical);
        refuse();
        return false;
    case mdl_entry::Loaded::Failed:
        ui::message(this, l.error, QStringLiteral("提示"), QMessageBox::Critical);
        return false;
    }
    return false;
}

bool entryDialog::settle(const mdl_entry::Result& result, NoLevel noLevel) {
    switch (result.kind) {
    case mdl_entry::Result::NoLevel:
        if (noLevel == NoLevel::Stay) {
            ui::message(this, QStringLiteral("没有在左边选择栏目！"), QStringLiteral("警告"),
                        QMessageBox::Critical);
            return false;
        }
        ui::message(this, QStringLiteral("请在左边栏目选择节点！"), QStringLiteral("提示"),
                    QMessageBox::Critical);
        reject();
        return false;
    case mdl_entry::Result::Saved:
        m_pictures.saved();
        accept();
        return true;
    case mdl_entry::Result::Missing:
        ui::message(this, QStringLiteral("该条数据已不存在！"), QStringLiteral("提示"),
                    QMessageBox::Critical);
        reject();
        return false;
    default:
        ui::message(this, result.error, QStringLiteral("提示"), QMessageBox::Critical);
        return false;
    }
}
