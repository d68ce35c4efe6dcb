#include "server/mdl_upData.h"

#include "common/gbk.h"
#include "common/mdl_func.h"
#include "server/uploadManifest.h"
#include "sitedb/sitedb.h"

#include <QHostAddress>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QRegularExpression>
#include <QUrl>

#include <array>
#include <utility>

namespace mdl_upData {

State& state() {
    static State s;
    return s;
}

bool isConnected(const QTcpSocket* socket) {
    return socket && socket->state() == QAbstractSocket::ConnectedState;
}

bool sendMsg(QTcpSocket* socket, const QString& text) {
    if (!isConnected(socket))
        return false;
    const QByteArray bytes = gbk::encode(text);
    return socket->write(bytes) == bytes.size();
}

QString loginMessage(const QString& accountNo, const QString& password) {
    return tag::login + accountNo + QStringLiteral("||") + password;
}

QString versionRequest() {
    return tag::getversion + clientVersion;
}

QString sizeAnnouncement(qint64 archiveSize) {
    return tag::sendFileInfo + QString::number(archiveSize);
}

QString talkText(const QString& typed) {
    QString s = typed;
    s.replace(u'&', QLatin1String("&amp;"));
    s.replace(u'<', QLatin1String("&lt;"));
    return mdl_func::encode(s);
}

QString talkMessage(const QString& typed) {
    return tag::talkmsg + talkText(typed);
}

Reply classify(const QString& text) {
    // The order matters: "<#siteNameExist#>" is looked for after "<#siteName#>", which it
    // does not contain, and the first tag found decides.
    static const std::array<std::pair<const QString*, Reply>, 11> order{{
        {&tag::login, Reply::Login},
        {&tag::logout, Reply::Logout},
        {&tag::siteName, Reply::SiteName},
        {&tag::siteNameExist, Reply::SiteNameExist},
        {&tag::modPwd, Reply::ModPwd},
        {&tag::selectTemplate, Reply::SelectTemplate},
        {&tag::talkmsg, Reply::TalkMsg},
        {&tag::getversion, Reply::GetVersion},
        {&tag::systemmsg, Reply::SystemMsg},
        {&tag::sendFileInfo, Reply::SendFileInfo},
        {&tag::errMsg, Reply::ErrMsg},
    }};
    for (const auto& [t, reply] : order) {
        if (text.contains(*t))
            return reply;
    }
    return Reply::None;
}

QString uploadVerdictText(const QString& text) {
    QString s = text;
    s.remove(tag::systemmsg);
    s.remove(tag::errMsg);
    s.replace(QStringLiteral("<br>"), QStringLiteral("\n"));
    return s.trimmed();
}

QString systemMessageText(const QString& text) {
    QString s = text;
    s.remove(tag::systemmsg);
    s.replace(QStringLiteral("<br>"), QStringLiteral("\n"));
    return s.toLower();
}

std::optional<bool> noticeDue(const QString& field06, const QDate& today, QString* error) {
    const QStringList pieces = field06.split(QStringLiteral("||"));
    bool ok = false;
    const int flag = pieces.value(0).trimmed().toInt(&ok);
    if (!ok) {
        if (error)
            *error = QStringLiteral("公告设置无效：") + field06;
        return std::nullopt;
    }
    if (flag == 0)
        return true;
    const QDate since = QDate::fromString(pieces.value(1).trimmed(), Qt::ISODate);
    if (!since.isValid()) {
        if (error)
            *error = QStringLiteral("公告设置的日期无效：") + field06;
        return std::nullopt;
    }
    return since.daysTo(today) >= noticeQuietDays;
}

QString noticeSetting(bool hide, const QDate& today) {
    return (hide ? QStringLiteral("1||") : QStringLiteral("0||")) + today.toString(Qt::ISODate);
}

Action onServerData(const QByteArray& data, State& st, const QString& webName, const QDate& today) {
    const QString text = gbk::decode(data);
    Action a;
    a.reply = classify(text);
    // The offer comes with the login's acceptance; nothing else carries it.
    if ((a.reply == Reply::Login || a.reply == Reply::None) &&
        text.contains(tag::deltaOffer + deltaMethod))
        st.changesOffered = true;
    switch (a.reply) {
    case Reply::Login:
        st.loggedIn = true;
        break;
    case Reply::SiteName: {
        const QString name = st.pendingSiteName.isEmpty() ? webName : st.pendingSiteName;
        const sitedb::Outcome stored = sitedb::setUserInfo(QStringLiteral("site_name"), name);
        if (!stored) {
            a.error = stored.error;
            break;
        }
        st.siteNameSet = true;
        st.lastSiteName = name;
        st.pendingSiteName.clear();
        a.text = name;
        break;
    }
    case Reply::SiteNameExist:
        st.siteNameSet = false;
        st.pendingSiteName.clear();
        a.text = st.lastSiteName;
        break;
    case Reply::TalkMsg:
        a.text = text;
        a.text.remove(tag::talkmsg);
        break;
    case Reply::GetVersion: {
        const sitedb::Rows rows = sitedb::query(QStringLiteral("SELECT * FROM user_info"));
        if (!rows.ok) {
            a.error = rows.error;
            break;
        }
        if (rows.isEmpty()) {
            a.suppressed = true;
            break;
        }
        const std::optional<bool> due =
            noticeDue(rows.first().text(QStringLiteral("field06")), today, &a.error);
        if (!due)
            break;
        a.suppressed = !*due;
        a.text = text;
        a.text.remove(tag::getversion);
        break;
    }
    case Reply::Logout:
        // A refusal that gives a reason (a locked account) is told in the service's words;
        // a bare one means a wrong account number or password.
        a.text = text;
        a.text.remove(tag::logout);
        a.text = a.text.trimmed();
        break;
    case Reply::SystemMsg:
        // After a publication the service names the site's own address.
        a.address = announcedAddress(text);
        // While an upload waits for the go-ahead or for the service's word on the archive,
        // a system message is that word.
        a.uploadVerdict = st.announced || st.awaitingVerdict;
        if (!a.uploadVerdict) {
            a.text = systemMessageText(text);
            break;
        }
        a.uploadRefused = std::exchange(st.announced, false);
        st.awaitingVerdict = false;
        a.text = uploadVerdictText(text);
        break;
    case Reply::SendFileInfo:
        st.uploading = true;
        st.announced = false;
        break;
    case Reply::ErrMsg:
        a.uploadRefused = std::exchange(st.announced, false);
        st.awaitingVerdict = false;
        break;
    case Reply::None:
    case Reply::ModPwd:
    case Reply::SelectTemplate:
        break;
    }
    return a;
}

std::optional<ServerAddress> parseServerAddress(const QString& text) {
    // What a Chinese input method types for ":", "." and digits (full-width forms, "。")
    // counts as the plain characters.
    QString t = text.normalized(QString::NormalizationForm_KC).trimmed();
    t.replace(u'。', u'.');
    if (t.isEmpty())
        return std::nullopt;
    ServerAddress addr;
    QString ports; // ":port" or ":port:httpport", or nothing
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        addr.host = t.mid(1, close - 1);
        ports = t.mid(close + 1);
        if (!ports.isEmpty() && !ports.startsWith(u':'))
            return std::nullopt;
    } else if (t.count(u':') > 1 && QHostAddress(t).protocol() == QAbstractSocket::IPv6Protocol) {
        // A bare IPv6 address has several colons and no port.
        addr.host = t;
    } else {
        const qsizetype colon = t.indexOf(u':');
        addr.host = t.left(colon);
        if (colon >= 0)
            ports = t.mid(colon);
    }
    if (addr.host.isEmpty() || addr.host.contains(QChar(u' ')))
        return std::nullopt;
    if (ports.isEmpty())
        return addr;
    const QStringList numbers = ports.mid(1).split(u':');
    if (numbers.size() > 2)
        return std::nullopt;
    quint16* targets[] = {&addr.port, &addr.httpPort};
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        bool ok = false;
        const uint port = numbers.at(i).toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        *targets[i] = static_cast<quint16>(port);
    }
    return addr;
}

namespace {
// The user's own settings of the client.
QString userSettingsFile() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/orvane/orvane.conf");
}
const QString kServerAddressKey = QStringLiteral("server/address");
} // namespace

QString lastServerAddress() {
    const QString kept =
        QSettings(userSettingsFile(), QSettings::IniFormat).value(kServerAddressKey).toString();
    return parseServerAddress(kept) ? kept.trimmed() : defaultServerAddress;
}

void rememberServerAddress(const QString& text) {
    if (!parseServerAddress(text))
        return;
    QSettings settings(userSettingsFile(), QSettings::IniFormat);
    settings.setValue(kServerAddressKey, text.trimmed());
}

QString siteBaseAddress(const ServerAddress& server) {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(server.host);
    if (server.httpPort != 80)
        url.setPort(server.httpPort);
    url.setPath(QStringLiteral("/"));
    if (!url.isValid() || url.host().isEmpty())
        return siteBaseAddress(ServerAddress{defaultServerAddress});
    return url.toString();
}

QString siteBaseAddress(const QString& serverBox) {
    const std::optional<ServerAddress> server = parseServerAddress(serverBox);
    return siteBaseAddress(server ? *server : ServerAddress{defaultServerAddress});
}

QString announcedAddress(const QString& systemText) {
    static const QString mark = QStringLiteral("网址：");
    const qsizetype at = systemText.indexOf(mark);
    if (at < 0)
        return {};
    QString text = systemText.mid(at + mark.size());
    const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("<|\\s")));
    if (end >= 0)
        text.truncate(end);
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != u"http" && url.scheme() != u"https"))
        return {};
    return url.toString();
}

QString publishedAddress(const QString& serverBox, const QString& webName, const QString& announced,
                         const QString& announcedBox) {
    // An announced address belongs to one site on one server: "http://<short name>.…".
    const QString host = QUrl(announced).host();
    if (!announced.isEmpty() && !webName.isEmpty() && serverBox.trimmed() == announcedBox.trimmed() &&
        host.startsWith(webName.toLower() + u'.'))
        return announced;
    return siteBaseAddress(serverBox) + webName;
}

QString uploadHelpText(const QString& baseAddress) {
    return QStringLiteral("站点名称：用于构成网站URL(三级域名),名称必须由数字和英文字母组成。\n\n"
                          "站点网址：组成格式是") +
           baseAddress +
           QStringLiteral("xxxx,其中“xxxx”代表“站点名称”，如要获得顶级域名(例如：") +
           exampleTopLevelAddress +
           QStringLiteral("),请来电和我们联系申请。\n\n"
                          "密码：初始密码为：417305，如果需要修改密码请在该窗口下面输入你要修改的"
                          "新密码。");
}

int validSiteNamePrefix(const QString& text) {
    for (int i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool ok =
            (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        if (!ok)
            return i;
    }
    return static_cast<int>(text.size());
}

QString msgLogEntry(const QString& sender, const QString& text, const QDateTime& when) {
    const QString stamp = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    QString header;
    if (sender == u"server")
        header = QStringLiteral("<font color=blue size=2><b>服务器(管理员)</b></font>(<i>") +
                 stamp + QStringLiteral("</i>)<br>");
    else
        header = QStringLiteral("<font color=red size=2><b>") + sender +
                 QStringLiteral("</b></font>(<i>") + stamp + QStringLiteral("</i>)<br>");
    return header + QStringLiteral("<font size=2>") + text + QStringLiteral("</font><br>");
}

} // namespace mdl_upData
