#include "preview/sitePreview.h"

#include "common/fileops.h"
#include "publish/publish.h"
#include "server/uploadManifest.h"
#include "sitedb/sitedb.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <filesystem>

namespace preview {

namespace {

const QString kDb = QString::fromLatin1(sitedb::fileName);

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The database and what SQLite keeps beside it while it is open: the snapshot stands in
// for them.
bool isDatabaseFile(const QString& name) {
    const QString lower = name.toLower();
    return lower == kDb || lower.startsWith(kDb + u'-');
}

// `target` becomes the same file as `source`: a second name of it where the disk allows,
// else a copy with the same time of change, so the next call sees it unchanged.
bool mirror(const QFileInfo& source, const QString& target, QString* error) {
    std::error_code ec;
    std::filesystem::remove(fsPath(target), ec);
    const auto from = fsPath(source.absoluteFilePath());
    std::filesystem::create_hard_link(from, fsPath(target), ec);
    if (!ec)
        return true;
    std::filesystem::copy_file(from, fsPath(target), ec);
    if (!ec)
        std::filesystem::last_write_time(fsPath(target), std::filesystem::last_write_time(from, ec),
                                         ec);
    if (ec) {
        *error = QStringLiteral("无法复制文件“%1”：%2")
                     .arg(QDir::toNativeSeparators(source.absoluteFilePath()),
                          fileops::reason(ec.value()));
        return false;
    }
    return true;
}

bool sameFile(const QFileInfo& a, const QFileInfo& b) {
    return b.exists() && a.size() == b.size() && a.lastModified() == b.lastModified();
}

} // namespace

bool stageUpload(const QString& workPath, const QString& stage, QString* error) {
    const QString db = sitedb::findIn(workPath);
    if (db.isEmpty()) {
        *error = QStringLiteral("工作文件夹中没有站点数据库");
        return false;
    }
    if (!QDir().mkpath(stage + mdl_upData::imagesFolder)) {
        *error = QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(stage));
        return false;
    }
    QSet<QString> wanted;
    for (const auto& [name, file] : mdl_upData::workspaceFiles(workPath)) {
        if (isDatabaseFile(name))
            continue;
        wanted.insert(name);
        if (!sameFile(file, QFileInfo(stage + name)) && !mirror(file, stage + name, error))
            return false;
    }
    for (const QString& folder : {QString(), mdl_upData::imagesFolder}) {
        const QStringList names =
            QDir(stage + folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& name : names) {
            if (!wanted.contains(folder + name) && (!folder.isEmpty() || name != kDb))
                QFile::remove(stage + folder + name);
        }
    }
    const QString fresh = stage + kDb + QStringLiteral(".new");
    QFile::remove(fresh);
    const sitedb::Outcome copied = sitedb::snapshot(db, fresh);
    if (!copied) {
        QFile::remove(fresh);
        *error = QStringLiteral("无法读取站点数据库：") + copied.error;
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(fsPath(fresh), fsPath(stage + kDb), ec);
    if (ec) {
        QFile::remove(fresh);
        *error = QStringLiteral("无法复制站点数据库：") + fileops::reason(ec.value());
        return false;
    }
    return true;
}

QString pictureCacheFor(const QString& workPath) {
    const QByteArray key =
        QCryptographicHash::hash(QFile::encodeName(QDir(workPath).absolutePath()),
                                 QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/orvane/preview/") + QString::fromLatin1(key) + u'/';
}

SitePreview::SitePreview(const QString& workPath, const QString& skinsDir,
                         const QString& pictureCache, QObject* parent)
    : QObject(parent), m_work(workPath), m_skins(skinsDir), m_cache(pictureCache),
      m_temp(QDir::tempPath() + QStringLiteral("/orvane-preview-XXXXXX")) {
    if (m_temp.isValid())
        m_root = m_temp.path() + u'/';
    m_changed = new QTimer(this);
    m_changed->setSingleShot(true);
    m_changed->setInterval(0);
    connect(m_changed, &QTimer::timeout, this, &SitePreview::render);
}

SitePreview::~SitePreview() {
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

QString SitePreview::siteFolder() const {
    return m_root.isEmpty() ? QString() : m_root + QStringLiteral("site/");
}

QUrl SitePreview::homePage() const {
    return QUrl::fromLocalFile(siteFolder() + QStringLiteral("index.html"));
}

void SitePreview::followChanges(bool on) {
    if (on)
        connect(&sitedb::changes(), &sitedb::Changes::stored, m_changed,
                qOverload<>(&QTimer::start), Qt::UniqueConnection);
    else
        disconnect(&sitedb::changes(), &sitedb::Changes::stored, m_changed, nullptr);
}

void SitePreview::render() {
    if (m_thread) {
        m_again = true;
        return;
    }
    auto result = std::make_shared<Rendering>();
    m_running = result;
    if (m_root.isEmpty()) {
        result->error = QStringLiteral("无法建立临时文件夹：") + m_temp.errorString();
        QTimer::singleShot(0, this, [this, result] {
            m_last = *result;
            Q_EMIT rendered();
        });
        return;
    }
    publish::Options o;
    o.uploadDir = m_root + QStringLiteral("upload/");
    o.outDir = m_root + QStringLiteral("next/");
    o.skinsDir = m_skins;
    o.pictureCache = m_cache;
    const QString work = m_work;
    const QString site = siteFolder();
    // The site goes whole into a folder of its own and takes the place of the one shown
    // only once complete: a failed rendering leaves the last good site in view.
    m_thread = QThread::create([result, o, work, site] {
        fileops::removeFolder(o.outDir);
        if (!o.pictureCache.isEmpty())
            QDir().mkpath(o.pictureCache);
        if (!stageUpload(work, o.uploadDir, &result->error))
            return;
        const publish::Result r = publish::renderSite(o);
        result->left = r.log;
        result->pages = r.pages;
        if (!r.ok) {
            result->error = r.error;
            fileops::removeFolder(o.outDir);
            return;
        }
        result->ok = fileops::replaceFolder(o.outDir, site, &result->error);
    });
    connect(m_thread, &QThread::finished, this, &SitePreview::finish);
    Q_EMIT renderingStarted();
    m_thread->start();
}

void SitePreview::finish() {
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_last = *m_running;
    m_running.reset();
    m_hasSite = m_hasSite || m_last.ok;
    Q_EMIT rendered();
    if (m_again) {
        m_again = false;
        render();
    }
}

} // namespace preview
