#include "appearance/mdl_custom.h"

#include "appearance/mdl_sltTmpl.h"
#include "common/fileops.h"
#include "common/pictures.h"
#include "common/workspace.h"
#include "sitedb/sitedb.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace mdl_custom {

namespace {

const QString kImages = QStringLiteral("images");
// Where a home page's pictures wait, inside the working folder, until the page is in.
const QString kStaging = QStringLiteral(".images.part");

QString work() {
    return workspace::currImgPath();
}

bool isBare(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(u'\\') && name != u"." &&
           name != u"..";
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

QStringList foldersIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

// The name of the folder's "images" subfolder in whatever letter case it has, or empty.
QString imagesIn(const QString& folder) {
    for (const QString& d : foldersIn(folder)) {
        if (d.compare(kImages, Qt::CaseInsensitive) == 0)
            return d;
    }
    return QString();
}

// A path without the separator at its end, so that a link is seen as the link.
QString withoutSeparator(QString path) {
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// A folder of the working folder removed; a link is removed, never what it points to.
void removeFolder(const QString& folder) {
    const QString path = withoutSeparator(folder);
    const QFileInfo fi(path);
    if (fi.isSymLink() || fi.isFile())
        QFile::remove(path);
    else if (fi.isDir())
        QDir(path).removeRecursively();
}

// A folder to write into, made a real folder of its own: a link or a file in its place
// goes, so nothing is ever written outside the working folder.
bool realFolder(const QString& folder) {
    const QString path = withoutSeparator(folder);
    const QFileInfo fi(path);
    if (fi.isSymLink() || (fi.exists() && !fi.isDir()))
        QFile::remove(path);
    return QDir().mkpath(path);
}

// The bytes of the files below `folder`, without following links to folders.
qint64 sizeBelow(const QString& folder) {
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

// Counts the bytes copied across many files and folders for one progress.
struct Copier {
    Progress progress;
    qint64 total = 0;
    qint64 done = 0;
    QString why;

    std::function<void(qint64)> tell() {
        if (!progress)
            return {};
        return [this, before = done](qint64 n) { progress(before + n, total); };
    }
    bool copy(const QString& from, const QString& to) {
        const qint64 size = QFileInfo(from).size();
        if (!fileops::replaceWith(from, to, &why, tell()))
            return false;
        done += size;
        return true;
    }
    // Merges the folder `from` into `to`, which is made a real folder of the working
    // folder first.
    bool copyFolder(const QString& from, const QString& to) {
        const qint64 size = sizeBelow(from);
        if (!realFolder(to)) {
            why = QStringLiteral("无法建立文件夹“%1”").arg(QDir::toNativeSeparators(to));
            return false;
        }
        if (!fileops::copyFolder(from, to, &why, {}, nullptr, tell()))
            return false;
        done += size;
        return true;
    }
};

bool extraPagesStored() {
    return !mdl_sltTmpl::listNames(sitedb::userInfo(QStringLiteral("field01"))).isEmpty();
}

QString extensionOf(const QString& name) {
    return name.section(u'.', -1).toLower();
}

} // namespace

Notice checkHomePage(const QString& path) {
    const QFileInfo fi(path);
    const QString folder = QDir::toNativeSeparators(fi.absolutePath() + u'/');
    if (!fi.isFile())
        return Notice::error(path + QStringLiteral("文件不存在!"), QStringLiteral("警告"));
    if (fi.fileName().toLower() != u"default.htm")
        return Notice::info(QStringLiteral("这不是一个有效的default.htm文件"));
    const QString only = QStringLiteral("文件夹只能包含default.htm文件及其相关联的文件夹images") +
                         QStringLiteral("(网页中包含的图片存放文件夹)，");
    if (filesIn(fi.absolutePath()).size() >= 2)
        return Notice::info(QStringLiteral("在") + folder + only + QStringLiteral("含有多余的文件！"));
    if (imagesIn(fi.absolutePath()).isEmpty())
        return Notice::info(QStringLiteral("在") + folder +
                            QStringLiteral("文件夹中必须包含images文件夹！"));
    if (foldersIn(fi.absolutePath()).size() >= 2)
        return Notice::info(QStringLiteral("在") + folder + only +
                            QStringLiteral("含有多余的文件夹！"));
    return {};
}

Choice setHomePage(const QString& path, const Progress& progress) {
    Notice checked = checkHomePage(path);
    if (!checked.ok())
        return {checked, {}};
    const QFileInfo fi(path);
    const QString folder = fi.absolutePath() + u'/';
    const QString name = fi.fileName();
    if (!fi.isFile())
        return {Notice::error(path + QStringLiteral("文件不存在！")), {}};

    // The pictures wait beside the working folder's own until the page is in.
    const QString stage = work() + kStaging + u'/';
    removeFolder(stage);
    const QString images = imagesIn(folder);
    if (images.isEmpty())
        return {Notice::error(QDir::toNativeSeparators(folder) + kImages +
                              QStringLiteral("/文件夹不存在！")),
                {}};
    const QString imagesPath = folder + images + u'/';
    Copier copier;
    copier.progress = progress;
    copier.total = sizeBelow(imagesPath) + fi.size();
    if (!copier.copyFolder(imagesPath, stage)) {
        removeFolder(stage);
        return {Notice::error(copier.why, QStringLiteral("警告")), {}};
    }
    pictures::ChoiceOptions options;
    options.picture = false;
    options.name = name;
    const pictures::Choice page = pictures::choose(path, options);
    if (!page.ok()) {
        removeFolder(stage);
        return {Notice::error(page.message, QStringLiteral("警告")), {}};
    }
    if (progress)
        progress(copier.total, copier.total);

    // The extra pages' pictures stay; otherwise the folder is the home page's alone.
    if (extraPagesStored()) {
        Copier merge;
        const bool merged = merge.copyFolder(stage, work() + kImages);
        removeFolder(stage);
        if (!merged)
            return {Notice::error(merge.why, QStringLiteral("警告")), {}};
    } else {
        QString why;
        removeFolder(work() + kImages);
        if (!fileops::replaceFolder(stage, work() + kImages, &why))
            return {Notice::error(why, QStringLiteral("警告")), {}};
    }

    const QString previous = sitedb::userInfo(QStringLiteral("defaultFile")).trimmed();
    const sitedb::Outcome stored = sitedb::setUserInfo(QStringLiteral("defaultFile"), name);
    if (!stored)
        return {Notice::error(stored.error), {}};
    // A page of the same name in another letter case is the one replaced.
    if (previous != name && isBare(previous))
        QFile::remove(work() + previous);
    return {{}, name};
}

Notice unsetHomePage() {
    const QString previous = sitedb::userInfo(QStringLiteral("defaultFile")).trimmed();
    const sitedb::Outcome stored = sitedb::setUserInfo(QStringLiteral("defaultFile"), QString());
    if (!stored)
        return Notice::error(stored.error);
    if (isBare(previous))
        QFile::remove(work() + previous);
    if (!extraPagesStored())
        removeFolder(work() + kImages);
    return {};
}

QString headerName(const QString& extension) {
    return QStringLiteral("topHeadSelf.") + extension;
}

Choice setHeader(const QString& path) {
    const QFileInfo fi(path);
    if (!fi.isFile())
        return {Notice::error(path + QStringLiteral("文件不存在!"), QStringLiteral("警告")), {}};
    const QString ext = extensionOf(fi.fileName());
    static const QStringList kKinds = {QStringLiteral("gif"), QStringLiteral("jpg"),
                                       QStringLiteral("swf")};
    if (!fi.fileName().contains(u'.') || !kKinds.contains(ext))
        return {Notice::info(QStringLiteral("这不是一个有效的头文件")), {}};
    pictures::ChoiceOptions options;
    options.picture = ext != u"swf";
    options.previewBound = QSize(64, 64);
    options.name = headerName(ext);
    const pictures::Choice header = pictures::choose(path, options);
    if (!header.ok())
        return {Notice::error(header.message, QStringLiteral("警告")), {}};
    const sitedb::Outcome stored = sitedb::setUserInfo(QStringLiteral("topHead"), header.name);
    if (!stored)
        return {Notice::error(stored.error, QStringLiteral("警告")), {}};
    // A header of another kind chosen earlier is replaced by this one.
    for (const QString& other : kKinds) {
        if (other != ext)
            pictures::removeUnnamed({headerName(other)});
    }
    return {{}, fi.fileName()};
}

void unsetHeader() {
    const QString previous = sitedb::userInfo(QStringLiteral("topHead")).trimmed();
    if (sitedb::setUserInfo(QStringLiteral("topHead"), QString()))
        pictures::removeUnnamed({previous});
}

QStringList pagesOf(const QString& folder, bool* hasDefault) {
    QStringList pages;
    if (hasDefault)
        *hasDefault = false;
    for (const QString& name : filesIn(folder)) {
        const QString tail = name.right(3).toLower();
        if (tail == u"htm" && name.toLower() == u"default.htm" && hasDefault)
            *hasDefault = true;
        if (tail == u"htm" || tail == u"mht")
            pages << name;
    }
    return pages;
}

Pages setPages(const QString& folder, const Progress& progress) {
    Pages out;
    const QString from = workspace::withSeparator(folder);
    bool hasDefault = false;
    const QStringList pages = pagesOf(from, &hasDefault);
    if (hasDefault) {
        out.notice = Notice::info(QStringLiteral("不能包含default.htm！"));
        return out;
    }
    // The stored list has no escape: such a name would be read back as two.
    for (const QString& p : pages) {
        if (p.contains(QLatin1String("||"))) {
            out.notice = Notice::info(QStringLiteral("文件名中不能包含“||”，请重命名后再选择：") + p);
            return out;
        }
    }
    const QStringList old =
        mdl_sltTmpl::listNames(sitedb::userInfo(QStringLiteral("field01")));
    const QString images = imagesIn(from);
    Copier copier;
    copier.progress = progress;
    for (const QString& p : pages)
        copier.total += QFileInfo(from + p).size();
    if (!images.isEmpty())
        copier.total += sizeBelow(from + images);
    QStringList added;
    for (const QString& p : pages) {
        if (!old.contains(p))
            added << p;
    }
    const auto fail = [&](const QString& why) {
        // The pages copied for a list that was not stored go again.
        pictures::removeUnnamed(added);
        out.notice = Notice::error(why);
        return out;
    };
    for (const QString& p : pages) {
        if (!copier.copy(from + p, work() + p))
            return fail(copier.why);
    }
    if (!images.isEmpty() && !copier.copyFolder(from + images, work() + kImages))
        return fail(copier.why);

    const sitedb::Outcome stored =
        sitedb::setUserInfo(QStringLiteral("field01"), mdl_sltTmpl::joinNames(pages));
    if (!stored)
        return fail(stored.error);
    QStringList gone;
    for (const QString& p : old) {
        if (!pages.contains(p))
            gone << p;
    }
    pictures::removeUnnamed(gone);
    out.changed = true;
    out.names = pages;
    return out;
}

Notice unsetPages() {
    const QStringList old =
        mdl_sltTmpl::listNames(sitedb::userInfo(QStringLiteral("field01")));
    const sitedb::Outcome stored = sitedb::setUserInfo(QStringLiteral("field01"), QString());
    if (!stored)
        return Notice::info(stored.error);
    pictures::removeUnnamed(old);
    return {};
}

QString headPreviewHtml(const QString& file) {
    QString html = QStringLiteral("<body  leftmargin=0 topmargin=0>");
    const QString url = mdl_sltTmpl::fileUrl(file);
    if (extensionOf(file) != u"swf")
        return html + QStringLiteral("<img src='") + url + QStringLiteral("'>");
    html += QStringLiteral("<OBJECT codeBase=") + QLatin1String(kFlashCab) +
            QStringLiteral("#version=6,0,29,0") +
            QStringLiteral(" width=760 height=130 "
                           "classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000>");
    html += QStringLiteral("<PARAM NAME='movie' VALUE='") + url + QStringLiteral("'>");
    html += QStringLiteral("<PARAM NAME='quality' VALUE='high'>");
    html += QStringLiteral("<param name='wmode' value='transparent'>");
    // Shown where the browser cannot play the movie, instead of an empty box.
    html += QStringLiteral("<p style='margin:8px;font:14px sans-serif;color:#555'>"
                           "这里的浏览器不能播放Flash动画，无法预览内页头文件。</p>");
    html += QStringLiteral("</OBJECT>");
    return html;
}

} // namespace mdl_custom
