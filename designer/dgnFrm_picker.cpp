#include "designer/dgnFrm_picker.h"

#include "common/uiServices.h"
#include "common/workspace.h"
#include "designer/disModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

using mdl_dgnFrm::twips;

namespace {
// The picker's geometry, in twips.
constexpr int kTileWidth = 2420;
constexpr int kTileHeight = 2000;
constexpr int kPickerWidth = 8220;
constexpr int kPickerHeight = 4400;
constexpr int kLabelTop = 100;
constexpr int kLineTop = 400;
} // namespace

dgnFrm_picker::dgnFrm_picker(designFrm* designer, const QString& title, QWidget* parent)
    : QDialog(parent), m_designer(designer) {
    setWindowTitle(title);

    auto* outer = new QVBoxLayout(this);
    m_top = new QGridLayout;
    outer->addLayout(m_top);

    chk_prod = new QCheckBox(QStringLiteral("产品类型"), this);
    chk_prod->setObjectName(QStringLiteral("chk_prod"));
    cmb_type = new QComboBox(this);
    cmb_type->setObjectName(QStringLiteral("cmb_type"));
    cmb_type->setEnabled(false);
    cmb_type->setMinimumWidth(twips(2000));
    cmb_class = new QComboBox(this);
    cmb_class->setObjectName(QStringLiteral("cmb_class"));
    cmb_class->setEnabled(false);
    cmb_class->setMinimumWidth(twips(2000));
    auto* prodRow = new QHBoxLayout;
    prodRow->addWidget(chk_prod);
    prodRow->addSpacing(12);
    prodRow->addWidget(new QLabel(QStringLiteral("一级分类："), this));
    prodRow->addWidget(cmb_type);
    prodRow->addSpacing(12);
    prodRow->addWidget(new QLabel(QStringLiteral("二级分类："), this));
    prodRow->addWidget(cmb_class);
    prodRow->addStretch();
    outer->addLayout(prodRow);

    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameShape(QFrame::StyledPanel);
    Picture1->setFixedSize(twips(kPickerWidth), twips(kPickerHeight));
    Picture1->setStyleSheet(QStringLiteral("#Picture1 { background: #f7f9fc; }"));
    lbl_model = new QLabel(QStringLiteral("显示模式"), Picture1);
    lbl_model->setObjectName(QStringLiteral("lbl_model"));
    lbl_model->move(twips(300), twips(kLabelTop));
    Line1 = new QFrame(Picture1);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setFrameShape(QFrame::HLine);
    Line1->setFrameShadow(QFrame::Sunken);
    Line1->setGeometry(twips(300), twips(kLineTop), twips(kPickerWidth - 600), 2);
    // Tile 0 is always there; the others come and go with the table shown.
    auto* first = new disModel(Picture1);
    first->setObjectName(QStringLiteral("disModelObj_0"));
    disModelObj << first;
    connect(first, &disModel::click, this, [this] { disModelObj_click(0); });

    // The wheel over the picker, its tiles included, scrolls it as the bar does.
    Picture1->installEventFilter(this);
    vscrl = new QScrollBar(Qt::Vertical, this);
    vscrl->setObjectName(QStringLiteral("vscrl"));
    vscrl->setFocusPolicy(Qt::NoFocus);
    vscrl->setFixedHeight(Picture1->height());
    vscrl->setRange(0, 0);
    auto* pickerRow = new QHBoxLayout;
    pickerRow->setSpacing(0);
    pickerRow->addWidget(Picture1);
    pickerRow->addWidget(vscrl);
    pickerRow->addStretch();
    outer->addLayout(pickerRow);

    cmd_cfm = new QPushButton(QStringLiteral("确定"), this);
    cmd_cfm->setObjectName(QStringLiteral("cmd_cfm"));
    cmd_cfm->setDefault(true);
    cmd_cnl = new QPushButton(QStringLiteral("取消"), this);
    cmd_cnl->setObjectName(QStringLiteral("cmd_cnl"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmd_cfm);
    buttons->addWidget(cmd_cnl);
    outer->addLayout(buttons);

    connect(chk_prod, &QCheckBox::toggled, this, [this] { chk_prod_Click(); });
    connect(cmb_type, &QComboBox::activated, this, [this] { cmb_type_Click(); });
    connect(vscrl, &QScrollBar::valueChanged, this, &dgnFrm_picker::vscrl_Change);
    connect(cmd_cfm, &QPushButton::clicked, this, [this] { cmd_cfm_Click(); });
    connect(cmd_cnl, &QPushButton::clicked, this, &QDialog::reject);
}

void dgnFrm_picker::loadPicker() {
    m_tables = mdl_dgnFrm::fillFormatTables(workspace::currentPath());
    layoutFormatTiles(m_tables.genFormats);
    fillProdTypes();
}

QString dgnFrm_picker::selectedModel() const {
    for (const disModel* tile : disModelObj) {
        if (tile->selected())
            return tile->model();
    }
    return {};
}

void dgnFrm_picker::selectModel(const QString& key) {
    for (int i = 0; i < disModelObj.size(); ++i) {
        if (disModelObj[i]->model() != key)
            continue;
        disModelObj_click(i);
        const int bottom = m_tilePos.value(i).y() + twips(kTileHeight);
        if (bottom > Picture1->height())
            vscrl->setValue(std::min(vscrl->maximum(), bottom - Picture1->height()));
        return;
    }
}

void dgnFrm_picker::layoutFormatTiles(const mdl_dgnFrm::FormatTable& table) {
    vscrl->setValue(0);
    while (disModelObj.size() > 1)
        delete disModelObj.takeLast();

    const mdl_dgnFrm::TileLayout layout =
        mdl_dgnFrm::layoutTiles(table.size(), kTileWidth, kTileHeight, kLineTop, kPickerHeight);
    m_tilePos.clear();
    for (int i = 0; i < table.size(); ++i) {
        disModel* tile = nullptr;
        if (i == 0) {
            tile = disModelObj.front();
        } else {
            tile = new disModel(Picture1);
            tile->setObjectName(QStringLiteral("disModelObj_") + QString::number(i));
            connect(tile, &disModel::click, this, [this, i] { disModelObj_click(i); });
            disModelObj << tile;
            tile->show();
        }
        tile->setCaption(table[i].caption);
        tile->setModel(table[i].key);
        tile->setPicName(table[i].picture);
        tile->setSelected(i == 0);
        m_tilePos << QPoint(twips(layout.positions[i].x()), twips(layout.positions[i].y()));
    }
    vscrl->setRange(0, twips(layout.scrollMax));
    vscrl->setPageStep(Picture1->height());
    vscrl->setSingleStep(twips(300));
    placeTiles();
}

void dgnFrm_picker::placeTiles() {
    const int v = vscrl->value();
    lbl_model->move(twips(300), twips(kLabelTop) - v);
    Line1->move(twips(300), twips(kLineTop) - v);
    for (int i = 0; i < disModelObj.size() && i < m_tilePos.size(); ++i)
        disModelObj[i]->move(m_tilePos[i] - QPoint(0, v));
}

void dgnFrm_picker::fillProdTypes() {
    cmb_type->clear();
    const mdl_dgnFrm::Names types = mdl_dgnFrm::prodTypes();
    if (!types.ok) {
        ui::message(this, types.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    cmb_type->addItems(types.names);
    // An empty list simply stays empty.
    if (cmb_type->count() > 0) {
        cmb_type->setCurrentIndex(0);
        fillProdClasses(cmb_type->currentText());
    } else {
        cmb_class->clear();
    }
}

void dgnFrm_picker::fillProdClasses(const QString& typeName) {
    cmb_class->clear();
    const mdl_dgnFrm::Names classes = mdl_dgnFrm::prodClasses(typeName);
    if (!classes.ok) {
        ui::message(this, classes.error, QStringLiteral("提示"), QMessageBox::Critical);
        return;
    }
    cmb_class->addItems(classes.names);
    if (cmb_class->count() > 0)
        cmb_class->setCurrentIndex(0);
}

void dgnFrm_picker::chk_prod_Click() {
    const bool on = chk_prod->isChecked();
    cmb_type->setEnabled(on);
    cmb_class->setEnabled(on);
    if (on) {
        fillProdTypes();
        layoutFormatTiles(m_tables.prodFormats);
    } else {
        layoutFormatTiles(m_tables.genFormats);
    }
}

void dgnFrm_picker::cmb_type_Click() {
    fillProdClasses(cmb_type->currentText());
}

void dgnFrm_picker::disModelObj_click(int index) {
    for (int i = 0; i < disModelObj.size(); ++i)
        disModelObj[i]->setSelected(i == index);
}

bool dgnFrm_picker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Picture1 && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(vscrl, event);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void dgnFrm_picker::vscrl_Change(int) {
    placeTiles();
}
