#include "appearance/sltTmplFrm_tmplDlg.h"

#include "appearance/sltTmplFrm.h"
#include "appearance/tmpl.h"
#include "common/uiServices.h"
#include "common/workWindow.h"
#include "common/workspace.h"

#include <QApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QHash>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWheelEvent>

using mdl_sltTmpl::gridPixels;

namespace {

// Three columns of tiles and three rows in view.
const int kPictureWidth = 2 * mdl_sltTmpl::kTileLeft + 3 * mdl_sltTmpl::kTilePitchX;
const int kPictureHeight = 3 * mdl_sltTmpl::kTilePitchY;

} // namespace

sltTmplFrm_tmplDlg::sltTmplFrm_tmplDlg(mdl_sltTmpl::Page page, sltTmplFrm* owner,
                                       QWidget* parent)
    : QDialog(parent ? parent : owner), m_page(page), m_owner(owner) {
    Frame1 = new QGroupBox(QStringLiteral("模板类别"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    lst_type = new QListWidget(Frame1);
    lst_type->setObjectName(QStringLiteral("lst_type"));
    lst_type->setFixedWidth(150);
    (new QVBoxLayout(Frame1))->addWidget(lst_type);

    Frame2 = new QGroupBox(QStringLiteral("待选模板"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Picture1 = new QWidget(Frame2);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFixedSize(gridPixels(kPictureWidth), gridPixels(kPictureHeight));
    Picture1->setAutoFillBackground(true);
    Picture1->setFocusPolicy(Qt::StrongFocus);
    Picture1->installEventFilter(this);
    scrlVer = new QScrollBar(Qt::Vertical, Frame2);
    scrlVer->setObjectName(QStringLiteral("scrlVer"));
    scrlVer->setSingleStep(mdl_sltTmpl::kTilePitchY / 4);
    scrlVer->setPageStep(kPictureHeight);
    scrlVer->setRange(0, 0);
    auto* grid = new QHBoxLayout(Frame2);
    grid->setSpacing(0);
    grid->addWidget(Picture1);
    grid->addWidget(scrlVer);
    connect(scrlVer, &QScrollBar::valueChanged, this, &sltTmplFrm_tmplDlg::scrlVer_Change);

    ccrpPrgBar = new QProgressBar(this);
    ccrpPrgBar->setObjectName(QStringLiteral("ccrpPrgBar"));
    ccrpPrgBar->setTextVisible(false);
    ccrpPrgBar->setFixedWidth(200);
    ccrpPrgBar->hide();
    cmd_view = new QPushButton(QStringLiteral("浏览"), this);
    cmd_view->setObjectName(QStringLiteral("cmd_view"));
    OKButton = new QPushButton(QStringLiteral("确定"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    cmd_view->setAutoDefault(false);
    CancelButton->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(Frame1);
    top->addWidget(Frame2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ccrpPrgBar);
    buttons->addStretch(1);
    buttons->addWidget(cmd_view);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addLayout(buttons);

    connect(lst_type, &QListWidget::currentRowChanged, this, &sltTmplFrm_tmplDlg::lst_type_Click);
    connect(OKButton, &QPushButton::clicked, this, &sltTmplFrm_tmplDlg::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &sltTmplFrm_tmplDlg::CancelButton_Click);
    connect(cmd_view, &QPushButton::clicked, this, [this] { cmd_view_Click(); });

    newTile(0)->hide();
}

sltTmplFrm_defaultTmpl::sltTmplFrm_defaultTmpl(sltTmplFrm* owner, QWidget* parent)
    : sltTmplFrm_tmplDlg(mdl_sltTmpl::Page::Home, owner, parent) {
    setObjectName(QStringLiteral("sltTmplFrm_defaultTmpl"));
    setWindowTitle(QStringLiteral("选择首页模板"));
}

sltTmplFrm_headTmpl::sltTmplFrm_headTmpl(sltTmplFrm* owner, QWidget* parent)
    : sltTmplFrm_tmplDlg(mdl_sltTmpl::Page::Inner, owner, parent) {
    setObjectName(QStringLiteral("sltTmplFrm_headTmpl"));
    setWindowTitle(QStringLiteral("选择内页模板"));
}

int sltTmplFrm_tmplDlg::exec() {
    if (!Form_Load())
        return Rejected;
    return QDialog::exec();
}

bool sltTmplFrm_tmplDlg::Form_Load() {
    const workWindow::WaitCursor wait;
    const mdl_dgnFrm::Names types = mdl_sltTmpl::categories(m_page);
    if (!types.ok || types.names.isEmpty()) {
        ui::message(this, types.ok ? QStringLiteral("没有可选的模板。") : types.error,
                    QStringLiteral("提示"), QMessageBox::Information);
        reject();
        return false;
    }
    {
        const QSignalBlocker quiet(lst_type);
        lst_type->clear();
        lst_type->addItems(types.names);
        lst_type->setCurrentRow(0);
    }
    lst_type_Click();
    return true;
}

void sltTmplFrm_tmplDlg::lst_type_Click() {
    if (QListWidgetItem* item = lst_type->currentItem())
        loadCategory(item->text());
}

tmpl* sltTmplFrm_tmplDlg::newTile(int index) {
    auto* tile = new tmpl(Picture1);
    tile->setObjectName(QStringLiteral("tmpl1_") + QString::number(index));
    connect(tile, &tmpl::click, this, [this, index] {
        Picture1->setFocus();
        tmpl1_click(index);
    });
    connect(tile, &tmpl::DoubleClick, this, [this, index] { tmpl1_DoubleClick(index); });
    tmpl1 << tile;
    return tile;
}

void sltTmplFrm_tmplDlg::loadCategory(const QString& category) {
    const workWindow::WaitCursor wait;
    const mdl_dgnFrm::Names names = mdl_sltTmpl::templates(m_page, category);
    while (tmpl1.size() > 1)
        delete tmpl1.takeLast();
    tmpl1[0]->setSelected(0);
    {
        const QSignalBlocker quiet(scrlVer);
        scrlVer->setValue(0);
    }
    ccrpPrgBar->setMaximum(std::max<qsizetype>(1, names.names.size()));
    ccrpPrgBar->setValue(0);
    for (int i = 0; i < names.names.size(); ++i) {
        ccrpPrgBar->setValue(i);
        ccrpPrgBar->show();
        // The bar is drawn while the thumbnails are read; nothing the user does runs now.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        tmpl* tile = i == 0 ? tmpl1[0] : newTile(i);
        tile->setValue(names.names[i]);
        tile->show();
    }
    // A category without templates offers no tile to choose.
    tmpl1[0]->setVisible(!names.names.isEmpty());
    if (names.names.isEmpty())
        tmpl1[0]->setValue(QString());
    scrlVer->setMaximum(
        mdl_sltTmpl::tileScrollMax(int(names.names.size()), kPictureHeight));
    placeTiles();
    if (!names.names.isEmpty())
        tmpl1_click(0);
    ccrpPrgBar->hide();
}

void sltTmplFrm_tmplDlg::placeTiles() {
    for (int i = 0; i < tmpl1.size(); ++i) {
        const QPoint at = mdl_sltTmpl::tilePosition(i, scrlVer->value());
        tmpl1[i]->move(gridPixels(at.x()), gridPixels(at.y()));
    }
}

void sltTmplFrm_tmplDlg::scrlVer_Change() {
    placeTiles();
}

void sltTmplFrm_tmplDlg::tmpl1_click(int index) {
    for (int i = 0; i < tmpl1.size(); ++i)
        tmpl1[i]->setSelected(i == index ? 1 : 0);
}

void sltTmplFrm_tmplDlg::tmpl1_DoubleClick(int index) {
    tmpl1_click(index);
    OKButton_Click();
}

QString sltTmplFrm_tmplDlg::selectedValue() const {
    for (const tmpl* tile : tmpl1) {
        if (tile->selected() == 1)
            return tile->value();
    }
    return QString();
}

void sltTmplFrm_tmplDlg::OKButton_Click() {
    const QString value = selectedValue();
    if (value.isEmpty()) {
        ui::message(this, QStringLiteral("请选择其中一种模板！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        return;
    }
    const sitedb::Outcome stored = mdl_sltTmpl::storeTemplate(m_page, value);
    if (!stored) {
        ui::message(this, stored.error, QStringLiteral("错误"), QMessageBox::Critical);
        return;
    }
    if (m_owner)
        m_owner->showTemplate(m_page, value);
    accept();
}

void sltTmplFrm_tmplDlg::CancelButton_Click() {
    reject();
}

void sltTmplFrm_tmplDlg::cmd_view_Click() {
    sltTmplFrm_viewTmpl view(this);
    view.exec();
}

void sltTmplFrm_defaultTmpl::cmd_view_Click() {
    BdefaultTmpl = true;
    sltTmplFrm_tmplDlg::cmd_view_Click();
    BdefaultTmpl = false;
}

void sltTmplFrm_tmplDlg::selectTile(int index) {
    if (index < 0 || index >= tmpl1.size() || !tmpl1[index]->isVisible())
        return;
    tmpl1_click(index);
    showTile(index);
}

void sltTmplFrm_tmplDlg::showTile(int index) {
    // The row of the tile is brought into view.
    const int top = mdl_sltTmpl::tilePosition(index, 0).y();
    if (top < scrlVer->value())
        scrlVer->setValue(top);
    else if (top + mdl_sltTmpl::kTilePitchY > scrlVer->value() + kPictureHeight)
        scrlVer->setValue(top + mdl_sltTmpl::kTilePitchY - kPictureHeight);
}

bool sltTmplFrm_tmplDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Picture1 && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(scrlVer, event);
        return true;
    }
    if (watched == Picture1 && event->type() == QEvent::KeyPress) {
        // The arrows move the choice through the grid, a row at a time up and down.
        static const QHash<int, int> kSteps = {
            {Qt::Key_Left, -1}, {Qt::Key_Right, 1}, {Qt::Key_Up, -3}, {Qt::Key_Down, 3}};
        const int step = kSteps.value(static_cast<QKeyEvent*>(event)->key());
        if (step != 0) {
            for (int i = 0; i < tmpl1.size(); ++i) {
                if (tmpl1[i]->selected() == 1) {
                    selectTile(i + step);
                    break;
                }
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

sltTmplFrm_viewTmpl::sltTmplFrm_viewTmpl(sltTmplFrm_tmplDlg* catalogue)
    : QDialog(catalogue), m_catalogue(catalogue) {
    setObjectName(QStringLiteral("sltTmplFrm_viewTmpl"));
    setWindowTitle(QStringLiteral("浏览模板"));
    wb_view11 = new QWebEngineView(this);
    wb_view11->setObjectName(QStringLiteral("wb_view11"));
    wb_view11->setContextMenuPolicy(Qt::NoContextMenu);
    wb_view11->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CancelButton);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(wb_view11, 1);
    outer->addLayout(buttons);
    // The previews are 800 pixels wide; the window keeps to the screen, its button in view.
    resize(QSize(860, 760).boundedTo(workWindow::screenRoom(catalogue)));

    wb_view11->setUrl(QUrl(QStringLiteral("about:blank")));
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, &sltTmplFrm_viewTmpl::Timer1_Timer);
    Timer1->start();
}

void sltTmplFrm_viewTmpl::Timer1_Timer() {
    if (++m_ticks < 2)
        return;
    Timer1->stop();
    const QString value = m_catalogue ? m_catalogue->selectedValue() : QString();
    m_html = mdl_sltTmpl::previewHtml(value);
    if (!QFileInfo::exists(mdl_sltTmpl::previewPath(value))) {
        // Said in a line of text rather than shown as a broken picture.
        m_html = QStringLiteral("<html><body style='font-size:14px;color:#555'>") +
                 QStringLiteral("没有这个模板的预览图片。") + QStringLiteral("</body></html>");
    }
    wb_view11->setHtml(m_html, QUrl::fromLocalFile(workspace::currentPath() +
                                                   QStringLiteral("template/")));
}
