#include "fixture.h"
#include "server/packWorkspace.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <zip.h>

namespace {

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray noise(int size, quint32 seed) {
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i) {
        seed = seed * 1664525u + 1013904223u;
        b[i] = char(seed >> 24);
    }
    return b;
}

// The entries of a ZIP file and their contents.
QMap<QString, QByteArray> readZip(const QString& file) {
    QMap<QString, QByteArray> out;
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(file).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
    if (!za)
        return out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(za, i, 0, &st);
        QByteArray data(qsizetype(st.size), Qt::Uninitialized);
        zip_file_t* zf = zip_fopen_index(za, i, 0);
        zip_fread(zf, data.data(), st.size);
        zip_fclose(zf);
        out.insert(QString::fromUtf8(st.name), data);
    }
    zip_discard(za);
    return out;
}

bool unzipTestPasses(const QString& file) {
    QProcess p;
    p.start(QStringLiteral("unzip"), {QStringLiteral("-t"), QStringLiteral("-q"), file});
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

class TestPackWorkspace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void archiveHoldsEveryFileOfTheWorkingFolder();
    void contentDecidesBetweenStoringAndDeflating_data();
    void contentDecidesBetweenStoringAndDeflating();
    void scriptsAreRemovedAndNothingElse_data();
    void scriptsAreRemovedAndNothingElse();
    void emptyImagesFolderMakesNoImagesArchive();
    void oldArchiveInAnyCaseIsReplaced();
    void missingWorkingFolderFails();
    void senderStreamsEveryByte();
    void senderRefusesShortFile();
};

void TestPackWorkspace::archiveHoldsEveryFileOfTheWorkingFolder() {
    TempInstall inst;
    const QString work = inst.defaultWorkPath();
    const QByteArray db = noise(50000, 1), jpg = noise(80000, 2), gif = noise(3000, 3);
    const QByteArray text = QByteArray("年度报告 ").repeated(2000);
    writeFile(work + "dalmbuilder.tdc", db);
    writeFile(work + "photo.jpg", jpg);
    writeFile(work + "说明.txt", text);
    writeFile(work + "images/banner.gif", gif);
    writeFile(work + "images/deeper/skip.gif", "x"); // subfolders are not descended into

    const mdl_upData::PackResult r = mdl_upData::packWorkspace(inst.currentPath(), work);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(r.warnings.isEmpty());
    const QString archive = inst.currentPath() + "ZIPTEST.ZIP";
    QCOMPARE(r.size, QFileInfo(archive).size());
    QVERIFY(unzipTestPasses(archive));
    QVERIFY(unzipTestPasses(work + "images.zip"));

    const QMap<QString, QByteArray> entries = readZip(archive);
    QCOMPARE(entries.keys(),
             (QStringList{"dalmbuilder.tdc", "images.zip", "photo.jpg", "说明.txt"}));
    QCOMPARE(entries["dalmbuilder.tdc"], db);
    QCOMPARE(entries["photo.jpg"], jpg);
    QCOMPARE(entries["说明.txt"], text);
    const QMap<QString, QByteArray> pictures = readZip(work + "images.zip");
    QCOMPARE(pictures.keys(), QStringList{"banner.gif"});
    QCOMPARE(pictures["banner.gif"], gif);
    // The text shrinks; a picture is stored as it is.
    QVERIFY(r.size < db.size() + jpg.size() + gif.size() + text.size());
}

void TestPackWorkspace::contentDecidesBetweenStoringAndDeflating_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("deflated");
    const QByteArray text = QByteArray("<p>公司简介：本公司成立于2006年。</p>\n").repeated(3000);
    const QByteArray pattern = noise(1000, 7).repeated(300);
    QTest::newRow("noise named .dat") << "a.dat" << noise(300000, 11) << false;
    QTest::newRow("noise named .mp4") << "clip.mp4" << noise(2000000, 12) << false;
    QTest::newRow("noise named .webp") << "p.webp" << noise(90000, 13) << false;
    QTest::newRow("noise named .txt") << "notes.txt" << noise(50000, 14) << false;
    QTest::newRow("small noise") << "tiny.bin" << noise(700, 15) << false;
    QTest::newRow("text named .jpg") << "fake.jpg" << text << true;
    QTest::newRow("text") << "about.htm" << text << true;
    QTest::newRow("small text") << "a.css" << QByteArray("body{margin:0}\n").repeated(5) << true;
    // High byte entropy, yet every kilobyte repeats: only deflate itself can tell.
    QTest::newRow("repeated noise") << "loop.dat" << pattern << true;
    // A film whose text index comes first is still a film.
    QTest::newRow("text head, noise body") << "movie.mov" << text.left(8192) + noise(500000, 16)
                                           << false;
    QTest::newRow("noise head, text body") << "report.doc" << noise(8192, 17) + text << true;
}

void TestPackWorkspace::contentDecidesBetweenStoringAndDeflating() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, deflated);
    TempInstall inst;
    const QString work = inst.defaultWorkPath();
    writeFile(work + "dalmbuilder.tdc", QByteArray("SQLite format 3").repeated(500));
    writeFile(work + name, content);
    const mdl_upData::PackResult r = mdl_upData::packWorkspace(inst.currentPath(), work);
    QVERIFY2(r.ok, qPrintable(r.error));
    const QString archive = inst.currentPath() + "ZIPTEST.ZIP";
    QVERIFY(unzipTestPasses(archive));
    QCOMPARE(readZip(archive).value(name), content);
    int err = 0;
    zip_t* za = zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &err);
    QVERIFY(za);
    zip_stat_t st;
    const bool found = zip_stat(za, name.toUtf8().constData(), 0, &st) == 0;
    zip_discard(za);
    QVERIFY(found);
    QCOMPARE(st.comp_method == ZIP_CM_DEFLATE, deflated);
    // Whatever is chosen, the entry is never much larger than the file.
    QVERIFY(qint64(st.comp_size) <= content.size() + 64);
}

void TestPackWorkspace::scriptsAreRemovedAndNothingElse_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("removed");
    QTest::newRow("upper case") << "page.ASP" << true;
    QTest::newRow("lower case") << "index.asp" << true;
    QTest::newRow("mixed case in images") << "images/x.Asp" << true;
    QTest::newRow("ends in asp without dot") << "wasp" << false;
    QTest::newRow("aspx") << "page.aspx" << false;
    QTest::newRow("asp inside") << "asp.txt" << false;
}

void TestPackWorkspace::scriptsAreRemovedAndNothingElse() {
    QFETCH(QString, name);
    QFETCH(bool, removed);
    TempInstall inst;
    const QString work = inst.defaultWorkPath();
    writeFile(work + "dalmbuilder.tdc", "db");
    writeFile(work + name, "<% x %>");
    QFile::setPermissions(work + name, QFileDevice::ReadOwner); // read-only is no obstacle
    const mdl_upData::PackResult r = mdl_upData::packWorkspace(inst.currentPath(), work);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(!QFileInfo::exists(work + name), removed);
    const QMap<QString, QByteArray> entries = readZip(inst.currentPath() + "ZIPTEST.ZIP");
    const QString bare = QFileInfo(name).fileName();
    if (name.startsWith("images/"))
        QCOMPARE(readZip(work + "images.zip").contains(bare), !removed);
    else
        QCOMPARE(entries.contains(bare), !removed);
    QVERIFY(entries.contains("dalmbuilder.tdc"));
}

void TestPackWorkspace::emptyImagesFolderMakesNoImagesArchive() {
    TempInstall inst;
    const QString work = inst.defaultWorkPath();
    writeFile(work + "dalmbuilder.tdc", "db");
    writeFile(work + "images.zip", "an archive from an earlier upload");
    QDir().mkpath(work + "images");
    const mdl_upData::PackResult r = mdl_upData::packWorkspace(inst.currentPath(), work);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(!QFileInfo::exists(work + "images.zip"));
    QCOMPARE(readZip(inst.currentPath() + "ZIPTEST.ZIP").keys(), QStringList{"dalmbuilder.tdc"});
}

void TestPackWorkspace::oldArchiveInAnyCaseIsReplaced() {
    TempInstall inst;
    const QString work = inst.defaultWorkPath();
    writeFile(work + "dalmbuilder.tdc", "db");
    writeFile(inst.currentPath() + "ziptest.zip", "old");
    QFile::setPermissions(inst.currentPath() + "ziptest.zip", QFileDevice::ReadOwner);
    const mdl_upData::PackResult r = mdl_upData::packWorkspace(inst.currentPath(), work);
    QVERIFY2(r.ok, qPrintable(r.error));
    QVERIFY(!QFileInfo::exists(inst.currentPath() + "ziptest.zip"));
    QVERIFY(unzipTestPasses(inst.currentPath() + "ZIPTEST.ZIP"));
}

void TestPackWorkspace::missingWorkingFolderFails() {
    TempInstall inst;
    const mdl_upData::PackResult r =
        mdl_upData::packWorkspace(inst.currentPath(), inst.currentPath() + "nowhere/");
    QVERIFY(!r.ok);
    QVERIFY(r.error.contains("Form1::cmdZip_Click"));
}

void TestPackWorkspace::senderStreamsEveryByte() {
    QTemporaryDir dir;
    const QByteArray payload = noise(3 * 1024 * 1024 + 17, 9);
    writeFile(dir.filePath("a.zip"), payload + "trailing bytes are not sent");

    QTcpServer sink;
    QVERIFY(sink.listen(QHostAddress::LocalHost));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, sink.serverPort());
    QVERIFY(client.waitForConnected(5000));
    QTRY_VERIFY(sink.hasPendingConnections());
    QTcpSocket* peer = sink.nextPendingConnection();
    QByteArray received;
    connect(peer, &QTcpSocket::readyRead, [&] { received += peer->readAll(); });

    mdl_upData::ArchiveSender sender;
    QSignalSpy done(&sender, &mdl_upData::ArchiveSender::finished);
    qint64 reported = 0;
    connect(&sender, &mdl_upData::ArchiveSender::progress, [&](qint64 n) { reported += n; });
    QString why;
    QVERIFY2(sender.start(&client, dir.filePath("a.zip"), payload.size(), &why), qPrintable(why));
    QTRY_COMPARE_WITH_TIMEOUT(done.size(), 1, 20000);
    QTRY_COMPARE(received.size(), payload.size());
    QVERIFY(received == payload);
    QCOMPARE(reported, qint64(payload.size()));
    QVERIFY(!sender.isActive());
}

void TestPackWorkspace::senderRefusesShortFile() {
    QTemporaryDir dir;
    writeFile(dir.filePath("a.zip"), "short");
    QTcpSocket unconnected;
    mdl_upData::ArchiveSender sender;
    QString why;
    QVERIFY(!sender.start(&unconnected, dir.filePath("a.zip"), 100, &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(!sender.start(&unconnected, dir.filePath("missing.zip"), 1, &why));
}

QTEST_GUILESS_MAIN(TestPackWorkspace)
#include "tst_packWorkspace.moc"
