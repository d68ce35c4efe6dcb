#pragma once
// Text helpers every window shares: the stored form of plain text and of rich text,
// the numeric test of digit boxes, HTML colours and file-dialog filters.

#include <QColor>
#include <QList>
#include <QString>

#include <functional>

#include <optional>

namespace mdl_func {

// Plain text made safe for a page and for storage: line breaks (CR LF, LF or a lone CR)
// become "<br>", then "'" "&#39;", spaces "&nbsp;" and '"' "&#34;".
QString encode(const QString& text);
// The inverse of encode, giving the line breaks of the edit boxes ("\n").
QString decode(const QString& text);

// Editor markup to its stored form: the body's inner part, apostrophes as "[&#39;]",
// pictures of the working folder as "[imgpath]/name".
QString toStoredHtml(const QString& markup, const QString& imgPath);
// Stored rich text back to markup whose pictures point into the working folder: a
// picture found there is addressed by `fileUrl`, whatever its name holds.
QString fromStoredHtml(const QString& stored, const QString& imgPath);

// The address of a local file as it is written into markup: a "file://" URL with every
// character of the name that could end or change it (blank, "#", "%", "?", apostrophe)
// percent-encoded.
QString fileUrl(const QString& path);

// A picture of the working folder named in stored rich text: "[imgpath]/" at `at` and
// the name as written after it, up to a quote, a bracket or a line end.
struct StoredPicture {
    qsizetype at = 0;
    QString written;
};
QList<StoredPicture> storedPictures(const QString& stored);

// The file names a written name may stand for, the likeliest first: the whole of it with
// its character references ("[&#39;]", "&#39;", "&amp;", …) and then its percent-encoding
// read, then each shorter part before a blank, "?", "#", ")" or apostrophe, in case the
// name ended there. `length` is how much of the written name the reading takes.
struct NameReading {
    QString name;
    qsizetype length = 0;
};
QList<NameReading> readingsOf(const QString& written);

// Stored rich text with each picture reference replaced: by `address(name)` for the first
// reading whose address is not empty (followed by what the reading leaves of the written
// name), or else by `unknown(written)`. The rest of the text is left as it is.
QString replaceStoredPictures(const QString& stored,
                              const std::function<QString(const QString&)>& address,
                              const std::function<QString(const QString&)>& unknown);

// The general numeric test of the digit boxes: digits with an optional sign, decimal
// point and exponent, surrounding blanks allowed.
bool isNumeric(const QString& text);
// What checkNumInput leaves in a box: the text itself when it is empty or a number;
// otherwise the box's last accepted text when it is known, or else the text shortened
// from its end until it is empty or a number, so that no letter typed or pasted stays.
QString checkedNumInput(const QString& text, const std::optional<QString>& accepted = {});

// "#RRGGBB" in upper-case hexadecimal.
QString htmlColor(const QColor& color);

// A file-dialog filter in the "description|pattern|description|pattern" form, patterns
// separated by ";", turned into the form Qt's dialogs take.
QString dialogFilter(const QString& descPatternFilter);

} // namespace mdl_func

// The file-name check: pictures and movies copied into the working folder must have
// names made of printable ASCII.
class cls_func {
public:
    // True when every character's code lies between 32 and 127 (an empty name included).
    bool isEng(const QString& text) const;
};
