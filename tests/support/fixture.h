#pragma once
// A throw-away copy of the built installation folder, so every test starts from
// pristine data and leaves nothing behind.

#include <QString>
#include <QTemporaryDir>

class TempInstall {
public:
    // Copies the installation data (not the programs) into a new temporary folder; the
    // user's settings and cache folders (XDG_CONFIG_HOME, XDG_CACHE_HOME) are new empty
    // ones inside it.
    TempInstall();
    // Closes the site database if this installation opened it, then removes the folder.
    ~TempInstall();
    TempInstall(const TempInstall&) = delete;
    TempInstall& operator=(const TempInstall&) = delete;

    bool isValid() const { return m_ok; }
    // The installation folder, ending with "/".
    QString currentPath() const;
    // The default working folder, ending with "/".
    QString defaultWorkPath() const { return currentPath() + QStringLiteral("userImages/"); }

    // Seeds the default working folder with the pristine site database, sets the
    // workspace paths and opens `conn` on it.
    bool openSite();

    // Writes `bytes` to a file below the installation folder, making its folders.
    void write(const QString& relative, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
    bool m_ok = false;
    bool m_opened = false;
};

// The built installation folder (the program's own folder).
QString builtInstallPath();

namespace testfiles {
// The bytes of a file; empty when it cannot be read.
QByteArray readAll(const QString& path);
// Writes a whole file, making its folders.
void writeFile(const QString& path, const QByteArray& bytes);
} // namespace testfiles
