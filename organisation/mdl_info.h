#pragma once
// The organisation's identity and contact data in the single `user_info` row, and its
// logo picture in the working folder.

#include "common/pictures.h"
#include "sitedb/sitedb.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace mdl_info {

// One box of the organisation window: its name, its label and the column it fills.
struct Field {
    const char* box;
    const char16_t* label;
    const char* column;
};
// The nine boxes, in the order the window shows them; the site name comes first.
const QList<Field>& fields();

struct OrgInfo {
    QStringList values; // one per field, in the order of fields()
    QString logo;       // bare name in the working folder, or empty
};

// The stored data; nine empty values when there is no row or it cannot be read.
OrgInfo load();

struct SaveResult {
    enum Status { Saved, BlankName, Failed };
    Status status = Failed;
    QString error; // why the statement failed
};
// Stores the boxes as typed and the logo name. A site name of blanks only is refused.
SaveResult save(const OrgInfo& info);

// The logo the window shows and will store: a new picture is brought into the working
// folder at once; the file it replaces goes only after the save that stops naming it,
// and only when nothing stored names it any more.
class Logo {
public:
    // The name the site database holds.
    void loaded(const QString& stored);
    // A picture was brought into the working folder for the logo.
    void brought(const pictures::Choice& choice);
    // Clears the stored logo at once and removes the pictures nothing names any more.
    sitedb::Outcome cancel();
    // The organisation data was stored with name().
    void saved();
    // The window goes without saving: removes a new picture nothing names.
    void dropped();
    QString name() const { return m_name; }

private:
    QString m_name;
    pictures::Tracker m_tracker;
};

} // namespace mdl_info
