#include "filefixture.h"

#include <QDir>

#include <windows.h>

// Owners, modes, extended attributes, FIFOs, mounts and other users are POSIX matters;
// only the held file is Windows' own.
QString systemFixtures()
{
    return QStringLiteral("owners, modes, links and special files are not available here");
}

FileIdentity fileIdentity(const QString &)
{
    return FileIdentity();
}

bool isAdministrator()
{
    return false;
}

bool setOwner(const QString &, uint, uint)
{
    return false;
}

bool setMode(const QString &, uint)
{
    return false;
}

bool setAttribute(const QString &, const QByteArray &, const QByteArray &)
{
    return false;
}

QByteArray accessListName()
{
    return QByteArray();
}

QByteArray accessListFor(uint)
{
    return QByteArray();
}

bool makeHardLink(const QString &, const QString &)
{
    return false;
}

bool makeFifo(const QString &)
{
    return false;
}

QString harmlessDevice()
{
    return QString();
}

bool mountOverItself(const QString &)
{
    return false;
}

bool unmount(const QString &)
{
    return false;
}

ChildResult runAsUser(uint, uint, const QList<uint> &, const std::function<bool()> &)
{
    return ChildResult::Unavailable;
}

// Opened as an editor holding a document does: other processes may read the file, but
// not write, rename or delete it meanwhile.
HeldFile::HeldFile(const QString &path)
    : path(path)
{
    const HANDLE file
        = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
            GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    held = file != INVALID_HANDLE_VALUE;
    handle = reinterpret_cast<qintptr>(file);
}

HeldFile::~HeldFile()
{
    if (held)
        CloseHandle(reinterpret_cast<HANDLE>(handle));
}

FileSizeLimit::FileSizeLimit(qint64) { }

FileSizeLimit::~FileSizeLimit() { }
