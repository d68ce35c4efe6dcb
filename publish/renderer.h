#pragma once
// The renderer's inside: one object per rendering, its steps spread over the files of
// this folder by concern (reading the appearance, naming and navigation, the pages of
// each display format, filling the skins, the pictures, the files written). Only the
// renderer's own files include this header; everyone else calls renderSite().

#include "publish/publish.h"
#include "publish/siteReader.h"
#include "publish/skin.h"
#include "publish/webPictures.h"
#include "sitedb/contract.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace publish {

namespace col = sitedb::columns;

// Records on one page of a list.
constexpr int kNewsPerPage = 20;
constexpr int kPicturesPerPage = 24;
constexpr int kProductsPerPage[3] = {20, 10, 20}; // prod01, prod02, prod03
// Nodes up to which the site navigation holds the whole tree.
constexpr int kFullNavigation = 100;
// Characters of the home page's introduction.
constexpr int kIntroLength = 150;

inline const QString kHome = QStringLiteral("index.html");
inline const QString kPics = QStringLiteral("pics/");

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

Popup parsePopup(const QString& stored);

class Renderer {
public:
    explicit Renderer(const Options& options)
        : m_options(options), m_up(withSlash(options.uploadDir)),
          m_skins(withSlash(options.skinsDir)), m_out(withSlash(options.outDir)) {}

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
    QString navItem(int i, const QList<int>& path, int depth, const QString& file) const;
    static QString currentLink(const QString& url, const QString& name, const QString& file);
    QString nav(const QList<int>& path, const QString& file) const;
    QString subnav(const QList<int>& path, const QString& file) const;
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

    // Being found and shared (headTags.cpp, feeds.cpp): the head of each page, the news
    // in date order, the feeds, the sitemap, robots.txt, the favicon and the page for
    // addresses that lead nowhere. Absolute addresses only when the site has a public one.
    static inline const QString kNotFound = QStringLiteral("404.html");
    void prepareFinding();
    void orderNews();
    QString absolute(const QString& relative) const;
    QString pageHead(const QString& file, const QString& title, const QString& description,
                     const QString& picture, bool article, const QList<int>& feeds) const;
    QString feedFile(int node) const;
    bool feeds();
    bool writeFeed(int node);
    bool sitemapAndRobots();
    bool favicon();
    bool notFoundPage();
    QString m_address;                // the site's public address ending with "/", or empty
    QString m_intro;                  // the site's introduction as plain text
    QStringList m_written;            // the pages written, in order, for the sitemap
    QHash<QString, QDate> m_pageDate; // a page's date where its content has one
    QDateTime m_renderedAt;
    // A page's own words for its description, and the first picture it shows.
    static QString descriptionOf(const QString& content);
    static QString firstPicture(const QString& content);

    const Options m_options;
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
    QString m_logo;                    // the logo's picture markup, or empty
    QString m_headerPic;               // the custom inner-page header's address (Flash)
    bool m_headerFlash = false;
    Effect m_effect;
    Popup m_popup;
    QString m_customHome;                        // the custom home page's file name in the upload
    QStringList m_extraNav;                      // navigation items of the extra pages
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

    // Web archives among the extra pages (extraPages.cpp): each becomes a page with its
    // pictures in a folder beside it, `address` the page's, or stays empty when the archive
    // cannot be converted (and is said so in the log). False when the site cannot be written.
    bool mhtExtraPage(const QString& source, const QString& name, QString* address,
                      QString* title);
    // ---- Pictures for the web (sitePictures.cpp) ----
public:
    // The whole markup of a stored picture shown in a box: a <picture> with its WebP
    // versions around an <img> (class `cls`, alt text `alt`, width and height, srcset and
    // sizes, loading="lazy" unless on the first screen, decoding="async"); empty, with a
    // line in the log, when it cannot be shown.
    QString img(const QString& stored, const QString& alt, Box box, bool firstScreen,
                const QString& cls = {});
    // The address of a stored picture shown whole (JPEG, or PNG/GIF, at most 1920 pixels
    // wide), relative to the site's folder: for a page that links the picture, and for
    // addresses that must be absolute (prefix the site's address); empty when it cannot be
    // shown.
    QString pictureAddress(const QString& stored) { return picture(stored); }

private:
    WebPictures& web();
    bool finishPictures();
    std::unique_ptr<WebPictures> m_web;
    QString m_headerImg; // the custom inner-page header's picture markup
    // Per picture file, the markup and links pages were given, taken out again should the
    // picture fail to be made.
    QHash<QString, QStringList> m_pictureMarkup;
};

} // namespace publish
