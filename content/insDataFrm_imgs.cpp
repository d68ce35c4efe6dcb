#include "content/insDataFrm_imgs.h"

#include "common/uiServices.h"
#include "common/workspace.h"
#include "common/workWindow.h"
#include "content/actualImage.h"

#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

using workWindow::named;

namespace {

// A scroll bar's thickness (270 twips), and what the picture keeps clear of its frame's
// edge at the end of a scroll (300 twips).
constexpr int kBar = 18;
constexpr int kMargin = 20;

} // namespace

galleryDialog::galleryDialog(const Target& target, bool modify, QWidget* parent)
    : entryDialog(target, modify, parent) {
    setWindowTitle(modify ? QStringLiteral("预览数据") : QStringLiteral("添加数据"));
    Label1 = named(new QLabel(modify ? QStringLiteral("图片文说明：")
                                     : QStringLiteral("图片文字说明："),
                              this),
                   "Label1");
    txt_title = named(new QLineEdit(this), "txt_title");
    Label2 = named(new QLabel(QStringLiteral("实际大小："), this), "Label2");
    pic_imgs = named(new QFrame(this), "pic_imgs");
    pic_imgs->setFrameShape(QFrame::StyledPanel);
    pic_imgs->setFixedSize(frameSize());
    pic_imgs->setBackgroundRole(QPalette::Base);
    pic_imgs->setAutoFillBackground(true);
    img = named(new actualImage(pic_imgs), "img");
    for (int i = 0; i < 2; ++i) {
        scrl[i] = named(new QScrollBar(i == 0 ? Qt::Vertical : Qt::Horizontal, pic_imgs),
                        i == 0 ? "scrl_0" : "scrl_1");
        scrl[i]->hide();
        connect(scrl[i], &QScrollBar::valueChanged, this, [this, i] { scrl_Change(i); });
    }
    // The wheel over the picture scrolls it as the bars do.
    pic_imgs->installEventFilter(this);
    img->installEventFilter(this);
    lbl_angr = named(new QLabel(pic_imgs), "lbl_angr");
    lbl_angr->setAutoFillBackground(true);
    lbl_angr->setBackgroundRole(QPalette::Button);
    lbl_angr->setGeometry(frameSize().width() - kBar, frameSize().height() - kBar, kBar, kBar);
    lbl_angr->hide();
    Label3 = named(new QLabel(QStringLiteral("缩略图片："), this), "Label3");
    pic_imgsSmall = named(new QLabel(this), "pic_imgsSmall");
    pic_imgsSmall->setFrameShape(QFrame::StyledPanel);
    pic_imgsSmall->setFixedSize(thumbBox());
    cmd_img = named(new QPushButton(QStringLiteral("浏览..."), this), "cmd_img");
    lbl_imgName = named(new nameLabel(this), "lbl_imgName");
    cmd_img->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->addWidget(Label1, 0, 0, Qt::AlignRight);
    grid->addWidget(txt_title, 0, 1, 1, 2);
    grid->addWidget(Label2, 1, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(pic_imgs, 1, 1, Qt::AlignLeft | Qt::AlignTop);
    auto* thumbColumn = new QVBoxLayout;
    thumbColumn->addWidget(Label3);
    thumbColumn->addWidget(pic_imgsSmall);
    thumbColumn->addStretch(1);
    grid->addLayout(thumbColumn, 1, 2);
    auto* pictureLine = new QHBoxLayout;
    // The file name stands clear of the button.
    pictureLine->setSpacing(8);
    pictureLine->addWidget(cmd_img);
    pictureLine->addWidget(lbl_imgName, 1);
    grid->addLayout(pictureLine, 2, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);
    layout->addLayout(buttonRow());

    enterMovesOn(txt_title);
    connect(cmd_img, &QPushButton::clicked, this, &galleryDialog::cmd_img_Click);
}

QSize galleryDialog::actualBound() const {
    return workWindow::screenRoom(this);
}

mdl_entry::Gallery galleryDialog::fields() const {
    return {txt_title->text(), fileName, thumbName};
}

void galleryDialog::showActual(const QImage& image) {
    img->setImage(image);
    img->move(0, 0);
    const QSize frame = frameSize();
    const bool wide = image.width() > frame.width();
    const bool tall = image.height() > frame.height();
    const bool both = wide && tall;
    // A bar shown alone reaches into the corner; with both, the corner piece fills it.
    QScrollBar* v = scrl[0];
    QScrollBar* h = scrl[1];
    for (QScrollBar* b : scrl)
        b->setValue(0);
    v->setGeometry(frame.width() - kBar, 0, kBar, frame.height() - (both ? kBar : 0));
    v->setRange(0, tall ? image.height() - frame.height() + kMargin : 0);
    v->setPageStep(frame.height());
    v->setSingleStep(20);
    v->setVisible(tall);
    h->setGeometry(0, frame.height() - kBar, frame.width() - (both ? kBar : 0), kBar);
    h->setRange(0, wide ? image.width() - frame.width() + kMargin : 0);
    h->setPageStep(frame.width());
    h->setSingleStep(20);
    h->setVisible(wide);
    lbl_angr->setVisible(both);
    for (QWidget* w : {static_cast<QWidget*>(v), static_cast<QWidget*>(h),
                       static_cast<QWidget*>(lbl_angr)})
        w->raise();
}

void galleryDialog::scrl_Change(int index) {
    // The picture slides within its frame: its left edge follows the horizontal bar, its
    // top edge the vertical one.
    if (index == 1)
        img->move(-scrl[1]->value(), img->y());
    else
        img->move(img->x(), -scrl[0]->value());
}

bool galleryDialog::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == pic_imgs || watched == img) && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint d = wheel->angleDelta();
        const bool across = d.x() != 0 || (wheel->modifiers() & Qt::ShiftModifier);
        QScrollBar* bar = scrl[across ? 1 : 0];
        if (bar->isVisible())
            bar->setValue(bar->value() - (d.x() != 0 ? d.x() : d.y()) / 2);
        return true;
    }
    return entryDialog::eventFilter(watched, event);
}

void galleryDialog::showThumb(const QImage& thumb) {
    if (thumb.isNull()) {
        pic_imgsSmall->clear();
        pic_imgsSmall->setFixedSize(thumbBox());
        return;
    }
    pic_imgsSmall->setFixedSize(thumb.size() + QSize(2, 2));
    pic_imgsSmall->setPixmap(QPixmap::fromImage(thumb));
}

void galleryDialog::cmd_img_Click() {
    pictures::ChoiceOptions options;
    // The frame shows the picture at its own size (up to the screen's room); the thumbnail
    // is drawn from the same reading. A name whose thumbnail another stored picture shows is passed
    // over.
    options.companion = [](const QString& name) { return mdl_entry::thumbName(name); };
    options.previewBound = actualBound();
    const std::optional<pictures::Choice> choice = askPicture(options);
    if (!choice)
        return;

    const mdl_entry::Thumb t = mdl_entry::thumbFor(choice->name);
    const QString& thumb = t.name;
    const QImage small = mdl_entry::thumbOf(choice->picture.image, choice->picture.size);
    if (!t.drawn) {
        QString why;
        if (!mdl_entry::saveThumb(small, workspace::currImgPath() + thumb, &why)) {
            ui::message(this, why, QStringLiteral("警告"), QMessageBox::Critical);
            return;
        }
        m_pictures.wrote(thumb);
    }

    showActual(choice->picture.image);
    showThumb(small);
    takePicture(choice->name);
    if (!prevThumbName.isEmpty() && prevThumbName != thumb)
        m_pictures.replacing(prevThumbName);
    thumbName = thumb;
    prevThumbName = thumb;
    lbl_imgName->setName(fileName);
}

insDataFrm_imgs::insDataFrm_imgs(const Target& target, QWidget* parent)
    : galleryDialog(target, false, parent) {
    setObjectName(QStringLiteral("insDataFrm_imgs"));
}

void insDataFrm_imgs::OKButton_Click() {
    const mdl_entry::Result r =
        mdl_entry::addGallery(target().nodeKey, target().nodeName, fields());
    if (r.kind == mdl_entry::Result::NoName) {
        ui::message(this, QStringLiteral("请输入图片说明文字!"), QStringLiteral("提示"),
                    QMessageBox::Information);
        txt_title->setFocus();
        return;
    }
    settle(r, NoLevel::Close);
}

insDataFrm_imgsMod::insDataFrm_imgsMod(const Target& target, QWidget* parent)
    : galleryDialog(target, true, parent) {
    setObjectName(QStringLiteral("insDataFrm_imgsMod"));
    Form_Load();
}

void insDataFrm_imgsMod::Form_Load() {
    sitedb::Row row;
    if (!loadRecord(&row))
        return;
    const mdl_entry::Gallery g = mdl_entry::galleryOf(row);
    txt_title->setText(g.caption);
    lbl_imgName->setName(g.picture);
    fileName = prevFileName = g.picture;
    thumbName = prevThumbName = g.thumb;
    // Files missing from the working folder leave their boxes empty.
    const QString work = workspace::currImgPath();
    const workWindow::WaitCursor busy;
    if (!g.picture.isEmpty())
        showActual(pictures::load(work + g.picture, actualBound()).image);
    if (!g.thumb.isEmpty())
        showThumb(pictures::load(work + g.thumb).image);
}

void insDataFrm_imgsMod::OKButton_Click() {
    const mdl_entry::Result r = mdl_entry::modifyGallery(target().nodeKey, target().id, fields());
    if (r.kind == mdl_entry::Result::NoName) {
        ui::message(this, QStringLiteral("图片文字说明不能为空"), QStringLiteral("提示"),
                    QMessageBox::Information);
        txt_title->setFocus();
        return;
    }
    settle(r, NoLevel::Stay);
}
