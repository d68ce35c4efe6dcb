#pragma once
// What the add and modify dialogs of news items, gallery pictures and products share: the
// node (and record) they store into, the pictures they brought in, and how a save ends.

#include "common/pictures.h"
#include "content/mdl_entry.h"

#include <QDialog>

#include <optional>

class QLayout;
class QLineEdit;
class QPushButton;

class entryDialog : public QDialog {
    Q_OBJECT
public:
    // Where the dialog stores: the content window's current node, and for a modify dialog
    // the picked record.
    struct Target {
        QString nodeKey;
        QString nodeName;
        qint64 id = 0;
    };

    QPushButton* OKButton = nullptr;     // "添加" or "修改"
    QPushButton* CancelButton = nullptr; // "取消": closes without storing

    virtual void OKButton_Click() = 0;
    void CancelButton_Click() { reject(); }

    // A dialog that could not load its record has said why and does not open.
    int exec() override;
    void done(int result) override;

    const Target& target() const { return m_target; }

    // The texts a dialog shows for a picture the user picks.
    static QString pictureFilter();

protected:
    entryDialog(const Target& target, bool modify, QWidget* parent);

    // "添加"/"修改" and "取消", on the right.
    QLayout* buttonRow();
    // Enter in the one-line `box` moves on to the next box rather than storing the record
    // half typed.
    void enterMovesOn(QLineEdit* box);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The stored record, or a message when there is none; a dialog whose record cannot be
    // had closes (`refuse`). False when nothing was loaded.
    bool loadRecord(sitedb::Row* row);
    // What a save without a node level says: an add dialog (and the product dialogs) close
    // with "请在左边栏目选择节点！", the other modify dialogs stay with "没有在左边选择栏目！".
    enum class NoLevel { Close, Stay };
    // Ends a save that got past the dialog's own checks: closes on success (the files the
    // record stopped naming go), says why otherwise. True when stored.
    bool settle(const mdl_entry::Result& result, NoLevel noLevel);
    // The dialog is not to be shown (or is closed now).
    void refuse();

    // Asks for a picture and brings it into the working folder (refusals are shown).
    std::optional<pictures::Choice> askPicture(const pictures::ChoiceOptions& options);
    // The record names `name` from now on; the picture it named before goes once the
    // record is stored without it.
    void takePicture(const QString& name);

    QString fileName;     // the picture the record names
    QString prevFileName; // the picture it named before this dialog's last choice

    // Pictures this dialog brought in and those its choices replaced.
    pictures::Tracker m_pictures;

private:
    Target m_target;
    bool m_refused = false;
    QList<QObject*> m_enterMovesOn;
};
