// The site's look: which skins and name styles, its logo, background, header, pop-up and effect.

#include "publish/renderer.h"

#include "common/mdl_func.h"
#include "publish/markup.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace publish {

bool Renderer::chooseSkins() {
    m_catalogue = loadCatalogue(m_skins + QLatin1String("catalogue.json"));
    const QRegularExpression codeForm(QStringLiteral("^[a-z]{3}[0-9]{2}$"));
    const auto choose = [&](const QString& stored, QChar kind, const QString& kindName, Skin* skin,
                            QString* code) -> bool {
        QStringList candidates;
        const QString wanted = stored.left(5);
        if (codeForm.match(wanted).hasMatch() && wanted.startsWith(kind))
            candidates << wanted;
        for (const Catalogue::Template& t : std::as_const(m_catalogue.templates)) {
            if (t.kind == kindName && t.code.startsWith(kind))
                candidates << t.code;
        }
        const QStringList folders = QDir(m_skins + QLatin1String("templates"))
                                        .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
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
                    note(QStringLiteral("模板 ") +
                         (stored.isEmpty() ? QStringLiteral("（未选择）") : stored) +
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
                note(QStringLiteral("单位名称样式 ") + stored + QStringLiteral(" 不存在，改用 ") +
                     c);
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
        m_logo = img(logo, orgName(), Box::Logo, true);
    const QString bg = m_site.value(QStringLiteral("backGround")).trimmed();
    if (!bg.isEmpty())
        m_background = picture(bg);

    // The custom inner-page header: a picture, or a Flash movie.
    const QRegularExpression headForm(QStringLiteral("^topHeadSelf\\.(jpg|gif|swf)$"),
                                      QRegularExpression::CaseInsensitiveOption);
    const QString head = m_site.value(QStringLiteral("topHead")).trimmed();
    if (!head.isEmpty()) {
        m_headerFlash = head.endsWith(QLatin1String("swf"), Qt::CaseInsensitive);
        if (!headForm.match(head).hasMatch())
            note(QStringLiteral("内页头部文件无效：") + head);
        else if (m_headerFlash)
            m_headerPic = picture(head);
        else
            m_headerImg = img(head, orgName(), Box::Header, true, QStringLiteral("orv-headpic"));
        m_headerFlash = m_headerFlash && !m_headerPic.isEmpty();
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
            QFileInfo(m_skins + QLatin1String("effects/") + number + QLatin1String(".js"))
                .isFile()) {
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
    } approval[] = {{"field02", "站点论坛"},
                    {"field03", "邮局登陆"},
                    {"field04", "客户留言"},
                    {"field05", "办公系统"}};
    for (const auto& a : approval) {
        if (m_site.value(QLatin1String(a.column)).trimmed() == u"1")
            note(QString::fromUtf8(a.name) + QStringLiteral("：需要提供商批准后方能生效，未发布"));
    }
}

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

} // namespace publish
