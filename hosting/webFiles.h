#pragma once
// How the files of a published site go out over HTTP, whoever serves them: their types,
// how long a visitor may keep them, the headers that keep one site's pages away from
// another's, and the compressed copies written beside text files when a site is
// published. The built-in server and the nginx configuration both follow these rules.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace hosting {

// The Content-Type of a file sent: by its extension, with the character set of a text
// file whose bytes (`head`, its start) are UTF-8.
QByteArray contentType(const QString& file, const QByteArray& head);

// Text a visitor's browser compresses well: such a file gets a ".gz" copy when published.
bool isCompressible(const QString& file);

// A file whose content may run script when opened by itself (SVG, XML, Flash): it is sent
// with a policy that lets none run.
bool isActiveFile(const QString& file);

// A name that changes whenever the content does: the last part of its stem, after "-" or
// ".", is a digest of at least 16 hexadecimal digits ("photo-3f2a9c0d1e2b4a5c.jpg").
// Such a file is kept by visitors for a year without asking again.
bool isHashedName(const QString& file);

// Cache-Control of a file: hashed names for a year, everything else asked again each time
// (the answer is a short 304 while the file is unchanged).
QByteArray cacheControl(const QString& file);

// The headers every answer carries: no type guessing, no address leaking to other sites,
// framing only by the site itself. `active` adds the sandbox that keeps script from running.
QList<QPair<QByteArray, QByteArray>> securityHeaders(bool active);

// Writes "<file>.gz" beside every compressible file of `folder` (recursively) when it is
// smaller; false, with the reason, when one cannot be written.
bool writeCompressedCopies(const QString& folder, QString* error = nullptr);

// Writes the page a site answers for addresses it does not have ("404.html" in its
// folder), unless the site has one of its own.
bool writeNotFoundPage(const QString& folder);

// The HTTP date of a time in seconds since the epoch ("Sun, 06 Nov 1994 08:49:37 GMT"),
// and back (-1 when the text is no such date).
QByteArray httpDate(qint64 secs);
qint64 parseHttpDate(const QByteArray& text);

// How nginx is to serve the published folder.
struct NginxOptions {
    // The folder holding one folder per site, ending with "/".
    QString sitesDir;
    // Sites are served as "<short name>.<domain>".
    QString domain = QStringLiteral("localhost");
    // The port nginx listens on and the one addresses name (80 is left out of them).
    int port = 80;
    // The address nginx listens on; empty for every address.
    QString listen;
    // With both set, a second server answers HTTPS on `tlsPort` with this certificate.
    QString tlsCertificate;
    QString tlsKey;
    int tlsPort = 443;
};

// The configuration (to be included in nginx's "http" block) that serves every published
// site by its host name as the built-in server does.
QString nginxConfig(const NginxOptions& options);

} // namespace hosting
