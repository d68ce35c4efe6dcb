#include "hosting/loginThrottle.h"

#include <algorithm>

namespace hosting {

namespace {
// Past this many remembered keys the old ones are swept out.
constexpr qsizetype kSweepAbove = 10000;
} // namespace

LoginThrottle::Lock LoginThrottle::lockFor(const QString& accountNo, const QString& address,
                                           qint64 nowMs) {
    Lock lock;
    const auto check = [&](const QHash<QString, Count>& table, const QString& key, bool byAddress) {
        const auto it = table.constFind(key);
        if (it != table.cend() && it->lockedUntilMs > nowMs &&
            it->lockedUntilMs - nowMs > lock.remainingMs) {
            lock = {true, byAddress, it->lockedUntilMs - nowMs};
        }
    };
    check(m_accounts, accountNo, false);
    check(m_addresses, address, true);
    return lock;
}

qint64 LoginThrottle::count(QHash<QString, Count>& table, const QString& key, qint64 nowMs) {
    if (table.size() > kSweepAbove)
        forgetOld(table, nowMs);
    Count& c = table[key];
    if (c.failures > 0 && nowMs - c.lastMs > m_options.forgetMs && c.lockedUntilMs <= nowMs)
        c = Count{};
    ++c.failures;
    c.lastMs = nowMs;
    if (m_options.lockAfter > 0 && c.failures >= m_options.lockAfter) {
        // The lock starts afresh; the count begins again once it is over.
        c.lockedUntilMs = nowMs + m_options.lockMs;
        c.failures = 0;
    }
    const int beyond = c.failures - m_options.freeFailures;
    if (beyond <= 0 || c.lockedUntilMs > nowMs)
        return 0;
    const qint64 delay = qint64(m_options.firstDelayMs) << std::min(beyond - 1, 20);
    return std::min<qint64>(delay, m_options.maxDelayMs);
}

qint64 LoginThrottle::failed(const QString& accountNo, const QString& address, qint64 nowMs) {
    return std::max(count(m_accounts, accountNo, nowMs), count(m_addresses, address, nowMs));
}

void LoginThrottle::forgetOld(QHash<QString, Count>& table, qint64 nowMs) {
    for (auto it = table.begin(); it != table.end();) {
        if (nowMs - it->lastMs > m_options.forgetMs && it->lockedUntilMs <= nowMs)
            it = table.erase(it);
        else
            ++it;
    }
}

} // namespace hosting
