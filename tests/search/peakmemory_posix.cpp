#include "search/peakmemory.h"

#include <QByteArray>
#include <QFile>

// Linux keeps the peak in /proc/self/status (VmHWM) and resets it on request.
bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1 && clear.flush()
        && peakMemory() > 0;
}

qint64 peakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            bool ok = false;
            const qint64 kib = line.mid(6).trimmed().split(' ').first().toLongLong(&ok);
            return ok ? kib * 1024 : -1;
        }
    }
    return -1;
}
