// Web archives as the programs that save them write them: a GBK page in quoted-printable
// with its pictures found by Content-Location, pictures in base64 found by "cid:", a part
// that names a place outside its folder, and archives that hold no page at all.

#include "common/gbk.h"
#include "publish/mhtPage.h"

#include <QTest>

namespace {

using Files = QMap<QString, QByteArray>;

const QByteArray kPng = QByteArray::fromHex("89504e470d0a1a0a0000000d4948445200000001");
const QByteArray kGif = "GIF89a\x01\x00\x01\x00\x80\x00\x00";

// Quoted-printable as a mail program writes it: every byte above 127 and "=" escaped,
// lines broken softly before 76 characters.
QByteArray qp(const QByteArray& bytes) {
    QByteArray out, line;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        const QByteArray piece = (u > 126 || c == '=') ? '=' + QByteArray(1, c).toHex().toUpper()
                                                        : QByteArray(1, c);
        if (c == '\n') {
            out += line + "\r\n";
            line.clear();
            continue;
        }
        if (line.size() + piece.size() > 73) {
            out += line + "=\r\n";
            line.clear();
        }
        line += piece;
    }
    return out + line;
}

QByteArray base64(const QByteArray& bytes) {
    QByteArray out;
    const QByteArray b = bytes.toBase64();
    for (qsizetype i = 0; i < b.size(); i += 76)
        out += b.mid(i, 76) + "\r\n";
    return out;
}

struct Part {
    QByteArray headers, body;
};

QByteArray archive(const QList<Part>& parts, bool closed = true) {
    QByteArray out = "From: <Saved by a browser>\r\nSubject: page\r\nMIME-Version: 1.0\r\n"
                     "Content-Type: multipart/related;\r\n\ttype=\"text/html\";\r\n"
                     "\tboundary=\"----=_NextPart_000_0000\"\r\n\r\n"
                     "This is a multi-part message in MIME format.\r\n\r\n";
    for (const Part& p : parts)
        out += "------=_NextPart_000_0000\r\n" + p.headers + "\r\n" + p.body + "\r\n";
    if (closed)
        out += "------=_NextPart_000_0000--\r\n";
    return out;
}

} // namespace

class TestMhtPage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void convert_data();
    void convert();
};

void TestMhtPage::convert_data() {
    QTest::addColumn<QByteArray>("mht");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    QTest::addColumn<Files>("files");

    const QByteArray gbkPage =
        gbk::encode(QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                                   "charset=gb2312\"><base href=\"http://old.example.com/\">"
                                   "<title>公司简介</title></head>\n<body><p>欢迎光临本公司，我们的产品遍布全国各地，"
                                   "质量可靠，服务周到。</p>\n<img src=\"page_files/logo.png\" alt=\"标志\">"
                                   "<img src=\"page_files/image002.gif\"><a href=\"http://example.com/\">外链</a>"
                                   "</body></html>"));
    QTest::newRow("quoted-printable GBK, pictures by location")
        << archive({{"Content-Type: text/html;\r\n\tcharset=\"gb2312\"\r\nContent-Transfer-Encoding: "
                     "quoted-printable\r\nContent-Location: file:///C:/Docs/page.htm\r\n",
                     qp(gbkPage)},
                    {"Content-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n"
                     "Content-Location: file:///C:/Docs/page_files/logo.png\r\n",
                     base64(kPng)},
                    {"Content-Type: image/gif\r\nContent-Transfer-Encoding: base64\r\n"
                     "Content-Location: file:///C:/Docs/page_files/image002.gif\r\n",
                     base64(kGif)}})
        << true << QStringLiteral("公司简介")
        << QStringList{QStringLiteral("<meta charset=\"utf-8\">"),
                       QStringLiteral("欢迎光临本公司，我们的产品遍布全国各地，质量可靠，服务周到。"),
                       QStringLiteral("<img src=\"pg_files/logo.png\" alt=\"标志\">"),
                       QStringLiteral("<img src=\"pg_files/image002.gif\">"),
                       QStringLiteral("<a href=\"http://example.com/\">")}
        << QStringList{QStringLiteral("gb2312"), QStringLiteral("<base"), QStringLiteral("=\r\n")}
        << Files{{QStringLiteral("logo.png"), kPng}, {QStringLiteral("image002.gif"), kGif}};

    QTest::newRow("base64 pictures by cid, in attributes and style")
        << archive({{"Content-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n",
                     base64("<html><head><title>Cid</title><style>body{background:url(cid:bg@x)}</style></head>"
                            "<body style=\"background-image:url('cid:bg@x')\"><img src=cid:pic1@x>"
                            "<img src=\"CID:missing@x\"></body></html>")},
                    {"Content-Type: image/png\r\nContent-ID: <pic1@x>\r\nContent-Transfer-Encoding: base64\r\n",
                     base64(kPng)},
                    {"Content-Type: image/gif\r\nContent-ID: <bg@x>\r\nContent-Transfer-Encoding: base64\r\n",
                     base64(kGif)}})
        << true << QStringLiteral("Cid")
        << QStringList{QStringLiteral("<img src=\"pg_files/part1.png\">"),
                       QStringLiteral("background:url(pg_files/part2.gif)"),
                       QStringLiteral("background-image:url(pg_files/part2.gif)"),
                       QStringLiteral("<img src=\"CID:missing@x\">")}
        << QStringList{QStringLiteral("cid:pic1"), QStringLiteral("cid:bg")}
        << Files{{QStringLiteral("part1.png"), kPng}, {QStringLiteral("part2.gif"), kGif}};

    QTest::newRow("locations that lead out, twins and names that are not plain")
        << archive({{"Content-Type: text/html\r\nContent-Location: http://site.example/a/b/page.htm\r\n",
                     "<html><head><title>Out</title></head><body><img src=\"../../../../etc/evil.png\">"
                     "<img src=\"../x/logo.png\"><img src=\"http://site.example/a/y/logo.png\">"
                     "<img src=\"..\"><img src=\"%E5%9B%BE.png\"><img src=\"/etc/passwd\"></body></html>"},
                    {"Content-Type: image/png\r\nContent-Location: ../../../../etc/evil.png\r\n"
                     "Content-Transfer-Encoding: base64\r\n",
                     base64(kPng)},
                    {"Content-Type: image/png\r\nContent-Location: http://site.example/a/x/logo.png\r\n"
                     "Content-Transfer-Encoding: base64\r\n",
                     base64(kPng)},
                    {"Content-Type: image/gif\r\nContent-Location: http://site.example/a/y/logo.png\r\n"
                     "Content-Transfer-Encoding: base64\r\n",
                     base64(kGif)},
                    {"Content-Type: image/png\r\nContent-Location: ..\r\nContent-Transfer-Encoding: base64\r\n",
                     base64(kPng)},
                    {"Content-Type: image/png\r\nContent-Location: http://site.example/a/b/%E5%9B%BE.png\r\n"
                     "Content-Transfer-Encoding: base64\r\n",
                     base64(kPng)},
                    {"Content-Type: application/x-msdownload\r\nContent-Location: http://site.example/a/b/run.exe\r\n"
                     "Content-Transfer-Encoding: base64\r\n",
                     base64("MZ")}})
        << true << QStringLiteral("Out")
        << QStringList{QStringLiteral("<img src=\"pg_files/evil.png\">"),
                       QStringLiteral("<img src=\"pg_files/logo.png\">"),
                       QStringLiteral("<img src=\"pg_files/part3.gif\">"),
                       QStringLiteral("<img src=\"pg_files/part4.png\">"),
                       QStringLiteral("<img src=\"pg_files/part5.png\">"),
                       QStringLiteral("<img src=\"/etc/passwd\">")}
        << QStringList{QStringLiteral("run.exe")}
        << Files{{QStringLiteral("evil.png"), kPng},
                 {QStringLiteral("logo.png"), kPng},
                 {QStringLiteral("part3.gif"), kGif},
                 {QStringLiteral("part4.png"), kPng},
                 {QStringLiteral("part5.png"), kPng}};

    QTest::newRow("cut short after its picture")
        << archive({{"Content-Type: text/html; charset=\"utf-8\"\r\nContent-Transfer-Encoding: 8bit\r\n",
                     "<html><head><title>短</title></head><body><img src=\"cid:p\"></body></html>"},
                    {"Content-Type: image/png\r\nContent-ID: <p>\r\nContent-Transfer-Encoding: base64\r\n",
                     base64(kPng)}},
                   false)
        << true << QStringLiteral("短") << QStringList{QStringLiteral("<img src=\"pg_files/part1.png\">")}
        << QStringList{} << Files{{QStringLiteral("part1.png"), kPng}};

    QTest::newRow("no page among the parts")
        << archive({{"Content-Type: image/png\r\nContent-Transfer-Encoding: base64\r\n", base64(kPng)}}) << false
        << QString() << QStringList{} << QStringList{} << Files{};
    QTest::newRow("a multipart without its boundary")
        << QByteArray("MIME-Version: 1.0\r\nContent-Type: multipart/related; type=\"text/html\"\r\n\r\n"
                      "--x\r\nContent-Type: text/html\r\n\r\n<html></html>\r\n--x--\r\n")
        << false << QString() << QStringList{} << QStringList{} << Files{};
    QTest::newRow("not an archive at all") << QByteArray("PK\x03\x04\x14\x00 zip bytes") << false << QString()
                                           << QStringList{} << QStringList{} << Files{};
}

void TestMhtPage::convert() {
    QFETCH(QByteArray, mht);
    QFETCH(bool, ok);
    QFETCH(QString, title);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    QFETCH(Files, files);
    const publish::MhtPage page = publish::convertMht(mht, QStringLiteral("pg_files/"));
    QCOMPARE(page.ok, ok);
    if (!ok) {
        QVERIFY(!page.why.isEmpty());
        QVERIFY(page.files.isEmpty());
        return;
    }
    QCOMPARE(page.title, title);
    const QString html = QString::fromUtf8(page.html);
    for (const QString& p : present)
        QVERIFY2(html.contains(p), qPrintable(p + u'\n' + html));
    for (const QString& a : absent)
        QVERIFY2(!html.contains(a), qPrintable(a + u'\n' + html));
    Files written;
    for (const publish::MhtFile& f : page.files)
        written.insert(f.name, f.bytes);
    QCOMPARE(written, files);
}

QTEST_GUILESS_MAIN(TestMhtPage)
#include "tst_mhtPage.moc"
