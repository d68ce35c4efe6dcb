// Uploads of changes: the manifest's checks, the server building an upload from its previous
// one and an archive of changes, and the client reading the server's answers.

#include "hosting/changesUpload.h"
#include "server/deltaUpload.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

using namespace mdl_upData;
using Files = QMap<QString, QByteArray>;

namespace {

QByteArray hashOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray line(const QString& name, const QByteArray& bytes) {
    return hashOf(bytes) + ' ' + QByteArray::number(bytes.size()) + ' ' + name.toUtf8() + '\n';
}

void put(const QString& folder, const Files& files) {
    for (auto it = files.begin(); it != files.end(); ++it) {
        QDir().mkpath(QFileInfo(folder + it.key()).absolutePath());
        QFile f(folder + it.key());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(it.value());
    }
}

Files tree(const QString& folder) {
    Files out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        out.insert(QDir(folder).relativeFilePath(path), f.readAll());
    }
    return out;
}

void zipUp(const QString& target, const Files& files) {
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(target).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    QVERIFY(za);
    for (auto it = files.begin(); it != files.end(); ++it) {
        zip_source_t* src = zip_source_buffer_create(nullptr, 0, 0, nullptr);
        zip_source_begin_write(src);
        zip_source_write(src, it.value().constData(), it.value().size());
        zip_source_commit_write(src);
        zip_file_add(za, it.key().toUtf8().constData(), src, ZIP_FL_ENC_UTF_8);
    }
    QCOMPARE(zip_close(za), 0);
}

const QByteArray kHash(64, 'a');

} // namespace

class TestChangesUpload : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void manifestIsChecked_data();
    void manifestIsChecked();
    void uploadIsBuiltOrWholeAsked_data();
    void uploadIsBuiltOrWholeAsked();
    void answersAreTakenFromAnyRead_data();
    void answersAreTakenFromAnyRead();
};

void TestChangesUpload::manifestIsChecked_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("refusal"); // empty: accepted
    const QByteArray db = kHash + " 10 dalmbuilder.tdc\n";
    QTest::newRow("site") << db + kHash + " 5 a b.jpg\n" + kHash + " 0 images/x.gif\n" << QString();
    QTest::newRow("no database") << kHash + " 5 a.jpg\n" << "没有站点数据库";
    QTest::newRow("path out") << db + kHash + " 5 ../a.jpg\n" << "文件名无效";
    QTest::newRow("images path out") << db + kHash + " 5 images/../../x\n" << "文件名无效";
    QTest::newRow("deeper folder") << db + kHash + " 5 images/a/b.gif\n" << "文件名无效";
    QTest::newRow("other folder") << db + kHash + " 5 pics/b.gif\n" << "文件名无效";
    QTest::newRow("backslash") << db + kHash + " 5 ..\\a\n" << "文件名无效";
    QTest::newRow("pictures archive") << db + kHash + " 5 images.zip\n" << "文件名无效";
    QTest::newRow("twice") << db + db << "重复";
    QTest::newRow("short hash") << db + QByteArray(63, 'a') + " 5 a.jpg\n" << "格式错误";
    QTest::newRow("upper-case hash") << db + QByteArray(64, 'A') + " 5 a.jpg\n" << "格式错误";
    QTest::newRow("negative size") << db + kHash + " -5 a.jpg\n" << "格式错误";
    QTest::newRow("cut short") << db + kHash + " 5 a.jpg" << "不完整";
    QTest::newRow("file too large") << db + kHash + " 2000 a.jpg\n" << "单个文件限额";
    QTest::newRow("site too large") << db + kHash + " 1000 a.jpg\n" + kHash + " 1000 b.jpg\n" << "空间限额";
    QByteArray many = db;
    for (int i = 0; i < 10; ++i)
        many += kHash + " 1 f" + QByteArray::number(i) + '\n';
    QTest::newRow("too many files") << many << "超过 10 个";
}

void TestChangesUpload::manifestIsChecked() {
    QFETCH(QByteArray, text);
    QFETCH(QString, refusal);
    QString why;
    const std::optional<Manifest> m = parseManifest(text, {10, 1024, 1500}, &why);
    QCOMPARE(bool(m), refusal.isEmpty());
    QVERIFY2(why.contains(refusal), qPrintable(why));
    if (m)
        QCOMPARE(manifestText(*m), text);
}

void TestChangesUpload::uploadIsBuiltOrWholeAsked_data() {
    QTest::addColumn<QByteArray>("manifest");
    QTest::addColumn<Files>("archive");
    QTest::addColumn<bool>("previousIndexed");
    QTest::addColumn<int>("outcome"); // 0 built, 1 whole archive asked for, 2 refused

    const QByteArray base = line("dalmbuilder.tdc", "db2") + line("a.txt", "alpha") + line("images/p.gif", "pic");
    const Files changes{{"dalmbuilder.tdc", "db2"}, {"b.txt", "beta"}};
    QTest::newRow("changes") << base + line("b.txt", "beta") << changes << true << 0;
    QTest::newRow("content under a new name") << base + line("c.txt", "alpha") << Files{{"dalmbuilder.tdc", "db2"}}
                                              << true << 0;
    QTest::newRow("entry unlike its hash") << base + line("b.txt", "beta") << Files{{"dalmbuilder.tdc", "db2"}, {"b.txt", "BETA"}}
                                           << true << 1;
    QTest::newRow("entry not in manifest") << base << Files{{"dalmbuilder.tdc", "db2"}, {"x.txt", "x"}} << true << 1;
    QTest::newRow("content missing") << base + line("b.txt", "beta") << Files{{"dalmbuilder.tdc", "db2"}} << true << 1;
    QTest::newRow("another site's content") << base + line("s.txt", "secret") << Files{{"dalmbuilder.tdc", "db2"}}
                                            << true << 1;
    QTest::newRow("no previous index") << base + line("b.txt", "beta") << changes << false << 1;
    const QByteArray zeros(3 << 20, '\0');
    // A flat picture packs a thousandfold and is still an ordinary file.
    QTest::newRow("flat file") << base + line("z.bin", zeros) << Files{{"dalmbuilder.tdc", "db2"}, {"z.bin", zeros}}
                               << true << 0;
}

void TestChangesUpload::uploadIsBuiltOrWholeAsked() {
    QFETCH(QByteArray, manifest);
    QFETCH(Files, archive);
    QFETCH(bool, previousIndexed);
    QFETCH(int, outcome);
    QTemporaryDir dir;
    const QString previous = dir.filePath("uploads/demo/");
    const QString other = dir.filePath("uploads/other/");
    const QString fresh = dir.filePath("work/upload/");
    put(previous, {{"dalmbuilder.tdc", "db1"}, {"a.txt", "alpha"}, {"images/p.gif", "pic"}});
    put(other, {{"dalmbuilder.tdc", "db9"}, {"s.txt", "secret"}});
    QVERIFY(hosting::writeContentsIndex(other));
    if (previousIndexed)
        QVERIFY(hosting::writeContentsIndex(previous));
    const Files before = tree(previous);
    QDir().mkpath(fresh);
    zipUp(dir.filePath("changes.zip"), archive);

    const std::optional<Manifest> m = parseManifest(manifest, {}, nullptr);
    QVERIFY(m);
    const hosting::AssembleResult r =
        hosting::assembleUpload(dir.filePath("changes.zip"), previous, fresh, *m, hosting::Quotas{});
    QCOMPARE(r.ok ? 0 : r.needWhole ? 1 : 2, outcome);
    QCOMPARE(tree(previous), before);
    if (!r.ok)
        return;
    // Every file of the manifest, as it describes it, and the index of them.
    Files got = tree(fresh);
    QCOMPARE(hosting::readContentsIndex(fresh)->size(), m->size());
    got.remove(hosting::contentsIndexName);
    QCOMPARE(got.size(), m->size());
    for (const ManifestEntry& e : *m)
        QCOMPARE(hashOf(got.value(e.name)), e.hash);
}

void TestChangesUpload::answersAreTakenFromAnyRead_data() {
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<int>("event");
    QTest::addColumn<int>("needed");
    QTest::addColumn<QByteArray>("passedOn");
    const QByteArray h1(64, '1'), h2(64, '2');
    const QByteArray need = framed(tag::deltaNeed, h1 + '\n' + h2 + '\n' + h1 + '\n');
    QTest::newRow("whole") << QList<QByteArray>{need} << int(DeltaUpload::Event::Need) << 2 << QByteArray();
    QTest::newRow("split in the tag") << QList<QByteArray>{need.left(5), need.mid(5)} << int(DeltaUpload::Event::Need)
                                      << 2 << QByteArray();
    QTest::newRow("split in the list") << QList<QByteArray>{need.left(60), need.mid(60)}
                                       << int(DeltaUpload::Event::Need) << 2 << QByteArray();
    QTest::newRow("with a notice") << QList<QByteArray>{"<#getversion#>hi" + need} << int(DeltaUpload::Event::Need)
                                   << 2 << QByteArray("<#getversion#>hi");
    QTest::newRow("whole archive") << QList<QByteArray>{"<#deltaFull#>"} << int(DeltaUpload::Event::Full) << 0
                                   << QByteArray();
    QTest::newRow("done, then published") << QList<QByteArray>{"<#deltaDone#><#systemmsg#>ok"}
                                          << int(DeltaUpload::Event::Done) << 0 << QByteArray("<#systemmsg#>ok");
    QTest::newRow("unreadable length") << QList<QByteArray>{"<#deltaNeed#>x:"} << int(DeltaUpload::Event::Full) << 0
                                       << QByteArray("x:");
    QTest::newRow("other message") << QList<QByteArray>{"<#talkmsg#>hello"} << int(DeltaUpload::Event::None) << 0
                                   << QByteArray("<#talkmsg#>hello");
}

void TestChangesUpload::answersAreTakenFromAnyRead() {
    QFETCH(QList<QByteArray>, reads);
    QFETCH(int, event);
    QFETCH(int, needed);
    QFETCH(QByteArray, passedOn);
    QTemporaryDir work;
    QFile db(work.filePath("dalmbuilder.tdc"));
    QVERIFY(db.open(QIODevice::WriteOnly));
    db.write("db");
    db.close();
    DeltaUpload d;
    QString why;
    QVERIFY(!d.start(work.path() + u'/', &why).isEmpty());
    DeltaUpload::Event last = DeltaUpload::Event::None;
    QList<QByteArray> hashes;
    QByteArray other;
    for (QByteArray data : reads) {
        const DeltaUpload::Event e = d.take(data, &hashes);
        if (e != DeltaUpload::Event::None)
            last = e;
        other += data;
    }
    QCOMPARE(int(last), event);
    QCOMPARE(hashes.size(), needed);
    QCOMPARE(other, passedOn);
}

QTEST_MAIN(TestChangesUpload)
#include "tst_changesUpload.moc"
