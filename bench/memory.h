#pragma once
// The process's own memory figures, as the benchmarks report them.

#include <QFile>

namespace bench {

// Kilobytes of a "Vm…" line of /proc/self/status ("VmRSS:", "VmHWM:").
inline qint64 statusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Starts the peak (VmHWM) again from the present resident size.
inline void resetPeakMemory() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

} // namespace bench
