#include "appearance/sltTmplFrm_fontDlg.h"

#include "appearance/sltTmplFrm.h"
#include "common/uiServices.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

using mdl_dgnFrm::twips;

namespace {

// A column as wide as the installation's samples (420 pixels) and their margins.
const QSize kPictureSize(440, 360);
const int kLeft = 8;
const int kGap = twips(100);
const int kMissingHeight = 60;
const char* const kTag = "tag";

const QString kBorder = QStringLiteral("border: 1px solid #1c5fb8;");
const QString kNoBorder = QStringLiteral("border: 1px solid transparent;");

} // namespace

sltTmplFrm_fontDlg::sltTmplFrm_fontDlg(mdl_sltTmpl::Page page, sltTmplFrm* owner,
                                       QWidget* parent)
    : QDialog(parent ? parent : owner), m_page(page), m_owner(owner) {
    setWindowTitle(QStringLiteral("选择字体"));
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFixedSize(kPictureSize);
    Picture1->setAutoFillBackground(true);
    Picture1->setBackgroundRole(QPalette::Base);
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->installEventFilter(this);
    scrlVer = new QScrollBar(Qt::Vertical, this);
    scrlVer->setObjectName(QStringLiteral("scrlVer"));
    scrlVer->setRange(0, 0);
    scrlVer->setSingleStep(20);
    scrlVer->setPageStep(kPictureSize.height());
    connect(scrlVer, &QScrollBar::valueChanged, this, &sltTmplFrm_fontDlg::scrlVer_Change);
    OKButton = new QPushButton(QStringLiteral("确定"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    connect(OKButton, &QPushButton::clicked, this, &sltTmplFrm_fontDlg::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &sltTmplFrm_fontDlg::CancelButton_Click);

    auto* column = new QHBoxLayout;
    column->setSpacing(0);
    column->addWidget(Picture1);
    column->addWidget(scrlVer);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(column, 1);
    outer->addLayout(buttons);

    newSample(0);
}

sltTmplFrm_defaultFont::sltTmplFrm_defaultFont(sltTmplFrm* owner, QWidget* parent)
    : sltTmplFrm_fontDlg(mdl_sltTmpl::Page::Home, owner, parent) {
    setObjectName(QStringLiteral("sltTmplFrm_defaultFont"));
}

sltTmplFrm_headFont::sltTmplFrm_headFont(sltTmplFrm* owner, QWidget* parent)
    : sltTmplFrm_fontDlg(mdl_sltTmpl::Page::Inner, owner, parent) {
    setObjectName(QStringLiteral("sltTmplFrm_headFont"));
}

int sltTmplFrm_fontDlg::exec() {
    Form_Load();
    return QDialog::exec();
}

QLabel* sltTmplFrm_fontDlg::newSample(int index) {
    auto* sample = new QLabel(Picture1);
    sample->setObjectName(QStringLiteral("img_") + QString::number(index));
    sample->setAlignment(Qt::AlignCenter);
    sample->setStyleSheet(kNoBorder);
    sample->installEventFilter(this);
    img << sample;
    return sample;
}

void sltTmplFrm_fontDlg::Form_Load() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const mdl_dgnFrm::Names names = mdl_sltTmpl::fonts();
    for (int i = 0; i < names.names.size(); ++i) {
        QLabel* sample = i < img.size() ? img[i] : newSample(i);
        const QString& name = names.names[i];
        sample->setProperty(kTag, name);
        sample->setToolTip(name);
        // A sample wider than the column is shown narrower; a missing one by its name.
        const pictures::Loaded pic =
            pictures::load(mdl_sltTmpl::fontPath(name), QSize(kPictureSize.width() - 2 * kLeft, 1000));
        if (pic.ok) {
            sample->setPixmap(QPixmap::fromImage(pic.image));
            sample->setFixedSize(pic.image.size() + QSize(2, 2));
        } else {
            sample->setText(QStringLiteral("（缺少图片：%1）").arg(name));
            sample->setFixedSize(kPictureSize.width() - 2 * kLeft, kMissingHeight);
        }
        sample->show();
    }
    if (names.names.isEmpty()) {
        img[0]->setText(QStringLiteral("没有可选的字体。"));
        img[0]->setFixedSize(kPictureSize.width() - 2 * kLeft, kMissingHeight);
    }
    QList<int> heights;
    for (const QLabel* sample : img)
        heights << sample->height();
    scrlVer->setMaximum(
        mdl_sltTmpl::layoutColumn(heights, kGap, kPictureSize.height(), 0).scrollMax);
    placeSamples();
    QApplication::restoreOverrideCursor();
    if (!names.ok)
        ui::message(this, names.error, QStringLiteral("提示"), QMessageBox::Information);
}

void sltTmplFrm_fontDlg::placeSamples() {
    QList<int> heights;
    for (const QLabel* sample : img)
        heights << sample->height();
    const mdl_sltTmpl::Column column =
        mdl_sltTmpl::layoutColumn(heights, kGap, kPictureSize.height(), scrlVer->value());
    for (int i = 0; i < img.size(); ++i)
        img[i]->move(kLeft, column.tops[i]);
}

void sltTmplFrm_fontDlg::scrlVer_Change() {
    placeSamples();
}

bool sltTmplFrm_fontDlg::hasBorder(int index) const {
    return index >= 0 && index < img.size() && img[index]->styleSheet() == kBorder;
}

void sltTmplFrm_fontDlg::img_Click(int index) {
    if (index < 0 || index >= img.size())
        return;
    for (int i = 0; i < img.size(); ++i)
        img[i]->setStyleSheet(i == index ? kBorder : kNoBorder);
    m_index = index;
    m_name = img[index]->property(kTag).toString();
    // The picked sample is kept in view.
    const int top = img[index]->y();
    if (top < 0)
        scrlVer->setValue(scrlVer->value() + top);
    else if (top + img[index]->height() > Picture1->height())
        scrlVer->setValue(scrlVer->value() + top + img[index]->height() - Picture1->height());
}

void sltTmplFrm_fontDlg::img_DblClick(int index) {
    img_Click(index);
    OKButton_Click();
}

void sltTmplFrm_fontDlg::OKButton_Click() {
    if (!hasBorder(m_index) || m_name.isEmpty()) {
        ui::message(this, QStringLiteral("请选择一种字体！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        return;
    }
    const sitedb::Outcome stored = mdl_sltTmpl::storeFont(m_page, m_name);
    if (!stored) {
        ui::message(this, stored.error, QStringLiteral("提示"), QMessageBox::Information);
        return;
    }
    if (m_owner)
        m_owner->showFont(m_page, m_name);
    accept();
}

void sltTmplFrm_fontDlg::CancelButton_Click() {
    reject();
}

bool sltTmplFrm_fontDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Picture1 && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(scrlVer, event);
        return true;
    }
    if (watched == Picture1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            const int from = hasBorder(m_index) ? m_index : (key == Qt::Key_Down ? -1 : 1);
            img_Click(from + (key == Qt::Key_Down ? 1 : -1));
            return true;
        }
    }
    const int index = img.indexOf(qobject_cast<QLabel*>(watched));
    if (index >= 0 && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Picture1->setFocus();
        img_Click(index);
        return true;
    }
    if (index >= 0 && event->type() == QEvent::MouseButtonDblClick) {
        img_DblClick(index);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
