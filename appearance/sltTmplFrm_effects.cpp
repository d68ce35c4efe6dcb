#include "appearance/sltTmplFrm_effects.h"

#include "appearance/mdl_effects.h"
#include "common/dialogs.h"
#include "common/uiServices.h"
#include "common/workWindow.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using workWindow::named;

namespace {

QHBoxLayout* buttonRow(QPushButton* ok, QPushButton* cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    return row;
}

} // namespace

sltTmplFrm_adBoardFrm::sltTmplFrm_adBoardFrm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("sltTmplFrm_adBoardFrm"));
    setWindowTitle(QStringLiteral("弹出窗口编辑"));

    Frame2 = named(new QGroupBox(QStringLiteral("窗口属性(单位：像素)"), this), "Frame2");
    txt_left = named(new QLineEdit(QStringLiteral("0"), Frame2), "txt_left");
    txt_top = named(new QLineEdit(QStringLiteral("0"), Frame2), "txt_top");
    txt_width = named(new QLineEdit(QStringLiteral("400"), Frame2), "txt_width");
    txt_height = named(new QLineEdit(QStringLiteral("500"), Frame2), "txt_height");
    auto* sizes = new QGridLayout(Frame2);
    const std::pair<const char16_t*, QLineEdit*> boxes[] = {
        {u"距屏幕左边距离：", txt_left},
        {u"距屏幕顶边距离：", txt_top},
        {u"宽度：", txt_width},
        {u"高度：", txt_height}};
    int n = 0;
    for (const auto& [label, box] : boxes) {
        box->setMaximumWidth(90);
        sizes->addWidget(new QLabel(QString::fromUtf16(label), Frame2), n / 2, (n % 2) * 2,
                         Qt::AlignRight);
        sizes->addWidget(box, n / 2, (n % 2) * 2 + 1);
        connect(box, &QLineEdit::textEdited, this, [box] { mdl_func::checkNumInput(box); });
        ++n;
    }

    Frame1 = named(new QGroupBox(QStringLiteral("窗口内容"), this), "Frame1");
    txt_title = named(new QLineEdit(Frame1), "txt_title");
    txt_content = named(new QPlainTextEdit(Frame1), "txt_content");
    txt_content->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txt_content->setMinimumSize(380, 180);
    // Tab goes on to the buttons rather than into the content.
    txt_content->setTabChangesFocus(true);
    auto* content = new QFormLayout(Frame1);
    content->addRow(QStringLiteral("标题："), txt_title);
    content->addRow(QStringLiteral("内容："), txt_content);

    cmd_ok = named(new QPushButton(QStringLiteral("确定"), this), "cmd_ok");
    cmd_cancel = named(new QPushButton(QStringLiteral("取消"), this), "cmd_cancel");
    connect(cmd_ok, &QPushButton::clicked, this, &sltTmplFrm_adBoardFrm::cmd_ok_Click);
    connect(cmd_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Frame2);
    outer->addWidget(Frame1, 1);
    outer->addLayout(buttonRow(cmd_ok, cmd_cancel));
}

int sltTmplFrm_adBoardFrm::exec() {
    Form_Load();
    return QDialog::exec();
}

void sltTmplFrm_adBoardFrm::Form_Load() {
    const mdl_effects::AdBoard b =
        mdl_effects::parseAdBoard(sitedb::userInfo(QStringLiteral("adBoard")));
    txt_width->setText(b.width);
    txt_height->setText(b.height);
    txt_top->setText(b.top);
    txt_left->setText(b.left);
    txt_title->setText(b.title);
    txt_content->setPlainText(b.content);
}

void sltTmplFrm_adBoardFrm::cmd_ok_Click() {
    mdl_effects::AdBoard b;
    b.width = txt_width->text();
    b.height = txt_height->text();
    b.top = txt_top->text();
    b.left = txt_left->text();
    b.title = txt_title->text();
    b.content = txt_content->toPlainText();
    const sitedb::Outcome stored = mdl_effects::storeAdBoard(b);
    if (!stored) {
        ui::message(this, stored.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    accept();
}

sltTmplFrm_javaScrpt::sltTmplFrm_javaScrpt(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("sltTmplFrm_javaScrpt"));
    setWindowTitle(QStringLiteral("JavaScript脚本效果"));
    cmb_javaScript = named(new QComboBox(this), "cmb_javaScript");
    txt_javascript = named(new QLineEdit(this), "txt_javascript");
    txt_javascript->setMinimumWidth(320);
    OKButton = named(new QPushButton(QStringLiteral("确定"), this), "OKButton");
    CancelButton = named(new QPushButton(QStringLiteral("取消"), this), "CancelButton");
    connect(cmb_javaScript, &QComboBox::currentIndexChanged, this,
            &sltTmplFrm_javaScrpt::cmb_javaScript_Click);
    connect(OKButton, &QPushButton::clicked, this, &sltTmplFrm_javaScrpt::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名称："), cmb_javaScript);
    form->addRow(QStringLiteral("显示内容："), txt_javascript);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(form);
    outer->addStretch(1);
    outer->addLayout(buttonRow(OKButton, CancelButton));
}

int sltTmplFrm_javaScrpt::exec() {
    Form_Load();
    return QDialog::exec();
}

void sltTmplFrm_javaScrpt::Form_Load() {
    const mdl_effects::Script s =
        mdl_effects::parseScript(sitedb::userInfo(QStringLiteral("javascript")));
    {
        const QSignalBlocker quiet(cmb_javaScript);
        cmb_javaScript->clear();
        cmb_javaScript->addItems(mdl_effects::scriptEffects());
        cmb_javaScript->setCurrentIndex(-1);
    }
    cmb_javaScript->setCurrentIndex(s.position);
    txt_javascript->setText(s.text);
}

void sltTmplFrm_javaScrpt::cmb_javaScript_Click() {
    txt_javascript->setEnabled(mdl_effects::usesText(cmb_javaScript->currentIndex()));
}

void sltTmplFrm_javaScrpt::OKButton_Click() {
    mdl_effects::Script s;
    s.position = cmb_javaScript->currentIndex();
    s.text = txt_javascript->isEnabled() ? txt_javascript->text() : QString();
    const sitedb::Outcome stored = mdl_effects::storeScript(s);
    if (!stored) {
        ui::message(this, stored.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    accept();
}
