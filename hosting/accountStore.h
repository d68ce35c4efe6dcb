#pragma once
// The accounts of the hosting server: number, salted password hash and the registered
// site short name, kept in "accounts.json" of the data folder.

#include <QHash>
#include <QString>

namespace hosting {

class AccountStore {
public:
    // Loads the accounts of `dataDir`; a missing file starts an empty store.
    bool load(const QString& dataDir, QString* error = nullptr);

    bool exists(const QString& accountNo) const { return m_accounts.contains(accountNo); }
    // Creates or replaces an account's password.
    bool setPassword(const QString& accountNo, const QString& password);
    bool checkPassword(const QString& accountNo, const QString& password) const;

    // The short name registered to an account, or empty.
    QString siteName(const QString& accountNo) const;
    // The account holding a short name (any letter case), or empty.
    QString owner(const QString& siteName) const;
    // Registers `siteName` for the account, releasing its previous one. False when another
    // account holds it.
    bool registerSite(const QString& accountNo, const QString& siteName);

    QStringList accountNumbers() const;

private:
    struct Account {
        QByteArray salt;
        QByteArray hash;
        QString site;
    };
    bool save();
    static QByteArray digest(const QString& password, const QByteArray& salt);

    QString m_file;
    QHash<QString, Account> m_accounts;
};

// A short name holds 1 to 63 ASCII letters and digits.
bool isValidSiteName(const QString& name);

} // namespace hosting
