#include "support/specialfiles.h"

FifoFeeder::~FifoFeeder() = default;

bool FifoFeeder::start(const QString &, const QByteArray &, QString *why)
{
    *why = QStringLiteral("no FIFO in the Windows file system");
    return false;
}

void FifoFeeder::answer() { }

bool makeFifo(const QString &)
{
    return false;
}

QString endlessDevice()
{
    return QString();
}

LeaseHolder::~LeaseHolder() = default;

bool LeaseHolder::start(const QString &, QString *why)
{
    *why = QStringLiteral("no file leases to take on Windows from here");
    return false;
}

bool LeaseHolder::broken()
{
    return false;
}
