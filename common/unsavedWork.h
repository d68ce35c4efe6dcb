#pragma once
// What a work window holds that is not stored yet, and the one question asked about all
// of it before the program ends.

#include <QString>
#include <QStringList>

namespace unsavedWork {

// A work window that can hold edits not yet stored.
class Holder {
public:
    virtual ~Holder() = default;
    // What is unsaved, one line each, in the words the user knows it by; empty when
    // nothing is. An edit still open is put aside here, so that the question asked next
    // does not end it.
    virtual QStringList unsavedItems() = 0;
    // Stores what is unsaved. False, after the window has told the user why, when
    // something could not be stored: it stays unsaved and shown.
    virtual bool saveUnsaved() = 0;
    // Drops what is unsaved: the stored data stay as they were, and the pictures brought
    // in for it leave the working folder unless something stored names them.
    virtual void discardUnsaved() = 0;
    // The question was cancelled: everything is as it was before unsavedItems().
    virtual void keepUnsaved() {}
};

// The question before the program ends, naming what is unsaved.
QString quitQuestion(const QStringList& items);

} // namespace unsavedWork
