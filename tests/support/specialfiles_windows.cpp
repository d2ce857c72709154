#include "support/specialfiles.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <string>

FifoFeeder::~FifoFeeder() = default;

bool FifoFeeder::start(const QString &, const QByteArray &, QString *why)
{
    *why = QStringLiteral("no FIFO in the Windows file system");
    return false;
}

void FifoFeeder::answer() { }

OpenWatch::~OpenWatch() = default;

bool OpenWatch::start(const QString &, QString *why)
{
    *why = QStringLiteral("Windows tells nobody when a file is opened");
    return false;
}

int OpenWatch::opens()
{
    return seen;
}

bool makeSocket(const QString &, QString *why)
{
    *why = QStringLiteral("no socket in the Windows file system");
    return false;
}

bool makeNullDevice(const QString &, QString *why)
{
    *why = QStringLiteral("no device nodes in the Windows file system");
    return false;
}

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

// Through the full "\\?\" path, which the system takes without looking for device names.
static std::wstring fullPath(const QString &path)
{
    return (QStringLiteral("\\\\?\\")
        + QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath())))
        .toStdWString();
}

bool writeFileNamedLikeADevice(const QString &path, const QByteArray &bytes)
{
    const std::wstring name = fullPath(path);
    const HANDLE file = ::CreateFileW(
        name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool done = ::WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr)
        && written == DWORD(bytes.size());
    return ::CloseHandle(file) && done;
}

bool removeFileNamedLikeADevice(const QString &path)
{
    return ::DeleteFileW(fullPath(path).c_str());
}
