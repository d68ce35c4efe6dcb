#pragma once
// Text helpers every window shares: the stored form of plain text and of rich text,
// the numeric test of digit boxes, HTML colours and file-dialog filters.

#include <QColor>
#include <QString>

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
// Stored rich text back to markup whose pictures point into the working folder.
QString fromStoredHtml(const QString& stored, const QString& imgPath);

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
