#include "hosting/accountStore.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QSaveFile>

#include <optional>

namespace hosting {

namespace {
constexpr int kIterations = 10000;
constexpr int kSaltBytes = 16;

QByteArray digest(const QString& password, const QByteArray& salt) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              kIterations, 32);
}

QByteArray freshSalt() {
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    return salt;
}

// Compares in a time that does not depend on where the first difference lies.
bool sameBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

} // namespace

bool Credentials::matches(const QString& password) const {
    return !hash.isEmpty() && sameBytes(digest(password, salt), hash) && real;
}

Credentials Credentials::make(const QString& password) {
    Credentials c;
    c.salt = freshSalt();
    c.hash = digest(password, c.salt);
    c.real = true;
    return c;
}

bool AccountStore::load(const QString& dataDir, QString* error) {
    m_file = dataDir + QStringLiteral("accounts.json");
    m_accounts.clear();
    QFile f(m_file);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    QJsonParseError pe;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &pe);
    if (!doc.isObject()) {
        if (error)
            *error = m_file + QStringLiteral(": ") + pe.errorString();
        return false;
    }
    const QJsonObject all = doc.object();
    for (auto it = all.begin(); it != all.end(); ++it) {
        const QJsonObject o = it.value().toObject();
        Account a;
        a.salt = QByteArray::fromHex(o.value(QStringLiteral("salt")).toString().toLatin1());
        a.hash = QByteArray::fromHex(o.value(QStringLiteral("hash")).toString().toLatin1());
        a.site = o.value(QStringLiteral("site")).toString();
        m_accounts.insert(it.key(), a);
    }
    return true;
}

bool AccountStore::save() {
    QJsonObject all;
    for (auto it = m_accounts.cbegin(); it != m_accounts.cend(); ++it) {
        QJsonObject o;
        o.insert(QStringLiteral("salt"), QString::fromLatin1(it->salt.toHex()));
        o.insert(QStringLiteral("hash"), QString::fromLatin1(it->hash.toHex()));
        o.insert(QStringLiteral("site"), it->site);
        all.insert(it.key(), o);
    }
    QSaveFile f(m_file);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QJsonDocument(all).toJson());
    return f.commit();
}

bool AccountStore::setPassword(const QString& accountNo, const QString& password) {
    return setCredentials(accountNo, Credentials::make(password));
}

bool AccountStore::setCredentials(const QString& accountNo, const Credentials& credentials) {
    const auto before = m_accounts.constFind(accountNo);
    const std::optional<Account> previous =
        before == m_accounts.cend() ? std::nullopt : std::optional<Account>(*before);
    Account& a = m_accounts[accountNo];
    a.salt = credentials.salt;
    a.hash = credentials.hash;
    if (save())
        return true;
    if (previous)
        a = *previous;
    else
        m_accounts.remove(accountNo);
    return false;
}

bool AccountStore::checkPassword(const QString& accountNo, const QString& password) const {
    return credentials(accountNo).matches(password);
}

Credentials AccountStore::credentials(const QString& accountNo) const {
    const auto it = m_accounts.constFind(accountNo);
    if (it != m_accounts.cend() && !it->hash.isEmpty())
        return {it->salt, it->hash, true};
    // An unknown account is checked against a hash of its own, as long to derive.
    static const Credentials standIn = [] {
        Credentials c = Credentials::make(QStringLiteral("-"));
        c.real = false;
        return c;
    }();
    return standIn;
}

QString AccountStore::siteName(const QString& accountNo) const {
    return m_accounts.value(accountNo).site;
}

QString AccountStore::owner(const QString& siteName) const {
    for (auto it = m_accounts.cbegin(); it != m_accounts.cend(); ++it) {
        if (!it->site.isEmpty() && it->site.compare(siteName, Qt::CaseInsensitive) == 0)
            return it.key();
    }
    return {};
}

bool AccountStore::registerSite(const QString& accountNo, const QString& siteName) {
    const QString holder = owner(siteName);
    if (!holder.isEmpty() && holder != accountNo)
        return false;
    Account& a = m_accounts[accountNo];
    const QString previous = a.site;
    a.site = siteName;
    if (save())
        return true;
    a.site = previous;
    return false;
}

QStringList AccountStore::accountNumbers() const {
    QStringList keys = m_accounts.keys();
    keys.sort();
    return keys;
}

} // namespace hosting
