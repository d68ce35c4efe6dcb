#pragma once
// The user's own pages in place of generated ones: a custom home page "default.htm" with
// its "images" folder, a custom inner-page header picture or Flash movie stored as
// "topHeadSelf." plus its extension, and extra ready-made pages ("htm", "mht"). Each is
// checked, copied into the working folder and stored at once in `user_info`.
//
// The working folder's "images/" is shared by the custom home page and the extra pages:
// while extra pages are stored, the home page's pictures are merged into it and it is
// never removed.

#include <QString>
#include <QStringList>

#include <functional>

namespace mdl_custom {

// What the user is told when a choice cannot go on.
struct Notice {
    enum Kind { None, Info, Error };
    Kind kind = None;
    QString text;
    QString title;
    bool ok() const { return kind == None; }
    static Notice info(const QString& text) { return {Info, text, QStringLiteral("提示")}; }
    static Notice error(const QString& text, const QString& title = QStringLiteral("提示")) {
        return {Error, text, title};
    }
};

// Hears how many of the bytes to copy are copied so far.
using Progress = std::function<void(qint64 done, qint64 total)>;

// The reply to a choice cancelled or otherwise not made.
inline constexpr const char16_t* kNoFolderText = u"没有选择首页存放路径！";

// The custom home page. The folder of the chosen "default.htm" (any letter case) may hold
// nothing else but its "images" folder.
Notice checkHomePage(const QString& path);
struct Choice {
    Notice notice;
    QString name; // the name to show
};
Choice setHomePage(const QString& path, const Progress& progress = {});
Notice unsetHomePage();

// The custom inner-page header: a "jpg", "gif" or "swf" file.
QString headerName(const QString& extension);
Choice setHeader(const QString& path);
// Clears the stored header and removes its file; failures are skipped.
void unsetHeader();

// The extra pages of a folder: its files whose names end in "htm" or "mht", by name.
QStringList pagesOf(const QString& folder, bool* hasDefault = nullptr);
struct Pages {
    Notice notice;
    bool changed = false;
    QStringList names;
};
// Copies the folder's pages and merges its "images" folder into the working folder,
// stores the list, and only then removes the pages the list no longer holds.
Pages setPages(const QString& folder, const Progress& progress = {});
Notice unsetPages();

// The page the header preview writes for the header file `file`.
QString headPreviewHtml(const QString& file);
inline constexpr const char* kFlashCab =
    "https://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab";

} // namespace mdl_custom
