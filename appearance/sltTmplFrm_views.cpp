#include "appearance/sltTmplFrm_views.h"

#include "appearance/mdl_custom.h"
#include "common/uiServices.h"
#include "common/workWindow.h"
#include "common/workspace.h"
#include "sitedb/sitedb.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineSettings>
#include <QWebEngineView>

sltTmplFrm_pageView::sltTmplFrm_pageView(QWidget* parent) : QDialog(parent) {
    wb_view = new QWebEngineView(this);
    wb_view->setObjectName(QStringLiteral("wb_view"));
    wb_view->setContextMenuPolicy(Qt::NoContextMenu);
    wb_view->settings()->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    CancelButton = new QPushButton(QStringLiteral("关闭"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setDefault(true);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CancelButton);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(wb_view, 1);
    outer->addLayout(buttons);
}

int sltTmplFrm_pageView::exec() {
    if (!Form_Load())
        return Rejected;
    return QDialog::exec();
}

sltTmplFrm_view::sltTmplFrm_view(QWidget* parent) : sltTmplFrm_pageView(parent) {
    setObjectName(QStringLiteral("sltTmplFrm_view"));
    setWindowTitle(QStringLiteral("查看首页"));
    // As large as a page, as far as the screen allows: the button stays in view.
    resize(QSize(1040, 760).boundedTo(workWindow::screenRoom(parent)));
}

bool sltTmplFrm_view::Form_Load() {
    const sitedb::Rows rows = sitedb::query(QStringLiteral("SELECT * FROM user_info"));
    if (!rows.ok) {
        ui::message(this, rows.error, QStringLiteral("提示"), QMessageBox::Critical);
        return false;
    }
    if (rows.isEmpty()) {
        ui::message(this, QStringLiteral("没有数据！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        return false;
    }
    const QString name = rows.first().text(QStringLiteral("defaultFile")).trimmed();
    const QString file = workspace::currImgPath() + name;
    if (name.isEmpty() || !QFileInfo(file).isFile()) {
        ui::message(this, QStringLiteral("首页文件不存在！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        return false;
    }
    wb_view->setUrl(QUrl::fromLocalFile(file));
    return true;
}

sltTmplFrm_viewHead::sltTmplFrm_viewHead(QWidget* parent) : sltTmplFrm_pageView(parent) {
    setObjectName(QStringLiteral("sltTmplFrm_viewHead"));
    setWindowTitle(QStringLiteral("查看内页头文件"));
    resize(QSize(800, 260).boundedTo(workWindow::screenRoom(parent)));
}

bool sltTmplFrm_viewHead::Form_Load() {
    wb_view->setUrl(QUrl(QStringLiteral("about:blank")));
    const sitedb::Rows rows = sitedb::query(QStringLiteral("SELECT * FROM user_info"));
    if (!rows.ok) {
        ui::message(this, QStringLiteral("内页头文件不存在！"), QStringLiteral("提示"),
                    QMessageBox::Critical);
        return false;
    }
    if (rows.isEmpty()) {
        ui::message(this, QStringLiteral("没有数据！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        return false;
    }
    const QString stored = rows.first().text(QStringLiteral("topHead")).trimmed();
    const QString file = workspace::currImgPath() +
                         mdl_custom::headerName(stored.section(u'.', -1));
    if (stored.isEmpty() || !QFileInfo(file).isFile()) {
        ui::message(this, QStringLiteral("内页头文件不存在！"), QStringLiteral("提示"),
                    QMessageBox::Information);
        return false;
    }
    m_html = mdl_custom::headPreviewHtml(file);
    wb_view->setHtml(m_html, QUrl::fromLocalFile(workspace::currImgPath()));
    return true;
}
