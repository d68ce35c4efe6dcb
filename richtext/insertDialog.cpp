#include "richtext/insertDialog.h"

#include "common/dialogs.h"
#include "richtext/dlgFrm_flash.h"
#include "richtext/dlgFrm_hr.h"
#include "richtext/dlgFrm_img.h"
#include "richtext/dlgFrm_tbl.h"
#include "richtext/richEditBase.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

insertDialog::insertDialog(richEditBase* editor, const QString& title, QWidget* parent)
    : QDialog(parent ? parent : editor), m_editor(editor) {
    setWindowTitle(title);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(6);
    OKButton = new QPushButton(QStringLiteral("确定"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("取消"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setAutoDefault(false);
    connect(OKButton, &QPushButton::clicked, this, &insertDialog::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &insertDialog::CancelButton_Click);
}

bool insertDialog::open(richEditBase* editor, const QString& key) {
    std::unique_ptr<insertDialog> dialog;
    if (key == u"img")
        dialog = std::make_unique<dlgFrm_img>(editor);
    else if (key == u"flash")
        dialog = std::make_unique<dlgFrm_flash>(editor);
    else if (key == u"table")
        dialog = std::make_unique<dlgFrm_tbl>(editor);
    else if (key == u"sline")
        dialog = std::make_unique<dlgFrm_hr>(editor);
    return dialog && dialog->exec() == QDialog::Accepted;
}

QLineEdit* insertDialog::numberBox(const char* name, const QString& initial) {
    QLineEdit* box = textBox(name);
    connect(box, &QLineEdit::textChanged, box, [box] { mdl_func::checkNumInput(box); });
    box->setText(initial);
    box->setMaximumWidth(90);
    return box;
}

QLineEdit* insertDialog::textBox(const char* name, const QString& initial) {
    auto* box = new QLineEdit(initial, this);
    box->setObjectName(QLatin1String(name));
    return box;
}

QComboBox* insertDialog::entryList(const char* name, const QList<mdl_insert::Entry>& entries) {
    auto* list = new QComboBox(this);
    list->setObjectName(QLatin1String(name));
    for (const mdl_insert::Entry& e : entries)
        list->addItem(e.caption, e.value);
    return list;
}

void insertDialog::addLine(const QString& label, std::initializer_list<QWidget*> widgets) {
    auto* l = new QLabel(label, this);
    m_grid->addWidget(l, m_lines, 0, Qt::AlignRight);
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    for (QWidget* w : widgets)
        line->addWidget(w);
    line->addStretch(1);
    m_grid->addLayout(line, m_lines, 1);
    ++m_lines;
}

void insertDialog::finishLayout() {
    m_grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_grid);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void insertDialog::OKButton_Click() {
    const QString html = markup();
    if (html.isEmpty())
        return;
    // The copy the markup names now belongs to the page.
    m_files.keep(m_chosenName);
    m_editor->setInnerHTML(html);
    accept();
}

void insertDialog::done(int result) {
    m_files.dropped();
    QDialog::done(result);
}
