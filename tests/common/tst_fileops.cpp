#include "common/fileops.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/inotify.h>
#include <unistd.h>

namespace {
void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}
QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestFileops : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void replacesAndLeavesWritableCopy();
    void failureKeepsTheTarget();
    void targetIsNeverMissing();
};

void TestFileops::replacesAndLeavesWritableCopy() {
    QTemporaryDir dir;
    const QString from = dir.filePath("新图片.jpg");
    const QString to = dir.filePath("work.jpg");
    writeFile(from, "new");
    writeFile(to, "old");
    QFile::setPermissions(from, QFile::ReadOwner);
    QString why;
    QVERIFY2(fileops::replaceWith(from, to, &why), qPrintable(why));
    QCOMPARE(readFile(to), QByteArray("new"));
    QVERIFY(QFile::permissions(to).testFlag(QFile::WriteOwner));
    QVERIFY(!QFile::exists(to + ".part"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestFileops::failureKeepsTheTarget() {
    QTemporaryDir dir;
    const QString to = dir.filePath("work.jpg");
    writeFile(to, "old");
    QString why;
    QVERIFY(!fileops::replaceWith(dir.filePath("missing.jpg"), to, &why));
    QVERIFY(why.contains("missing.jpg"));
    // A folder is not a file to copy.
    QVERIFY(!fileops::replaceWith(dir.path(), to, &why));
    QCOMPARE(readFile(to), QByteArray("old"));
    QVERIFY(!QFile::exists(to + ".part"));
}

void TestFileops::targetIsNeverMissing() {
    // The folder's own record of what happened: the target must never have been deleted
    // on its way to being replaced.
    QTemporaryDir dir;
    const QString to = dir.filePath("dalmbuilder.tdc");
    writeFile(dir.filePath("new.tdc"), "new");
    writeFile(to, "old");
    const int fd = inotify_init1(IN_NONBLOCK);
    QVERIFY(fd >= 0);
    QVERIFY(inotify_add_watch(fd, QFile::encodeName(dir.path()).constData(), IN_DELETE) >= 0);
    QString why;
    QVERIFY2(fileops::replaceWith(dir.filePath("new.tdc"), to, &why), qPrintable(why));
    QCOMPARE(readFile(to), QByteArray("new"));
    QStringList deleted;
    alignas(inotify_event) char buf[4096];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) {
        for (char* p = buf; p < buf + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            deleted << QString::fromUtf8(e->len ? e->name : "");
            p += sizeof(inotify_event) + e->len;
        }
    }
    ::close(fd);
    QVERIFY2(!deleted.contains("dalmbuilder.tdc"), qPrintable(deleted.join(u',')));
}

QTEST_GUILESS_MAIN(TestFileops)
#include "tst_fileops.moc"
