#pragma once
// The part the add-file and change-format dialogs share: the display-format picker (the
// tiles of disModelObj in the panel Picture1 with its scroll bar) and the product check
// box with the two classification lists.

#include "designer/mdl_dgnFrm.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QPushButton;
class QScrollBar;
class disModel;
class designFrm;

class dgnFrm_picker : public QDialog {
    Q_OBJECT
public:
    QCheckBox* chk_prod = nullptr;
    QComboBox* cmb_type = nullptr;
    QComboBox* cmb_class = nullptr;
    QLabel* lbl_model = nullptr;
    QFrame* Picture1 = nullptr;
    QFrame* Line1 = nullptr;
    QScrollBar* vscrl = nullptr;
    QList<disModel*> disModelObj;
    QPushButton* cmd_cfm = nullptr;
    QPushButton* cmd_cnl = nullptr;

    // The key of the first selected tile, or empty when none is.
    QString selectedModel() const;
    // Selects the tile of `key` and scrolls it into view; the selection stays when no
    // tile shows that key.
    void selectModel(const QString& key);

    // Shows one tile per row of the table, three to a row, and selects the first.
    void layoutFormatTiles(const mdl_dgnFrm::FormatTable& table);
    // The first-level classifications, the first one chosen (and its classes listed).
    void fillProdTypes();
    // The second-level classifications of a type, the first one chosen.
    void fillProdClasses(const QString& typeName);

    void chk_prod_Click();
    void cmb_type_Click();
    void disModelObj_click(int index);
    void vscrl_Change(int value);

protected:
    // `body` receives the rows above the picker (the name box of the add-file dialog).
    dgnFrm_picker(designFrm* designer, const QString& title, QWidget* parent);
    // Fills the picker with the general formats and the product types.
    void loadPicker();
    virtual void cmd_cfm_Click() = 0;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QGridLayout* m_top = nullptr;
    designFrm* m_designer = nullptr;
    mdl_dgnFrm::FormatTables m_tables;

private:
    void placeTiles();
    QList<QPoint> m_tilePos; // in pixels, before scrolling
};
