#pragma once
// The accounts of the hosting server: number, salted password hash and the registered
// site short name, kept in "accounts.json" of the data folder. Every change is written to
// a new file that takes the old one's place only once it is complete, so a server stopped
// in the middle of a write starts again with the accounts as they were before it.

#include "hosting/siteLayout.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace hosting {

// What a password check needs: the salt and the stored hash. Deriving a hash takes a
// noticeable time, so the server does it off its event loop.
struct Credentials {
    QByteArray salt;
    QByteArray hash;
    // False for the stand-in of an unknown account, which costs as much to check as a
    // real one and never matches.
    bool real = false;

    // True when `password` is the one these credentials were made from.
    bool matches(const QString& password) const;
    // New credentials for `password`, with a fresh salt.
    static Credentials make(const QString& password);
};

class AccountStore {
public:
    // Loads the accounts of `dataDir`; a missing file starts an empty store.
    bool load(const QString& dataDir, QString* error = nullptr);

    bool exists(const QString& accountNo) const { return m_accounts.contains(accountNo); }
    // Creates or replaces an account's password; false (and nothing changed) when the
    // accounts cannot be written.
    bool setPassword(const QString& accountNo, const QString& password);
    bool setCredentials(const QString& accountNo, const Credentials& credentials);
    bool checkPassword(const QString& accountNo, const QString& password) const;
    // The account's credentials, or for an unknown account a stand-in that takes as long
    // to check.
    Credentials credentials(const QString& accountNo) const;

    // The short name registered to an account, or empty.
    QString siteName(const QString& accountNo) const;
    // The account holding a short name (any letter case), or empty.
    QString owner(const QString& siteName) const;
    // Registers `siteName` for the account, releasing its previous one. False when another
    // account holds it or the accounts cannot be written.
    bool registerSite(const QString& accountNo, const QString& siteName);

    QStringList accountNumbers() const;

private:
    struct Account {
        QByteArray salt;
        QByteArray hash;
        QString site;
    };
    bool save();

    QString m_file;
    QHash<QString, Account> m_accounts;
};

} // namespace hosting
