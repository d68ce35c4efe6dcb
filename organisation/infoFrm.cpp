#include "organisation/infoFrm.h"

#include "common/pictureDialog.h"
#include "common/uiServices.h"
#include "common/workWindow.h"
#include "common/workspace.h"
#include "designer/mdl_dgnFrm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

using mdl_dgnFrm::twips;
using workWindow::named;

namespace {

const QString kPictureFilter = QStringLiteral("图像文件(*.jpg;*.bmp;*.gif)|*.jpg;*.bmp;*.gif");
const QString kNotice = QStringLiteral("提示");
const QString kWarning = QStringLiteral("警告");
const QSize kLogoSize(200, 150);

} // namespace

infoFrm::infoFrm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("infoFrm"));
    setWindowTitle(QStringLiteral("基本信息"));

    m_pane = new QWidget(this);
    frm_info = named(new QGroupBox(QStringLiteral("基本信息"), m_pane), "frm_info");
    auto* grid = new QGridLayout(frm_info);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    QLineEdit** targets[] = {&txt_webName, &txt_dalmName, &txt_addr, &txt_linkMan, &txt_tel,
                             &txt_mobile,  &txt_fax,      &txt_zip,  &txt_email};
    int row = 0;
    for (const mdl_info::Field& f : mdl_info::fields()) {
        auto* label = new QLabel(QString::fromUtf16(f.label), frm_info);
        label->setObjectName(QStringLiteral("lbl_") + QLatin1String(f.box).mid(4));
        auto* box = named(new QLineEdit(frm_info), f.box);
        box->setMinimumWidth(300);
        label->setBuddy(box);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        *targets[row] = box;
        connect(box, &QLineEdit::textChanged, this, [this] { setDirty(true); });
        ++row;
    }

    frm_logo = named(new QGroupBox(QStringLiteral("单位徽标"), frm_info), "frm_logo");
    img = named(new QLabel(frm_logo), "img");
    img->setFixedSize(kLogoSize);
    img->setAlignment(Qt::AlignCenter);
    img->setFrameShape(QFrame::StyledPanel);
    cmd_view = named(new QPushButton(QStringLiteral("浏览..."), frm_logo), "cmd_view");
    cmd_img_cancel = named(new QPushButton(QStringLiteral("取消"), frm_logo), "cmd_img_cancel");
    auto* logoButtons = new QHBoxLayout;
    logoButtons->addStretch(1);
    logoButtons->addWidget(cmd_view);
    logoButtons->addWidget(cmd_img_cancel);
    auto* logoLayout = new QVBoxLayout(frm_logo);
    logoLayout->addWidget(img, 0, Qt::AlignHCenter);
    logoLayout->addLayout(logoButtons);
    logoLayout->addStretch(1);
    grid->addWidget(frm_logo, 0, 2, row, 1);
    grid->setColumnStretch(1, 1);

    cmd_ok = named(new QPushButton(QStringLiteral("保存"), m_pane), "cmd_ok");
    cmd_ok->setMinimumWidth(90);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch(1);
    okRow->addWidget(cmd_ok);
    auto* paneLayout = new QVBoxLayout(m_pane);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    paneLayout->addWidget(frm_info);
    paneLayout->addLayout(okRow);

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    m_status = named(new QLabel(StatusBar1), "StatusBar1_1");
    StatusBar1->addWidget(m_status, 1);

    connect(cmd_ok, &QPushButton::clicked, this, &infoFrm::cmd_ok_Click);
    connect(cmd_view, &QPushButton::clicked, this, &infoFrm::cmd_view_Click);
    connect(cmd_img_cancel, &QPushButton::clicked, this, &infoFrm::cmd_img_cancel_Click);
    // The box the user was in. Hiding the window moves the focus on by itself; that move
    // is not the user's.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now && isAncestorOf(now) && now->isVisible())
            m_lastFocus = now;
    });

    m_pane->adjustSize();
    const QSize least(twips(9015), twips(5520));
    setMinimumSize(least.expandedTo(m_pane->size() + QSize(16, StatusBar1->sizeHint().height() + 16)));
    Form_Load();
}

infoFrm::~infoFrm() = default;

QList<QLineEdit*> infoFrm::boxes() const {
    return {txt_webName, txt_dalmName, txt_addr, txt_linkMan, txt_tel,
            txt_mobile,  txt_fax,      txt_zip,  txt_email};
}

QString infoFrm::statusText() const {
    return m_status->text();
}

void infoFrm::Form_Load() {
    const mdl_info::OrgInfo info = mdl_info::load();
    const QList<QLineEdit*> all = boxes();
    for (int i = 0; i < all.size(); ++i)
        all[i]->setText(info.values.value(i));
    m_logo.loaded(info.logo);
    img->clear();
    if (!info.logo.isEmpty()) {
        const pictures::Loaded pic =
            pictures::load(workspace::currDataPath() + info.logo, img->size());
        if (pic.ok)
            img->setPixmap(QPixmap::fromImage(pic.image));
    }
    // Filling the boxes counted as changes.
    setDirty(false);
    m_status->clear();
}

void infoFrm::setDirty(bool dirty) {
    cmd_ok->setEnabled(dirty);
    if (dirty)
        m_status->setText(QStringLiteral("数据已修改，尚未保存。"));
}

void infoFrm::cmd_ok_Click() {
    if (store())
        ui::message(this, QStringLiteral("数据保存成功！"), kNotice, QMessageBox::Information);
}

bool infoFrm::store() {
    mdl_info::OrgInfo info;
    for (QLineEdit* box : boxes())
        info.values << box->text();
    info.logo = m_logo.name();
    const mdl_info::SaveResult saved = mdl_info::save(info);
    switch (saved.status) {
    case mdl_info::SaveResult::BlankName:
        ui::message(this, QStringLiteral("站点名称不能为空！"), kNotice, QMessageBox::Information);
        txt_webName->setFocus();
        return false;
    case mdl_info::SaveResult::Failed:
        ui::message(this, QStringLiteral("不期望的错误,errNo:infoFrm"), kNotice,
                    QMessageBox::Critical);
        return false;
    case mdl_info::SaveResult::Saved:
        break;
    }
    m_logo.saved();
    setDirty(false);
    m_status->setText(QStringLiteral("数据已保存。"));
    Q_EMIT siteNameChanged(info.values.front());
    return true;
}

QStringList infoFrm::unsavedItems() {
    if (!cmd_ok->isEnabled())
        return {};
    return {QStringLiteral("基本信息")};
}

bool infoFrm::saveUnsaved() {
    return store();
}

void infoFrm::discardUnsaved() {
    m_logo.dropped();
    setDirty(false);
}

void infoFrm::showSiteName(const QString& webName) {
    if (txt_webName->text() == webName)
        return;
    const bool dirty = cmd_ok->isEnabled();
    const QString status = m_status->text();
    txt_webName->setText(webName);
    setDirty(dirty);
    m_status->setText(status);
}

void infoFrm::cmd_view_Click() {
    pictures::ChoiceOptions options;
    options.previewBound = img->size();
    const std::optional<pictures::Choice> choice =
        pictures::ask(this, kPictureFilter, options, kWarning);
    if (!choice)
        return;
    m_logo.brought(*choice);
    img->setPixmap(QPixmap::fromImage(choice->picture.image));
    setDirty(true);
}

void infoFrm::cmd_img_cancel_Click() {
    const sitedb::Outcome done = m_logo.cancel();
    if (!done) {
        ui::message(this, done.error, kNotice, QMessageBox::Information);
        return;
    }
    img->clear();
    ui::message(this, QStringLiteral("单位徽标已取消！"), kNotice, QMessageBox::Information);
}

void infoFrm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    watchLeaving();
    placeFrame();
}

void infoFrm::watchLeaving() {
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (!sub || sub == m_sub || !sub->mdiArea())
        return;
    m_sub = sub;
    // Another work window coming to the front while changes are pending: one reminder,
    // then this window is in front again with the boxes as they were.
    connect(sub->mdiArea(), &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
        if (!w || w == m_sub || m_reminding || m_closed || !cmd_ok->isEnabled())
            return;
        m_reminding = true;
        QTimer::singleShot(0, this, &infoFrm::remindUnsaved);
    });
}

void infoFrm::remindUnsaved() {
    if (m_closed || !m_sub) {
        m_reminding = false;
        return;
    }
    const QPointer<QWidget> focus = m_lastFocus;
    ui::message(this, QStringLiteral("数据还未保存！"), QStringLiteral("提示"),
                QMessageBox::Question);
    if (!m_closed && m_sub && m_sub->mdiArea()) {
        m_sub->showMaximized();
        m_sub->mdiArea()->setActiveSubWindow(m_sub);
        if (focus)
            focus->setFocus();
    }
    m_reminding = false;
}

void infoFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeFrame();
}

void infoFrm::placeFrame() {
    workWindow::placeFrame(this, m_pane, StatusBar1, 0, twips(1000));
}

void infoFrm::closeEvent(QCloseEvent* event) {
    m_closed = true;
    // A picture chosen for a logo that was never saved stays until the user discards it.
    QWidget::closeEvent(event);
}
