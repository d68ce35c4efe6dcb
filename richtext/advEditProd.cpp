#include "richtext/advEditProd.h"

#include <QToolBar>
#include <QVBoxLayout>
#include <QWebEngineView>

advEditProd::advEditProd(QWidget* parent) : richEditBase(mdl_richtext::reducedToolbar(), parent) {
    setObjectName(QStringLiteral("advEditProd"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tlBar);
    layout->addWidget(DHTMLEditer, 1);
}
