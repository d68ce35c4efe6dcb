#include "content/insDataFrm_prod.h"

#include "common/dialogs.h"
#include "common/uiServices.h"
#include "common/workspace.h"
#include "common/workWindow.h"
#include "content/insDataFrm_img.h"
#include "richtext/advEditProd.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using workWindow::named;

productDialog::productDialog(const Target& target, bool modify, QWidget* parent)
    : entryDialog(target, modify, parent) {
    setWindowTitle(modify ? QStringLiteral("修改数据") : QStringLiteral("添加产品"));

    Frame1 = named(new QGroupBox(QStringLiteral("基本信息"), this), "Frame1");
    Label1 = named(new QLabel(QStringLiteral("名　　称："), Frame1), "Label1");
    txt_Name = named(new QLineEdit(Frame1), "txt_Name");
    Label2 = named(new QLabel(QStringLiteral("规　　格："), Frame1), "Label2");
    txt_spec = named(new QLineEdit(Frame1), "txt_spec");
    Label3 = named(new QLabel(QStringLiteral("单　　位："), Frame1), "Label3");
    txt_unit = named(new QLineEdit(Frame1), "txt_unit");
    Label4 = named(new QLabel(QStringLiteral("价　　格："), Frame1), "Label4");
    txt_price = named(new QLineEdit(Frame1), "txt_price");
    Label7 = named(new QLabel(QStringLiteral("(只能填数字)"), Frame1), "Label7");
    auto* basic = new QGridLayout(Frame1);
    basic->addWidget(Label1, 0, 0);
    basic->addWidget(txt_Name, 0, 1, 1, 2);
    basic->addWidget(Label2, 1, 0);
    basic->addWidget(txt_spec, 1, 1, 1, 2);
    basic->addWidget(Label3, 2, 0);
    basic->addWidget(txt_unit, 2, 1, 1, 2);
    basic->addWidget(Label4, 3, 0);
    basic->addWidget(txt_price, 3, 1);
    basic->addWidget(Label7, 3, 2);
    basic->setColumnStretch(1, 1);
    basic->setRowStretch(4, 1);

    Frame3 = named(new QGroupBox(QStringLiteral("参考图片(如果没有可以不添加)"), this), "Frame3");
    img_prod = named(new QLabel(Frame3), "img_prod");
    img_prod->setFixedSize(previewSize());
    img_prod->setFrameShape(QFrame::StyledPanel);
    img_prod->setAlignment(Qt::AlignCenter);
    img_prod->installEventFilter(this);
    cmd_view = named(new QPushButton(QStringLiteral("浏览..."), Frame3), "cmd_view");
    cmd_cancel = named(new QPushButton(QStringLiteral("取消"), Frame3), "cmd_cancel");
    cmd_actual = named(new QPushButton(QStringLiteral("实际大小"), Frame3), "cmd_actual");
    auto* pictureButtons = new QHBoxLayout;
    pictureButtons->addWidget(cmd_view);
    pictureButtons->addWidget(cmd_cancel);
    pictureButtons->addWidget(cmd_actual);
    auto* picture = new QVBoxLayout(Frame3);
    picture->addWidget(img_prod, 0, Qt::AlignHCenter);
    picture->addLayout(pictureButtons);

    Frame2 = named(new QGroupBox(QStringLiteral("详细介绍"), this), "Frame2");
    advEdit_Prod = new advEditProd(Frame2);
    advEdit_Prod->setObjectName(QStringLiteral("advEdit_Prod"));
    auto* intro = new QVBoxLayout(Frame2);
    intro->addWidget(advEdit_Prod);

    // Enter in a box does not store the product half typed.
    for (QPushButton* b : {cmd_view, cmd_cancel, cmd_actual, OKButton, CancelButton})
        b->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(Frame1, 1);
    top->addWidget(Frame3);
    OKButton->setDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Frame2, 1);
    layout->addLayout(buttonRow());
    resize(760, 620);

    connect(txt_price, &QLineEdit::textChanged, this, &productDialog::txt_price_Change);
    connect(cmd_view, &QPushButton::clicked, this, &productDialog::cmd_view_Click);
    connect(cmd_cancel, &QPushButton::clicked, this, &productDialog::cmd_cancel_Click);
    connect(cmd_actual, &QPushButton::clicked, this, &productDialog::cmd_actual_Click);
    // The price box starts from an accepted (empty) text.
    txt_price_Change();
}

void productDialog::showEvent(QShowEvent* event) {
    entryDialog::showEvent(event);
    // Form_Activate
    txt_Name->setFocus();
}

bool productDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == img_prod && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        img_prod_Click();
    return entryDialog::eventFilter(watched, event);
}

mdl_entry::Product productDialog::fields() const {
    return {txt_Name->text(), txt_spec->text(),    txt_unit->text(),
            txt_price->text(), fileName, advEdit_Prod->innerHTML()};
}

void productDialog::txt_price_Change() {
    mdl_func::checkNumInput(txt_price);
}

void productDialog::showPicture(const QImage& image) {
    if (image.isNull())
        img_prod->clear();
    else
        img_prod->setPixmap(QPixmap::fromImage(image));
    img_prod->setCursor(image.isNull() ? Qt::ArrowCursor : Qt::PointingHandCursor);
}

void productDialog::cmd_view_Click() {
    pictures::ChoiceOptions options;
    options.previewBound = previewSize();
    if (const std::optional<pictures::Choice> choice = askPicture(options)) {
        takePicture(choice->name);
        showPicture(choice->picture.image);
    }
}

void productDialog::cmd_cancel_Click() {
    if (ui::message(this, QStringLiteral("确实要取消该图片吗"), QStringLiteral("提示"),
                    QMessageBox::Information,
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    // The file goes once the product is stored without it.
    takePicture(QString());
    showPicture({});
}

void productDialog::cmd_actual_Click() {
    if (fileName.isEmpty()) {
        ui::message(this, QStringLiteral("没有图片！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        return;
    }
    openViewer();
}

void productDialog::img_prod_Click() {
    if (!fileName.isEmpty())
        openViewer();
}

void productDialog::refuseName() {
    ui::message(this, QStringLiteral("名称不能为空！"), QStringLiteral("提示"),
                QMessageBox::Information);
    txt_Name->setFocus();
}

insDataFrm_prod::insDataFrm_prod(const Target& target, QWidget* parent)
    : productDialog(target, false, parent) {
    setObjectName(QStringLiteral("insDataFrm_prod"));
}

void insDataFrm_prod::openViewer() {
    insDataFrm_img viewer(workspace::currImgPath() + fileName, this);
    viewer.exec();
}

void insDataFrm_prod::OKButton_Click() {
    const mdl_entry::Result r =
        mdl_entry::addProduct(target().nodeKey, target().nodeName, fields());
    if (r.kind == mdl_entry::Result::NoName) {
        refuseName();
        return;
    }
    settle(r, NoLevel::Close);
}

insDataFrm_prodMod::insDataFrm_prodMod(const Target& target, QWidget* parent)
    : productDialog(target, true, parent) {
    setObjectName(QStringLiteral("insDataFrm_prodMod"));
    tmr_prod = new QTimer(this);
    tmr_prod->setObjectName(QStringLiteral("tmr_prod"));
    tmr_prod->setInterval(10);
    connect(tmr_prod, &QTimer::timeout, this, &insDataFrm_prodMod::tmr_prod_Timer);
    Form_Load();
}

void insDataFrm_prodMod::Form_Load() {
    tmr_prod->start();
}

void insDataFrm_prodMod::tmr_prod_Timer() {
    // The record is read on the third tick, once the dialog (and its editor) is up.
    if (++m_ticks < 3)
        return;
    m_ticks = 0;
    tmr_prod->stop();
    loadProduct();
}

void insDataFrm_prodMod::loadProduct() {
    sitedb::Row row;
    if (!entryDialog::loadRecord(&row))
        return;
    const mdl_entry::Product p = mdl_entry::productOf(row);
    txt_Name->setText(p.name);
    txt_spec->setText(p.spec);
    txt_unit->setText(p.unit);
    txt_price->setText(p.price);
    advEdit_Prod->writeInnerHTML(p.intro);
    fileName = prevFileName = p.picture;
    showPicture(p.picture.isEmpty()
                    ? QImage()
                    : pictures::load(workspace::currImgPath() + p.picture, previewSize()).image);
    m_loaded = true;
}

void insDataFrm_prodMod::openViewer() {
    insDataFrm_imgMod viewer(workspace::currImgPath() + fileName, this);
    viewer.exec();
}

void insDataFrm_prodMod::OKButton_Click() {
    // Before the record is read there is nothing to store over it.
    if (!m_loaded)
        return;
    const mdl_entry::Result r = mdl_entry::modifyProduct(target().nodeKey, target().id, fields());
    if (r.kind == mdl_entry::Result::NoName) {
        refuseName();
        return;
    }
    settle(r, NoLevel::Close);
}
