#include "app/backup.h"

#include "common/fileops.h"
#include "common/workspace.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLockFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QStorageInfo>

#include <cerrno>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace backup {

namespace {

const QString kDb = QString::fromLatin1(sitedb::fileName);

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString bare(QString folder) {
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return folder;
}

bool exists(const QString& path) {
    return QFileInfo::exists(path);
}

QString parentOf(const QString& folder) {
    return QFileInfo(bare(folder)).absolutePath();
}

// The database and what SQLite keeps beside it while it is open are never copied as
// files: the database is copied as a snapshot, its journals never.
bool isDatabaseFile(const QString& relative) {
    return relative == kDb || relative.startsWith(kDb + u'-');
}

QString size(qint64 bytes) {
    return QLocale(QLocale::Chinese, QLocale::China)
        .formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// The room the files of a folder take on a disk of `block`-byte blocks, with some to spare
// for the folders themselves; `count` receives the bytes to copy.
qint64 roomFor(const QString& folder, const fileops::Skip& skip, qint64 block, qint64* count) {
    qint64 room = 64 * 1024;
    *count = 0;
    QDirIterator it(bare(folder), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    const QDir base(bare(folder));
    while (it.hasNext()) {
        const QString path = it.next();
        if (skip && skip(base.relativeFilePath(path)))
            continue;
        const qint64 bytes = it.fileInfo().size();
        *count += bytes;
        room += (bytes + block - 1) / block * block + block;
    }
    return room;
}

// Says when a disk lacks the room a copy needs, in the user's words.
Outcome roomOnDisk(const QString& folder, qint64 needed, const QString& what) {
    const QStorageInfo disk(folder);
    if (!disk.isValid() || disk.bytesAvailable() >= needed)
        return {};
    return Outcome::failure(QStringLiteral("磁盘空间不足：%1需要 %2，“%3”所在的磁盘只有 %4 可用。"
                                           "请腾出至少 %5 的空间后再试。")
                                .arg(what, size(needed), native(folder),
                                     size(disk.bytesAvailable()),
                                     size(needed - disk.bytesAvailable())));
}

bool sameDisk(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev;
}

// Reports bytes copied and the steps of the swap to the caller's Progress.
class Meter {
public:
    Meter(const Progress& progress, qint64 total) : m_progress(progress), m_total(total) {}
    std::function<void(qint64)> from(qint64 start) {
        if (!m_progress)
            return {};
        return [this, start](qint64 n) { tell(start + n); };
    }
    void tell(qint64 done) {
        m_done = done;
        if (m_progress)
            m_progress(qMin(m_done, m_total), m_total);
    }
    void step() { tell(m_done); }
    qint64 done() const { return m_done; }

private:
    const Progress& m_progress;
    qint64 m_total;
    qint64 m_done = 0;
};

// Reads the one table every window needs from a site database.
Outcome readable(const QString& file) {
    return sitedb::ReadConnection(file, QStringLiteral("backupCheck"))
        .exec(QStringLiteral("SELECT COUNT(*) FROM user_info"));
}

// ---- the swap and its journal ----

// A complete new folder put in the place of `target` by renames: the old `target` goes
// to `aside` (whose own earlier content goes to `discard` first, when given), then
// `stage` becomes `target`. `aside` is removed at the end unless it is kept.
struct Swap {
    QString kind; // "backup" or "restore"
    QString stage;
    QString target;
    QString aside;
    QString discard;
    bool keepAside = false;
};

const QString kCopying = QStringLiteral("copying");
const QString kComplete = QStringLiteral("complete");

Outcome writeJournal(const QString& file, const Swap& s, const QString& state) {
    const QString part = file + QStringLiteral(".part");
    QFile out(part);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Outcome::failure(QStringLiteral("无法写入“%1”：%2").arg(native(part), out.errorString()));
    const QString text = QStringLiteral("kind=%1\nstate=%2\nstage=%3\ntarget=%4\naside=%5\n"
                                        "discard=%6\nkeepAside=%7\n")
                             .arg(s.kind, state, s.stage, s.target, s.aside, s.discard,
                                  s.keepAside ? QStringLiteral("1") : QStringLiteral("0"));
    const QByteArray bytes = text.toUtf8();
    const bool written = out.write(bytes) == bytes.size() && out.flush() &&
                         ::fsync(out.handle()) == 0;
    out.close();
    QString why;
    if (!written || !fileops::renameFolder(part, file, &why)) {
        QFile::remove(part);
        return Outcome::failure(why.isEmpty() ? QStringLiteral("无法写入“%1”").arg(native(file))
                                              : why);
    }
    return {};
}

bool readJournal(const QString& file, Swap* s, QString* state) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QHash<QString, QString> v;
    for (const QString& line : QString::fromUtf8(in.readAll()).split(u'\n')) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            v.insert(line.left(eq), line.mid(eq + 1));
    }
    *s = {v.value(QStringLiteral("kind")),   v.value(QStringLiteral("stage")),
          v.value(QStringLiteral("target")), v.value(QStringLiteral("aside")),
          v.value(QStringLiteral("discard")), v.value(QStringLiteral("keepAside")) == u"1"};
    *state = v.value(QStringLiteral("state"));
    return !s->stage.isEmpty() && !s->target.isEmpty() && !s->aside.isEmpty();
}

// Puts the complete `stage` in place. Each rename is done only if it was not done yet, so
// a swap cut off anywhere is finished by running this again.
Outcome finishSwap(const Swap& s, Meter* meter) {
    QString why;
    if (exists(s.stage)) {
        if (exists(s.target)) {
            if (!s.discard.isEmpty() && exists(s.aside) &&
                !fileops::renameFolder(s.aside, s.discard, &why))
                return Outcome::failure(why);
            meter->step();
            if (!fileops::renameFolder(s.target, s.aside, &why))
                return Outcome::failure(why);
            meter->step();
        }
        if (!fileops::renameFolder(s.stage, s.target, &why))
            return Outcome::failure(why);
        meter->step();
    }
    if (!s.discard.isEmpty())
        fileops::removeFolder(s.discard);
    if (!s.keepAside)
        fileops::removeFolder(s.aside);
    meter->step();
    return {};
}

// Puts back what a swap that cannot go on had moved and removes its new folder. True when
// `target` holds the old data again (or there never was one).
bool undoSwap(const Swap& s) {
    QString why;
    if (!exists(s.target) && exists(s.aside) && !fileops::renameFolder(s.aside, s.target, &why))
        return false;
    if (!s.discard.isEmpty() && exists(s.discard) && !exists(s.aside))
        fileops::renameFolder(s.discard, s.aside, &why);
    fileops::removeFolder(s.stage);
    return true;
}

// Runs a swap whose stage `fill` makes complete, with the journal telling a later start
// how far it came. On failure the target is as it was.
Outcome swapIn(const QString& journal, const Swap& s, Meter* meter,
               const std::function<Outcome()>& fill) {
    Outcome done = writeJournal(journal, s, kCopying);
    if (done) {
        meter->step();
        done = fill();
    }
    if (done && !fileops::syncFileSystem(s.stage))
        done = Outcome::failure(QStringLiteral("无法将“%1”写入磁盘").arg(native(s.stage)));
    if (done)
        done = writeJournal(journal, s, kComplete);
    if (done) {
        meter->step();
        done = finishSwap(s, meter);
        if (!done)
            undoSwap(s);
    } else {
        fileops::removeFolder(s.stage);
    }
    QFile::remove(journal);
    return done;
}

// The swap's folders for a new copy of `target`: leftovers of earlier runs that cannot be
// removed never stand in the way.
Swap swapFor(const QString& kind, const QString& target, const QString& aside, bool keepAside) {
    Swap s{kind, fileops::freeName(bare(target) + (kind == u"backup" ? QStringLiteral(".new")
                                                                     : QStringLiteral(".restoring"))),
           bare(target), bare(aside), QString(), keepAside};
    if (keepAside) {
        if (exists(s.aside))
            s.discard = fileops::freeName(s.aside + QStringLiteral(".old"));
    } else {
        s.aside = fileops::freeName(s.aside);
    }
    return s;
}

// The folders of the backup's own that lie inside the working folder (when the
// installation does) are not part of the data.
fileops::Skip ownFolders(const Folders& f) {
    const QDir work(f.work);
    QStringList own;
    for (const QString& folder : {bare(f.backup), bare(f.keep)})
        own << work.relativeFilePath(folder);
    return [own](const QString& relative) {
        for (const QString& o : own) {
            if (relative == o || relative.startsWith(o + u'.') || relative.startsWith(o + u'/'))
                return true;
        }
        return false;
    };
}

// Copies the working folder into the new folder `to`: the files, then the site database
// as one consistent snapshot read on a connection of this thread's own.
Outcome snapshot(const Folders& f, const QString& to, Meter* meter) {
    const fileops::Skip own = ownFolders(f);
    auto skip = [&](const QString& relative) { return isDatabaseFile(relative) || own(relative); };
    QString why;
    qint64 copied = 0;
    const auto tell = meter->from(0);
    if (!fileops::copyFolder(f.work, to, &why, skip, nullptr, [&](qint64 n) {
            copied = n;
            if (tell)
                tell(n);
        }))
        return Outcome::failure(why);

    const QString source = f.work + kDb;
    const Outcome made = sitedb::snapshot(source, to + u'/' + kDb);
    if (!made)
        return Outcome::failure(
            QStringLiteral("无法复制站点数据库“%1”：%2").arg(native(source), made.error));
    meter->tell(copied + QFileInfo(source).size());
    return {};
}

// Fills the restore's new folder: the backup's files copied, the working folder's other
// files linked (they are the same files in the kept folder and in the restored one, and
// take no room twice), copied where the disk cannot link.
Outcome restoredCopy(const Folders& f, const QString& stage, Meter* meter) {
    QString why;
    auto backupSkip = [](const QString& relative) {
        return relative != kDb && isDatabaseFile(relative);
    };
    if (!fileops::copyFolder(f.backup, stage, &why, backupSkip, nullptr, meter->from(0)))
        return Outcome::failure(why);

    const QDir work(bare(f.work));
    const fileops::Skip own = ownFolders(f);
    QDirIterator it(work.path(), QDir::AllEntries | QDir::Hidden | QDir::System |
                                     QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = work.relativeFilePath(path);
        const QString target = stage + u'/' + relative;
        if (isDatabaseFile(relative) || own(relative) || QFileInfo(target).exists() ||
            QFileInfo(target).isSymLink())
            continue;
        const QFileInfo e = it.fileInfo();
        if (e.isDir() && !e.isSymLink()) {
            if (!QDir().mkpath(target))
                return Outcome::failure(QStringLiteral("无法建立文件夹“%1”").arg(native(target)));
            continue;
        }
        QDir().mkpath(QFileInfo(target).absolutePath());
        if (::link(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) !=
                0 &&
            !fileops::replaceWith(path, target, &why))
            return Outcome::failure(why);
        meter->step();
    }
    return readable(stage + u'/' + kDb);
}

} // namespace

namespace {

// Held for the whole of a backup or restore, so a second program on the same data never
// takes the other's unfinished work for a killed run. Left by a program that died, it is
// taken over (the process is gone); a long run keeps it however old it grows.
std::unique_ptr<QLockFile> holdSwapLock(const QString& journal) {
    auto lock = std::make_unique<QLockFile>(journal + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

} // namespace

QString backupHome(const QString& currentPath) {
    // The installation folder while it is writable, else the user's own data folder.
    return workspace::dataRootFor(currentPath);
}

Folders folders(const QString& currentPath, const QString& workPath) {
    const QString home = backupHome(currentPath);
    return {workspace::withSeparator(workPath), home + QStringLiteral("savedData/"),
            home + QStringLiteral("savedData.before-restore/"),
            home + QStringLiteral("savedData.journal")};
}

bool hasBackup(const Folders& f) {
    return QFileInfo(f.backup + kDb).isFile();
}

Outcome backupData(const Folders& f, const Progress& progress) {
    // Only a backup that is there can be said to stay as it was.
    const QString unchanged = hasBackup(f) ? QStringLiteral("\n原有的备份没有改动。") : QString();
    const QString home = parentOf(f.backup);
    const fileops::Skip own = ownFolders(f);
    qint64 bytes = 0;
    const qint64 room =
        roomFor(f.work, own, qMax<qint64>(4096, QStorageInfo(home).blockSize()), &bytes);
    Outcome done = roomOnDisk(home, room, QStringLiteral("备份数据"));
    Meter meter(progress, bytes);
    const auto held = holdSwapLock(f.journal);
    if (done && !held)
        done = Outcome::failure(QStringLiteral("另一个Orvane正在备份或还原数据，请稍后再试。"));
    if (done) {
        const Swap s = swapFor(QStringLiteral("backup"), f.backup, bare(f.backup) + QStringLiteral(".old"),
                               false);
        done = swapIn(f.journal, s, &meter, [&] {
            if (!QDir().mkpath(s.stage))
                return Outcome::failure(QStringLiteral("无法建立文件夹“%1”").arg(native(s.stage)));
            return snapshot(f, s.stage, &meter);
        });
    }
    if (!done)
        return Outcome::failure(QStringLiteral("数据备份失败：") + done.error + unchanged);
    return done;
}

Outcome checkRestore(const Folders& f) {
    const QString unchanged = QStringLiteral("\n当前数据没有改动。");
    const Outcome read = readable(f.backup + kDb);
    if (!read)
        return Outcome::failure(QStringLiteral("数据还原失败，备份的站点数据库“%1”无法读取：%2")
                                    .arg(native(f.backup + kDb), read.error) +
                                unchanged);
    if (QString(bare(f.backup) + u'/').startsWith(bare(f.work) + u'/'))
        return Outcome::failure(
            QStringLiteral("数据还原失败：备份文件夹“%1”位于工作文件夹“%2”之内，无法还原。")
                .arg(native(bare(f.backup)), native(bare(f.work))) +
            unchanged);
    const QString home = parentOf(f.work);
    qint64 bytes = 0;
    const qint64 room =
        roomFor(f.backup, {}, qMax<qint64>(4096, QStorageInfo(home).blockSize()), &bytes);
    const Outcome fits = roomOnDisk(home, room, QStringLiteral("还原数据"));
    if (!fits)
        return Outcome::failure(QStringLiteral("数据还原失败，") + fits.error + unchanged);
    return {};
}

QString keptIn(const Folders& f) {
    const QString work = bare(f.work);
    const QString keep = bare(f.keep);
    if (!QString(keep + u'/').startsWith(work + u'/') && sameDisk(parentOf(keep), parentOf(work)))
        return f.keep;
    return work + QStringLiteral(".before-restore/");
}

Outcome restoreData(const Folders& f, const Progress& progress) {
    Outcome done = checkRestore(f);
    if (!done)
        return done;
    const auto held = holdSwapLock(f.journal);
    if (!held)
        return Outcome::failure(QStringLiteral("另一个Orvane正在备份或还原数据，请稍后再试。") +
                                QStringLiteral("\n当前数据没有改动。"));
    qint64 bytes = 0;
    roomFor(f.backup, {}, 1, &bytes);
    Meter meter(progress, bytes);
    const Swap s = swapFor(QStringLiteral("restore"), f.work, keptIn(f), true);
    done = swapIn(f.journal, s, &meter, [&] { return restoredCopy(f, s.stage, &meter); });
    if (!done)
        return Outcome::failure(QStringLiteral("数据还原失败：") + done.error +
                                QStringLiteral("\n当前数据没有改动。"));
    return done;
}

Resumed resumeInterrupted(const QString& currentPath) {
    const QString journal = folders(currentPath, currentPath).journal;
    // A backup or restore that a running program is doing is its own to finish.
    const auto held = holdSwapLock(journal);
    if (!held)
        return {};
    QFile::remove(journal + QStringLiteral(".part"));
    Swap s;
    QString state;
    if (!readJournal(journal, &s, &state)) {
        QFile::remove(journal);
        return {};
    }
    const bool restore = s.kind == u"restore";
    const QString what = restore ? QStringLiteral("还原数据") : QStringLiteral("备份数据");
    Progress none;
    Meter meter(none, 0);
    Resumed r;
    if (state == kComplete) {
        const Outcome done = finishSwap(s, &meter);
        if (done) {
            r.kind = Resumed::Finished;
            r.message = QStringLiteral("上次%1时程序被中断。新数据已经完整，现已完成%1。").arg(what);
            if (restore)
                r.message += QStringLiteral("\n还原前的数据保存在“%1”。").arg(native(s.aside));
        } else if (undoSwap(s)) {
            r.kind = Resumed::RolledBack;
            r.message = QStringLiteral("上次%1时程序被中断，无法完成：%2\n已撤销这次%1，数据保持原样。")
                            .arg(what, done.error);
        } else {
            r.kind = Resumed::Failed;
            r.message = QStringLiteral("上次%1时程序被中断，无法完成也无法撤销：%2\n"
                                       "请不要删除“%3”和“%4”，其中保存着您的数据。")
                            .arg(what, done.error, native(s.stage), native(s.aside));
            return r;
        }
    } else {
        undoSwap(s);
        r.kind = Resumed::RolledBack;
        r.message = QStringLiteral("上次%1时程序被中断，那时新数据还没有完整，已撤销这次%1，数据保持原样。")
                        .arg(what);
    }
    QFile::remove(journal);
    return r;
}

} // namespace backup
