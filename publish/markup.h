#pragma once
// The small pieces of markup every page is built from. Each returns an HTML fragment;
// plain texts inside it are escaped.

#include <QString>
#include <QStringList>

namespace publish {

// Plain text for a page: the five characters HTML gives a meaning to become references.
QString esc(const QString& text);

// A file name as a relative address: everything but letters, digits and "-._~" encoded.
QString pct(const QString& name);

// One file directly in a folder: no separators, no way up, no control characters.
bool isPlainFileName(const QString& name);

// The kinds of file a page may show or play. The site database, archives and scripts
// beside the pictures are never published.
bool isMediaFile(const QString& name);

// The kinds of media file that are pictures: published only through the picture pipeline.
bool isPictureFile(const QString& name);

// Decoded stored plain text as paragraphs: each line break starts a new one.
QStringList paragraphList(const QString& decoded);

QString paragraphs(const QString& decoded);

QString textBlock(const QString& paras);

// A picture's markup (Renderer::img) in its figure; empty for none.
QString figure(const QString& picture, const QString& place);

QString record(const QString& kind, const QString& title, const QString& inner);

// Whether a page's content is a record that opens with its own title.
bool hasOwnTitle(const QString& content);

QString empty(const QString& text);

QString link(const QString& url, const QString& label);

// The first characters of a text, not cutting a character in two.
QString cut(const QString& text, int length);

// The name a node shows: its own, or a word for a name of blanks.
QString label(const QString& name);

} // namespace publish
