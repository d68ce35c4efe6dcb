#pragma once
// The conversation with the hosting service: the tagged messages both sides send, the
// connection state shared by the upload window and the message dialog, and the
// dispatcher that turns whatever one read of the socket returned into one action.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QPointer>
#include <QString>

#include <optional>

class QTcpSocket;

namespace mdl_upData {

// The tags of the wire. A message is a tag followed directly by its payload.
namespace tag {
inline const QString login = QStringLiteral("<#login#>");
inline const QString logout = QStringLiteral("<#logout#>");
inline const QString siteName = QStringLiteral("<#siteName#>");
inline const QString siteNameExist = QStringLiteral("<#siteNameExist#>");
inline const QString modPwd = QStringLiteral("<#modPwd#>");
inline const QString selectTemplate = QStringLiteral("<#selectTemplate#>");
inline const QString talkmsg = QStringLiteral("<#talkmsg#>");
inline const QString getversion = QStringLiteral("<#getversion#>");
inline const QString systemmsg = QStringLiteral("<#systemmsg#>");
inline const QString sendFileInfo = QStringLiteral("<#sendFileInfo#>");
inline const QString errMsg = QStringLiteral("<#errMsg#>");
} // namespace tag

inline const QString clientVersion = QStringLiteral("3.05");
inline constexpr quint16 defaultPort = 1234;
// The port the hosting server serves the published sites on unless the address box names
// another.
inline constexpr quint16 defaultHttpPort = 8080;
// Where the reference hosting server runs unless the user names another.
inline const QString defaultServerAddress = QStringLiteral("127.0.0.1");
inline const QString exampleTopLevelAddress = QStringLiteral("http://www.yourname.com");
inline const QString supportPhone = QStringLiteral("400-810-1234");
// The name of the upload archive in the installation folder and of the picture archive in
// the working folder.
inline const QString archiveName = QStringLiteral("ZIPTEST.ZIP");
inline const QString imagesArchiveName = QStringLiteral("images.zip");
// The longest message the message dialog sends, in characters.
inline constexpr int maxTalkLength = 127;
// Days a ticked "不再显示" keeps the service's notice hidden.
inline constexpr int noticeQuietDays = 14;

// The connection state: one per run, shared by the upload window, the dispatcher and the
// message dialog.
struct State {
    bool loggedIn = false;
    bool uploading = false;
    qint64 archiveSize = 0;
    bool siteNameSet = false;
    QString lastSiteName;
    QString storedAccountNo;
    // The short name last sent for registration; the service's acceptance stores it.
    QString pendingSiteName;
    // The archive's size was announced and the service has not answered yet.
    bool announced = false;
    // From the size announcement to the archive's last byte no other message may go out:
    // the service would take it for the start of the archive.
    bool archivePending() const { return announced || uploading; }
    // The archive went out whole; the service's word on it (published or refused) is to come.
    bool awaitingVerdict = false;
    // The service offered, on this connection, to take uploads of changes.
    bool changesOffered = false;
    // The upload window's socket; the message dialog sends on it directly.
    QPointer<QTcpSocket> socket;
};
State& state();

// True when the socket exists and is connected.
bool isConnected(const QTcpSocket* socket);
// Sends one text message as GBK when the socket is connected; false, with nothing sent,
// otherwise.
bool sendMsg(QTcpSocket* socket, const QString& text);

// The messages the client composes.
QString loginMessage(const QString& accountNo, const QString& password);
QString versionRequest();
QString sizeAnnouncement(qint64 archiveSize);
// A message to the administrator as it travels and as both logs show it: made HTML-safe,
// with every "&" and "<" the user typed written as an entity, so that nothing typed can
// form a tag and the text reads as typed.
QString talkText(const QString& typed);
QString talkMessage(const QString& typed);

// What one read of the socket asks for; the replies in the order they are looked for.
enum class Reply {
    None,
    Login,
    Logout,
    SiteName,
    SiteNameExist,
    ModPwd,
    SelectTemplate,
    TalkMsg,
    GetVersion,
    SystemMsg,
    SendFileInfo,
    ErrMsg,
};

struct Action {
    Reply reply = Reply::None;
    // The text to show: the administrator's message, the notice, the system message.
    QString text;
    // A notice that the user has chosen not to see for now.
    bool suppressed = false;
    // The service answered the size announcement with a failure: it did not take the
    // upload (a short name it does not know, for one).
    bool uploadRefused = false;
    // The system message is the service's word on the upload announced or sent: `text`
    // keeps the file and site names as they were written.
    bool uploadVerdict = false;
    // Why the handling failed; the state was left as it was.
    QString error;
    // The site's own address, when a system message names it (see publishedAddress).
    QString address;
};

// Which reply the text holds: the first tag of the reply order that occurs anywhere in it.
Reply classify(const QString& text);

// Handles the data of one read: decodes it, picks the reply and applies the reply's
// effect on the state and on the site database (the accepted short name is the one sent,
// or the text of the short-name box, `webName`, when none was sent). `today` decides whether a
// notice is due.
Action onServerData(const QByteArray& data, State& st, const QString& webName,
                    const QDate& today = QDate::currentDate());

// The text of a system message as shown: tag removed, "<br>" as line breaks, lower case.
QString systemMessageText(const QString& text);
// The service's word on an upload as shown: the same, with the letters as the service wrote
// them (it names the user's files), and no tag left in it.
QString uploadVerdictText(const QString& text);

// Whether the notice is shown, from the "flag||date" setting `field06`: always when the
// flag is 0, otherwise once the date lies `noticeQuietDays` days or more back. No value,
// with `error` set, when the setting cannot be read.
std::optional<bool> noticeDue(const QString& field06, const QDate& today, QString* error = nullptr);
// The `field06` value written by the notice window's "不再显示".
QString noticeSetting(bool hide, const QDate& today);

// The server address box: "host", "host:port" or "host:port:httpport" ("[v6]:port" and
// "[v6]:port:httpport" for IPv6 addresses): the host, the port of the connection and the
// port its published sites are served on. Full-width colons, digits and full stops, as a
// Chinese input method types them, read as the plain ones.
struct ServerAddress {
    QString host;
    quint16 port = defaultPort;
    quint16 httpPort = defaultHttpPort;
};
std::optional<ServerAddress> parseServerAddress(const QString& text);

// The address box's text that last reached a server, kept for the user (in the user's own
// settings, not in the installation, so that it outlives a restore); the box starts with
// it, or with the default server when there is none.
QString lastServerAddress();
void rememberServerAddress(const QString& text);

// The published sites' base address on a server, "http://host:httpport/": the published
// address is the base followed by the short name. For a text of the address box that is no
// address, the base on the default server.
QString siteBaseAddress(const ServerAddress& server);
QString siteBaseAddress(const QString& serverBox);

// The address a server names in its message after publishing a site, "网址：http://…"
// followed by "<br>", a blank or the end; empty when the text names none.
QString announcedAddress(const QString& systemText);

// The published address shown and opened by "浏览": the one the server announced for the
// site in the short-name box (`announced`, taken while the address box read `announcedBox`),
// else the base derived from the address box followed by the short name.
QString publishedAddress(const QString& serverBox, const QString& webName, const QString& announced,
                         const QString& announcedBox);

// The upload window's help text, which names the published address's form.
QString uploadHelpText(const QString& baseAddress);

// A short name holds only ASCII digits and letters: the length of the valid prefix.
int validSiteNamePrefix(const QString& text);

// One entry of the message log: header above body, as HTML.
QString msgLogEntry(const QString& sender, const QString& text, const QDateTime& when);

} // namespace mdl_upData
