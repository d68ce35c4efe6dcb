#include "appearance/sltTmplFrm.h"

#include "appearance/sltTmplFrm_effects.h"
#include "appearance/sltTmplFrm_fontDlg.h"
#include "appearance/sltTmplFrm_tmplDlg.h"
#include "appearance/sltTmplFrm_views.h"
#include "common/dialogs.h"
#include "common/pictureDialog.h"
#include "common/uiServices.h"
#include "common/workWindow.h"
#include "common/workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

using mdl_dgnFrm::twips;
using workWindow::named;
using mdl_sltTmpl::Page;

namespace {

const QString kNotice = QStringLiteral("提示");
const QSize kTemplateSize(200, 150);
// The name-style samples of the installation are 420 × 76 pixels.
const QSize kFontSize(426, 82);
const QSize kBackgroundSize(150, 110);

QLabel* pictureBox(QWidget* parent, const char* name, const QSize& size) {
    auto* label = named(new QLabel(parent), name);
    label->setFixedSize(size);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setStyleSheet(QStringLiteral("QLabel { background: white; color: #888; }"));
    return label;
}

QPushButton* button(const QString& caption, QWidget* parent, const char* name) {
    return named(new QPushButton(caption, parent), name);
}

// A question with OK and Cancel; true for OK.
bool confirm(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    return ui::message(parent, text, kNotice, icon, QMessageBox::Ok | QMessageBox::Cancel) ==
           QMessageBox::Ok;
}

} // namespace

sltTmplFrm::sltTmplFrm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("sltTmplFrm"));
    setWindowTitle(QStringLiteral("选择模版"));
    buildFrames();
    Form_Load();
}

void sltTmplFrm::buildFrames() {
    Frame100 = named(new QWidget(this), "Frame100");

    Frame1 = named(new QGroupBox(QStringLiteral("首页模版"), Frame100), "Frame1");
    imgDefaultTmpl = pictureBox(Frame1, "imgDefaultTmpl", kTemplateSize);
    lbl_defaultTmpl = named(new QLabel(Frame1), "lbl_defaultTmpl");
    cmd_default = button(QStringLiteral("选择"), Frame1, "cmd_default");
    Frame2 = named(new QGroupBox(QStringLiteral("内页模版"), Frame100), "Frame2");
    imgHeadTmpl = pictureBox(Frame2, "imgHeadTmpl", kTemplateSize);
    lbl_headTmpl = named(new QLabel(Frame2), "lbl_headTmpl");
    cmd_head = button(QStringLiteral("选择"), Frame2, "cmd_head");
    Frame5 = named(new QGroupBox(QStringLiteral("背景图片"), Frame100), "Frame5");
    img_bg = pictureBox(Frame5, "img_bg", kBackgroundSize);
    lbl_bg = named(new nameLabel(Frame5), "lbl_bg");
    cmd_bgOK = button(QStringLiteral("选择"), Frame5, "cmd_bgOK");
    cmd_bgCancel = button(QStringLiteral("取消"), Frame5, "cmd_bgCancel");
    const auto pictureFrame = [](QGroupBox* frame, QLabel* picture, QLabel* caption,
                                 QList<QPushButton*> buttons) {
        auto* below = new QHBoxLayout;
        below->addWidget(caption, 1);
        for (QPushButton* b : buttons)
            below->addWidget(b);
        auto* v = new QVBoxLayout(frame);
        v->addWidget(picture, 0, Qt::AlignHCenter);
        v->addLayout(below);
    };
    pictureFrame(Frame1, imgDefaultTmpl, lbl_defaultTmpl, {cmd_default});
    pictureFrame(Frame2, imgHeadTmpl, lbl_headTmpl, {cmd_head});
    pictureFrame(Frame5, img_bg, lbl_bg, {cmd_bgOK, cmd_bgCancel});

    Frame3 = named(new QGroupBox(QStringLiteral("首页中单位名称的样式"), Frame100), "Frame3");
    imgDefault = pictureBox(Frame3, "imgDefault", kFontSize);
    cmd_DefaultFont = button(QStringLiteral("选择"), Frame3, "cmd_DefaultFont");
    Frame4 = named(new QGroupBox(QStringLiteral("内页中单位名称的样式"), Frame100), "Frame4");
    imgHead = pictureBox(Frame4, "imgHead", kFontSize);
    cmd_headFont = button(QStringLiteral("选择"), Frame4, "cmd_headFont");
    for (auto [frame, picture, choose] : {std::tuple{Frame3, imgDefault, cmd_DefaultFont},
                                          std::tuple{Frame4, imgHead, cmd_headFont}}) {
        auto* v = new QVBoxLayout(frame);
        v->addWidget(picture, 0, Qt::AlignHCenter);
        v->addWidget(choose, 0, Qt::AlignRight);
    }

    Frame6 = named(new QGroupBox(QStringLiteral("高级设计"), Frame100), "Frame6");
    chk_default = named(new QCheckBox(QStringLiteral("自定制首页"), Frame6), "chk_default");
    lbl_default = named(new QLabel(QStringLiteral("首页文件名："), Frame6), "lbl_default");
    txt_default = named(new QLineEdit(Frame6), "txt_default");
    cmd_sltDefault = button(QStringLiteral("浏览..."), Frame6, "cmd_sltDefault");
    cmd_viewDefault = button(QStringLiteral("查看"), Frame6, "cmd_viewDefault");
    cmd_viewDefault->setToolTip(QStringLiteral("浏览当前首页文件"));
    chk_head = named(new QCheckBox(QStringLiteral("自定制内页头部"), Frame6), "chk_head");
    lbl_head = named(new QLabel(QStringLiteral("内页文件名："), Frame6), "lbl_head");
    txt_head = named(new QLineEdit(Frame6), "txt_head");
    cmd_sltHead = button(QStringLiteral("浏览..."), Frame6, "cmd_sltHead");
    cmd_viewHead = button(QStringLiteral("查看"), Frame6, "cmd_viewHead");
    cmd_viewHead->setToolTip(QStringLiteral("浏览当前内页文件"));
    chk_other = named(new QCheckBox(QStringLiteral("其他网页内容"), Frame6), "chk_other");
    lbl_other = named(new QLabel(QStringLiteral("已存在的网页"), Frame6), "lbl_other");
    cmb_other = named(new QComboBox(Frame6), "cmb_other");
    cmd_other = button(QStringLiteral("浏览..."), Frame6, "cmd_other");
    for (QLineEdit* box : {txt_default, txt_head}) {
        box->setReadOnly(true);
        box->setMinimumWidth(160);
    }
    cmb_other->setMinimumWidth(160);
    auto* advanced = new QGridLayout(Frame6);
    advanced->addWidget(chk_default, 0, 0);
    advanced->addWidget(lbl_default, 0, 1);
    advanced->addWidget(txt_default, 0, 2);
    advanced->addWidget(cmd_sltDefault, 0, 3);
    advanced->addWidget(cmd_viewDefault, 0, 4);
    advanced->addWidget(chk_head, 1, 0);
    advanced->addWidget(lbl_head, 1, 1);
    advanced->addWidget(txt_head, 1, 2);
    advanced->addWidget(cmd_sltHead, 1, 3);
    advanced->addWidget(cmd_viewHead, 1, 4);
    advanced->addWidget(chk_other, 2, 0);
    advanced->addWidget(lbl_other, 2, 1);
    advanced->addWidget(cmb_other, 2, 2);
    advanced->addWidget(cmd_other, 2, 3);
    advanced->setColumnStretch(2, 1);
    cmd_viewDefault->setEnabled(false);
    cmd_viewHead->setEnabled(false);
    cmd_other->setEnabled(false);

    Frame7 = named(new QGroupBox(QStringLiteral("增强功能"), Frame100), "Frame7");
    auto* features = new QGridLayout(Frame7);
    for (int i = 0; i < 6; ++i) {
        chk_pertain[i] = new QCheckBox(QString::fromUtf16(mdl_sltTmpl::features()[i].caption),
                                       Frame7);
        chk_pertain[i]->setObjectName(QStringLiteral("chk_pertain_") + QString::number(i));
        features->addWidget(chk_pertain[i], i / 2, i % 2);
        // The user's click runs the feature; setting the box from the store does not.
        connect(chk_pertain[i], &QCheckBox::clicked, this, [this, i] { chk_pertain_MouseUp(i); });
    }
    Frame7->setMouseTracking(true);
    Frame7->installEventFilter(this);

    // Three rows: the templates and the background, the name styles, the advanced design
    // and the features.
    auto* rows = new QVBoxLayout(Frame100);
    rows->setContentsMargins(0, 0, 0, 0);
    const auto row = [rows](std::initializer_list<std::pair<QWidget*, int>> frames) {
        auto* h = new QHBoxLayout;
        for (const auto& [frame, stretch] : frames)
            h->addWidget(frame, stretch);
        rows->addLayout(h);
    };
    row({{Frame1, 1}, {Frame2, 1}, {Frame5, 1}});
    row({{Frame3, 1}, {Frame4, 1}});
    row({{Frame6, 3}, {Frame7, 2}});

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    m_status = named(new QLabel(StatusBar1), "StatusBar1_1");
    StatusBar1->addWidget(m_status, 1);
    m_progress = named(new QProgressBar(StatusBar1), "StatusBar1_progress");
    m_progress->setRange(0, 1000);
    m_progress->setFixedWidth(220);
    m_progress->hide();
    StatusBar1->addPermanentWidget(m_progress);

    connect(cmd_default, &QPushButton::clicked, this, &sltTmplFrm::cmd_default_Click);
    connect(cmd_head, &QPushButton::clicked, this, &sltTmplFrm::cmd_head_Click);
    connect(cmd_DefaultFont, &QPushButton::clicked, this, &sltTmplFrm::cmd_DefaultFont_Click);
    connect(cmd_headFont, &QPushButton::clicked, this, &sltTmplFrm::cmd_headFont_Click);
    connect(cmd_bgOK, &QPushButton::clicked, this, &sltTmplFrm::cmd_bgOK_Click);
    connect(cmd_bgCancel, &QPushButton::clicked, this, &sltTmplFrm::cmd_bgCancel_Click);
    connect(chk_default, &QCheckBox::toggled, this, &sltTmplFrm::chk_default_Click);
    connect(chk_head, &QCheckBox::toggled, this, &sltTmplFrm::chk_head_Click);
    connect(chk_other, &QCheckBox::toggled, this, &sltTmplFrm::chk_other_Click);
    connect(cmd_sltDefault, &QPushButton::clicked, this, &sltTmplFrm::cmd_sltDefault_Click);
    connect(cmd_sltHead, &QPushButton::clicked, this, &sltTmplFrm::cmd_sltHead_Click);
    connect(cmd_other, &QPushButton::clicked, this, &sltTmplFrm::cmd_other_Click);
    connect(cmd_viewDefault, &QPushButton::clicked, this, &sltTmplFrm::cmd_viewDefault_Click);
    connect(cmd_viewHead, &QPushButton::clicked, this, &sltTmplFrm::cmd_viewHead_Click);
    // A stored page name is what the preview shows.
    connect(txt_default, &QLineEdit::textChanged, this, [this](const QString& t) {
        cmd_viewDefault->setEnabled(chk_default->isChecked() && !t.isEmpty());
    });
    connect(txt_head, &QLineEdit::textChanged, this, [this](const QString& t) {
        cmd_viewHead->setEnabled(chk_head->isChecked() && !t.isEmpty());
    });

    Frame100->adjustSize();
    setMinimumSize(Frame100->size() + QSize(16, StatusBar1->sizeHint().height() + 16));
}

QString sltTmplFrm::statusText() const {
    return m_status->text();
}

void sltTmplFrm::Form_Load() {
    const mdl_sltTmpl::Settings s = mdl_sltTmpl::loadSettings();
    // 1 to 3: the advanced design. Checking a box enables what goes with it.
    if (!s.defaultFile.isEmpty()) {
        txt_default->setText(s.defaultFile);
        chk_default->setChecked(true);
        cmd_viewDefault->setEnabled(true);
    } else {
        for (QWidget* w : std::initializer_list<QWidget*>{lbl_default, txt_default, cmd_sltDefault})
            w->setEnabled(false);
    }
    if (!s.topHead.isEmpty()) {
        chk_head->setChecked(true);
        txt_head->setText(s.topHead);
    } else {
        for (QWidget* w : std::initializer_list<QWidget*>{lbl_head, txt_head, cmd_sltHead})
            w->setEnabled(false);
    }
    if (!s.otherPages.isEmpty()) {
        cmb_other->clear();
        cmb_other->addItems(s.otherPages);
        cmb_other->setCurrentIndex(0);
        chk_other->setChecked(true);
    } else {
        for (QWidget* w : std::initializer_list<QWidget*>{cmd_other, lbl_other, cmb_other})
            w->setEnabled(false);
    }
    // 4: the features, without running what a click runs.
    for (int i = 0; i < 6; ++i)
        setPertain(i, s.pertain[i]);
    // 5 to 7: the pictures.
    showFont(Page::Home, s.defaultFont);
    showFont(Page::Inner, s.headFont);
    showTemplate(Page::Home, s.defaultTmpl);
    showTemplate(Page::Inner, s.headTmpl);
    showBackground(s.backGround);
}

void sltTmplFrm::showPicture(QLabel* label, const QString& path, const QString& missingText) {
    label->clear();
    const pictures::Loaded pic = pictures::load(path, label->size() - QSize(4, 4));
    if (pic.ok)
        label->setPixmap(QPixmap::fromImage(pic.image));
    else
        label->setText(missingText);
}

void sltTmplFrm::showTemplate(Page page, const QString& name) {
    QLabel* picture = page == Page::Home ? imgDefaultTmpl : imgHeadTmpl;
    QLabel* code = page == Page::Home ? lbl_defaultTmpl : lbl_headTmpl;
    if (name.isEmpty()) {
        picture->clear();
        picture->setText(QStringLiteral("尚未选择"));
        code->clear();
        return;
    }
    showPicture(picture, mdl_sltTmpl::thumbnailPath(name), QStringLiteral("缺少图片"));
    code->setText(mdl_sltTmpl::templateCode(name));
}

void sltTmplFrm::showFont(Page page, const QString& name) {
    QLabel* picture = page == Page::Home ? imgDefault : imgHead;
    if (name.isEmpty()) {
        picture->clear();
        picture->setText(QStringLiteral("尚未选择"));
        return;
    }
    showPicture(picture, mdl_sltTmpl::fontPath(name), QStringLiteral("缺少图片"));
}

void sltTmplFrm::showBackground(const QString& name) {
    lbl_bg->setName(name);
    img_bg->clear();
    cmd_bgCancel->setEnabled(!name.isEmpty());
    if (name.isEmpty())
        return;
    // The picture as the site tiles it.
    const pictures::Loaded pic = pictures::load(workspace::currImgPath() + name, img_bg->size());
    if (!pic.ok) {
        img_bg->setText(QStringLiteral("缺少图片"));
        return;
    }
    QPixmap tiled(img_bg->size() - QSize(4, 4));
    QPainter painter(&tiled);
    painter.fillRect(tiled.rect(), QPixmap::fromImage(pic.image));
    painter.end();
    img_bg->setPixmap(tiled);
}

void sltTmplFrm::cmd_default_Click() {
    sltTmplFrm_defaultTmpl dlg(this);
    dlg.exec();
}

void sltTmplFrm::cmd_head_Click() {
    sltTmplFrm_headTmpl dlg(this);
    dlg.exec();
}

void sltTmplFrm::cmd_DefaultFont_Click() {
    sltTmplFrm_defaultFont dlg(this);
    dlg.exec();
}

void sltTmplFrm::cmd_headFont_Click() {
    sltTmplFrm_headFont dlg(this);
    dlg.exec();
}

void sltTmplFrm::cmd_bgOK_Click() {
    pictures::ChoiceOptions options;
    options.previewBound = img_bg->size();
    const std::optional<pictures::Choice> chosen =
        pictures::ask(this, QStringLiteral("图像文件(*.jpg,*.bmp,*.gif)|*.jpg;*.bmp;*.gif"),
                      options, kNotice,
                      workspace::currentPath() + QStringLiteral("backGround/0005.JPG"));
    if (!chosen)
        return;
    const sitedb::Outcome stored = mdl_sltTmpl::storeBackground(*chosen);
    if (!stored) {
        ui::message(this, stored.error, kNotice, QMessageBox::Critical);
        return;
    }
    showBackground(chosen->name);
}

void sltTmplFrm::cmd_bgCancel_Click() {
    if (!confirm(this, QStringLiteral("确实要取消背景图片吗？"), QMessageBox::Question))
        return;
    const sitedb::Outcome done = mdl_sltTmpl::cancelBackground();
    if (!done) {
        ui::message(this, done.error, kNotice, QMessageBox::Critical);
        return;
    }
    showBackground(QString());
}

void sltTmplFrm::setPertain(int index, bool on) {
    const QSignalBlocker quiet(chk_pertain[index]);
    chk_pertain[index]->setChecked(on);
}

void sltTmplFrm::chk_pertain_MouseUp(int index) {
    const bool on = chk_pertain[index]->isChecked();
    if (on)
        m_status->setText(QStringLiteral("此项功能选择后，需要提供商批准后方能生效！"));
    if (index == 2 || index == 3) {
        editFeature(index);
        return;
    }
    const sitedb::Outcome done = mdl_sltTmpl::setFeature(index, on);
    if (!done) {
        ui::message(this, done.error, kNotice, QMessageBox::Critical);
        setPertain(index, !on);
    }
}

void sltTmplFrm::editFeature(int index) {
    const QString name =
        index == 2 ? QStringLiteral("“弹出窗口”") : QStringLiteral("“JavaScript脚本效果”");
    const QString text = QStringLiteral("若要取消") + name + QStringLiteral("功能，单击“取消”按钮；") +
                         QStringLiteral("\n\n") + QStringLiteral("若要对") + name +
                         QStringLiteral("的内容进行编辑修改，请单击“确定”按钮。");
    const QString column = QLatin1String(mdl_sltTmpl::features()[index].column);
    if (confirm(this, text, QMessageBox::Information)) {
        setPertain(index, true);
        if (index == 2) {
            sltTmplFrm_adBoardFrm editor(this);
            editor.exec();
        } else {
            sltTmplFrm_javaScrpt editor(this);
            editor.exec();
        }
        // The box shows what is stored: an editor closed without storing leaves a
        // feature that was off, off.
        setPertain(index, mdl_sltTmpl::flagOf(sitedb::userInfo(column)));
        return;
    }
    setPertain(index, false);
    const sitedb::Outcome done = mdl_sltTmpl::setFeature(index, false);
    if (!done) {
        ui::message(this, done.error, kNotice, QMessageBox::Critical);
        setPertain(index, mdl_sltTmpl::flagOf(sitedb::userInfo(column)));
    }
}

void sltTmplFrm::chk_default_Click() {
    const auto enableChoice = [this](bool custom) {
        // The custom page takes the place of the home-page template and name style.
        for (QWidget* w : std::initializer_list<QWidget*>{Frame1, cmd_default, Frame3, cmd_DefaultFont})
            w->setEnabled(!custom);
        for (QWidget* w : std::initializer_list<QWidget*>{lbl_default, txt_default, cmd_sltDefault})
            w->setEnabled(custom);
        cmd_viewDefault->setEnabled(custom && !txt_default->text().isEmpty());
    };
    if (chk_default->isChecked()) {
        enableChoice(true);
        return;
    }
    if (!confirm(this, QStringLiteral("确实要取消首页自定制设置吗？"), QMessageBox::Question)) {
        chk_default->setChecked(true);
        return;
    }
    const mdl_custom::Notice done = mdl_custom::unsetHomePage();
    if (!done.ok()) {
        showNotice(done);
        chk_default->setChecked(true);
        return;
    }
    txt_default->clear();
    enableChoice(false);
}

void sltTmplFrm::chk_head_Click() {
    const auto enableChoice = [this](bool custom) {
        // The header takes the place of the inner-page name style only.
        for (QWidget* w : std::initializer_list<QWidget*>{Frame4, cmd_headFont})
            w->setEnabled(!custom);
        for (QWidget* w : std::initializer_list<QWidget*>{lbl_head, txt_head, cmd_sltHead})
            w->setEnabled(custom);
        cmd_viewHead->setEnabled(custom && !txt_head->text().isEmpty());
    };
    if (chk_head->isChecked()) {
        enableChoice(true);
        return;
    }
    if (!confirm(this, QStringLiteral("确实要取消内页头部自定制设置吗？"), QMessageBox::Question)) {
        chk_head->setChecked(true);
        return;
    }
    mdl_custom::unsetHeader();
    txt_head->clear();
    enableChoice(false);
}

void sltTmplFrm::chk_other_Click() {
    const auto enableChoice = [this](bool on) {
        for (QWidget* w : std::initializer_list<QWidget*>{cmd_other, lbl_other, cmb_other})
            w->setEnabled(on);
    };
    if (chk_other->isChecked()) {
        enableChoice(true);
        return;
    }
    if (!confirm(this, QStringLiteral("确实要取消确实要取消其他网页的设置吗？"),
                 QMessageBox::Question)) {
        chk_other->setChecked(true);
        return;
    }
    const mdl_custom::Notice done = mdl_custom::unsetPages();
    if (!done.ok()) {
        showNotice(done);
        chk_other->setChecked(true);
        return;
    }
    enableChoice(false);
    cmb_other->clear();
}

void sltTmplFrm::showNotice(const mdl_custom::Notice& notice) {
    if (notice.ok())
        return;
    ui::message(this, notice.text, notice.title,
                notice.kind == mdl_custom::Notice::Error ? QMessageBox::Critical
                                                         : QMessageBox::Information);
}

mdl_custom::Progress sltTmplFrm::busy() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_status->setText(QStringLiteral("正在复制文件，请稍候……"));
    m_progress->setValue(0);
    m_progress->show();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return [this, clock](qint64 done, qint64 total) {
        // The window is drawn again now and then; what the user does waits until the
        // copy is over.
        if (clock->elapsed() < 50 && done < total)
            return;
        clock->restart();
        m_progress->setValue(total > 0 ? int(done * 1000 / total) : 1000);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

void sltTmplFrm::idle() {
    m_progress->hide();
    m_status->clear();
    QApplication::restoreOverrideCursor();
}

void sltTmplFrm::cmd_sltDefault_Click() {
    const std::optional<QString> chosen =
        ui::openFile(this, QStringLiteral("站点首页文件(default.htm)|default.htm"),
                     QStringLiteral("default.htm"));
    if (!chosen) {
        ui::message(this, QString::fromUtf16(mdl_custom::kNoFolderText), QStringLiteral("警告"),
                    QMessageBox::Critical);
        return;
    }
    const mdl_custom::Choice page = mdl_custom::setHomePage(*chosen, busy());
    idle();
    if (!page.notice.ok()) {
        showNotice(page.notice);
        return;
    }
    txt_default->setText(page.name);
}

void sltTmplFrm::cmd_sltHead_Click() {
    const std::optional<QString> chosen = ui::openFile(
        this, QStringLiteral("内页头文件(*.jpg,*.gif,*.swf)|*.jpg;*.gif;*.swf"), QString());
    if (!chosen) {
        ui::message(this, QString::fromUtf16(mdl_custom::kNoFolderText), QStringLiteral("警告"),
                    QMessageBox::Critical);
        return;
    }
    const mdl_custom::Choice header = mdl_custom::setHeader(*chosen);
    if (!header.notice.ok()) {
        showNotice(header.notice);
        return;
    }
    txt_head->setText(header.name);
}

void sltTmplFrm::cmd_other_Click() {
    const QString start = m_pagesFolder.isEmpty() ? QDir::currentPath() : m_pagesFolder;
    const QString folder =
        mdl_mdifrm::browseFolder(this, QStringLiteral("选择其他网页所在的路径"), start);
    if (folder.isEmpty())
        return;
    m_pagesFolder = folder;
    const mdl_custom::Pages pages = mdl_custom::setPages(folder, busy());
    idle();
    if (!pages.notice.ok()) {
        showNotice(pages.notice);
        return;
    }
    if (!pages.changed)
        return;
    cmb_other->clear();
    cmb_other->addItems(pages.names);
    if (!pages.names.isEmpty())
        cmb_other->setCurrentIndex(0);
}

void sltTmplFrm::cmd_viewDefault_Click() {
    sltTmplFrm_view view(this);
    view.exec();
}

void sltTmplFrm::cmd_viewHead_Click() {
    sltTmplFrm_viewHead view(this);
    view.exec();
}

bool sltTmplFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame7 && event->type() == QEvent::MouseMove)
        m_status->clear();
    return QWidget::eventFilter(watched, event);
}

void sltTmplFrm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeFrame();
}

void sltTmplFrm::placeFrame() {
    workWindow::placeFrame(this, Frame100, StatusBar1, twips(200), twips(1000));
}
