#include "hosting/accountStore.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPasswordDigestor>
#include <QRandomGenerator>
#include <QSaveFile>

namespace hosting {

namespace {
constexpr int kIterations = 10000;
constexpr int kSaltBytes = 16;
} // namespace

bool isValidSiteName(const QString& name) {
    if (name.isEmpty() || name.size() > 63)
        return false;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z')))
            return false;
    }
    return true;
}

QByteArray AccountStore::digest(const QString& password, const QByteArray& salt) {
    return QPasswordDigestor::deriveKeyPbkdf2(QCryptographicHash::Sha256, password.toUtf8(), salt,
                                              kIterations, 32);
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
    Account& a = m_accounts[accountNo];
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    a.salt = salt;
    a.hash = digest(password, salt);
    return save();
}

bool AccountStore::checkPassword(const QString& accountNo, const QString& password) const {
    const auto it = m_accounts.constFind(accountNo);
    if (it == m_accounts.cend() || it->hash.isEmpty())
        return false;
    return digest(password, it->salt) == it->hash;
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
    m_accounts[accountNo].site = siteName;
    return save();
}

QStringList AccountStore::accountNumbers() const {
    QStringList keys = m_accounts.keys();
    keys.sort();
    return keys;
}

} // namespace hosting
