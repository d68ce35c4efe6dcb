#pragma once
// The site as it would go out, seen on this machine: what an upload of the working folder
// would bring (the site database as one consistent snapshot, the files beside it and
// "images/") is rendered by the server's own renderer into a private temporary folder,
// off the window's thread, and rendered again after every change stored while the preview
// is open. Nothing here reaches the network.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <memory>

class QThread;
class QTimer;

namespace preview {

// One rendering's outcome.
struct Rendering {
    bool ok = false;
    // Why the site could not be rendered (when !ok).
    QString error;
    // What the renderer left out or replaced, one line each, as the server reports it.
    QStringList left;
    // HTML files written.
    int pages = 0;
};

// Brings the folder `stage` to what an upload of the working folder `workPath` holds, as
// the server unpacks it: the site database as "dalmbuilder.tdc", copied as one consistent
// snapshot while the program may be writing it; the other files linked (copied where the
// disk cannot link), only those that changed since the last call; files gone from the
// working folder gone from `stage`. False, with `error` set, when it cannot.
bool stageUpload(const QString& workPath, const QString& stage, QString* error);

// Where the pictures the renderer converts for the working folder `workPath` are kept
// between renderings and between runs: a folder of its own in the user's cache.
QString pictureCacheFor(const QString& workPath);

class SitePreview : public QObject {
    Q_OBJECT
public:
    // The preview of the working folder `workPath` with the renderer's skins in
    // `skinsDir`; converted pictures are kept in `pictureCache` (none when empty).
    SitePreview(const QString& workPath, const QString& skinsDir, const QString& pictureCache,
                QObject* parent = nullptr);
    // Waits for a rendering under way; the temporary folder goes with everything in it.
    ~SitePreview() override;

    // The folder the last good rendering lies in: always the same path, so an address
    // in it stays valid across renderings. Empty when the temporary folder cannot be made.
    QString siteFolder() const;
    QUrl homePage() const;
    // A good rendering lies in siteFolder().
    bool hasSite() const { return m_hasSite; }
    bool isRendering() const { return m_thread != nullptr; }
    // The last rendering's outcome.
    const Rendering& last() const { return m_last; }

    // Renders the site again off the window's thread. Asked while a rendering runs, one
    // more follows it, once.
    void render();
    // Every change the program stores in the site database renders the site again (those
    // of one moment once).
    void followChanges(bool on);

Q_SIGNALS:
    void renderingStarted();
    // A rendering ended; last() tells how. When it succeeded the new site already lies in
    // siteFolder().
    void rendered();

private:
    void finish();

    const QString m_work, m_skins, m_cache;
    QTemporaryDir m_temp;
    QString m_root;
    QThread* m_thread = nullptr;
    std::shared_ptr<Rendering> m_running;
    QTimer* m_changed = nullptr;
    Rendering m_last;
    bool m_hasSite = false;
    bool m_again = false;
};

} // namespace preview
