#include "support/filefixture.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

// Owners, modes, extended attributes, FIFOs, devices, mounts, other users and file-size
// limits are POSIX matters; only the held file and the file types are Windows' own.
QString systemFixtures()
{
    return QStringLiteral("owners, modes, links, special files, other users and file-size "
                          "limits are not available here");
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

QString makeFullDevice(const QString &)
{
    return systemFixtures();
}

// Without FIFOs or devices, what Qt sees is all there is.
QString fileType(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral("link");
    if (info.isDir())
        return QStringLiteral("folder");
    if (info.isFile())
        return QStringLiteral("file");
    return info.exists() ? QStringLiteral("other") : QString();
}

FifoReader::FifoReader(const QString &) { }

FifoReader::~FifoReader() { }

QByteArray FifoReader::readAvailable()
{
    return QByteArray();
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
