#include "common/fileops.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

QTEST_GUILESS_MAIN(TestFileops)
#include "tst_fileops.moc"
