#include "organisation/mdl_info.h"

namespace mdl_info {

const QList<Field>& fields() {
    static const QList<Field> kFields = {
        {"txt_webName", u"网站名称：", "webName"}, {"txt_dalmName", u"单位名称：", "dalm_name"},
        {"txt_addr", u"通讯地址：", "Address"},    {"txt_linkMan", u"联 系 人：", "linkMan"},
        {"txt_tel", u"联系电话：", "Tel"},         {"txt_mobile", u"手　　机：", "Mobile"},
        {"txt_fax", u"传　　真：", "Fax"},         {"txt_zip", u"邮政编码：", "Zip"},
        {"txt_email", u"电子邮件：", "Email"},
    };
    return kFields;
}

OrgInfo load() {
    OrgInfo info;
    const sitedb::Row row = sitedb::query(QStringLiteral("SELECT * FROM user_info")).first();
    for (const Field& f : fields())
        info.values << row.text(QLatin1String(f.column));
    info.logo = row.text(QStringLiteral("logo"));
    return info;
}

SaveResult save(const OrgInfo& info) {
    SaveResult out;
    if (info.values.size() != fields().size()) {
        out.error = QStringLiteral("数据不完整");
        return out;
    }
    if (info.values.front().trimmed().isEmpty()) {
        out.status = SaveResult::BlankName;
        return out;
    }
    QString sql = QStringLiteral("UPDATE user_info SET ");
    QVariantList args;
    for (const Field& f : fields()) {
        sql += QLatin1String(f.column) + QStringLiteral(" = ?,");
        args << info.values[args.size()];
    }
    sql += QStringLiteral("logo = ? WHERE user_ID=1;");
    args << info.logo;
    const sitedb::Outcome done = sitedb::exec(sql, args);
    if (!done) {
        out.error = done.error;
        return out;
    }
    // Without the site's row nothing was stored: that is no success.
    if (done.rowsAffected == 0) {
        out.error = QStringLiteral("没有站点信息记录");
        return out;
    }
    out.status = SaveResult::Saved;
    return out;
}

void Logo::loaded(const QString& stored) {
    m_name = stored;
}

void Logo::brought(const pictures::Choice& choice) {
    if (!choice.ok())
        return;
    m_tracker.broughtIn(choice);
    if (choice.name != m_name)
        m_tracker.replacing(m_name);
    m_name = choice.name;
}

sitedb::Outcome Logo::cancel() {
    const sitedb::Outcome done = sitedb::exec(QStringLiteral("UPDATE user_info SET logo = '';"));
    if (!done)
        return done;
    m_tracker.replacing(m_name);
    m_name.clear();
    m_tracker.saved();
    return done;
}

void Logo::saved() {
    m_tracker.saved();
}

void Logo::dropped() {
    m_tracker.dropped();
}

} // namespace mdl_info
