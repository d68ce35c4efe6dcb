#pragma once
// The manifest of a working folder and the messages of the changes-only upload, shared by
// the client and the hosting server.
//
// A server that can take an upload of changes says so with "<#deltaOffer#>sha256" in the
// same write as its "<#login#>" (a client that does not know the tag finds "<#login#>" and
// ignores the rest). Only then does the client send a manifest instead of announcing the
// whole archive. Messages that carry a list travel framed: the tag, the length of the
// body in bytes as a decimal number, ":", then the body.

#include <QByteArray>
#include <QFileInfo>
#include <QList>
#include <QString>

#include <optional>

namespace mdl_upData {

namespace tag {
// Server: uploads of changes are taken on this connection.
inline const QString deltaOffer = QStringLiteral("<#deltaOffer#>");
// Client, framed: the manifest of the working folder.
inline const QString manifest = QStringLiteral("<#manifest#>");
// Server, framed: the contents (hashes, one a line) the archive must bring.
inline const QString deltaNeed = QStringLiteral("<#deltaNeed#>");
// Server: send the whole archive instead (no previous copy, or what arrived did not match).
inline const QString deltaFull = QStringLiteral("<#deltaFull#>");
// Server: the upload is complete and checked; publishing follows.
inline const QString deltaDone = QStringLiteral("<#deltaDone#>");
} // namespace tag

// The one hash method offered and understood.
inline const QString deltaMethod = QStringLiteral("sha256");
// A content hash: SHA-256 in lower-case hexadecimal.
inline constexpr int hashLength = 64;
// The subfolder of the working folder whose files travel in "images.zip" in a whole archive.
inline const QString imagesFolder = QStringLiteral("images/");

// One file of the site as the server unpacks it: a plain name, or "images/" and a plain name.
struct ManifestEntry {
    QString name;
    qint64 size = 0;
    QByteArray hash;
    // Where the client reads it; not part of the manifest's text.
    QString path;
};
using Manifest = QList<ManifestEntry>;

qint64 manifestBytes(const Manifest& m);

// One line per file: hash, size and name, separated by one blank, ending with "\n".
QByteArray manifestText(const Manifest& m);

struct ManifestLimits {
    int entries = 20000;
    qint64 entryBytes = qint64(256) << 20;
    qint64 siteBytes = qint64(1) << 30;
};
// Reads a manifest and checks it as an archive is checked: every name plain or below
// "images/", no name twice, hashes of the fixed length, the site database present, the
// file count, each size and the total within the limits. No value, with `error` set for
// the user, otherwise.
std::optional<Manifest> parseManifest(const QByteArray& text, const ManifestLimits& limits,
                                      QString* error);

// A name a manifest may hold.
bool isManifestName(const QString& name);
bool isHash(const QByteArray& hash);

// The SHA-256 of a file's bytes in hexadecimal; empty when it cannot be read.
QByteArray fileHash(const QString& path);
// Hashes bytes as they come.
class ContentHasher {
public:
    ContentHasher();
    ~ContentHasher();
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;
    void add(const char* data, qint64 n);
    // The hash in hexadecimal; the hasher starts again.
    QByteArray result();

private:
    void* m_ctx;
};

// `tag`, the body's length, ":" and the body.
QByteArray framed(const QString& tag, const QByteArray& body);

enum class Frame { Incomplete, Complete, Invalid };
// Reads a framed message at the start of `buffer`, which begins with `tag`. Complete: the
// body is in `body` and the message is taken off the buffer. Invalid: no length, or one
// above `maxBody`.
Frame takeFramed(QByteArray& buffer, const QString& tag, qint64 maxBody, QByteArray* body);

// The files of the working folder that reach the server, by the name the server unpacks
// them under: every file lying directly in the working folder (but "images.zip", made
// from "images/" when the archive is packed) and every file of its "images" subfolder as
// "images/<name>"; server-side scripts excluded. `strayArchive`, when given, is set when
// an "images.zip" lies there without an "images" subfolder (it travels only in a whole
// archive, which the server unpacks).
struct WorkspaceFile {
    QString name;
    QFileInfo file;
};
QList<WorkspaceFile> workspaceFiles(const QString& workPath, bool* strayArchive = nullptr);

// The working folder as the server unpacks it: every file lying directly in it (but
// "images.zip", made from "images/" when the archive is packed) and every file of its
// "images" subfolder, with their hashes; server-side scripts excluded. No value, with
// `error` set, when a file cannot be read or the folder's layout has no manifest form.
std::optional<Manifest> workspaceManifest(const QString& workPath, QString* error);

// The hashes of the contents a manifest needs, each once.
QList<QByteArray> neededHashes(const QByteArray& body);

// "12 KB", "198 MB": a size as the user reads it.
QString byteSize(qint64 bytes);

} // namespace mdl_upData
