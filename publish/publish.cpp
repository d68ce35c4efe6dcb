#include "publish/publish.h"

#include "common/gbk.h"
#include "common/mdl_func.h"
#include "publish/siteReader.h"
#include "publish/skin.h"
#include "sitedb/contract.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <functional>

namespace publish {

namespace {

namespace col = sitedb::columns;

// Records on one page of a list.
constexpr int kNewsPerPage = 20;
constexpr int kPicturesPerPage = 24;
constexpr int kProductsPerPage[3] = {20, 10, 20}; // prod01, prod02, prod03
// Nodes up to which the site navigation holds the whole tree.
constexpr int kFullNavigation = 100;
// Characters of the home page's introduction.
constexpr int kIntroLength = 150;

const QString kHome = QStringLiteral("index.html");
const QString kPics = QStringLiteral("pics/");

// Plain text for a page: the five characters HTML gives a meaning to become references.
QString esc(const QString& text) {
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        case '\'':
            out += QLatin1String("&#39;");
            break;
        default:
            if (c.unicode() < 32 && c != u'\n' && c != u'\t')
                out += u' '; // control characters have no place in a page
            else
                out += c;
        }
    }
    return out;
}

// A file name as a relative address: everything but letters, digits and "-._~" encoded.
QString pct(const QString& name) {
    return QString::fromLatin1(QUrl::toPercentEncoding(name));
}

// One file directly in a folder: no separators, no way up, no control characters.
bool isPlainFileName(const QString& name) {
    if (name.isEmpty() || name == u"." || name == u".." || name.toUtf8().size() > 255)
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 32 || c.unicode() == 127)
            return false;
    }
    return true;
}

// The kinds of file a page may show or play. The site database, archives and scripts
// beside the pictures are never published.
bool isMediaFile(const QString& name) {
    static const QSet<QString> suffixes{
        QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe"), QStringLiteral("gif"),
        QStringLiteral("png"), QStringLiteral("bmp"),  QStringLiteral("webp"), QStringLiteral("ico"),
        QStringLiteral("swf"), QStringLiteral("flv"),  QStringLiteral("mp3"), QStringLiteral("mp4"),
        QStringLiteral("wav"), QStringLiteral("mid"),  QStringLiteral("wma"), QStringLiteral("wmv"),
        QStringLiteral("avi")};
    return suffixes.contains(QFileInfo(name).suffix().toLower());
}

// Decoded stored plain text as paragraphs: each line break starts a new one.
QStringList paragraphList(const QString& decoded) {
    QStringList out;
    const QStringList lines = decoded.split(u'\n');
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty())
            out << QLatin1String("<p>") + esc(line) + QLatin1String("</p>");
    }
    return out;
}

QString paragraphs(const QString& decoded) {
    return paragraphList(decoded).join(QString());
}

QString textBlock(const QString& paras) {
    return paras.isEmpty() ? QString()
                           : QLatin1String("<div class=\"orv-text\">") + paras +
                                 QLatin1String("</div>");
}

QString figure(const QString& url, const QString& place) {
    if (url.isEmpty())
        return {};
    const QString cls = place.isEmpty() ? QStringLiteral("orv-pic")
                                        : QStringLiteral("orv-pic ") + place;
    return QLatin1String("<figure class=\"") + cls + QLatin1String("\"><img src=\"") + url +
           QLatin1String("\" alt=\"\"></figure>");
}

QString record(const QString& kind, const QString& title, const QString& inner) {
    QString out = QLatin1String("<article class=\"orv-record orv-") + kind + QLatin1String("\">");
    if (!title.isNull())
        out += QLatin1String("<h1 class=\"orv-record-title\">") + esc(title) +
               QLatin1String("</h1>");
    return out + inner + QLatin1String("</article>");
}

QString empty(const QString& text) {
    return QLatin1String("<p class=\"orv-empty\">") + text + QLatin1String("</p>");
}

QString link(const QString& url, const QString& label) {
    return QLatin1String("<a href=\"") + url + QLatin1String("\">") + esc(label) +
           QLatin1String("</a>");
}

// The first characters of a text, not cutting a character in two.
QString cut(const QString& text, int length) {
    if (text.size() <= length)
        return text;
    int n = length;
    if (text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n) + QStringLiteral("…");
}

// The name a node shows: its own, or a word for a name of blanks.
QString label(const QString& name) {
    return name.trimmed().isEmpty() ? QStringLiteral("未命名") : name;
}

// The title of an HTML file of the upload, from its first 64 KB; empty when it has none.
QString pageTitleOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = f.read(64 * 1024);
    const QString text = gbk::isValidUtf8(head) ? QString::fromUtf8(head) : gbk::decode(head);
    const QRegularExpression title(QStringLiteral("<title[^>]*>(.*?)</title>"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    const QRegularExpressionMatch m = title.match(text);
    if (!m.hasMatch())
        return {};
    QString t = m.captured(1);
    t.remove(tag);
    return t.simplified();
}

struct Effect {
    QString number; // "00" .. "12"
    QString text;
};

// The "||" list of the pop-up window: flag, width, height, top, left, title, content.
struct Popup {
    bool on = false;
    int width = 300, height = 200, top = 0, left = 0;
    QString title, content;
};

Popup parsePopup(const QString& stored) {
    Popup p;
    const QStringList f = stored.split(QStringLiteral("||"));
    if (f.value(0).trimmed() != u"1")
        return p;
    p.on = true;
    const auto number = [&](int i, int fallback, int low, int high) {
        bool ok = false;
        const double v = f.value(i).trimmed().toDouble(&ok);
        return ok ? qBound(low, int(v), high) : fallback;
    };
    p.width = number(1, 300, 80, 2000);
    p.height = number(2, 200, 60, 2000);
    p.top = number(3, 0, 0, 4000);
    p.left = number(4, 0, 0, 4000);
    p.title = f.value(5);
    // The content is encoded, which leaves "|" alone: what follows the title is all of it.
    p.content = mdl_func::decode(f.mid(6).join(QStringLiteral("||")));
    return p;
}

class Renderer {
public:
    Renderer(const QString& up, const QString& skins, const QString& out)
        : m_up(withSlash(up)), m_skins(withSlash(skins)), m_out(withSlash(out)) {}

    Result run();

private:
    static QString withSlash(QString path) {
        path = QDir::cleanPath(QDir(path).absolutePath());
        return path.endsWith(u'/') ? path : path + u'/';
    }

    void note(const QString& line) {
        if (!m_noted.contains(line)) {
            m_noted.insert(line);
            m_result.log << line;
        }
    }
    bool fail(const QString& why) {
        if (m_result.error.isEmpty())
            m_result.error = why;
        return false;
    }

    bool prepareOut();
    void listUpload();
    QString uploadFile(const QString& stored) const;
    bool chooseSkins();
    QString chooseNameStyle(const QString& stored, const QString& fallback);
    void readAppearance();
    void nameNodes();
    QString unique(const QString& base);

    QString picture(const QString& stored);
    QString rich(const QString& stored);
    bool write(const QString& file, const QString& html);
    bool copyInto(const QString& source, const QString& target);
    bool copyAssets();

    QString orgName() const;
    QString contactList() const;
    QString block(const QString& kind, const QString& title, const QString& url,
                  const QString& body) const;
    QString navItem(int i, const QList<int>& path, int depth) const;
    QString nav(const QList<int>& path) const;
    QString subnav(const QList<int>& path) const;
    QString crumbs(const QList<int>& path, const QString& last, bool linkLast) const;
    QList<int> pathTo(int i) const;
    QHash<QString, QString> commonValues(bool home) const;

    QString listPage(int node, int page) const;
    QString pager(int node, int page, int pages) const;
    QString newsList(int node, int from, int count) const;
    QString gallery(int node, int from, int count);
    QString productList(const QString& format, int node, int from, int count);
    QString facts(const Record& r) const;

    bool homePage();
    bool customHomePage();
    bool nodePages(int i);
    bool listPages(int i, int perPage, const std::function<QString(int, int)>& list,
                   const QString& nothing);
    bool innerPage(int node, const QString& file, const QString& title, const QString& content,
                   bool crumbSelf);
    bool extraPages();

    const QString m_up, m_skins, m_out;
    Result m_result;
    QSet<QString> m_noted;
    Site m_site;
    Catalogue m_catalogue;

    // Regular files directly in the upload folder, by lower-case name.
    QSet<QString> m_upExact;
    QHash<QString, QString> m_upFiles;
    // Stored picture name to its address ("" when it cannot be shown), and the copies
    // to make into pics/.
    QHash<QString, QString> m_pictures;
    QMap<QString, QString> m_copies;

    Skin m_homeSkin, m_innerSkin;
    QString m_homeCode, m_innerCode;
    const Catalogue::Template* m_homeTemplate = nullptr;
    QString m_homeStyle, m_innerStyle; // name-style ids, or empty
    QString m_background;              // address, or empty
    QString m_logo;                    // address, or empty
    QString m_headerPic;               // the custom inner-page header's address
    bool m_headerFlash = false;
    Effect m_effect;
    Popup m_popup;
    QString m_customHome;    // the custom home page's file name in the upload
    QStringList m_extraNav;  // navigation items of the extra pages
    QList<QPair<QString, QString>> m_extraFiles; // (upload file, published name)

    // Per node: its page (a folder's index, a file's first page), where the navigation
    // takes it, its pages' common stem, and the page of each news item or product.
    QStringList m_page, m_navUrl, m_stem;
    QList<QStringList> m_itemPage;
    int m_navDepth = 3;
    QStringList m_link; // each node's link in the navigation
    mutable QStringList m_fullItem, m_shortItem;
    QSet<QString> m_used;
    QString m_footer, m_contactBlock, m_siteName;
};

Result Renderer::run() {
    const ReadResult read = readSite(m_up + QLatin1String("dalmbuilder.tdc"));
    if (!read.ok) {
        m_result.error = read.error;
        return m_result;
    }
    m_site = read.site;
    for (const QString& line : m_site.skipped)
        note(line);
    if (!prepareOut() || !chooseSkins())
        return m_result;
    listUpload();
    readAppearance();
    nameNodes();

    m_siteName = m_site.value(QStringLiteral("webName")).trimmed().isEmpty()
                     ? orgName()
                     : m_site.value(QStringLiteral("webName"));
    m_footer = QLatin1String("<div class=\"orv-footer\"><p class=\"orv-footer-name\">") +
               esc(orgName()) + QLatin1String("</p>") + contactList() +
               QStringLiteral("<p class=\"orv-copyright\">版权所有 &copy; ") + esc(orgName()) +
               QLatin1String("</p></div>");
    const QString contacts = contactList();
    m_contactBlock = contacts.isEmpty()
                         ? QString()
                         : block(QStringLiteral("contact"), QStringLiteral("联系我们"), QString(),
                                 contacts);

    if (!extraPages())
        return m_result;
    // The site navigation opens all three levels while the tree is small; a large tree
    // shows its third level in the section navigation only, so that every page does not
    // carry the whole tree.
    m_navDepth = m_site.nodes.size() <= kFullNavigation ? 3 : 2;

    bool ok = m_customHome.isEmpty() ? homePage() : customHomePage();
    for (int i = 0; ok && i < m_site.nodes.size(); ++i)
        ok = nodePages(i);
    if (ok)
        ok = copyAssets();
    m_result.ok = ok;
    return m_result;
}

bool Renderer::prepareOut() {
    QDir out(m_out);
    if (out.exists() &&
        !out.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
             .isEmpty())
        return fail(QStringLiteral("发布文件夹不是空的：") + m_out);
    for (const char* sub : {"", "pics", "skin/common", "skin/names"}) {
        if (!QDir().mkpath(m_out + QLatin1String(sub)))
            return fail(QStringLiteral("无法建立发布文件夹：") + m_out + QLatin1String(sub));
    }
    return true;
}

void Renderer::listUpload() {
    const QFileInfoList files =
        QDir(m_up).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo& f : files) {
        m_upExact.insert(f.fileName());
        m_upFiles.insert(f.fileName().toLower(), f.fileName());
    }
}

// The upload's file of a stored name (exactly, or else in another letter case), as a
// path; empty when there is none or the name is not one plain file name.
QString Renderer::uploadFile(const QString& stored) const {
    if (!isPlainFileName(stored))
        return {};
    if (m_upExact.contains(stored))
        return m_up + stored;
    const QString other = m_upFiles.value(stored.toLower());
    return other.isEmpty() ? QString() : m_up + other;
}

bool Renderer::chooseSkins() {
    m_catalogue = loadCatalogue(m_skins + QLatin1String("catalogue.json"));
    const QRegularExpression codeForm(QStringLiteral("^[a-z]{3}[0-9]{2}$"));
    const auto choose = [&](const QString& stored, QChar kind, const QString& kindName,
                            Skin* skin, QString* code) -> bool {
        QStringList candidates;
        const QString wanted = stored.left(5);
        if (codeForm.match(wanted).hasMatch() && wanted.startsWith(kind))
            candidates << wanted;
        for (const Catalogue::Template& t : std::as_const(m_catalogue.templates)) {
            if (t.kind == kindName && t.code.startsWith(kind))
                candidates << t.code;
        }
        const QStringList folders =
            QDir(m_skins + QLatin1String("templates")).entryList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                                 QDir::Name);
        for (const QString& f : folders) {
            if (f.startsWith(kind))
                candidates << f;
        }
        for (const QString& c : std::as_const(candidates)) {
            if (!codeForm.match(c).hasMatch())
                continue;
            QString error;
            if (skin->load(m_skins + QLatin1String("templates/") + c + QLatin1String("/skin.html"),
                           &error)) {
                if (c != wanted)
                    note(QStringLiteral("模板 ") + (stored.isEmpty() ? QStringLiteral("（未选择）") : stored) +
                         QStringLiteral(" 不存在，改用 ") + c);
                *code = c;
                return true;
            }
        }
        return fail(QStringLiteral("没有可用的模板：") + m_skins + QLatin1String("templates/"));
    };
    if (!choose(m_site.value(QStringLiteral("defaultTmpl")), u'd', QStringLiteral("home"),
                &m_homeSkin, &m_homeCode) ||
        !choose(m_site.value(QStringLiteral("headTmpl")), u'h', QStringLiteral("inner"),
                &m_innerSkin, &m_innerCode))
        return false;
    m_homeTemplate = m_catalogue.find(m_homeCode);
    return true;
}

QString Renderer::chooseNameStyle(const QString& stored, const QString& fallback) {
    const QRegularExpression idForm(QStringLiteral("^[A-Za-z0-9_-]{1,32}$"));
    const QString id = stored.section(u'.', 0, 0);
    for (const QString& c : {id, fallback}) {
        if (idForm.match(c).hasMatch() &&
            QFileInfo(m_skins + QLatin1String("names/") + c + QLatin1String(".css")).isFile()) {
            if (c != id && !stored.isEmpty())
                note(QStringLiteral("单位名称样式 ") + stored + QStringLiteral(" 不存在，改用 ") + c);
            return c;
        }
    }
    return {};
}

void Renderer::readAppearance() {
    const Catalogue::Template* inner = m_catalogue.find(m_innerCode);
    m_homeStyle = chooseNameStyle(m_site.value(QStringLiteral("defaultFont")),
                                  m_homeTemplate ? m_homeTemplate->nameStyle : QString());
    m_innerStyle = chooseNameStyle(m_site.value(QStringLiteral("headFont")),
                                   inner ? inner->nameStyle : QString());

    const QString logo = m_site.value(QStringLiteral("logo")).trimmed();
    if (!logo.isEmpty())
        m_logo = picture(logo);
    const QString bg = m_site.value(QStringLiteral("backGround")).trimmed();
    if (!bg.isEmpty())
        m_background = picture(bg);

    // The custom inner-page header: a picture, or a Flash movie.
    const QRegularExpression headForm(QStringLiteral("^topHeadSelf\\.(jpg|gif|swf)$"),
                                             QRegularExpression::CaseInsensitiveOption);
    const QString head = m_site.value(QStringLiteral("topHead")).trimmed();
    if (!head.isEmpty()) {
        if (headForm.match(head).hasMatch())
            m_headerPic = picture(head);
        else
            note(QStringLiteral("内页头部文件无效：") + head);
        m_headerFlash = !m_headerPic.isEmpty() && head.endsWith(QLatin1String("swf"), Qt::CaseInsensitive);
    }

    const QString custom = m_site.value(QStringLiteral("defaultFile")).trimmed();
    if (!custom.isEmpty()) {
        if (custom.compare(QLatin1String("default.htm"), Qt::CaseInsensitive) == 0 &&
            !uploadFile(custom).isEmpty())
            m_customHome = QFileInfo(uploadFile(custom)).fileName();
        else
            note(QStringLiteral("自定制首页文件不存在，改用首页模板：") + custom);
    }

    m_popup = parsePopup(m_site.value(QStringLiteral("adBoard")));

    const QStringList fx = m_site.value(QStringLiteral("javascript")).split(QStringLiteral("||"));
    if (fx.value(0).trimmed() == u"1") {
        const QString number = fx.value(1).left(2);
        const QRegularExpression numberForm(QStringLiteral("^(0[0-9]|1[0-2])$"));
        if (numberForm.match(number).hasMatch() &&
            QFileInfo(m_skins + QLatin1String("effects/") + number + QLatin1String(".js")).isFile()) {
            m_effect.number = number;
            m_effect.text = fx.mid(2).join(QStringLiteral("||"));
        } else {
            note(QStringLiteral("脚本效果无效：") + fx.value(1));
        }
    }

    // Features the provider has to approve are not part of the published pages.
    const struct {
        const char* column;
        const char* name;
    } approval[] = {{"field02", "站点论坛"}, {"field03", "邮局登陆"}, {"field04", "客户留言"},
                    {"field05", "办公系统"}};
    for (const auto& a : approval) {
        if (m_site.value(QLatin1String(a.column)).trimmed() == u"1")
            note(QString::fromUtf8(a.name) + QStringLiteral("：需要提供商批准后方能生效，未发布"));
    }
}

QString Renderer::unique(const QString& base) {
    QString name = base;
    for (int n = 2; m_used.contains(name); ++n)
        name = base + u'x' + QString::number(n);
    m_used.insert(name);
    return name;
}

// Page names come from a digest of the node's level and name: safe whatever the name
// holds, and the same at every publication while the node keeps its name.
void Renderer::nameNodes() {
    m_used.insert(QStringLiteral("index"));
    const int n = m_site.nodes.size();
    m_page.resize(n);
    m_navUrl.resize(n);
    m_stem.resize(n);
    m_itemPage.resize(n);
    for (int i = 0; i < n; ++i) {
        const Node& node = m_site.nodes.at(i);
        const QByteArray digest = QCryptographicHash::hash(
            (sitedb::levelPrefix(node.level) + u'/' + node.name).toUtf8(),
            QCryptographicHash::Sha1);
        m_stem[i] = unique(u'n' + QString::fromLatin1(digest.toHex().left(10)));
        m_page[i] = m_stem[i] + QLatin1String(".html");
        if (!node.folder && (node.format == u"news" || sitedb::isProductFormat(node.format))) {
            QStringList& items = m_itemPage[i];
            items.reserve(node.records.size());
            for (const Record& r : node.records)
                items << unique(m_stem[i] + u'-' + QString::number(r.id)) + QLatin1String(".html");
        }
    }
    // A folder takes the visitor to its first file, or to its index when it has none.
    const std::function<QString(int)> firstFile = [&](int i) -> QString {
        const Node& node = m_site.nodes.at(i);
        if (!node.folder)
            return m_page[i];
        for (int c : node.children) {
            const QString url = firstFile(c);
            if (!url.isEmpty())
                return url;
        }
        return {};
    };
    m_link.resize(n);
    m_fullItem.resize(n);
    m_shortItem.resize(n);
    for (int i = 0; i < n; ++i) {
        const QString url = firstFile(i);
        m_navUrl[i] = url.isEmpty() ? m_page[i] : url;
        m_link[i] = link(m_navUrl[i], label(m_site.nodes.at(i).name));
    }
}

QString Renderer::picture(const QString& stored) {
    const auto known = m_pictures.constFind(stored);
    if (known != m_pictures.constEnd())
        return *known;
    QString url;
    const QString source = uploadFile(stored);
    if (!source.isEmpty() && isMediaFile(stored)) {
        m_copies.insert(stored, source);
        url = kPics + pct(stored);
    } else if (!stored.trimmed().isEmpty()) {
        note(QStringLiteral("图片不存在：") + stored);
    }
    m_pictures.insert(stored, url);
    return url;
}

// Stored rich text as it goes out: the apostrophes back, the working folder's pictures
// pointing at their published copies. The rest is the user's own markup.
QString Renderer::rich(const QString& stored) {
    QString out = mdl_func::replaceStoredPictures(
        stored,
        [this](const QString& name) -> QString {
            return uploadFile(name).isEmpty() ? QString() : picture(name);
        },
        [this](const QString& written) -> QString {
            // Noted as missing; the address stays as the page wrote it.
            const QList<mdl_func::NameReading> readings = mdl_func::readingsOf(written);
            picture(readings.isEmpty() ? written : readings.constFirst().name);
            return kPics + written;
        });
    out.replace(QLatin1String("[&#39;]"), QLatin1String("'"));
    return out;
}

bool Renderer::write(const QString& file, const QString& html) {
    QFile f(m_out + file);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(QStringLiteral("无法写入 ") + file + QStringLiteral("：") + f.errorString());
    const QByteArray bytes = html.toUtf8();
    if (f.write(bytes) != bytes.size())
        return fail(QStringLiteral("无法写入 ") + file + QStringLiteral("：") + f.errorString());
    if (file.endsWith(QLatin1String(".html")))
        ++m_result.pages;
    return true;
}

bool Renderer::copyInto(const QString& source, const QString& target) {
    QFile::remove(m_out + target);
    if (!QFile::copy(source, m_out + target))
        return fail(QStringLiteral("无法复制 ") + target);
    QFile::setPermissions(m_out + target,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
}

// The skins' files the pages name, the pictures and the custom pages' files.
bool Renderer::copyAssets() {
    if (!copyInto(m_skins + QLatin1String("common/base.css"), QStringLiteral("skin/common/base.css")))
        return false;
    QSet<QString> codes{m_innerCode};
    if (m_customHome.isEmpty())
        codes.insert(m_homeCode);
    for (const QString& code : std::as_const(codes)) {
        const QString dir = m_skins + QLatin1String("templates/") + code + u'/';
        QDir().mkpath(m_out + QLatin1String("skin/") + code);
        const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files | QDir::NoSymLinks);
        for (const QFileInfo& f : files) {
            if (f.fileName() != u"skin.html" &&
                !copyInto(f.absoluteFilePath(), QLatin1String("skin/") + code + u'/' + f.fileName()))
                return false;
        }
    }
    QSet<QString> styles{m_innerStyle};
    if (m_customHome.isEmpty())
        styles.insert(m_homeStyle);
    for (const QString& id : std::as_const(styles)) {
        if (!id.isEmpty() &&
            !copyInto(m_skins + QLatin1String("names/") + id + QLatin1String(".css"),
                      QLatin1String("skin/names/") + id + QLatin1String(".css")))
            return false;
    }
    if (!m_effect.number.isEmpty()) {
        QDir().mkpath(m_out + QLatin1String("skin/effects"));
        if (!copyInto(m_skins + QLatin1String("effects/") + m_effect.number + QLatin1String(".js"),
                      QLatin1String("skin/effects/") + m_effect.number + QLatin1String(".js")))
            return false;
    }
    for (auto it = m_copies.constBegin(); it != m_copies.constEnd(); ++it) {
        if (!copyInto(it.value(), kPics + it.key()))
            return false;
    }
    for (const auto& [source, target] : std::as_const(m_extraFiles)) {
        if (!copyInto(source, target))
            return false;
    }
    // The pictures of the custom home page and the extra pages.
    if (!m_customHome.isEmpty() || !m_extraFiles.isEmpty()) {
        const QFileInfoList images = QDir(m_up + QLatin1String("images"))
                                         .entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden);
        if (!images.isEmpty())
            QDir().mkpath(m_out + QLatin1String("images"));
        for (const QFileInfo& f : images) {
            if (isPlainFileName(f.fileName()) &&
                !copyInto(f.absoluteFilePath(), QLatin1String("images/") + f.fileName()))
                return false;
        }
    }
    return true;
}

QString Renderer::orgName() const {
    const QString name = m_site.value(QStringLiteral("dalm_name"));
    if (!name.trimmed().isEmpty())
        return name;
    const QString web = m_site.value(QStringLiteral("webName"));
    return web.trimmed().isEmpty() ? QStringLiteral("本站") : web;
}

QString Renderer::contactList() const {
    static const struct {
        const char* column;
        const char* cls;
        const char* label;
    } fields[] = {{"Address", "orv-address", "地址："}, {"linkMan", "orv-linkman", "联系人："},
                  {"Tel", "orv-tel", "电话："},         {"Mobile", "orv-mobile", "手机："},
                  {"Fax", "orv-fax", "传真："},         {"Zip", "orv-zip", "邮编："},
                  {"Email", "orv-email", "电子邮件："}};
    QString items;
    for (const auto& f : fields) {
        const QString v = m_site.value(QLatin1String(f.column));
        if (v.trimmed().isEmpty())
            continue;
        items += QLatin1String("<li class=\"") + QLatin1String(f.cls) +
                 QLatin1String("\"><span class=\"orv-label\">") + QString::fromUtf8(f.label) +
                 QLatin1String("</span>") + esc(v) + QLatin1String("</li>");
    }
    return items.isEmpty() ? QString()
                           : QLatin1String("<ul class=\"orv-contact\">") + items +
                                 QLatin1String("</ul>");
}

QString Renderer::block(const QString& kind, const QString& title, const QString& url,
                        const QString& body) const {
    QString out = QLatin1String("<section class=\"orv-block orv-block-") + kind +
                  QLatin1String("\"><h2 class=\"orv-block-title\"><span>") + esc(title) +
                  QLatin1String("</span>");
    if (!url.isEmpty())
        out += QLatin1String("<a class=\"orv-more\" href=\"") + url +
               QStringLiteral("\">更多&gt;&gt;</a>");
    return out + QLatin1String("</h2><div class=\"orv-block-body\">") + body +
           QLatin1String("</div></section>");
}

QList<int> Renderer::pathTo(int i) const {
    QList<int> path;
    for (; i >= 0; i = m_site.nodes.at(i).parent)
        path.prepend(i);
    return path;
}

// A node's navigation item with its children down to level `depth`. The items off the
// current path are the same on every page and are made once.
QString Renderer::navItem(int i, const QList<int>& path, int depth) const {
    const bool current = path.contains(i);
    QString& cached = depth == 3 ? m_fullItem[i] : m_shortItem[i];
    if (!current && !cached.isNull())
        return cached;
    const Node& node = m_site.nodes.at(i);
    QString out = QLatin1String("<li class=\"orv-l") + QString::number(int(node.level)) +
                  (current ? QLatin1String(" orv-current\">") : QLatin1String("\">")) +
                  m_link.at(i);
    if (!node.children.isEmpty() && int(node.level) < depth) {
        out += QLatin1String("<ul class=\"orv-sub\">");
        for (int c : node.children)
            out += navItem(c, path, depth);
        out += QLatin1String("</ul>");
    }
    out += QLatin1String("</li>");
    if (!current)
        cached = out;
    return out;
}

QString Renderer::nav(const QList<int>& path) const {
    QString out = QLatin1String("<ul class=\"orv-nav\"><li class=\"orv-l1") +
                  (path.isEmpty() ? QLatin1String(" orv-current") : QLatin1String()) +
                  QStringLiteral("\"><a href=\"index.html\">首页</a></li>");
    for (int i : m_site.top)
        out += navItem(i, path, m_navDepth);
    for (const QString& item : m_extraNav)
        out += item;
    return out + QLatin1String("</ul>");
}

QString Renderer::subnav(const QList<int>& path) const {
    const int section = path.first();
    const Node& top = m_site.nodes.at(section);
    QString items;
    if (top.children.isEmpty()) {
        items = QLatin1String("<li class=\"orv-l2 orv-current\">") +
                link(m_navUrl.at(section), label(top.name)) + QLatin1String("</li>");
    } else {
        for (int c : top.children)
            items += navItem(c, path, 3);
    }
    return QLatin1String("<nav class=\"orv-subnav\"><h2 class=\"orv-subnav-title\">") +
           esc(label(top.name)) + QLatin1String("</h2><ul>") + items + QLatin1String("</ul></nav>");
}

// 首页 > section > … > last; the nodes of the path link to their pages (a folder to its
// index), the last is plain text unless `linkLast`.
QString Renderer::crumbs(const QList<int>& path, const QString& last, bool linkLast) const {
    static const QLatin1String sep("<span class=\"orv-sep\">&gt;</span>");
    QString out = QStringLiteral("<div class=\"orv-crumbs\"><a href=\"index.html\">首页</a>");
    for (qsizetype k = 0; k < path.size(); ++k) {
        const int i = path.at(k);
        const bool isLast = k == path.size() - 1;
        out += sep;
        if (isLast && !linkLast)
            out += QLatin1String("<span>") + esc(label(m_site.nodes.at(i).name)) +
                   QLatin1String("</span>");
        else
            out += link(m_page.at(i), label(m_site.nodes.at(i).name));
    }
    if (linkLast)
        out += sep + QLatin1String("<span>") + esc(last) + QLatin1String("</span>");
    return out + QLatin1String("</div>");
}

QHash<QString, QString> Renderer::commonValues(bool home) const {
    QHash<QString, QString> v;
    const QString code = home ? m_homeCode : m_innerCode;
    const QString style = home ? m_homeStyle : m_innerStyle;
    v.insert(QStringLiteral("common"), QStringLiteral("skin/common/"));
    v.insert(QStringLiteral("skin"), QLatin1String("skin/") + code + u'/');
    v.insert(QStringLiteral("home"), kHome);
    v.insert(QStringLiteral("site_name"), esc(m_siteName));
    QString head;
    if (!style.isEmpty())
        head += QLatin1String("<link rel=\"stylesheet\" href=\"skin/names/") + style +
                QLatin1String(".css\">");
    if (!m_background.isEmpty())
        head += QLatin1String("<style>body.orv-body{background-image:url(\"") + m_background +
                QLatin1String("\");background-repeat:repeat}</style>");
    if (!m_effect.number.isEmpty())
        head += QLatin1String("<script src=\"skin/effects/") + m_effect.number +
                QLatin1String(".js\" data-text=\"") + esc(m_effect.text) +
                QLatin1String("\" defer></script>");
    v.insert(QStringLiteral("head"), head);
    const QString nameLink = QLatin1String("<a class=\"orv-name\" href=\"index.html\"><span "
                                           "class=\"orv-name-text\">") +
                             esc(orgName()) + QLatin1String("</span></a>");
    QString name = nameLink;
    if (!home && !m_headerPic.isEmpty()) {
        name = m_headerFlash
                   ? QString(QLatin1String("<object class=\"orv-headflash\" "
                                   "type=\"application/x-shockwave-flash\" data=\"") +
                         m_headerPic + QLatin1String("\" width=\"760\" height=\"130\"><param "
                                                     "name=\"movie\" value=\"") +
                         m_headerPic +
                         QLatin1String("\"><param name=\"quality\" value=\"high\"><param "
                                       "name=\"wmode\" value=\"transparent\">") +
                         nameLink + QLatin1String("</object>"))
                   : QString(QLatin1String("<img class=\"orv-headpic\" src=\"") + m_headerPic +
                             QLatin1String("\" alt=\"") + esc(orgName()) + QLatin1String("\">"));
    }
    v.insert(QStringLiteral("name_style"), name);
    if (!m_logo.isEmpty())
        v.insert(QStringLiteral("logo"),
                 QLatin1String("<a class=\"orv-logo\" href=\"index.html\"><img src=\"") + m_logo +
                     QLatin1String("\" alt=\"") + esc(orgName()) + QLatin1String("\"></a>"));
    v.insert(QStringLiteral("footer"), m_footer);
    v.insert(QStringLiteral("contact"), m_contactBlock);
    return v;
}

QString Renderer::listPage(int node, int page) const {
    return page == 0 ? m_page.at(node)
                     : m_stem.at(node) + QLatin1String("-p") + QString::number(page + 1) +
                           QLatin1String(".html");
}

QString Renderer::pager(int node, int page, int pages) const {
    if (pages <= 1)
        return {};
    QString out = QStringLiteral("<div class=\"orv-pager\">");
    if (page > 0)
        out += QLatin1String("<a href=\"") + listPage(node, page - 1) + QStringLiteral("\">上一页</a>");
    for (int k = 0; k < pages; ++k) {
        if (k == page)
            out += QLatin1String("<span class=\"orv-current\">") + QString::number(k + 1) +
                   QLatin1String("</span>");
        else
            out += QLatin1String("<a href=\"") + listPage(node, k) + QLatin1String("\">") +
                   QString::number(k + 1) + QLatin1String("</a>");
    }
    if (page < pages - 1)
        out += QLatin1String("<a href=\"") + listPage(node, page + 1) + QStringLiteral("\">下一页</a>");
    return out + QLatin1String("</div>");
}

QString Renderer::newsList(int node, int from, int count) const {
    const QList<Record>& records = m_site.nodes.at(node).records;
    QString out = QStringLiteral("<ul class=\"orv-newslist\">");
    for (int k = from; k < from + count && k < records.size(); ++k) {
        const Record& r = records.at(k);
        const QString title = r.text(col::newsTitle).trimmed().isEmpty()
                                  ? QStringLiteral("（无标题）")
                                  : r.text(col::newsTitle);
        out += QLatin1String("<li>") + link(m_itemPage.at(node).at(k), title) +
               QLatin1String("<span class=\"orv-date\">") + esc(r.text(col::newsDate)) +
               QLatin1String("</span></li>");
    }
    return out + QLatin1String("</ul>");
}

QString Renderer::gallery(int node, int from, int count) {
    const QList<Record>& records = m_site.nodes.at(node).records;
    QString out = QStringLiteral("<ul class=\"orv-gallery\">");
    for (int k = from; k < from + count && k < records.size(); ++k) {
        const Record& r = records.at(k);
        const QString caption = esc(r.text(col::galleryCaption));
        const QString full = picture(r.text(col::galleryPicture));
        QString thumb = picture(r.text(col::galleryThumbnail));
        if (thumb.isEmpty())
            thumb = full;
        QString inner;
        if (!thumb.isEmpty())
            inner = QLatin1String("<img src=\"") + thumb + QLatin1String("\" alt=\"") + caption +
                    QLatin1String("\">");
        inner += QLatin1String("<span class=\"orv-caption\">") + caption + QLatin1String("</span>");
        if (full.isEmpty())
            out += QLatin1String("<li>") + inner + QLatin1String("</li>");
        else
            out += QLatin1String("<li><a href=\"") + full + QLatin1String("\">") + inner +
                   QLatin1String("</a></li>");
    }
    return out + QLatin1String("</ul>");
}

QString Renderer::facts(const Record& r) const {
    const QString price = r.text(col::productPrice);
    QString out = QStringLiteral("<dl class=\"orv-prod-facts\">");
    const auto pair = [&](const char* term, const QString& value, bool isPrice) {
        if (value.trimmed().isEmpty())
            return;
        out += QLatin1String("<dt>") + QString::fromUtf8(term) + QLatin1String("</dt><dd>") +
               (isPrice ? QLatin1String("<span class=\"orv-price\">") + esc(value) +
                              QLatin1String("</span>")
                        : esc(value)) +
               QLatin1String("</dd>");
    };
    pair("规格", r.text(col::productSpec), false);
    pair("单位", r.text(col::productUnit), false);
    pair("价格", price, true);
    return out == u"<dl class=\"orv-prod-facts\">" ? QString() : out + QLatin1String("</dl>");
}

QString Renderer::productList(const QString& format, int node, int from, int count) {
    const QList<Record>& records = m_site.nodes.at(node).records;
    const auto priceSpan = [](const QString& price) {
        return price.trimmed().isEmpty() ? QString()
                                         : QLatin1String("<span class=\"orv-price\">") + esc(price) +
                                               QLatin1String("</span>");
    };
    QString rows;
    for (int k = from; k < from + count && k < records.size(); ++k) {
        const Record& r = records.at(k);
        const QString url = m_itemPage.at(node).at(k);
        const QString name = label(r.text(col::productName));
        const QString pic = picture(r.text(col::productPicture));
        const QString img = pic.isEmpty() ? QString()
                                          : QLatin1String("<img src=\"") + pic +
                                                QLatin1String("\" alt=\"") + esc(name) +
                                                QLatin1String("\">");
        if (format == u"prod01") {
            rows += QLatin1String("<tr><td>") + link(url, name) + QLatin1String("</td><td>") +
                    esc(r.text(col::productSpec)) + QLatin1String("</td><td>") +
                    esc(r.text(col::productUnit)) + QLatin1String("</td><td>") +
                    priceSpan(r.text(col::productPrice)) + QLatin1String("</td></tr>");
        } else if (format == u"prod02") {
            rows += QLatin1String("<li>");
            if (!img.isEmpty())
                rows += QLatin1String("<a class=\"orv-prod-pic\" href=\"") + url +
                        QLatin1String("\">") + img + QLatin1String("</a>");
            rows += QLatin1String("<div class=\"orv-prod-info\"><h3 class=\"orv-prod-name\">") +
                    link(url, name) + QLatin1String("</h3>") + facts(r) +
                    QLatin1String("</div></li>");
        } else {
            rows += QLatin1String("<li><a href=\"") + url + QLatin1String("\">") + img +
                    QLatin1String("<span class=\"orv-prod-name\">") + esc(name) +
                    QLatin1String("</span>") + priceSpan(r.text(col::productPrice)) +
                    QLatin1String("</a></li>");
        }
    }
    if (format == u"prod01")
        return QStringLiteral("<table class=\"orv-prod01\"><thead><tr><th>产品名称</th><th>规格</th>"
                             "<th>单位</th><th>价格</th></tr></thead><tbody>") +
               rows + QLatin1String("</tbody></table>");
    return QLatin1String("<ul class=\"orv-") + format + QLatin1String("\">") + rows +
           QLatin1String("</ul>");
}

bool Renderer::homePage() {
    QHash<QString, QString> v = commonValues(true);
    v.insert(QStringLiteral("page_title"), esc(m_siteName));
    v.insert(QStringLiteral("nav"), nav({}));
    const int newsCount = m_homeTemplate ? m_homeTemplate->news : 7;
    const int productCount = m_homeTemplate ? m_homeTemplate->products : 4;
    const int galleryCount = m_homeTemplate ? m_homeTemplate->gallery : 4;
    static const QSet<QString> introFormats{QStringLiteral("txt"), QStringLiteral("imgTxt01"),
                                            QStringLiteral("imgTxt02"), QStringLiteral("imgTxt03")};
    // The first file of each kind, in the tree's order, gives a block.
    for (int i = 0; i < m_site.nodes.size(); ++i) {
        const Node& n = m_site.nodes.at(i);
        if (n.folder || n.records.isEmpty())
            continue;
        if (introFormats.contains(n.format) && !v.contains(QStringLiteral("intro"))) {
            const Record& r = n.records.first();
            const QString pic = picture(r.text(col::pagePicture1));
            QString body = QStringLiteral("<div class=\"orv-intro\">");
            if (!pic.isEmpty())
                body += QLatin1String("<img class=\"orv-intro-pic\" src=\"") + pic +
                        QLatin1String("\" alt=\"\">");
            body += QLatin1String("<p>") +
                    esc(cut(mdl_func::decode(r.text(col::pageBody)).simplified(), kIntroLength)) +
                    QLatin1String("</p></div>");
            v.insert(QStringLiteral("intro"),
                     block(QStringLiteral("intro"), label(n.name), m_page.at(i), body));
        } else if (n.format == u"news" && !v.contains(QStringLiteral("news"))) {
            v.insert(QStringLiteral("news"), block(QStringLiteral("news"), label(n.name),
                                                   m_page.at(i), newsList(i, 0, newsCount)));
        } else if (sitedb::isProductFormat(n.format) && !v.contains(QStringLiteral("products"))) {
            v.insert(QStringLiteral("products"),
                     block(QStringLiteral("products"), label(n.name), m_page.at(i),
                           productList(QStringLiteral("prod03"), i, 0, productCount)));
        } else if (n.format == u"imgs" && !v.contains(QStringLiteral("gallery"))) {
            v.insert(QStringLiteral("gallery"), block(QStringLiteral("gallery"), label(n.name),
                                                      m_page.at(i), gallery(i, 0, galleryCount)));
        }
    }
    if (m_popup.on) {
        QString content = esc(m_popup.content);
        content.replace(u'\n', QLatin1String("<br>"));
        v.insert(QStringLiteral("body_end"),
                 QLatin1String("<div class=\"orv-popup\" role=\"dialog\" aria-label=\"") +
                     esc(m_popup.title) + QLatin1String("\" style=\"left:") +
                     QString::number(m_popup.left) + QLatin1String("px;top:") +
                     QString::number(m_popup.top) + QLatin1String("px;width:") +
                     QString::number(m_popup.width) + QLatin1String("px;height:") +
                     QString::number(m_popup.height) +
                     QLatin1String("px\"><div class=\"orv-popup-bar\"><span "
                                   "class=\"orv-popup-title\">") +
                     esc(m_popup.title) +
                     QStringLiteral("</span><button type=\"button\" class=\"orv-popup-close\" "
                                   "aria-label=\"关闭\" "
                                   "onclick=\"this.parentNode.parentNode.style.display='none'\">"
                                   "&times;</button></div><div class=\"orv-popup-body\">") +
                     content + QLatin1String("</div></div>"));
    }
    return write(kHome, m_homeSkin.fill(v));
}

bool Renderer::customHomePage() {
    if (m_popup.on)
        note(QStringLiteral("使用自定制首页，弹出窗口未加入首页"));
    const QString source = m_up + m_customHome;
    if (!copyInto(source, kHome))
        return false;
    // Extra pages may link the page by its own name.
    return m_customHome == kHome || copyInto(source, m_customHome);
}

bool Renderer::extraPages() {
    const QStringList names = m_site.value(QStringLiteral("field01")).split(QStringLiteral("||"));
    for (const QString& stored : names) {
        if (stored.trimmed().isEmpty())
            continue;
        const QString suffix = QFileInfo(stored).suffix().toLower();
        const QString source = uploadFile(stored);
        if (source.isEmpty() || (suffix != u"htm" && suffix != u"mht")) {
            note(QStringLiteral("其他网页不存在：") + stored);
            continue;
        }
        const QString name = QFileInfo(source).fileName();
        if (name.compare(kHome, Qt::CaseInsensitive) == 0)
            continue;
        m_extraFiles.append({source, name});
        QString title = suffix == u"htm" ? pageTitleOf(source) : QString();
        if (title.isEmpty())
            title = QFileInfo(name).completeBaseName();
        m_extraNav << QLatin1String("<li class=\"orv-l1\">") + link(pct(name), cut(title, 20)) +
                          QLatin1String("</li>");
    }
    return true;
}

bool Renderer::innerPage(int node, const QString& file, const QString& title,
                         const QString& content, bool crumbSelf) {
    const QList<int> path = pathTo(node);
    const QString name = label(m_site.nodes.at(node).name);
    QHash<QString, QString> v = commonValues(false);
    v.insert(QStringLiteral("page_title"),
             esc((title.isEmpty() ? name : title) + QStringLiteral(" - ") + m_siteName));
    v.insert(QStringLiteral("nav"), nav(path));
    v.insert(QStringLiteral("subnav"), subnav(path));
    v.insert(QStringLiteral("crumbs"), crumbs(path, title, crumbSelf));
    v.insert(QStringLiteral("heading"), esc(name));
    v.insert(QStringLiteral("content"), content);
    v.insert(QStringLiteral("body_end"), QString());
    return write(file, m_innerSkin.fill(v));
}

bool Renderer::listPages(int i, int perPage, const std::function<QString(int, int)>& list,
                         const QString& nothing) {
    const int count = m_site.nodes.at(i).records.size();
    const int pages = qMax(1, (count + perPage - 1) / perPage);
    for (int p = 0; p < pages; ++p) {
        const QString content =
            count == 0 ? empty(nothing) : list(p * perPage, perPage) + pager(i, p, pages);
        if (!innerPage(i, listPage(i, p), QString(), content, false))
            return false;
    }
    return true;
}

bool Renderer::nodePages(int i) {
    const Node& n = m_site.nodes.at(i);
    const QString name = label(n.name);
    if (n.folder) {
        QString items;
        for (int c : n.children)
            items += QLatin1String("<li>") + link(m_page.at(c), label(m_site.nodes.at(c).name)) +
                     QLatin1String("</li>");
        return innerPage(i, m_page.at(i), QString(),
                         items.isEmpty() ? empty(QStringLiteral("暂时还没有内容。"))
                                         : QLatin1String("<ul class=\"orv-index\">") + items +
                                               QLatin1String("</ul>"),
                         false);
    }
    const QString& f = n.format;
    const Record none;
    const Record& r = n.records.isEmpty() ? none : n.records.first();
    const QString nothing = QStringLiteral("暂时还没有内容。");
    const auto single = [&](const QString& content) {
        return innerPage(i, m_page.at(i), QString(), n.records.isEmpty() ? empty(nothing) : content,
                         false);
    };
    const auto title = [&]() {
        const QString t = r.text(col::pageTitle);
        return t.trimmed().isEmpty() ? name : t;
    };
    const QString body = paragraphs(mdl_func::decode(r.text(col::pageBody)));

    if (f == u"txt")
        return single(record(f, title(), textBlock(body)));
    if (f == u"imgTxt01") {
        // Picture 1 before the first paragraph, picture 2 before the middle one.
        const QStringList paras = paragraphList(mdl_func::decode(r.text(col::pageBody)));
        const qsizetype middle = paras.size() / 2;
        QString inner = figure(picture(r.text(col::pagePicture1)), QStringLiteral("orv-pic-left"));
        for (qsizetype k = 0; k < paras.size(); ++k) {
            if (k == middle)
                inner += figure(picture(r.text(col::pagePicture2)), QStringLiteral("orv-pic-right"));
            inner += paras.at(k);
        }
        if (paras.isEmpty())
            inner += figure(picture(r.text(col::pagePicture2)), QStringLiteral("orv-pic-right"));
        return single(record(f, title(), QLatin1String("<div class=\"orv-text\">") + inner +
                                             QLatin1String("</div>")));
    }
    if (f == u"imgTxt02") {
        const QString pics = figure(picture(r.text(col::pagePicture1)), QString()) +
                             figure(picture(r.text(col::pagePicture2)), QString());
        return single(record(f, title(),
                             (pics.isEmpty() ? QString()
                                             : QLatin1String("<div class=\"orv-pics\">") + pics +
                                                   QLatin1String("</div>")) +
                                 textBlock(body)));
    }
    if (f == u"imgTxt03")
        return single(record(f, title(),
                             figure(picture(r.text(col::pagePicture1)), QStringLiteral("orv-pic-top")) +
                                 textBlock(body)));
    if (f == u"bigImg") {
        const QString pic = figure(picture(r.text(col::bigPicture)), QStringLiteral("orv-pic-full"));
        return single(record(f, QString(), pic.isEmpty() ? empty(nothing) : pic));
    }
    if (f == u"adv")
        return single(record(QStringLiteral("adv-page"), QString(),
                             QLatin1String("<div class=\"orv-adv\">") + rich(r.text(col::advPage)) +
                                 QLatin1String("</div>")));
    if (f == u"news") {
        if (!listPages(i, kNewsPerPage, [&](int from, int count) { return newsList(i, from, count); },
                       QStringLiteral("暂时还没有新闻。")))
            return false;
        for (int k = 0; k < n.records.size(); ++k) {
            const Record& item = n.records.at(k);
            const QString itemTitle = item.text(col::newsTitle).trimmed().isEmpty()
                                          ? QStringLiteral("（无标题）")
                                          : item.text(col::newsTitle);
            QString inner;
            if (!item.text(col::newsDate).trimmed().isEmpty())
                inner += QLatin1String("<p class=\"orv-record-meta\"><span class=\"orv-date\">") +
                         esc(item.text(col::newsDate)) + QLatin1String("</span></p>");
            inner += figure(picture(item.text(col::newsPicture)), QStringLiteral("orv-pic-top")) +
                     textBlock(paragraphs(mdl_func::decode(item.text(col::newsBody)))) +
                     QLatin1String("<p class=\"orv-back\"><a href=\"") +
                     listPage(i, k / kNewsPerPage) + QStringLiteral("\">返回列表</a></p>");
            if (!innerPage(i, m_itemPage.at(i).at(k), itemTitle,
                           record(QStringLiteral("news-item"), itemTitle, inner), true))
                return false;
        }
        return true;
    }
    if (f == u"imgs")
        return listPages(i, kPicturesPerPage,
                         [&](int from, int count) { return gallery(i, from, count); },
                         QStringLiteral("暂时还没有图片。"));
    if (sitedb::isProductFormat(f) && sitedb::formatKeys().contains(f)) {
        const int perPage = kProductsPerPage[f.back().digitValue() - 1];
        if (!listPages(i, perPage,
                       [&](int from, int count) { return productList(f, i, from, count); },
                       QStringLiteral("暂时还没有产品。")))
            return false;
        for (int k = 0; k < n.records.size(); ++k) {
            const Record& p = n.records.at(k);
            const QString productName = label(p.text(col::productName));
            const QString head = figure(picture(p.text(col::productPicture)), QString()) + facts(p);
            QString inner;
            if (!head.isEmpty())
                inner += QLatin1String("<div class=\"orv-product-head\">") + head +
                         QLatin1String("</div>");
            const QString intro = rich(p.text(col::productIntro));
            if (!intro.trimmed().isEmpty())
                inner += QLatin1String("<div class=\"orv-adv\">") + intro + QLatin1String("</div>");
            inner += QLatin1String("<p class=\"orv-back\"><a href=\"") + listPage(i, k / perPage) +
                     QStringLiteral("\">返回列表</a></p>");
            if (!innerPage(i, m_itemPage.at(i).at(k), productName,
                           record(QStringLiteral("product"), productName, inner), true))
                return false;
        }
        return true;
    }
    note(QStringLiteral("栏目没有有效的显示格式：") + name);
    return innerPage(i, m_page.at(i), QString(), empty(nothing), false);
}

} // namespace

Result renderSite(const QString& uploadDir, const QString& skinsDir, const QString& outDir) {
    Renderer r(uploadDir, skinsDir, outDir);
    return r.run();
}

} // namespace publish
