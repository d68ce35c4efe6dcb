#pragma once
// Slows down password guessing: failed logins are counted per account and per address.
// After a few free failures every further one is answered later, the delay doubling each
// time, and after more a temporary lock refuses every login of that account or from that
// address, the right password included. Unknown accounts are counted like known ones, so
// the answers tell nobody which accounts exist.

#include <QHash>
#include <QString>

namespace hosting {

struct ThrottleOptions {
    // Failures answered at once.
    int freeFailures = 3;
    // The failure after the free ones waits this long; each further one twice as long.
    int firstDelayMs = 500;
    int maxDelayMs = 8000;
    // The failure that locks (counted from the first), and how long the lock lasts.
    int lockAfter = 10;
    int lockMs = 15 * 60 * 1000;
    // A count is forgotten when its last failure is this old.
    int forgetMs = 15 * 60 * 1000;
};

class LoginThrottle {
public:
    explicit LoginThrottle(ThrottleOptions options = {}) : m_options(options) {}

    // What holds a login back.
    struct Lock {
        bool locked = false;
        bool byAddress = false; // else by account
        qint64 remainingMs = 0;
    };
    Lock lockFor(const QString& accountNo, const QString& address, qint64 nowMs);

    // A failed login: how long its answer waits.
    qint64 failed(const QString& accountNo, const QString& address, qint64 nowMs);
    // A login that succeeded forgets the account's failures (not the address's: one good
    // account must not buy an address more guesses at others).
    void succeeded(const QString& accountNo) { m_accounts.remove(accountNo); }

private:
    struct Count {
        int failures = 0;
        qint64 lastMs = 0;
        qint64 lockedUntilMs = 0;
    };
    qint64 count(QHash<QString, Count>& table, const QString& key, qint64 nowMs);
    void forgetOld(QHash<QString, Count>& table, qint64 nowMs);

    ThrottleOptions m_options;
    QHash<QString, Count> m_accounts;
    QHash<QString, Count> m_addresses;
};

} // namespace hosting
