#pragma once
// The pictures and files the user picks live in the working folder under bare names.
// Every window that brings one in goes through `choose`: it refuses names the site
// cannot carry, reads a picture once and only as large as its preview needs, and copies
// the file in without ever overwriting another file the site may still name. The file a
// choice replaces is removed only after the record that stopped naming it is saved, and
// only when nothing stored names it (`Tracker`).

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>

namespace pictures {

// The text shown when a chosen file's name is not made of printable ASCII.
inline constexpr const char16_t* kNotAsciiText =
    u"所选择的文件名中不能包含中文，请重命名后选择文件！";

// A picture read from a file for showing it.
struct Loaded {
    bool ok = false;
    QImage image;  // scaled down, proportions kept, to fit the bound (never enlarged)
    QSize size;    // the picture's own size, as it is shown (camera orientation applied)
    QString error; // why it could not be read
};

// Reads the picture at `path` once, decoded no larger than `bound` needs (an empty bound
// reads it at its own size). A file that is not a readable picture gives a clear error.
Loaded load(const QString& path, const QSize& bound = {});

// The size of the picture at `path` without decoding it; invalid when it is no picture.
QSize sizeOf(const QString& path);

// What bringing a file into the working folder gave.
struct Choice {
    enum Status { Ok, NotAscii, NotPicture, NotCopied };
    Status status = NotCopied;
    QString source;   // the file that was picked
    QString name;     // the bare name of the copy in the working folder: what gets stored
    bool copied = false; // a new file was written (false: an identical one was reused)
    Loaded picture;   // the picture read for its preview (pictures only)
    QString message;  // for the user, when status is not Ok
    bool ok() const { return status == Ok; }
};

struct ChoiceOptions {
    // The preview the window shows; the picture is decoded no larger than this. Empty:
    // the picture's own size (an actual-size view).
    QSize previewBound;
    // False for files that are not pictures (Flash movies, pages): nothing is decoded.
    bool picture = true;
    // A name that goes with the copy's name and must not clash either, such as a
    // gallery thumbnail: for a new copy, a name whose companion something stored names
    // already is passed over.
    std::function<QString(const QString&)> companion;
    // The name the copy must take, for a file the site keeps under a fixed name (a
    // custom page or header): a file of that name is replaced, safely, by the choice.
    // Empty: the file's own name, or a free one.
    QString name;
};

// Brings the file at `sourcePath` into the working folder. The copy keeps the file's own
// name unless the folder already holds a different file of that name (or the name is one
// the program keeps for itself, such as the site database): then the first free name
// "stem-2.ext", "stem-3.ext", … is taken, the number going before the first ".". The same
// file picked again, or a file picked from the working folder itself, is reused as it is.
// With a fixed name in `options`, that name is checked instead of the file's own.
Choice choose(const QString& sourcePath, const ChoiceOptions& options = {});

// True when any stored value of the site database (content records, site settings)
// names `fileName`: as a bare name, as an element of a "||" list, or as a picture of
// stored rich text in any of the forms it is written in there ("[imgpath]/it[&#39;]s.jpg",
// "[imgpath]/it&#39;s.jpg", percent-encoded). Names are compared whole, never as a part of
// a longer name. The one answer to "may this file go" for every caller.
bool isNamed(const QString& fileName);

// Removes from the working folder each of `fileNames` that nothing stored names any more.
// Empty names, names with a folder part and the program's own files are never touched.
// The names actually removed.
QStringList removeUnnamed(const QStringList& fileNames);

// What one window brought in and what its choices replaced, until its record is saved
// or dropped.
class Tracker {
public:
    // A choice brought its file into the working folder. Only a new copy is tracked: a
    // file the folder already held was not this window's to remove.
    void broughtIn(const Choice& choice);
    // The window wrote `name` into the working folder itself (a gallery thumbnail).
    void wrote(const QString& name);
    // What the window hands on names `name` where the site database cannot see it yet (a
    // page still being edited): it is no longer this window's to remove.
    void keep(const QString& name);
    // A choice stopped naming `name`, which the stored record may still name.
    void replacing(const QString& name);
    // The record is stored: removes every file this window brought in or replaced that
    // nothing stored names any more. The names removed.
    QStringList saved();
    // The record is not stored: removes only the files this window brought in that
    // nothing stored names; what the stored record names stays. The names removed.
    QStringList dropped();
    bool isEmpty() const { return m_in.isEmpty() && m_out.isEmpty(); }

private:
    QStringList m_in;
    QStringList m_out;
};

} // namespace pictures
