#include "preview/previewFrm.h"

#include "common/uiServices.h"
#include "common/workWindow.h"
#include "common/workspace.h"
#include "preview/sitePreview.h"

#include <QButtonGroup>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTime>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace {

QPointer<previewFrm> g_preview;

// Addresses of this machine only: the site lies on the disk, and nothing of it may
// reach out.
bool onThisMachine(const QUrl& url) {
    return url.isLocalFile() || url.scheme() == u"data" || url.scheme() == u"blob" ||
           url.scheme() == u"about";
}

class LocalOnly : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        if (!onThisMachine(info.requestUrl()))
            info.block(true);
    }
};

// Links open in the preview itself; a link off the site is not followed.
class PreviewPage : public QWebEnginePage {
public:
    PreviewPage(QWebEngineProfile* profile, QLabel* status, QObject* parent)
        : QWebEnginePage(profile, parent), m_status(status) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        if (onThisMachine(url))
            return true;
        m_status->setText(QStringLiteral("预览中不打开站外的网址：") + url.toString());
        return false;
    }

private:
    QLabel* m_status;
};

} // namespace

using workWindow::named;

previewFrm* previewFrm::open(QWidget* owner) {
    if (!g_preview)
        g_preview = new previewFrm(owner ? owner->window() : nullptr);
    g_preview->show();
    g_preview->raise();
    g_preview->activateWindow();
    g_preview->m_preview->render();
    return g_preview;
}

previewFrm* previewFrm::instance() {
    return g_preview;
}

previewFrm::previewFrm(QWidget* owner) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("previewFrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("预览网站"));
    const QString work = workspace::currImgPath();
    m_preview = new preview::SitePreview(work, workspace::currentPath() + QStringLiteral("skins/"),
                                         preview::pictureCacheFor(work), this);
    buildControls();
    const QSize room = workWindow::screenRoom(owner);
    resize(qMin(room.width(), 1200), qMin(room.height(), 860));

    connect(m_preview, &preview::SitePreview::renderingStarted, this,
            &previewFrm::renderingStarted);
    connect(m_preview, &preview::SitePreview::rendered, this, &previewFrm::rendered);
    m_preview->followChanges(true);
}

previewFrm::~previewFrm() {
    // The page goes before the profile it was made on.
    delete web_preview;
    web_preview = nullptr;
}

void previewFrm::buildControls() {
    cmd_desktop = named(new QPushButton(QStringLiteral("电脑")), "cmd_desktop");
    cmd_phone = named(new QPushButton(QStringLiteral("手机")), "cmd_phone");
    cmd_desktop->setToolTip(QStringLiteral("按电脑屏幕的宽度（%1 像素）显示").arg(desktopWidth));
    cmd_phone->setToolTip(QStringLiteral("按手机屏幕的宽度（%1 像素）显示").arg(phoneWidth));
    auto* widths = new QButtonGroup(this);
    for (QPushButton* b : {cmd_desktop, cmd_phone}) {
        b->setCheckable(true);
        widths->addButton(b);
    }
    cmd_desktop->setChecked(true);
    cmd_browser = named(new QPushButton(QStringLiteral("在浏览器中打开")), "cmd_browser");
    cmd_browser->setToolTip(QStringLiteral("在桌面的浏览器中打开正在预览的网页"));
    cmd_browser->setEnabled(false);
    lbl_status = named(new QLabel, "lbl_status");
    lbl_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    prg_render = named(new QProgressBar, "prg_render");
    prg_render->setRange(0, 0);
    prg_render->setTextVisible(false);
    prg_render->setFixedWidth(160);
    prg_render->hide();

    m_stage = named(new QWidget, "stage");
    m_stage->setAutoFillBackground(true);
    QPalette dark = m_stage->palette();
    dark.setColor(QPalette::Window, QColor(0x5a, 0x6b, 0x7d));
    m_stage->setPalette(dark);
    m_stage->installEventFilter(this);
    m_profile = new QWebEngineProfile(this);
    m_profile->setUrlRequestInterceptor(new LocalOnly(m_profile));
    web_preview = named(new QWebEngineView(m_stage), "web_preview");
    web_preview->setPage(new PreviewPage(m_profile, lbl_status, web_preview));
    web_preview->setContextMenuPolicy(Qt::NoContextMenu);
    // A page loaded anew takes the zoom of the width shown.
    connect(web_preview, &QWebEngineView::loadFinished, this, [this] { placeView(); });

    lbl_left = named(new QLabel, "lbl_left");
    lst_left = named(new QListWidget, "lst_left");
    lst_left->hide();

    auto* bar = new QHBoxLayout;
    bar->addWidget(cmd_desktop);
    bar->addWidget(cmd_phone);
    bar->addSpacing(16);
    bar->addWidget(cmd_browser);
    bar->addSpacing(16);
    bar->addWidget(lbl_status, 1);
    bar->addWidget(prg_render);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(bar);
    outer->addWidget(m_stage, 1);
    outer->addWidget(lbl_left);
    outer->addWidget(lst_left);

    connect(cmd_desktop, &QPushButton::clicked, this, &previewFrm::cmd_desktop_Click);
    connect(cmd_phone, &QPushButton::clicked, this, &previewFrm::cmd_phone_Click);
    connect(cmd_browser, &QPushButton::clicked, this, &previewFrm::cmd_browser_Click);
}

void previewFrm::cmd_desktop_Click() {
    cmd_desktop->setChecked(true);
    showWidth(desktopWidth);
}

void previewFrm::cmd_phone_Click() {
    cmd_phone->setChecked(true);
    showWidth(phoneWidth);
}

void previewFrm::cmd_browser_Click() {
    const QUrl shown = web_preview->url();
    const QUrl url = shown.isLocalFile() ? shown : m_preview->homePage();
    if (ui::openUrl(url))
        return;
    ui::askText(this, QStringLiteral("提示"),
                QStringLiteral("无法启动浏览器。请复制下面的网址，粘贴到浏览器的地址栏中打开："),
                url.toString());
}

void previewFrm::showWidth(int width) {
    m_width = width;
    placeView();
}

// The page is laid out at the width chosen: the view takes that width when the window
// has room for it, and otherwise the window's width with the page zoomed out to fit.
void previewFrm::placeView() {
    const int room = qMax(1, m_stage->width());
    const int width = qMin(room, m_width);
    const double zoom = double(width) / m_width;
    web_preview->setZoomFactor(qMax(0.25, zoom));
    web_preview->setGeometry((room - width) / 2, 0, width, m_stage->height());
}

bool previewFrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_stage && event->type() == QEvent::Resize)
        placeView();
    return QWidget::eventFilter(watched, event);
}

void previewFrm::renderingStarted() {
    prg_render->show();
    if (m_preview->hasSite()) {
        lbl_status->setText(QStringLiteral("正在更新预览……"));
        return;
    }
    lbl_status->setText(QStringLiteral("正在生成网站预览，请稍候……"));
    if (!m_waiting)
        m_waiting = std::make_unique<workWindow::WaitCursor>();
}

void previewFrm::rendered() {
    m_waiting.reset();
    if (m_preview->isRendering())
        return;
    prg_render->hide();
    const preview::Rendering& r = m_preview->last();
    lst_left->clear();
    lst_left->addItems(r.left);
    lst_left->setVisible(!r.left.isEmpty());
    // As high as its lines, up to four; more scroll.
    if (!r.left.isEmpty())
        lst_left->setFixedHeight(int(qMin<qsizetype>(r.left.size(), 4)) * lst_left->sizeHintForRow(0) +
                                 2 * lst_left->frameWidth() + 4);
    lbl_left->setText(r.left.isEmpty()
                          ? QStringLiteral("网站的全部内容都已生成。")
                          : QStringLiteral("以下内容未能生成，上传后服务器同样会略去："));
    if (!r.ok) {
        lbl_status->setText(QStringLiteral("无法生成网站预览：") + r.error);
        return;
    }
    lbl_status->setText(QStringLiteral("共 %1 个网页，%2 更新")
                            .arg(r.pages)
                            .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
    cmd_browser->setEnabled(true);
    // The page in view is shown again where the reader left it; a page the change took
    // away gives way to the home page.
    const QUrl shown = web_preview->url();
    const QString file = shown.toLocalFile();
    if (shown.isLocalFile() && file.startsWith(m_preview->siteFolder()) && QFileInfo(file).isFile())
        web_preview->reload();
    else
        web_preview->load(m_preview->homePage());
}
