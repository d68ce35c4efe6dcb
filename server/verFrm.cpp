#include "server/verFrm.h"

#include "common/uiServices.h"
#include "server/mdl_upData.h"
#include "sitedb/sitedb.h"

#include <QCheckBox>
#include <QDate>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace {
QPointer<verFrm> g_window;
}

verFrm::verFrm(QWidget* parent) : msgLogWindow(parent) {
    setObjectName(QStringLiteral("verFrm"));
    setWindowTitle(QStringLiteral("系统公告"));
    resize(460, 360);

    chk_ver = new QCheckBox(QStringLiteral("不再显示"), this);
    chk_ver->setObjectName(QStringLiteral("chk_ver"));
    CancelButton = new QPushButton(QStringLiteral("关闭"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(chk_ver);
    bottom->addStretch();
    bottom->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(webBer, 1);
    layout->addLayout(bottom);

    connect(chk_ver, &QCheckBox::clicked, this, &verFrm::chk_ver_Click);
    connect(CancelButton, &QPushButton::clicked, this, &verFrm::CancelButton_Click);
}

verFrm* verFrm::instance(bool load) {
    if (!g_window && load)
        g_window = new verFrm;
    return g_window;
}

void verFrm::chk_ver_Click() {
    const sitedb::Outcome stored =
        sitedb::setUserInfo(QStringLiteral("field06"),
                            mdl_upData::noticeSetting(chk_ver->isChecked(), QDate::currentDate()));
    if (!stored)
        ui::message(this, stored.error);
}

void verFrm::CancelButton_Click() {
    close();
}
