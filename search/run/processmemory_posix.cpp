#include "search/run/processmemory.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <algorithm>
#include <limits>
#include <sys/resource.h>
#include <unistd.h>

static QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(4096).trimmed();
}

// A number of bytes written as such; "max" (or anything else) means no limit.
static qint64 limitValue(const QByteArray &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok && value > 0 ? value : -1;
}

// The memory limit of the control group the process is in: cgroup v2's memory.max, or
// v1's memory.limit_in_bytes (which says "no limit" with a huge number, larger than any
// machine's memory, so the physical memory wins over it anyway). The group's path comes
// from /proc/self/cgroup; the limit of the group as mounted at the root is looked at too,
// since a container often sees its own group there.
static qint64 controlGroupLimit()
{
    qint64 limit = -1;
    const auto take = [&limit](qint64 value) {
        if (value > 0)
            limit = limit < 0 ? value : std::min(limit, value);
    };
    const QByteArray groups = readSmallFile(QStringLiteral("/proc/self/cgroup"));
    for (const QByteArray &line : groups.split('\n')) {
        // hierarchy-id:controllers:path; v2 has the id 0 and no controllers.
        const QList<QByteArray> fields = line.split(':');
        if (fields.size() < 3)
            continue;
        const QString path = QString::fromUtf8(fields.mid(2).join(':'));
        if (fields.at(0) == "0" && fields.at(1).isEmpty()) {
            take(limitValue(readSmallFile(
                QStringLiteral("/sys/fs/cgroup") + path + QStringLiteral("/memory.max"))));
        } else if (fields.at(1).split(',').contains("memory")) {
            take(limitValue(readSmallFile(QStringLiteral("/sys/fs/cgroup/memory") + path
                + QStringLiteral("/memory.limit_in_bytes"))));
        }
    }
    take(limitValue(readSmallFile(QStringLiteral("/sys/fs/cgroup/memory.max"))));
    take(limitValue(readSmallFile(QStringLiteral("/sys/fs/cgroup/memory/memory.limit_in_bytes"))));
    return limit;
}

// A field of /proc/self/statm, in bytes: 0 the address space (VmSize, which RLIMIT_AS
// counts), 1 the resident memory.
static qint64 statmBytes(int field)
{
    const QByteArray statm = readSmallFile(QStringLiteral("/proc/self/statm"));
    bool ok = false;
    const qint64 pages = statm.split(' ').value(field).toLongLong(&ok);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    return ok && pageSize > 0 ? pages * pageSize : -1;
}

ProcessMemory processMemory()
{
    ProcessMemory memory;
    rlimit addressSpace {};
    if (getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY
        && addressSpace.rlim_cur < rlim_t(std::numeric_limits<qint64>::max())) {
        memory.reserved.limit = qint64(addressSpace.rlim_cur);
        memory.reserved.used = statmBytes(0);
    }
    qint64 limit = controlGroupLimit();
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && pageSize > 0)
        limit = limit > 0 ? std::min(limit, qint64(pages) * pageSize) : qint64(pages) * pageSize;
    if (limit > 0) {
        memory.resident.limit = limit;
        memory.resident.used = statmBytes(1);
    }
    return memory;
}
